// The real window program, started as a user starts it, in the test namespace against a simulated site,
// and read from outside: what the list, the status bar, the dialogs and the message boxes show.
#include "app/BatchPassword.h"
#include "common/AnsiText.h"
#include "res/resource.h"
#include "tests/device/TestCredentialStore.h"
#include "tests/e2e/ProgramDriver.h"
#include "tests/engine/ControllerSite.h"
#include "xml/DeviceProperties.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <cstdlib>
#include <fstream>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace
{

using Row = std::vector<std::wstring>;

// The system's credentials dialog is known by its two edits.
constexpr int CredentialsLoginEdit = 1027;
constexpr int CredentialsPasswordEdit = 1028;

class ProgramTest : public ControllerSiteTest
{
protected:
    // Starts the program; with a search time, writes it into the settings file first.
    void Launch(int searchTimeoutMs = 800)
    {
        WriteSettings(searchTimeoutMs);
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(ProgramDriver::Until([&] { return program.MainWindow() != nullptr; }));
    }

    void WriteSettings(int searchTimeoutMs)
    {
        const std::wstring text =
            L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\r\n<config searchTimeout=\"" +
            std::to_wstring(searchTimeoutMs) + L"\" udpRecvPort=\"30303\" udpSendPort=\"2860\" />\r\n";
        std::ofstream file(program.PathOf(L"norvatessa.config").c_str(), std::ios::binary);
        file.write("\xFF\xFE", 2);
        for (const wchar_t character : text)
        {
            const char bytes[2] = {static_cast<char>(character & 0xFF), static_cast<char>(character >> 8)};
            file.write(bytes, 2);
        }
    }

    // Waits for a search to have filled the list with `rows` rows.
    bool ListShows(int rows, DWORD timeoutMs = 20000) { return ListShows(program, rows, timeoutMs); }
    static bool ListShows(ProgramDriver& shown, int rows, DWORD timeoutMs = 20000)
    {
        return ProgramDriver::Until(
            [&] {
                return shown.RowCount() == rows &&
                       shown.Status() == (rows == 0 ? L"Контроллеры не найдены" : L"Готово") &&
                       ::IsWindowEnabled(shown.List());
            },
            timeoutMs);
    }

    // Opens the selected controller with F2 and waits for its settings sheet.
    HWND OpenSheet()
    {
        program.Key(VK_F2);
        HWND sheet = nullptr;
        ProgramDriver::Until(
            [&] { return (sheet = program.DialogTitled(L"Настройки контроллера")) != nullptr; });
        return sheet;
    }

    static HWND Page(HWND sheet, int index)
    {
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
    }

    static void Type(HWND page, int id, const wchar_t* text)
    {
        ::SendMessageW(::GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    // Closes the program as the user does, and checks that it ends normally.
    void Close() { Close(program); }
    static void Close(ProgramDriver& closed)
    {
        ::PostMessageW(closed.MainWindow(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(closed.WaitForExit(15000));
        EXPECT_EQ(closed.ExitCode(), 1u);
    }

    ProgramDriver program{WindowsPath(NORVATESSA_PROGRAM)};
};

} // namespace

TEST_F(ProgramTest, ListsTheSiteFindsItAgainAndClosesWithTheSettingsBesideIt)
{
    Add("count=11 name=Склад%20№{n} spread=300");
    Add("name= port=8080");
    Launch();
    ASSERT_TRUE(ListShows(12)) << program.RowCount();
    const auto rows = program.Rows();
    EXPECT_EQ(rows.front(), (Row{L"Склад №1", L"127.0.0.2", L"80"}));
    EXPECT_EQ(rows[10], (Row{L"Склад №11", L"127.0.0.12", L"80"}));
    EXPECT_EQ(rows.back(), (Row{L"Старая прошивка", L"127.0.0.13", L"8080"}));

    // "Новый поиск" finds the site as it is now.
    ASSERT_EQ(simulator.Command("reset"), "ok");
    Add("name=Пост%20охраны");
    program.Command(ID_NEW_SEARCH);
    ASSERT_TRUE(ListShows(1));
    EXPECT_EQ(program.Rows().front(), (Row{L"Пост охраны", L"127.0.0.2", L"80"}));

    // The search time set for this run, and the defaults for the rest, are written back beside it.
    Close();
    std::ifstream file(program.PathOf(L"norvatessa.config").c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find(std::string("8\0000\0000\0", 6)), std::string::npos) << "searchTimeout 800 is gone";
}

TEST_F(ProgramTest, ClosingDuringASearchIsPromptAndEndsNormally)
{
    Add("");
    Launch(30000);
    // The count of the controllers found so far follows the words once the first one answers.
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return program.Status().rfind(L"Поиск контроллеров...", 0) == 0; }));
    const ULONGLONG closed = ::GetTickCount64();
    Close();
    EXPECT_LT(::GetTickCount64() - closed, 3000u);
}

TEST_F(ProgramTest, F2AndADoubleClickReadTheSelectedControllerBehindAWaitDialog)
{
    Add("name=Первый");
    Add("name=Второй http=drip drip=3");
    Launch();
    ASSERT_TRUE(ListShows(2));
    program.Select(1);

    // The slow controller keeps the wait dialog up long enough to be seen.
    program.Key(VK_F2);
    HWND wait = nullptr;
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return (wait = program.DialogWith(IDC_WAIT_DETAIL)) != nullptr; }));
    EXPECT_EQ(ProgramDriver::Text(wait, IDC_WAIT_MESSAGE), L"Ожидание ответа контроллера");
    HWND sheet = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (sheet = program.DialogTitled(L"Настройки контроллера")) != nullptr; }));
    EXPECT_EQ(program.DialogWith(IDC_WAIT_DETAIL), nullptr) << "the wait dialog stayed";
    EXPECT_EQ(ProgramDriver::Text(Page(sheet, 0), IDC_SERVER_NAME), L"Второй");
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(sheet); }));

    // A fast controller's first opening: the sheet comes once the wait dialog has ended, owned by the main
    // window, which stays disabled under it so that no second double click can open another sheet.
    program.Select(0);
    program.DoubleClickList();
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (sheet = program.DialogTitled(L"Настройки контроллера")) != nullptr; }));
    EXPECT_EQ(ProgramDriver::Text(Page(sheet, 0), IDC_SERVER_NAME), L"Первый");
    EXPECT_EQ(::GetWindow(sheet, GW_OWNER), program.MainWindow());
    ::Sleep(500);
    EXPECT_EQ(program.DialogWith(IDC_WAIT_DETAIL), nullptr);
    EXPECT_FALSE(::IsWindowEnabled(program.MainWindow()));
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(sheet); }));
    EXPECT_TRUE(Requests("POST").empty()) << "Cancel sent something";
    Close();
}

// The controller asks for a password at once, often before the wait dialog exists.
TEST_F(ProgramTest, CredentialsDialogLocksCancelAndClosingCancelsItPromptly)
{
    Add("flag=2");
    Launch();
    ASSERT_TRUE(ListShows(1));
    program.Key(VK_F2);
    HWND credentials = nullptr;
    ASSERT_TRUE(ProgramDriver::Until([&] {
        credentials = program.DialogWith(CredentialsLoginEdit);
        return credentials != nullptr && ::GetDlgItem(credentials, CredentialsPasswordEdit) != nullptr;
    }));
    HWND wait = nullptr;
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return (wait = program.DialogWith(IDC_WAIT_DETAIL)) != nullptr; }));
    EXPECT_TRUE(ProgramDriver::Until([&] { return !::IsWindowEnabled(::GetDlgItem(wait, IDCANCEL)); }, 3000))
        << "«Отмена» is usable under the credentials dialog";

    // Closing cancels the credentials dialog rather than wait the 10 s for the worker that it holds. On the
    // test display each window that goes stalls about 2 s, and three go here.
    const ULONGLONG closed = ::GetTickCount64();
    Close();
    EXPECT_LT(::GetTickCount64() - closed, 9000u);
}

// Credentials remembered on this computer open their controller without any dialog, on its first request;
// "Забыть сохранённые пароли" asks, then removes the program's entries and says how many. The entries
// are the program's own, in the test's Wine prefix, and none is left behind.
TEST_F(ProgramTest, RememberedCredentialsOpenTheirControllerWithoutADialogUntilForgotten)
{
    const TestCredentialStore remembered(RememberedPasswordsPrefix);
    const std::uint32_t controller = Add("flag=2 admin=boss:secret name=Охрана");
    ASSERT_EQ(remembered.Remember(controller, Credentials{L"boss", L"secret"}), DWORD(ERROR_SUCCESS));
    Launch();
    ASSERT_TRUE(ListShows(1));
    program.Select(0);
    const HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(program.DialogWith(CredentialsLoginEdit), nullptr);
    EXPECT_EQ(ProgramDriver::Text(Page(sheet, 0), IDC_SERVER_NAME), L"Охрана");
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(sheet); }));
    const std::vector<HttpRecord> requests = Requests();
    ASSERT_FALSE(requests.empty());
    for (const HttpRecord& request : requests)
    {
        EXPECT_EQ(request.status, "200") << request.target;
        EXPECT_TRUE(request.HasHeader("Authorization: Basic Ym9zczpzZWNyZXQ=")) << request.target;
    }

    remembered.Remember(controller + 1, Credentials{L"boss", L"other"});
    program.Command(ID_FORGET_PASSWORDS);
    HWND question = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (question = program.DialogTitled(L"Norvatessa настройка")) != nullptr; }));
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(ProgramDriver::Until([&] {
        return ProgramDriver::Text(program.LogPane()).find(L"Удалено сохранённых паролей: 2.") !=
               std::wstring::npos;
    })) << ProgramDriver::Text(program.LogPane());
    EXPECT_FALSE(remembered.Find(controller));
    Close();
}

TEST_F(ProgramTest, ControllersThatStallOrFailEndWithWordsNotAStuckDialog)
{
    Add("http=stall");
    Add("http=500");
    Launch();
    ASSERT_TRUE(ListShows(2));
    const std::pair<int, const wchar_t*> cases[] = {{0, L"Контроллер 127.0.0.2, Авторизация:"},
                                                    {1, L"Код ответа HTTP: 500"}};
    for (const auto& [row, words] : cases)
    {
        program.Select(row);
        program.Key(VK_F2);
        HWND box = nullptr;
        ASSERT_TRUE(
            ProgramDriver::Until([&] { return (box = program.DialogTitled(L"Ошибка")) != nullptr; }, 30000));
        EXPECT_THAT(ProgramDriver::Text(box, 0xFFFF), HasSubstr(words));
        EXPECT_EQ(program.DialogWith(IDC_WAIT_DETAIL), nullptr);
        EXPECT_EQ(program.Status(), L"Готово");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(box); }));
    }
    Close();
}

TEST_F(ProgramTest, SheetSendsExactlyWhatTheUserSawAndTheRowFollows)
{
    const std::uint32_t controller = Add("name=Склад mac=00-1A-2B-3C-4D-5E sentype=5 seninv=2 flag=1");
    Launch();
    ASSERT_TRUE(ListShows(1));
    const std::map<std::string, std::string> before = Show(controller);

    // A refused value keeps the sheet open and sends nothing.
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    Type(Page(sheet, 0), IDC_PORT, L"70000");
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ::Sleep(500);
    EXPECT_TRUE(::IsWindow(sheet) && ::IsWindowVisible(sheet));
    EXPECT_TRUE(Requests("POST").empty());

    // Name and port: one POST with every value, the new ones among them.
    HWND network = Page(sheet, 0);
    Type(network, IDC_SERVER_NAME, L"Склад №7");
    Type(network, IDC_PORT, L"8081");
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return program.Cell(0, 2) == L"8081"; }));
    EXPECT_EQ(program.Rows().front(), (Row{L"Склад №7", L"127.0.0.2", L"8081"}));
    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), 1u);
    OM::Xml::DeviceProperties expected;
    ASSERT_TRUE(OM::Xml::readDeviceProperties(FromCodePage(1251, posts[0].body), expected));
    EXPECT_EQ(expected.name, L"Склад №7");
    EXPECT_EQ(expected.tcpPort, 8081);
    EXPECT_EQ(expected.mac, (std::array<std::uint8_t, 6>{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));
    EXPECT_EQ(expected.sensorType, (std::array<std::uint8_t, 8>{1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(expected.buzzer);
    // The body is the document the program writes for that record, byte for byte.
    EXPECT_EQ(posts[0].body, *ToThreadAnsi(OM::Xml::writeDeviceProperties(expected)));
    EXPECT_EQ(Show(controller)["name"], "Склад №7");
    EXPECT_EQ(Show(controller)["mask"], before.at("mask"));

    // A new address: the row follows the controller.
    sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    ::SendDlgItemMessageW(Page(sheet, 0), IDC_IP_ADDRESS, IPM_SETADDRESS, 0, 0x7F000A0A);
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return program.Cell(0, 1) == L"127.0.10.10"; }));
    EXPECT_EQ(program.Rows().front(), (Row{L"Склад №7", L"127.0.10.10", L"8081"}));
    Close();
}

TEST_F(ProgramTest, AboutBoxAndMissingHelpFile)
{
    Launch();
    ASSERT_TRUE(ListShows(0));
    // From the menu and the toolbar; closed with OK, Esc and the close box.
    const std::function<void(HWND)> closers[] = {
        [](HWND box) { ::PostMessageW(box, WM_COMMAND, IDOK, 0); },
        [](HWND box) { ::PostMessageW(::GetDlgItem(box, IDOK), WM_KEYDOWN, VK_ESCAPE, 1); },
        [](HWND box) { ::PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    int opened = 0;
    for (const auto& close : closers)
    {
        if (opened++ % 2 == 0)
            program.Command(ID_ABOUT);
        else
            program.ClickToolBarButton(ID_ABOUT);
        HWND about = nullptr;
        ASSERT_TRUE(
            ProgramDriver::Until([&] { return (about = program.DialogTitled(L"О программе")) != nullptr; }));
        EXPECT_THAT(ProgramDriver::Text(about, IDC_ABOUT_VERSION), HasSubstr(L"Версия "));
        close(about);
        EXPECT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(about); }, 5000));
    }

    // No help file beside this copy of the program: F1 and the menu item both say so.
    for (const bool byKey : {true, false})
    {
        if (byKey)
            program.Key(VK_F1);
        else
            program.Command(ID_HELP_FILE);
        HWND box = nullptr;
        ASSERT_TRUE(ProgramDriver::Until([&] { return (box = program.DialogTitled(L"Ошибка")) != nullptr; }));
        EXPECT_EQ(ProgramDriver::Text(box, 0xFFFF), L"Файл справки не найден.");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(ProgramDriver::Until([&] { return !::IsWindow(box); }));
    }
    Close();
}

namespace
{

// The file name box of the system's save and open dialogs: a combo box with an edit inside.
constexpr int FileNameBox = 1148;

// Waits for the program's file dialog, names the file in it and presses its OK button, as a user would.
bool ChooseFile(ProgramDriver& program, const std::wstring& path)
{
    HWND dialog = nullptr;
    if (!ProgramDriver::Until([&] { return (dialog = program.DialogWith(FileNameBox)) != nullptr; }))
        return false;
    ::SendDlgItemMessageW(dialog, FileNameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return ProgramDriver::Until([&] { return !::IsWindow(dialog); });
}

} // namespace

// A controller's settings saved to a file come back from it after the controller was changed: the sheet
// shows the file's values, and OK writes them.
TEST_F(ProgramTest, SettingsSavedToAFileAreWrittenBackFromItAfterTheSheetConfirms)
{
    const std::uint32_t controller = Add("name=Склад mac=00-1A-2B-3C-4D-5E sentype=5 seninv=2 flag=1");
    Launch();
    ASSERT_TRUE(ListShows(1));
    const std::map<std::string, std::string> saved = Show(controller);
    const std::wstring file = program.PathOf(L"склад до работ.xml");

    program.Command(ID_SAVE_SETTINGS);
    ASSERT_TRUE(ChooseFile(program, file));
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES; }));
    EXPECT_EQ(::GetFileAttributesW((file + L".part").c_str()), INVALID_FILE_ATTRIBUTES);

    Set(controller, "name=Ворота sentype=0 seninv=255 flag=0");
    ASSERT_EQ(Show(controller)["name"], "Ворота");
    const std::size_t postsBefore = Requests("POST").size();
    program.Command(ID_LOAD_SETTINGS);
    ASSERT_TRUE(ChooseFile(program, file));
    HWND sheet = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (sheet = program.DialogTitled(L"Настройки контроллера")) != nullptr; }));
    // Nothing is written before the user has seen the file's values and pressed OK.
    EXPECT_EQ(ProgramDriver::Text(Page(sheet, 0), IDC_SERVER_NAME), L"Склад");
    EXPECT_EQ(Requests("POST").size(), postsBefore);
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    ASSERT_TRUE(ProgramDriver::Until([&] { return Requests("POST").size() == postsBefore + 1; }));
    ASSERT_TRUE(ProgramDriver::Until([&] { return program.Cell(0, 0) == L"Склад"; }));
    EXPECT_EQ(Show(controller), saved);
    Close();
}

namespace
{

// Waits for the program's site folder dialog with this caption, types the folder in it and presses OK.
bool ChooseSiteFolder(ProgramDriver& program, const wchar_t* caption, const std::wstring& folder)
{
    HWND dialog = nullptr;
    if (!ProgramDriver::Until([&] {
            dialog = program.DialogTitled(caption);
            return dialog != nullptr && ::GetDlgItem(dialog, IDC_SITE_FOLDER) != nullptr;
        }))
        return false;
    ::SendDlgItemMessageW(dialog, IDC_SITE_FOLDER, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return ProgramDriver::Until([&] { return !::IsWindow(dialog); });
}

// Waits for the batch window to sum its batch up with this line.
bool BatchSays(ProgramDriver& program, const std::wstring& summary)
{
    return ProgramDriver::Until(
        [&] {
            const HWND window = program.DialogWith(IDC_BATCH_SUMMARY);
            return window != nullptr && ProgramDriver::Text(window, IDC_BATCH_SUMMARY) == summary;
        },
        30000);
}

} // namespace

// A site backed up from the menu into a new folder, then changed, is put back from that folder: the
// preview ticks the controllers whose files change something, and only those are written.
TEST_F(ProgramTest, SiteBackedUpToAFolderIsPutBackFromItAfterThePreview)
{
    const std::uint32_t first = Add("count=3 name=Склад sentype=5 admin=boss:secret");
    const std::uint32_t second = first + 1;
    Launch();
    ASSERT_TRUE(ListShows(3));
    const std::map<std::string, std::string> firstSaved = Show(first);
    const std::map<std::string, std::string> secondSaved = Show(second);
    const std::wstring folder = program.PathOf(L"объект\\до работ");

    program.Command(ID_SELECT_ALL);
    program.Command(ID_BACKUP_SELECTED);
    ASSERT_TRUE(ChooseSiteFolder(program, L"Сохранение настроек в папку", folder));
    ASSERT_TRUE(BatchSays(program, L"Готово: 3 из 3"));
    for (const wchar_t* file : {L"\\127.0.0.2.xml", L"\\127.0.0.3.xml", L"\\127.0.0.4.xml"})
        EXPECT_NE(::GetFileAttributesW((folder + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;

    Set(first, "name=Ворота sentype=0 admin=boss:other");
    Set(second, "flag=1");
    const std::size_t postsBefore = Requests("POST").size();
    program.Command(ID_RESTORE_FOLDER);
    ASSERT_TRUE(ChooseSiteFolder(program, L"Восстановление из папки", folder));
    HWND preview = nullptr;
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return (preview = program.DialogWith(IDC_RESTORE_LIST)) != nullptr; }));
    // Nothing is written before the user has seen what changes.
    EXPECT_EQ(Requests("POST").size(), postsBefore);
    const HWND list = ::GetDlgItem(preview, IDC_RESTORE_LIST);
    const auto ticked = [list](int row) {
        return (::SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) ==
               INDEXTOSTATEIMAGEMASK(2);
    };
    EXPECT_TRUE(ticked(0));
    EXPECT_TRUE(ticked(1));
    EXPECT_FALSE(ticked(2));
    ::PostMessageW(preview, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(BatchSays(program, L"Готово: 2 из 2"));
    EXPECT_EQ(Requests("POST").size(), postsBefore + 2);
    EXPECT_EQ(Show(first), firstSaved);
    EXPECT_EQ(Show(second), secondSaved);
    Close();
}

namespace
{

// A folder of the test's own as the programs' %LOCALAPPDATA% while it lives; the test's own value after.
class LocalAppData
{
public:
    LocalAppData()
    {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        folder = std::wstring(base) + L"norvatessa-e2e-профиль-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        wchar_t value[MAX_PATH] = {};
        ::GetEnvironmentVariableW(L"LOCALAPPDATA", value, MAX_PATH);
        before = value;
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
    }
    ~LocalAppData()
    {
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", before.c_str());
        ::DeleteFileW(Copy().c_str());
        ::RemoveDirectoryW((folder + L"\\Norvatessa").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    LocalAppData(const LocalAppData&) = delete;
    LocalAppData& operator=(const LocalAppData&) = delete;

    // Where the program keeps the user's copy of its settings.
    std::wstring Copy() const { return folder + L"\\Norvatessa\\norvatessa.config"; }

private:
    std::wstring folder;
    std::wstring before;
};

std::string FileBytes(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

int Occurrences(const std::wstring& text, const std::wstring& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// "Добавить по адресу..." as the user fills it in: the address, the port as it stands (80), OK.
void AddByAddress(ProgramDriver& program, std::uint32_t address)
{
    program.Command(ID_ADD_CONTROLLER);
    HWND dialog = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (dialog = program.DialogTitled(L"Добавить по адресу")) != nullptr; }));
    ::SendDlgItemMessageW(dialog, IDC_ADD_ADDRESS, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

} // namespace

// Installed for all users, the program lives in a folder that its user may not write. CTest runs this
// test alone with the folder mounted read-only where Wine writes files (testenv run --read-only); its
// settings file is the administrator's, and names a controller of its own.
TEST_F(ProgramTest, AddressesAddedWhereTheFolderIsReadOnlyAreKeptInTheUsersCopy)
{
    const char* installed = std::getenv("NORVATESSA_READ_ONLY_PROGRAM");
    if (installed == nullptr)
        GTEST_SKIP() << "runs as e2e_program_tests.read_only";
    ProgramDriver readOnly(ProgramDriver::InPlace{}, WindowsPath(installed));
    const std::wstring beside = readOnly.PathOf(L"norvatessa.config");
    ASSERT_FALSE(
        OM::Helpers::UniqueFileHandle(::CreateFileW(readOnly.PathOf(L"проба").c_str(), GENERIC_WRITE, 0,
                                                    nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr)))
        << "the program's folder can be written";
    const std::string administrators = FileBytes(beside);
    const LocalAppData user;
    // None of them answers a search, as behind a router; the last is the administrator's.
    const std::uint32_t first = Add("loss=100 name=Первый");
    const std::uint32_t second = Add("loss=100 name=Второй");
    ASSERT_EQ(Add("loss=100 name=Администратора"), 0x7F000004u);

    ASSERT_TRUE(readOnly.Start());
    ASSERT_TRUE(ListShows(readOnly, 1));
    AddByAddress(readOnly, first);
    ASSERT_TRUE(ListShows(readOnly, 2));
    AddByAddress(readOnly, second);
    ASSERT_TRUE(ListShows(readOnly, 3));
    // Each address was saved as it was added; a search started after that logs after what the saves said.
    readOnly.Command(ID_NEW_SEARCH);
    std::wstring log;
    ASSERT_TRUE(ProgramDriver::Until([&] {
        log = ProgramDriver::Text(readOnly.LogPane());
        return Occurrences(log, L"Поиск контроллеров...\r\n") == 2;
    }));
    EXPECT_EQ(
        Occurrences(log, L"Файл настроек «" + beside +
                             L"» записать нельзя; настройки сохранены для этого пользователя в файле «" +
                             user.Copy() + L"»."),
        1)
        << log;
    ASSERT_TRUE(ListShows(readOnly, 3));
    Close(readOnly);
    EXPECT_EQ(FileBytes(beside), administrators);

    // The next start reads the administrator's file, and the user's copy over it.
    ASSERT_TRUE(readOnly.Start());
    ASSERT_TRUE(ListShows(readOnly, 3));
    std::vector<std::wstring> addresses;
    for (int row = 0; row < 3; ++row)
        addresses.push_back(readOnly.Cell(row, 1));
    EXPECT_THAT(addresses, ::testing::UnorderedElementsAre(L"127.0.0.2", L"127.0.0.3", L"127.0.0.4"));
    Close(readOnly);
}

// Forty controllers, all selected, sensor 1 and the buzzer changed in one batch: the two that ask for
// credentials refuse the one password typed for the batch, and they and the one that stalls fail with
// their reasons and stay as they were; every other is changed, and only in what the sheet changed.
TEST_F(ProgramTest, ChangeSelectedChangesTheAnsweringControllersAndLeavesTheFailingOnesAsTheyWere)
{
    const std::uint32_t first = Add("count=37 sentype=4 flag=0");
    const std::uint32_t asking = Add("count=2 sentype=4 flag=2 admin=boss:secret user=boss:secret");
    const std::uint32_t stalled = Add("http=stall sentype=4 flag=0");
    Launch();
    ASSERT_TRUE(ListShows(40));
    std::map<std::uint32_t, std::map<std::string, std::string>> before;
    for (std::uint32_t address = first; address <= stalled; ++address)
        before[address] = Show(address);

    program.Command(ID_SELECT_ALL);
    program.Command(ID_CHANGE_SELECTED);
    HWND sheet = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (sheet = program.DialogTitled(L"Изменение выбранных контроллеров")) != nullptr; }));
    const HWND sensors = Page(sheet, 2);
    ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST, CB_SETCURSEL, 2, 0); // analog
    ::SendDlgItemMessageW(sensors, IDC_BEEP, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);

    HWND window = nullptr;
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return (window = program.DialogWith(IDC_BATCH_ROWS)) != nullptr; }));
    HWND password = nullptr;
    ASSERT_TRUE(ProgramDriver::Until(
        [&] { return (password = program.DialogWith(IDC_PASSWORD_LOGIN)) != nullptr; }, 30000));
    ::SetDlgItemTextW(password, IDC_PASSWORD_LOGIN, L"admin");
    ::SetDlgItemTextW(password, IDC_PASSWORD_TEXT, L"admin");
    ::PostMessageW(password, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(
        ProgramDriver::Until([&] { return !ProgramDriver::Text(window, IDC_BATCH_SUMMARY).empty(); }, 60000));
    EXPECT_THAT(ProgramDriver::Text(window, IDC_BATCH_SUMMARY), HasSubstr(L"Готово: 37 из 40"));
    EXPECT_EQ(program.DialogWith(IDC_PASSWORD_LOGIN), nullptr) << "the batch asks once";
    const HWND rows = ::GetDlgItem(window, IDC_BATCH_ROWS);
    ASSERT_EQ(program.RowCount(rows), 40);
    for (int row = 0; row < 40; ++row)
    {
        const std::wstring cell = program.Cell(row, 0, rows);
        const std::string address(cell.begin(), cell.end()); // digits and dots
        const std::wstring state = program.Cell(row, 2, rows);
        if (address == Text(stalled))
            EXPECT_THAT(state, HasSubstr(L"не ответил")) << address;
        else if (address == Text(asking) || address == Text(asking + 1))
            EXPECT_THAT(state, HasSubstr(L"не принял имя и пароль")) << address;
        else
            EXPECT_EQ(state, L"готово") << address;
    }
    EXPECT_EQ(Requests("POST").size(), 37u);
    for (std::uint32_t address = first; address <= stalled; ++address)
    {
        std::map<std::string, std::string> expected = before[address];
        if (address < asking)
        {
            expected["sentype"] = "5";
            expected["flag"] = "1";
        }
        EXPECT_EQ(Show(address), expected) << Text(address);
    }
    Close();
}
