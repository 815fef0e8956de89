// A whole site in one console command against the loop of single commands it replaces, against the
// simulator (bench/run site starts everything). For each answer delay of the simulated controllers (0 and
// 100 ms per HTTP request), on a site of N controllers that ask for credentials, as real ones do (the
// program is given them through the environment):
//
//   1. "get --all --format csv" and "backup --all DIR", each once, timed from start to exit, with the
//      requests each controller was sent; and the requests of a change ("set" on the sample);
//   2. the loop: a sample of single "get ADDRESS" and "backup ADDRESS FILE" (each with its own search),
//      scaled to the whole site;
//   3. the parts of the goal: the search alone ("discover"), a single read without a search
//      ("get ADDRESS:80") summed over the site, and the cost of starting the program ("--help").
//
// The goal is the whole site within the search time plus 1.5 times the sum of single reads.
//
//   site_benchmark.exe [CONTROLLERS] [SAMPLE] [DELAY_MS...]     (1000 10 0 100)
#include "common/AddressText.h"
#include "helpers/ExecutablePath.h"
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"
#include "tests/support/ProcessStart.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

using namespace OM::Norvatessa;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr std::uint32_t FirstAddress = 0x7F000002;
// The credentials every controller of the site asks for.
constexpr char SiteCredentials[] = "admin=boss:secret flag=2";
constexpr wchar_t SiteLogin[] = L"boss";
constexpr wchar_t SitePassword[] = L"secret";

struct Run
{
    double seconds = 0;
    DWORD exitCode = STILL_ACTIVE;
};

std::wstring ProgramPath()
{
    std::wstring path = NORVATESSA_CLI;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Runs the console program with its output thrown away, as a script that only wants the exit code does.
Run RunCli(const std::wstring& arguments)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const OM::Helpers::UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                                          OPEN_EXISTING, 0, nullptr));
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = nul.get();
    startup.hStdError = nul.get();
    PROCESS_INFORMATION started{};
    Run run;
    const Clock::time_point start = Clock::now();
    if (const DWORD error = OM::Norvatessa::Testing::StartProcess(ProgramPath().c_str(), commandLine, true,
                                                                  nullptr, startup, started);
        error != ERROR_SUCCESS)
    {
        std::fprintf(stderr, "site_benchmark: cannot start the console program: error %lu\n", error);
        return run;
    }
    const OM::Helpers::UniqueHandle process(started.hProcess);
    const OM::Helpers::UniqueHandle thread(started.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    ::GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

// The HTTP requests the simulated site has received since its reset.
long RequestsSoFar(Testing::SimulatorClient& simulator)
{
    const std::string stats = simulator.Command("stats");
    const std::size_t at = stats.find(" http=");
    return at == std::string::npos ? 0 : std::stol(stats.substr(at + 6));
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A folder beside the benchmark for the backups, emptied and removed again.
class BackupFolder
{
public:
    BackupFolder()
    {
        const std::wstring program = OM::Helpers::ExecutablePath();
        path = program.substr(0, program.find_last_of(L'\\') + 1) + L"site-backup-" +
               std::to_wstring(::GetCurrentProcessId());
        // Wine gives process ids again: a run that was stopped mid-backup leaves its files under this name,
        // and a backup refuses to read a controller over a file already there.
        Empty();
    }
    ~BackupFolder() { Empty(true); }
    BackupFolder(const BackupFolder&) = delete;
    BackupFolder& operator=(const BackupFolder&) = delete;

    void Empty(bool remove = false)
    {
        WIN32_FIND_DATAW entry{};
        const HANDLE search = ::FindFirstFileW((path + L"\\*.xml").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
                ::DeleteFileW((path + L"\\" + entry.cFileName).c_str());
            while (::FindNextFileW(search, &entry));
            ::FindClose(search);
        }
        if (remove)
            ::RemoveDirectoryW(path.c_str());
    }

    std::wstring path;
};

struct Sample
{
    double median = 0; // seconds of one command
    int failed = 0;
};

// The same command on `sample` controllers spread over the site.
template <typename Arguments>
Sample SampleOf(int controllers, int sample, Arguments arguments)
{
    std::vector<double> seconds;
    Sample result;
    for (int index = 0; index < sample; ++index)
    {
        const std::uint32_t address = FirstAddress + static_cast<std::uint32_t>(index * controllers / sample);
        const Run run = RunCli(arguments(AddressText(address)));
        seconds.push_back(run.seconds);
        result.failed += run.exitCode == 0 ? 0 : 1;
    }
    result.median = Median(seconds);
    return result;
}

void Site(Testing::SimulatorClient& simulator, int controllers, int sample, int delayMs)
{
    simulator.Command("reset");
    // The site of one network: its addresses skip the .0 and .255 of each third byte.
    const std::string added =
        simulator.Command("add count=" + std::to_string(controllers) +
                          " answer-delay=" + std::to_string(delayMs) + " " + SiteCredentials);
    std::printf("-- %d controllers asking for credentials, answer delay %d ms per request (%s)\n",
                controllers, delayMs, added.c_str());
    BackupFolder folder;

    // Requests a controller of the site was sent by a command on `count` of them.
    const auto perController = [&simulator](long before, int count) {
        return static_cast<double>(RequestsSoFar(simulator) - before) / count;
    };
    const Run search = RunCli(L"discover --format csv");
    long before = RequestsSoFar(simulator);
    const Run inventory = RunCli(L"get --all --format csv");
    const double inventoryRequests = perController(before, controllers);
    before = RequestsSoFar(simulator);
    const Run backup = RunCli(L"backup --all \"" + folder.path + L"\"");
    const double backupRequests = perController(before, controllers);
    folder.Empty();
    const int changes = std::min(sample, controllers);
    std::wstring changed = L"set";
    for (int index = 0; index < changes; ++index)
        changed +=
            L" " + AddressText(FirstAddress + static_cast<std::uint32_t>(index * controllers / changes));
    before = RequestsSoFar(simulator);
    const Run change = RunCli(changed + L" sensor1=analog");
    const double changeRequests = perController(before, changes);
    const Sample start = SampleOf(1, sample, [](const std::wstring&) { return std::wstring(L"--help"); });
    const Sample read =
        SampleOf(controllers, sample, [](const std::wstring& address) { return L"get " + address + L":80"; });
    const Sample singleGet =
        SampleOf(controllers, sample, [](const std::wstring& address) { return L"get " + address; });
    const Sample singleBackup = SampleOf(controllers, sample, [&](const std::wstring& address) {
        return L"backup " + address + L" \"" + folder.path + L"\\" + address + L".xml\"";
    });

    // A single read is the command a script runs for it: "get ADDRESS:80", with the program's start. The
    // start alone is printed too; under a fast controller it is most of a single read.
    const double reads = controllers * read.median;
    const double goal = search.seconds + 1.5 * reads;
    std::printf("search alone (discover)            %8.2f s  exit %lu\n", search.seconds, search.exitCode);
    std::printf("program start (--help)             %8.3f s\n", start.median);
    std::printf("single read without search         %8.3f s  (%d failed); x %d = %.2f s\n", read.median,
                read.failed, controllers, reads);
    std::printf("goal: search + 1.5 x single reads  %8.2f s\n", goal);
    const auto report = [&](const char* what, const Run& site, const Sample& single) {
        const double loop = single.median * controllers;
        std::printf("%-34s %8.2f s  exit %lu, %.1f ms a controller after the search; loop of singles %.3f s "
                    "x %d = %.1f s (%d of %d failed); loop / site %.1f; site / goal %.2f%s\n",
                    what, site.seconds, site.exitCode, 1000 * (site.seconds - search.seconds) / controllers,
                    single.median, controllers, loop, single.failed, sample,
                    site.seconds > 0 ? loop / site.seconds : 0, goal > 0 ? site.seconds / goal : 0,
                    site.seconds <= goal ? " (within the goal)" : " (OVER the goal)");
    };
    report("get --all --format csv", inventory, singleGet);
    report("backup --all DIR", backup, singleBackup);
    std::printf(
        "requests a controller: get --all %.2f, backup --all %.2f, set on %d controllers %.2f (exit %lu)\n",
        inventoryRequests, backupRequests, changes, changeRequests, change.exitCode);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "site_benchmark: %s\n", error.c_str());
        return 1;
    }
    // The console program's children answer every demand for credentials with these.
    ::SetEnvironmentVariableW(L"NORVATESSA_USER", SiteLogin);
    ::SetEnvironmentVariableW(L"NORVATESSA_PASSWORD", SitePassword);
    const int controllers = argc > 1 ? std::max(1, _wtoi(argv[1])) : 1000;
    const int sample = argc > 2 ? std::max(1, _wtoi(argv[2])) : 10;
    std::vector<int> delays;
    for (int index = 3; index < argc; ++index)
        delays.push_back(_wtoi(argv[index]));
    if (delays.empty())
        delays = {0, 100};
    for (const int delay : delays)
        Site(simulator, controllers, sample, delay);
    simulator.Command("reset");
    return 0;
}
