// Many controllers at once, against the simulator (bench/run site starts everything). The simulated
// controllers ask for credentials, as real ones do, so that every refused request is paid for.
//
//   site_benchmark.exe console CONTROLLERS LANES,... DELAY_MS...
//       For each answer delay: the search alone ("discover"), the program's start ("--help"), a single
//       read without a search ("get ADDRESS:80"); then for each number of lanes "backup --all DIR" and
//       "get --all --format csv", each timed from start to exit, with the ratio to one lane, the ratio to
//       the ideal (the search time plus the single reads of the whole site divided by the lanes) and the
//       HTTP requests the simulator received per controller; and "set --all" once, for its requests.
//   site_benchmark.exe stalls CONTROLLERS DELAY_MS
//       "backup --all DIR" with the default lanes, without and with 5 % of the controllers stalling (half
//       accept and never answer, half drip their answer until the answer limit), against the allowance of
//       15 s for every lane's worth of stalled controllers.
//   site_benchmark.exe engine CONTROLLERS BATCHES
//       The device manager in this process, 64 lanes, reading the whole site BATCHES times, with 2 % of the
//       controllers accepting and never answering: per batch its time, the peak of connections established
//       to controllers (held by lanes, and waiting for the closer), and the process's handles and private
//       bytes after it, which must not grow from batch to batch.
#include "common/AddressText.h"
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "helpers/ExecutablePath.h"
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"
#include "tests/support/ProcessStart.h"

#include <iphlpapi.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Norvatessa;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr std::uint32_t FirstAddress = 0x7F000002;
// The simulator's default admin login, which a controller asking for credentials accepts.
constexpr wchar_t Login[] = L" --user admin --password admin";

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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The HTTP requests the simulator has received since its reset, from its "stats" line.
long HttpRequests(Testing::SimulatorClient& simulator)
{
    const std::string stats = simulator.Command("stats");
    const std::size_t at = stats.find(" http=");
    return at == std::string::npos ? -1 : std::atol(stats.c_str() + at + 6);
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
        // Wine reuses process ids: a run that was stopped may have left files under this name.
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

    std::wstring Quoted() const { return L" \"" + path + L"\""; }

    std::wstring path;
};

// A command on the whole site, with the requests it cost.
struct SiteRun
{
    Run run;
    double requestsPerController = 0;
};

SiteRun RunOnSite(Testing::SimulatorClient& simulator, int controllers, const std::wstring& arguments)
{
    const long before = HttpRequests(simulator);
    SiteRun site;
    site.run = RunCli(arguments);
    site.requestsPerController = static_cast<double>(HttpRequests(simulator) - before) / controllers;
    return site;
}

std::string Narrow(std::uint32_t address)
{
    const std::wstring text = AddressText(address);
    return std::string(text.begin(), text.end());
}

std::vector<int> Numbers(const std::wstring& text)
{
    std::vector<int> numbers;
    std::wistringstream words(text);
    for (std::wstring word; std::getline(words, word, L',');)
        numbers.push_back(std::max(1, _wtoi(word.c_str())));
    return numbers;
}

void AddSite(Testing::SimulatorClient& simulator, int controllers, int delayMs)
{
    simulator.Command("reset");
    // flag=2: every controller asks for the admin login.
    const std::string added = simulator.Command("add count=" + std::to_string(controllers) +
                                                " flag=2 answer-delay=" + std::to_string(delayMs));
    std::printf("-- %d controllers asking for credentials, answer delay %d ms per request (%s)\n",
                controllers, delayMs, added.c_str());
}

void Console(Testing::SimulatorClient& simulator, int controllers, const std::vector<int>& lanes, int delayMs)
{
    AddSite(simulator, controllers, delayMs);
    BackupFolder folder;
    std::vector<double> starts, reads;
    for (int index = 0; index < 5; ++index)
    {
        starts.push_back(RunCli(L"--help").seconds);
        const std::uint32_t address = FirstAddress + static_cast<std::uint32_t>(index * controllers / 5);
        reads.push_back(RunCli(L"get " + AddressText(address) + L":80" + Login).seconds);
    }
    const Run search = RunCli(L"discover --format csv");
    // A single read is what one controller costs the site: the command less the program's start.
    const double read = std::max(0.0, Median(reads) - Median(starts));
    std::printf("search alone (discover)            %8.2f s  exit %lu\n", search.seconds, search.exitCode);
    std::printf("program start (--help)             %8.3f s\n", Median(starts));
    std::printf("single read without search         %8.3f s  (less the start); x %d = %.2f s\n", read,
                controllers, read * controllers);

    const auto report = [&](const char* what, int lanesNow, const SiteRun& site, double oneLane) {
        // A lane more than there are controllers saves nothing.
        const double ideal = search.seconds + read * controllers / std::min(lanesNow, controllers);
        std::printf("%-24s %2d lanes %8.2f s  exit %lu; to one lane %5.2f; to the ideal %.2f s: %5.2f; %.2f "
                    "requests a controller\n",
                    what, lanesNow, site.run.seconds, site.run.exitCode,
                    site.run.seconds > 0 ? oneLane / site.run.seconds : 0, ideal,
                    ideal > 0 ? site.run.seconds / ideal : 0, site.requestsPerController);
    };
    double backupOne = 0, getOne = 0;
    for (const int count : lanes)
    {
        const std::wstring parallel = L" --parallel " + std::to_wstring(count) + Login;
        const SiteRun backup =
            RunOnSite(simulator, controllers, L"backup --all" + folder.Quoted() + parallel);
        folder.Empty();
        const SiteRun inventory = RunOnSite(simulator, controllers, L"get --all --format csv" + parallel);
        if (count == lanes.front())
        {
            backupOne = backup.run.seconds;
            getOne = inventory.run.seconds;
        }
        report("backup --all DIR", count, backup, backupOne);
        report("get --all --format csv", count, inventory, getOne);
    }
    const SiteRun change =
        RunOnSite(simulator, controllers, std::wstring(L"set --all sensor1=analog") + Login);
    std::printf("set --all sensor1=analog %2d lanes %8.2f s  exit %lu; %.2f requests a controller\n",
                DefaultParallelExchanges, change.run.seconds, change.run.exitCode,
                change.requestsPerController);
}

void Stalls(Testing::SimulatorClient& simulator, int controllers, int delayMs)
{
    AddSite(simulator, controllers, delayMs);
    BackupFolder folder;
    const std::wstring backup = L"backup --all" + folder.Quoted() + Login;
    const Run clean = RunCli(backup);
    folder.Empty();
    const int stalled = std::max(2, controllers / 20);
    for (int index = 0; index < stalled; ++index)
    {
        const std::uint32_t address =
            FirstAddress + static_cast<std::uint32_t>(index * controllers / stalled);
        // A byte every 100 ms holds an answer of some hundred bytes past the answer limit.
        simulator.Command("set " + Narrow(address) +
                          (index % 2 == 0 ? " http=stall" : " http=drip drip=100"));
    }
    const Run stalling = RunCli(backup);
    folder.Empty();
    const double allowed = std::ceil(static_cast<double>(stalled) / DefaultParallelExchanges) *
                           HttpExchange::AnswerTimeLimitMs / 1000.0;
    std::printf(
        "backup --all DIR, %d lanes: without stalls %.2f s (exit %lu), with %d stalling %.2f s (exit %lu): "
        "%.2f s more, allowed %.0f s%s\n",
        DefaultParallelExchanges, clean.seconds, clean.exitCode, stalled, stalling.seconds, stalling.exitCode,
        stalling.seconds - clean.seconds, allowed,
        stalling.seconds - clean.seconds <= allowed ? " (within)" : " (OVER)");
}

// Connections of this process's namespace established to a controller's HTTP port.
int ControllerConnections()
{
    ULONG size = 0;
    ::GetTcpTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size + 64 * sizeof(MIB_TCPROW));
    size = static_cast<ULONG>(buffer.size());
    auto* table = reinterpret_cast<MIB_TCPTABLE*>(buffer.data());
    if (::GetTcpTable(table, &size, FALSE) != NO_ERROR)
        return -1;
    int count = 0;
    for (DWORD index = 0; index < table->dwNumEntries; ++index)
    {
        const MIB_TCPROW& row = table->table[index];
        count += row.dwState == MIB_TCP_STATE_ESTAB && ::ntohs(static_cast<u_short>(row.dwRemotePort)) == 80;
    }
    return count;
}

// Under Wine GetProcessHandleCount and the private bytes of GetProcessMemoryInfo read 0: the process's
// own counters come from the Linux side, where Wine's process is an ordinary one (Z: is the root).
struct Footprint
{
    long anonymousKb = -1; // RssAnon of /proc/self/status: the process's own memory
    int descriptors = -1;  // of /proc/self/fd: sockets, files, events
};

Footprint FootprintNow()
{
    Footprint footprint;
    const OM::Helpers::UniqueFileHandle status(::CreateFileW(
        L"Z:\\proc\\self\\status", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (status.get() != INVALID_HANDLE_VALUE)
    {
        std::string text(8192, '\0');
        DWORD read = 0;
        ::ReadFile(status.get(), text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        text.resize(read);
        if (const std::size_t at = text.find("RssAnon:"); at != std::string::npos)
            footprint.anonymousKb = std::atol(text.c_str() + at + 8);
    }
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW(L"Z:\\proc\\self\\fd\\*", &entry);
    if (search != INVALID_HANDLE_VALUE)
    {
        footprint.descriptors = 0;
        do
            footprint.descriptors += entry.cFileName[0] != L'.';
        while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    return footprint;
}

class BatchWaiter final : public Support
{
public:
    BatchWaiter() : ended(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    void OnBatchOutcome(const BatchOutcome& outcome) override
    {
        done += outcome.result == BatchResult::Done;
        if (outcome.result != BatchResult::Done && !outcome.problems.empty())
        {
            // Worker thread; the reasons are read once the batch has ended.
            const BatchProblem& first = outcome.problems.front();
            ++reasons[first.kind == BatchProblem::Kind::ExchangeFailed
                          ? static_cast<int>(first.failure.reason)
                          : -1 - static_cast<int>(first.kind)];
        }
    }
    void OnBatchFinished(const BatchEnd&) override { ::SetEvent(ended.get()); }

    OM::Helpers::UniqueHandle ended;
    std::atomic<int> done{0};
    std::map<int, int>
        reasons; // of the controllers that failed: the failure's reason, or -1 - the problem's kind
};

void Engine(Testing::SimulatorClient& simulator, int controllers, int batches)
{
    simulator.Command("reset");
    simulator.Command("add count=" + std::to_string(controllers));
    const int stalled = std::max(1, controllers / 50);
    for (int index = 0; index < stalled; ++index)
        simulator.Command("set " +
                          Narrow(FirstAddress + static_cast<std::uint32_t>(index * controllers / stalled)) +
                          " http=stall");
    std::printf("-- the engine in this process, %d lanes, %d controllers of which %d stall\n",
                MostParallelExchanges, controllers, stalled);
    Settings().parallelExchanges = MostParallelExchanges;
    DeviceManager manager;
    BatchWaiter waiter;
    manager.Add(&waiter);
    if (!manager.Start(false))
    {
        std::fprintf(stderr, "site_benchmark: the worker did not start\n");
        return;
    }
    BatchRequest request;
    for (int index = 0; index < controllers; ++index)
        request.targets.push_back(
            BatchTarget{FirstAddress + static_cast<std::uint32_t>(index), 80, std::nullopt});
    for (int batch = 1; batch <= batches; ++batch)
    {
        waiter.done = 0;
        waiter.reasons.clear();
        const Clock::time_point start = Clock::now();
        manager.Post(request);
        int peak = 0;
        while (::WaitForSingleObject(waiter.ended.get(), 50) == WAIT_TIMEOUT)
            peak = std::max(peak, ControllerConnections());
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        PROCESS_MEMORY_COUNTERS_EX memory{};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                               sizeof memory);
        DWORD handles = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
        const Footprint footprint = FootprintNow();
        std::printf("batch %d: %.2f s, %d of %d done; peak connections %d; then %d connections, %lu handles, "
                    "%.1f MB private (the system's figures), %d descriptors, %.1f MB anonymous (Linux's)\n",
                    batch, seconds, waiter.done.load(), controllers, peak, ControllerConnections(), handles,
                    static_cast<double>(memory.PrivateUsage) / 1048576.0, footprint.descriptors,
                    static_cast<double>(footprint.anonymousKb) / 1024.0);
        for (const auto& [reason, count] : waiter.reasons)
            std::printf("    failed: %d for reason %d\n", count, reason);
    }
    // What the closer and the system still hold once the batches are over.
    int waited = 0;
    for (const int wait : {2, 10, 30, 60})
    {
        ::Sleep(static_cast<DWORD>(wait - waited) * 1000);
        waited = wait;
        std::printf("%d s after the last batch: %d connections, %d descriptors\n", wait,
                    ControllerConnections(), FootprintNow().descriptors);
    }
    manager.Stop();
    manager.Remove(&waiter);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    // Each figure as it is measured: a run takes long, and its output goes to a pipe.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "site_benchmark: %s\n", error.c_str());
        return 1;
    }
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const int controllers = argc > 2 ? std::max(1, _wtoi(argv[2])) : 1000;
    if (mode == L"console" && argc > 4)
    {
        std::vector<int> lanes = Numbers(argv[3]);
        if (lanes.empty())
            lanes = {1, 4, 16, 64};
        for (int index = 4; index < argc; ++index)
            Console(simulator, controllers, lanes, _wtoi(argv[index]));
    }
    else if (mode == L"stalls" && argc > 3)
    {
        Stalls(simulator, controllers, _wtoi(argv[3]));
    }
    else if (mode == L"engine" && argc > 3)
    {
        Engine(simulator, controllers, std::max(1, _wtoi(argv[3])));
    }
    else
    {
        std::fprintf(stderr, "usage: site_benchmark console|stalls|engine CONTROLLERS ...\n");
        return 2;
    }
    simulator.Command("reset");
    return 0;
}
