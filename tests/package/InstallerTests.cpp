// The installer as a site engineer uses it: a silent install for the user and one for all users, what
// they leave on the machine, both installed programs running (the window program finding its help file
// and saying so when it is gone), what they ask of the firewall, and a silent uninstall that takes
// everything away again.
#include "tests/package/InstallerSupport.h"

#include <gtest/gtest.h>

#include <iostream>

// CMake gives the package's paths on the build machine, and the version.
#ifndef NORVATESSA_SETUP
#error "NORVATESSA_SETUP and the other paths of the package come from CMake"
#endif

namespace OM::Norvatessa::PackageTesting
{
namespace
{

constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvatessa";
constexpr wchar_t ProductName[] = L"Norvatessa настройка";
constexpr wchar_t LinkName[] = L"Norvatessa настройка.lnk";
constexpr wchar_t MainWindowClass[] = L"NorvatessaMainFrame";
constexpr wchar_t HelpViewerClass[] = L"HH Parent";
constexpr wchar_t DialogClass[] = L"#32770";
constexpr wchar_t MissingHelpCaption[] = L"Ошибка";
constexpr wchar_t MissingHelpText[] = L"Файл справки не найден.";
constexpr UINT HelpCommand = 32784; // ID_HELP_FILE, the menu item and F1
constexpr DWORD ClosedExitCode = 1; // the main window's message loop ends with 1
constexpr char ConsoleUsage[] = "Использование: norvatessa-cli.exe КОМАНДА";
constexpr wchar_t FirewallRule[] = L"Norvatessa настройка (norvatessa.exe)";
constexpr wchar_t ConsoleFirewallRule[] = L"Norvatessa настройка (norvatessa-cli.exe)";
constexpr wchar_t WineOverridesKey[] = L"Software\\Wine\\DllOverrides";
constexpr wchar_t FirewallLogVariable[] = L"NORVATESSA_FIREWALL_LOG";

// Wine now and then takes ten seconds to start a process; the limits leave room for that.
constexpr auto RunLimit = 120s;
constexpr auto WindowLimit = 60s;
constexpr auto UninstallLimit = 60s;
// Closing, the program stops its worker, waiting at most ten seconds for it before it ends regardless;
// under Wine that takes two seconds when idle and four in the middle of a search. Eight seconds tell a
// worker that stops from one that has to be given up on.
constexpr auto CloseLimit = 8s;

// Where one kind of installation puts things, and the registry root it must leave alone.
struct Installation
{
    HKEY root;
    HKEY otherRoot;
    std::wstring folder;
    std::wstring link;
};

Installation ForTheUser()
{
    const std::wstring programs = KnownFolder(FOLDERID_LocalAppData);
    const std::wstring menu = KnownFolder(FOLDERID_Programs);
    return {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
            programs.empty() ? L"" : programs + L"\\Programs\\Norvatessa",
            menu.empty() ? L"" : menu + L"\\" + LinkName};
}

// Given with /D; without blanks, which Wine would quote on the installer's command line. In Cyrillic, as a
// Russian site names its folders: the path reaches the files, the registry and the firewall rules intact.
Installation ForAllUsers()
{
    const std::wstring menu = KnownFolder(FOLDERID_CommonPrograms);
    return {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, L"C:\\Норватесса_для_всех",
            menu.empty() ? L"" : menu + L"\\" + LinkName};
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::wstring SetupCommand(const std::wstring& arguments)
{
    return Quoted(WinePath(NORVATESSA_SETUP)) + L" " + arguments;
}

// The test's netsh.exe in the system folder, where the installer calls it, for as long as this object
// lives: the installer's firewall requests are recorded, not made. Wine runs its own built-in netsh in
// place of a file there unless its DLL overrides prefer the file ("native").
class FirewallStandIn
{
public:
    FirewallStandIn()
        : system(SystemFolder() + L"\\netsh.exe"), saved(system + L".before-tests"),
          log(TemporaryFolder() + L"norvatessa-firewall.log")
    {
        // A run that ended before it could put the system's program back left it saved: keep that copy.
        if (!FileExists(saved))
            ::CopyFileW(system.c_str(), saved.c_str(), TRUE);
        ::DeleteFileW(log.c_str());
        installed = FileExists(saved) &&
                    ::CopyFileW(WinePath(NORVATESSA_FIREWALL_STAND_IN).c_str(), system.c_str(), FALSE) &&
                    SetRegistryString(HKEY_CURRENT_USER, WineOverridesKey, L"netsh.exe", L"native") &&
                    ::SetEnvironmentVariableW(FirewallLogVariable, log.c_str());
    }

    ~FirewallStandIn()
    {
        ::SetEnvironmentVariableW(FirewallLogVariable, nullptr);
        DeleteRegistryValue(HKEY_CURRENT_USER, WineOverridesKey, L"netsh.exe");
        if (::CopyFileW(saved.c_str(), system.c_str(), FALSE))
            ::DeleteFileW(saved.c_str());
        ::DeleteFileW(log.c_str());
    }

    FirewallStandIn(const FirewallStandIn&) = delete;
    FirewallStandIn& operator=(const FirewallStandIn&) = delete;

    bool Installed() const { return installed; }

    // The command lines of the requests made since the last call, in order.
    std::vector<std::wstring> TakeRequests()
    {
        const std::string bytes = FileBytes(log).value_or("");
        ::DeleteFileW(log.c_str());
        std::cout << "netsh was asked " << (bytes.empty() ? "nothing\n" : ":\n" + bytes);
        const std::wstring text = FromUtf8(bytes.c_str());
        std::vector<std::wstring> requests;
        for (std::size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos;
             start = end + 1)
            requests.push_back(text.substr(start, end - start));
        return requests;
    }

    // A request as the installer must make it: the system's netsh with `arguments`.
    std::wstring Request(const std::wstring& arguments) const
    {
        return L"\"" + system + L"\" advfirewall firewall " + arguments;
    }

private:
    static std::wstring TemporaryFolder()
    {
        wchar_t folder[MAX_PATH] = {};
        const DWORD length = ::GetTempPathW(MAX_PATH, folder); // with a closing backslash
        return std::wstring(folder, length < MAX_PATH ? length : 0);
    }

    std::wstring system;
    std::wstring saved;
    std::wstring log;
    bool installed = false;
};

// For messages: the text in UTF-8.
std::string Printable(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), size,
                              nullptr, nullptr);
    return bytes;
}

bool SamePath(const std::wstring& left, const std::wstring& right)
{
    return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                  static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

std::vector<HWND> HelpViewers()
{
    return TopLevelWindows(0, [](HWND window) { return ClassName(window) == HelpViewerClass; });
}

void EndHelpViewers()
{
    for (const HWND viewer : HelpViewers())
        EndProcessOf(viewer);
}

void RemoveInstallation(const Installation& installation)
{
    if (!installation.folder.empty())
        RemoveFolder(installation.folder);
    if (!installation.link.empty())
        ::DeleteFileW(installation.link.c_str());
    DeleteKey(installation.root, UninstallKey);
}

long long Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since)
        .count();
}

class Installer : public ::testing::Test
{
protected:
    // A run that failed half-way must not make this one pass or fail.
    void SetUp() override
    {
        EndHelpViewers();
        RemoveInstallation(ForTheUser());
        RemoveInstallation(ForAllUsers());
    }

    void TearDown() override
    {
        EndHelpViewers();
        RemoveInstallation(ForTheUser());
        RemoveInstallation(ForAllUsers());
    }

    static void Install(const std::wstring& arguments)
    {
        const auto started = std::chrono::steady_clock::now();
        ASSERT_EQ(RunToEnd(SetupCommand(arguments), RunLimit), std::optional<DWORD>(0))
            << "the installer, run with " << Printable(arguments) << ", did not end with exit code 0";
        std::cout << "installed in " << Milliseconds(started) << " ms\n";
    }

    // The files, the uninstaller, the Start-menu link and the uninstall entry of one installation.
    static void ExpectInstalled(const Installation& installation)
    {
        const std::wstring& folder = installation.folder;
        const std::pair<const wchar_t*, const char*> copies[] = {
            {L"norvatessa.exe", NORVATESSA_PROGRAM},
            {L"norvatessa-cli.exe", NORVATESSA_CLI},
            {L"norvatessa.chm", NORVATESSA_HELP},
            {L"readme.txt", NORVATESSA_README},
        };
        unsigned long long bytes = 0;
        for (const auto& [name, built] : copies)
        {
            const std::optional<std::string> installed = FileBytes(folder + L"\\" + name);
            ASSERT_TRUE(installed.has_value()) << "not installed: " << Printable(name);
            EXPECT_EQ(installed, FileBytes(WinePath(built)))
                << "the installed " << Printable(name) << " is not the one built";
            bytes += installed->size();
        }
        const std::wstring uninstaller = folder + L"\\uninstall.exe";
        const std::optional<std::string> uninstallerBytes = FileBytes(uninstaller);
        ASSERT_TRUE(uninstallerBytes.has_value()) << "no uninstaller";
        bytes += uninstallerBytes->size();

        EXPECT_TRUE(FileExists(installation.link)) << "no Start-menu link";
        EXPECT_TRUE(SamePath(LinkTarget(installation.link), folder + L"\\norvatessa.exe"))
            << "the Start-menu link does not start the installed program";

        const HKEY root = installation.root;
        EXPECT_EQ(RegistryString(root, UninstallKey, L"DisplayName"),
                  std::optional<std::wstring>(ProductName));
        EXPECT_EQ(RegistryString(root, UninstallKey, L"DisplayVersion"),
                  std::optional<std::wstring>(FromUtf8(NORVATESSA_VERSION)));
        EXPECT_EQ(RegistryString(root, UninstallKey, L"Publisher"),
                  std::optional<std::wstring>(L"Norvatessa"));
        const std::optional<std::wstring> location = RegistryString(root, UninstallKey, L"InstallLocation");
        EXPECT_TRUE(location && SamePath(*location, folder))
            << "InstallLocation is not the installation folder";
        const std::wstring uninstall = Quoted(uninstaller);
        const std::optional<std::wstring> uninstallString =
            RegistryString(root, UninstallKey, L"UninstallString");
        EXPECT_TRUE(uninstallString && SamePath(*uninstallString, uninstall)) << "wrong UninstallString";
        const std::optional<std::wstring> quiet = RegistryString(root, UninstallKey, L"QuietUninstallString");
        EXPECT_TRUE(quiet && SamePath(*quiet, uninstall + L" /S")) << "wrong QuietUninstallString";
        // In kilobytes: what the folder holds, rounded either way.
        const std::optional<DWORD> size = RegistryNumber(root, UninstallKey, L"EstimatedSize");
        ASSERT_TRUE(size.has_value()) << "no EstimatedSize";
        EXPECT_GE(*size, bytes / 1024);
        EXPECT_LE(*size, bytes / 1024 + 8);

        EXPECT_FALSE(KeyExists(installation.otherRoot, UninstallKey))
            << "the installation wrote the uninstall entry of the other kind too";

        const std::optional<FinishedRun> help =
            RunForOutput(Quoted(folder + L"\\norvatessa-cli.exe") + L" --help", RunLimit);
        ASSERT_TRUE(help.has_value()) << "the installed console program did not run to its end";
        EXPECT_EQ(help->exitCode, 0u);
        EXPECT_NE(help->output.find(ConsoleUsage), std::string::npos)
            << "the installed console program printed no usage:\n"
            << help->output;
    }

    // The inbound rules of an installation for all users: one per program, every profile, UDP; a rule
    // left by an earlier installation into the same folder goes first.
    std::vector<std::wstring> FirewallRulesAdded(const std::wstring& folder) const
    {
        std::vector<std::wstring> requests;
        for (const auto& [rule, program] : {std::pair{FirewallRule, L"norvatessa.exe"},
                                            std::pair{ConsoleFirewallRule, L"norvatessa-cli.exe"}})
        {
            const std::wstring named = L"name=\"" + std::wstring(rule) + L"\"";
            const std::wstring path = L"program=\"" + folder + L"\\" + program + L"\"";
            requests.push_back(firewall.Request(L"delete rule " + named + L" " + path));
            requests.push_back(firewall.Request(L"add rule " + named + L" dir=in action=allow " + path +
                                                L" protocol=UDP profile=any"));
        }
        return requests;
    }

    std::vector<std::wstring> FirewallRulesRemoved(const std::wstring& folder) const
    {
        return {
            firewall.Request(L"delete rule name=\"" + std::wstring(FirewallRule) + L"\" program=\"" + folder +
                             L"\\norvatessa.exe\""),
            firewall.Request(L"delete rule name=\"" + std::wstring(ConsoleFirewallRule) + L"\" program=\"" +
                             folder + L"\\norvatessa-cli.exe\""),
        };
    }

    FirewallStandIn firewall;

    // The uninstall command that Windows runs for a silent uninstall takes everything away again.
    static void UninstallAndExpectGone(const Installation& installation)
    {
        const std::optional<std::wstring> quiet =
            RegistryString(installation.root, UninstallKey, L"QuietUninstallString");
        ASSERT_TRUE(quiet.has_value());
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(RunToEnd(*quiet, RunLimit), std::optional<DWORD>(0)) << "the silent uninstall failed";
        // The uninstaller runs on from a copy of itself, so the folder, the link and the entry go a little
        // later, one after another: the entry went after the folder in a run on a loaded machine.
        WaitFor(
            [&] {
                return !FolderExists(installation.folder) && !FileExists(installation.link) &&
                       !KeyExists(installation.root, UninstallKey);
            },
            UninstallLimit);
        std::cout << "uninstalled in " << Milliseconds(started) << " ms\n";
        EXPECT_FALSE(FolderExists(installation.folder)) << "the installation folder is still there";
        EXPECT_FALSE(FileExists(installation.link)) << "the Start-menu link is still there";
        EXPECT_FALSE(KeyExists(installation.root, UninstallKey)) << "the uninstall entry is still there";
    }
};

// The installed program opens its help file with F1's command; without the file it says so in a message
// box of its own; closed, it ends with its usual exit code. A silent install while it runs fails.
void ExpectProgramFindsItsHelp(const std::wstring& folder)
{
    const auto started = std::chrono::steady_clock::now();
    Process program(Quoted(folder + L"\\norvatessa.exe"), folder);
    ASSERT_TRUE(program.Started()) << "the installed program does not start";
    const auto mainWindows = [&] {
        return TopLevelWindows(program.Id(), [](HWND window) {
            return ClassName(window) == MainWindowClass && WindowText(window) == ProductName;
        });
    };
    HWND mainWindow = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::vector<HWND> found = mainWindows();
            mainWindow = found.empty() ? nullptr : found.front();
            return mainWindow != nullptr;
        },
        WindowLimit))
        << "no main window";
    std::cout << "main window after " << Milliseconds(started) << " ms\n";

    const std::optional<DWORD> blocked = RunToEnd(SetupCommand(L"/S"), RunLimit);
    EXPECT_TRUE(blocked && *blocked != 0) << "a silent install over the running program reported success";
    EXPECT_FALSE(program.WaitForExit(0ms)) << "the program ended during the refused install";

    const auto dialogs = [&] {
        return TopLevelWindows(program.Id(), [](HWND window) { return ClassName(window) == DialogClass; });
    };
    const auto missingHelpBoxes = [&] {
        std::vector<HWND> boxes;
        for (const HWND dialog : dialogs())
        {
            if (MessageBoxText(dialog) == MissingHelpText)
                boxes.push_back(dialog);
        }
        return boxes;
    };

    // With the help file: the viewer comes up, and no message box.
    ASSERT_TRUE(::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(HelpCommand, 0), 0));
    ASSERT_TRUE(WaitFor([] { return !HelpViewers().empty(); }, WindowLimit)) << "no help viewer";
    EXPECT_FALSE(WaitFor([&] { return !missingHelpBoxes().empty(); }, 1s))
        << "the program says its help file is missing, although it is there";
    for (const HWND viewer : HelpViewers())
        EXPECT_TRUE(EndProcessOf(viewer)) << "the help viewer cannot be ended";
    ASSERT_TRUE(WaitFor([] { return HelpViewers().empty(); }, 10s));

    // Without it: exactly one message box, the one that says so, and no viewer.
    ASSERT_TRUE(::DeleteFileW((folder + L"\\norvatessa.chm").c_str()));
    ASSERT_TRUE(::PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(HelpCommand, 0), 0));
    std::vector<HWND> shown;
    ASSERT_TRUE(WaitFor(
        [&] {
            shown = dialogs();
            return !shown.empty();
        },
        WindowLimit))
        << "the program says nothing about the missing help file";
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(WindowText(shown.front()), MissingHelpCaption);
    EXPECT_EQ(MessageBoxText(shown.front()), MissingHelpText);
    EXPECT_TRUE(HelpViewers().empty()) << "a help viewer started without a help file";
    ASSERT_TRUE(::PostMessageW(shown.front(), WM_COMMAND, IDOK, 0));
    ASSERT_TRUE(WaitFor([&] { return dialogs().empty(); }, 10s)) << "the message box does not close";

    const auto closing = std::chrono::steady_clock::now();
    ASSERT_TRUE(::PostMessageW(mainWindow, WM_CLOSE, 0, 0));
    ASSERT_TRUE(program.WaitForExit(CloseLimit)) << "the program did not end within a few seconds";
    std::cout << "program ended " << Milliseconds(closing) << " ms after WM_CLOSE\n";
    EXPECT_EQ(program.ExitCode(), std::optional<DWORD>(ClosedExitCode));
}

TEST_F(Installer, ForTheUserTheProgramFindsItsHelpAndUninstallLeavesNothing)
{
    const Installation installation = ForTheUser();
    ASSERT_FALSE(installation.folder.empty() || installation.link.empty()) << "no user folders";
    ASSERT_TRUE(firewall.Installed()) << "the firewall stand-in is not in place";
    ASSERT_NO_FATAL_FAILURE(Install(L"/S"));
    // Without administrator rights there is no rule to add: the finish page and the help say so.
    EXPECT_EQ(firewall.TakeRequests(), std::vector<std::wstring>{}) << "the install asked the firewall";
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(installation));
    ASSERT_NO_FATAL_FAILURE(ExpectProgramFindsItsHelp(installation.folder));
    UninstallAndExpectGone(installation);
    EXPECT_EQ(firewall.TakeRequests(), std::vector<std::wstring>{}) << "the uninstall asked the firewall";
}

TEST_F(Installer, ForAllUsersIntoAGivenFolderUsesTheMachineEntriesAndUninstallLeavesNothing)
{
    const Installation installation = ForAllUsers();
    ASSERT_FALSE(installation.link.empty()) << "no common Start-menu folder";
    ASSERT_TRUE(firewall.Installed()) << "the firewall stand-in is not in place";
    ASSERT_NO_FATAL_FAILURE(Install(L"/S /AllUsers /D=" + installation.folder));
    EXPECT_EQ(firewall.TakeRequests(), FirewallRulesAdded(installation.folder));
    ASSERT_NO_FATAL_FAILURE(ExpectInstalled(installation));
    UninstallAndExpectGone(installation);
    EXPECT_EQ(firewall.TakeRequests(), FirewallRulesRemoved(installation.folder));
}

} // namespace
} // namespace OM::Norvatessa::PackageTesting
