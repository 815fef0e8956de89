// How often Wine loses the start of a process, and what the tests' starter makes of it.
//
//   process_starts.exe STARTS THREADS
//
// Starts the console program (its --help, which exits at once) STARTS times from THREADS threads at once,
// as two CTest jobs and their children do, through the starter the tests use. A start lost at the first
// attempt is what a bare CreateProcessW would have failed; the starter then tries again.
#include "helpers/UniqueHandle.h"
#include "tests/support/ProcessStart.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace
{

struct Tally
{
    std::mutex lock;
    int starts = 0;
    int lost = 0;                  // attempts Wine lost, each made again
    std::map<DWORD, int> failures; // starts that failed for good, by error
};

std::wstring ProgramPath()
{
    std::wstring path = NORVATESSA_CLI;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

void StartMany(int count, Tally& tally)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const OM::Helpers::UniqueFileHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                                          OPEN_EXISTING, 0, nullptr));
    const std::wstring program = ProgramPath();
    for (int index = 0; index < count; ++index)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul.get();
        startup.hStdOutput = nul.get();
        startup.hStdError = nul.get();
        PROCESS_INFORMATION started{};
        int lost = 0;
        const DWORD error = OM::Norvatessa::Testing::StartProcess(
            program.c_str(), L"\"" + program + L"\" --help", true, nullptr, startup, started, &lost);
        if (error == ERROR_SUCCESS)
        {
            const OM::Helpers::UniqueHandle process(started.hProcess);
            const OM::Helpers::UniqueHandle thread(started.hThread);
            ::WaitForSingleObject(process.get(), INFINITE);
        }
        const std::lock_guard<std::mutex> held(tally.lock);
        ++tally.starts;
        tally.lost += lost;
        if (error != ERROR_SUCCESS)
            ++tally.failures[error];
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int starts = argc > 1 ? std::max(1, _wtoi(argv[1])) : 2000;
    const int threads = argc > 2 ? std::max(1, _wtoi(argv[2])) : 4;
    Tally tally;
    const auto begin = std::chrono::steady_clock::now();
    std::vector<std::thread> running;
    for (int index = 0; index < threads; ++index)
        running.emplace_back(StartMany, starts / threads + (index < starts % threads ? 1 : 0),
                             std::ref(tally));
    for (std::thread& thread : running)
        thread.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    int failed = 0;
    for (const auto& [error, count] : tally.failures)
        failed += count;
    std::printf("%d starts from %d threads in %.0f s (%.0f ms each)\n", tally.starts, threads, seconds,
                seconds * 1000 / tally.starts * threads);
    std::printf("lost by Wine at the first attempt (a bare CreateProcessW fails): %d (%.3f %%)\n", tally.lost,
                100.0 * tally.lost / tally.starts);
    std::printf("failed through the tests' starter: %d\n", failed);
    for (const auto& [error, count] : tally.failures)
        std::printf("  error %lu: %d\n", error, count);
    return failed == 0 ? 0 : 1;
}
