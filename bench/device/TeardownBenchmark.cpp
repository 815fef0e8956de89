// How often exchanges that are cancelled and connections that are closed under them crash the program,
// with several exchanges at once in one process (bench/run teardown starts everything).
//
// Each run is a process of its own, so that a crash ends that run only. In it, THREADS threads each talk
// to a simulated controller of their own that takes every request and stays silent: a connection serves
// REQUESTS exchanges, each cancelled from another thread at a random moment before the system's own
// receive time-out (shortened to TIMEOUT ms here) ends the request, and is closed as soon as the last one
// returns; CYCLES connections a thread. The system is then still finishing cancelled requests while the
// exchanges go on and the connections close. PROCESSES runs go at once.
//
//   teardown_benchmark.exe RUNS PROCESSES THREADS CYCLES REQUESTS TIMEOUT
#include "device/ExchangeLabels.h"
#include "device/HttpExchange.h"
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Norvatessa;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr std::uint32_t FirstController = 0x7F000002; // 127.0.0.2
constexpr DWORD RunLimitMs = 30 * 60 * 1000;

struct Load
{
    int threads = 0;
    int cycles = 0;
    int requests = 0;
    DWORD timeoutMs = 0;
};

class Quiet final : public ConnectionSink
{
};

void Cycle(std::uint32_t address, Load load)
{
    Quiet sink;
    AcceptedCredentials accepted;
    HttpExchange exchange(sink, nullptr, accepted);
    std::atomic<bool> done{false};
    std::thread canceller([&] {
        std::minstd_rand random(address);
        while (!done)
        {
            ::Sleep(random() % (load.timeoutMs + 1));
            exchange.CancelExchange();
        }
    });
    for (int cycle = 0; cycle < load.cycles; ++cycle)
    {
        Connection connection(address, 80);
        if (!exchange.OpenConnection(connection))
            continue;
        ::InternetSetOptionW(connection.ConnectHandle(), INTERNET_OPTION_RECEIVE_TIMEOUT, &load.timeoutMs,
                             sizeof load.timeoutMs);
        connection.authorized = true;
        for (int request = 0; request < load.requests; ++request)
        {
            HttpRequest read(PropertiesObject, ReadPropertiesLabel);
            exchange.ExecuteRequest(connection, read);
        }
        connection.Close();
    }
    done = true;
    canceller.join();
}

int Child(std::uint32_t first, Load load)
{
    std::vector<std::thread> workers;
    for (int index = 0; index < load.threads; ++index)
        workers.emplace_back(Cycle, first + static_cast<std::uint32_t>(index), load);
    for (std::thread& worker : workers)
        worker.join();
    return 0;
}

// Starts `count` runs at once, each against controllers of its own, and waits for them; their exit codes.
std::vector<DWORD> RunAtOnce(int count, const Load& load)
{
    wchar_t program[MAX_PATH];
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::vector<OM::Helpers::UniqueHandle> runs;
    for (int run = 0; run < count; ++run)
    {
        const std::uint32_t first = FirstController + static_cast<std::uint32_t>(run * load.threads);
        std::wstring commandLine = L"\"" + std::wstring(program) + L"\" --run " + std::to_wstring(first) +
                                   L" " + std::to_wstring(load.threads) + L" " +
                                   std::to_wstring(load.cycles) + L" " + std::to_wstring(load.requests) +
                                   L" " + std::to_wstring(load.timeoutMs);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &started))
            continue;
        ::CloseHandle(started.hThread);
        runs.emplace_back(started.hProcess);
    }
    std::vector<DWORD> codes;
    for (const OM::Helpers::UniqueHandle& run : runs)
    {
        if (::WaitForSingleObject(run.get(), RunLimitMs) != WAIT_OBJECT_0)
            ::TerminateProcess(run.get(), STILL_ACTIVE);
        ::WaitForSingleObject(run.get(), INFINITE);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(run.get(), &code);
        codes.push_back(code);
    }
    return codes;
}

Load LoadFrom(char** words)
{
    return Load{std::atoi(words[0]), std::atoi(words[1]), std::atoi(words[2]),
                static_cast<DWORD>(std::atoi(words[3]))};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 7 && std::string(argv[1]) == "--run")
        return Child(static_cast<std::uint32_t>(std::strtoul(argv[2], nullptr, 10)), LoadFrom(argv + 3));
    if (argc != 7)
    {
        std::fprintf(stderr,
                     "usage: teardown_benchmark.exe RUNS PROCESSES THREADS CYCLES REQUESTS TIMEOUT\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const int atOnce = std::max(std::atoi(argv[2]), 1);
    const Load load = LoadFrom(argv + 3);
    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "teardown_benchmark: %s\n", error.c_str());
        return 1;
    }
    simulator.Command("reset");
    simulator.Command("add http=stall count=" + std::to_string(atOnce * load.threads));

    int crashed = 0;
    int hung = 0;
    std::string codes;
    const Clock::time_point start = Clock::now();
    for (int done = 0; done < runs; done += atOnce)
    {
        for (const DWORD code : RunAtOnce(std::min(atOnce, runs - done), load))
        {
            if (code == STILL_ACTIVE)
                ++hung;
            else if (code != 0)
            {
                ++crashed;
                char text[16];
                std::snprintf(text, sizeof text, " %08lX", code);
                codes += text;
            }
        }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long long exchanges = 1LL * runs * load.threads * load.cycles * load.requests;
    std::printf("%d runs of %d threads x %d connections x %d cancelled exchanges (receive time-out %lu ms), "
                "%d at once: %d crashed%s, %d hung; %lld exchanges in %.0f s\n",
                runs, load.threads, load.cycles, load.requests, load.timeoutMs, atOnce, crashed,
                codes.c_str(), hung, exchanges, seconds);
    return crashed + hung == 0 ? 0 : 1;
}
