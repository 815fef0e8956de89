// How soon a search for what it needs ends, and the pace at which ranges are probed.
//
//   search_end.exe [RUNS] [SITE]
//
// First, the search of a command that names one controller (get ADDRESS): the device manager's search
// with that controller as its goal, as the console program makes it, on a site of SITE (300) controllers
// that all answer within 50 ms of each probe, with the defaults (5000 ms, five rounds); from the start of
// the search to its end, RUNS (10) times, against the same search without a goal. Then the probes of
// ranges as the simulator counts them: how many came and the most within one second, for a /24 with the
// defaults and for a /20 in the shortest search time its five rounds fit in. It talks to the controller
// simulator like the tests do, so it runs inside a test namespace beside it: bench/run does all of that.
#include "common/AddressRange.h"
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "engine/SearchDeadline.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

using namespace OM::Norvatessa;

namespace
{

bool Ok(const std::string& answer)
{
    return answer.rfind("ok", 0) == 0;
}

// Milliseconds the manager takes over one search as the console program asks for it.
DWORD TimedSearch(DeviceManager& manager, const SearchGoal& goal)
{
    const ULONGLONG start = ::GetTickCount64();
    manager.HandleRequest(NewSearchRequest{goal, std::nullopt});
    return static_cast<DWORD>(::GetTickCount64() - start);
}

void PrintSpread(const char* what, std::vector<DWORD> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %5lu ms, fastest %5lu ms, slowest %5lu ms\n", what, times[times.size() / 2],
                times.front(), times.back());
}

// One search through the ranges; what the simulator counted of it.
void RangeSearch(Testing::SimulatorClient& simulator, const char* text, std::int32_t timeMs, int rounds)
{
    const std::variant<AddressRange, RangeRefusal> range =
        ParseAddressRange(std::wstring(text, text + std::string_view(text).size()));
    if (!std::holds_alternative<AddressRange>(range))
        return;
    simulator.Command("reset");
    DeviceSearcher searcher;
    searcher.timeoutMs = static_cast<DWORD>(timeMs);
    searcher.probeRounds = rounds;
    searcher.unicastRanges = {std::get<AddressRange>(range)};
    const ULONGLONG start = ::GetTickCount64();
    searcher.Search();
    const ULONGLONG took = ::GetTickCount64() - start;
    std::printf("range %-15s %4zu addresses, %d rounds in %6d ms (search %6llu ms): %s, %s\n", text,
                std::get<AddressRange>(range).Count(), rounds, timeMs, took,
                simulator.Command("stats").c_str(), simulator.Command("pace").c_str());
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 10;
    const int site = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 300;

    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "search_end: %s\n", error.c_str());
        return 1;
    }
    if (!Ok(simulator.Command("reset")) ||
        !Ok(simulator.Command("add count=" + std::to_string(site) + " spread=50")))
    {
        std::fprintf(stderr, "search_end: the simulator refused the site\n");
        return 1;
    }

    Settings() = ProgramSettings();
    DeviceManager manager;
    // One in the middle of the site, where the first 253 controllers are 127.0.0.2 upwards.
    const std::uint32_t named = 0x7F000002u + static_cast<std::uint32_t>(std::min(site / 2, 200));
    std::vector<DWORD> early;
    std::vector<DWORD> whole;
    for (int run = 0; run < runs; ++run)
    {
        early.push_back(TimedSearch(manager, SearchGoal{{named}, 0}));
        std::vector<DiscoveredController> found;
        if (manager.GetDevices(found) != static_cast<std::size_t>(site))
            std::printf("(run %d found %zu of %d)\n", run + 1, found.size(), site);
    }
    for (int run = 0; run < std::min(runs, 3); ++run)
        whole.push_back(TimedSearch(manager, SearchGoal{}));
    std::printf("%d controllers answering within 50 ms, search time 5000 ms, five rounds:\n", site);
    PrintSpread("  search for one controller (get ADDRESS)", early);
    PrintSpread("  search without a goal (get --all, before: every get)", whole);
    manager.ClearDevices();

    std::printf("range probes, at most %u a second:\n", SearchDeadline::RangeProbesPerSecond);
    RangeSearch(simulator, "127.1.0.0/24", 5000, 5);
    RangeSearch(simulator, "127.1.0.0/20", static_cast<std::int32_t>(SearchDeadline::RangeSearchMs(4094, 5)),
                5);
    return 0;
}
