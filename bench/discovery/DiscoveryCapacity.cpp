// How many controllers one search finds: a large site that answers the probe in one burst, or a lossy
// link where each controller answers a given probe only now and then.
//
//   discovery_capacity.exe CONTROLLERS RECEIVE_BUFFER_BYTES [RUNS] [SPREAD_MS] [ROUNDS] [LOSS] [TIME_MS]
//
// For each run it sets up CONTROLLERS simulated controllers that all answer within SPREAD_MS (50) of each
// probe, losing LOSS percent (0) of their replies, runs one search of TIME_MS (5000) in ROUNDS probe
// rounds (1) with the given receive-buffer size (0: the system's default) and prints how many distinct
// controllers were found; then the mean and the worst fraction found. It talks to the controller
// simulator like the tests do, so it runs inside a test namespace beside it: bench/run does all of that.
#include "engine/DeviceSearcher.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace OM::Norvatessa;

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr,
                     "usage: discovery_capacity.exe CONTROLLERS RECEIVE_BUFFER_BYTES [RUNS] [SPREAD_MS] "
                     "[ROUNDS] [LOSS] [TIME_MS]\n");
        return 2;
    }
    const auto argument = [&](int index, int otherwise) {
        return argc > index ? std::atoi(argv[index]) : otherwise;
    };
    const int controllers = std::atoi(argv[1]);
    const int bufferBytes = std::atoi(argv[2]);
    const int runs = argument(3, 3);
    const int spreadMs = argument(4, 50);
    const int rounds = argument(5, 1);
    const int loss = argument(6, 0);
    const int timeMs = argument(7, 5000);

    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "discovery_capacity: %s\n", error.c_str());
        return 1;
    }

    std::printf(
        "%5d controllers within %3d ms, loss %2d %%, %d round(s) in %5d ms, receive buffer %-8s found:",
        controllers, spreadMs, loss, rounds, timeMs,
        bufferBytes > 0 ? std::to_string(bufferBytes).c_str() : "default");
    double sum = 0;
    double worst = 1;
    for (int run = 0; run < runs; ++run)
    {
        const std::string answer = simulator.Command("reset " + std::to_string(run + 1));
        const std::string added =
            simulator.Command("add count=" + std::to_string(controllers) +
                              " spread=" + std::to_string(spreadMs) + " loss=" + std::to_string(loss));
        if (answer != "ok" || added.rfind("ok", 0) != 0)
        {
            std::fprintf(stderr, "\ndiscovery_capacity: the simulator refused: %s %s\n", answer.c_str(),
                         added.c_str());
            return 1;
        }
        DeviceSearcher searcher;
        searcher.timeoutMs = static_cast<DWORD>(timeMs);
        searcher.sendPort = 2860;
        searcher.recvPort = 30303;
        searcher.receiveBufferBytes = bufferBytes;
        searcher.probeRounds = rounds;
        searcher.Search();

        std::set<std::uint32_t> distinct;
        for (const DiscoveredController& controller : searcher.Found())
            distinct.insert(controller.address);
        const double fraction = static_cast<double>(distinct.size()) / controllers;
        sum += fraction;
        worst = std::min(worst, fraction);
        std::printf(" %zu", distinct.size());
        std::fflush(stdout);
    }
    std::printf("; mean %.1f %%, worst %.1f %%   (%s)\n", 100 * sum / runs, 100 * worst,
                simulator.Command("stats").c_str());
    return 0;
}
