// How many controllers one search finds when a large site answers the probe in one burst.
//
//   discovery_capacity.exe CONTROLLERS RECEIVE_BUFFER_BYTES [RUNS] [SPREAD_MS]
//
// For each run it sets up CONTROLLERS simulated controllers that all answer within SPREAD_MS (50) of the
// probe,
// runs one search of the default 5 s with the given receive-buffer size (0: the system's default) and
// prints how many distinct controllers were found. It talks to the controller simulator like the tests
// do, so it runs inside a test namespace beside it: bench/run does all of that.
#include "engine/DeviceSearcher.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

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
                     "usage: discovery_capacity.exe CONTROLLERS RECEIVE_BUFFER_BYTES [RUNS] [SPREAD_MS]\n");
        return 2;
    }
    const int controllers = std::atoi(argv[1]);
    const int bufferBytes = std::atoi(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    const int spreadMs = argc > 4 ? std::atoi(argv[4]) : 50;

    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "discovery_capacity: %s\n", error.c_str());
        return 1;
    }

    std::printf("%5d controllers within %3d ms, receive buffer %-8s found:", controllers, spreadMs,
                bufferBytes > 0 ? std::to_string(bufferBytes).c_str() : "default");
    for (int run = 0; run < runs; ++run)
    {
        const std::string answer = simulator.Command("reset " + std::to_string(run + 1));
        const std::string added = simulator.Command("add count=" + std::to_string(controllers) +
                                                    " spread=" + std::to_string(spreadMs));
        if (answer != "ok" || added.rfind("ok", 0) != 0)
        {
            std::fprintf(stderr, "\ndiscovery_capacity: the simulator refused: %s %s\n", answer.c_str(),
                         added.c_str());
            return 1;
        }
        DeviceSearcher searcher;
        searcher.timeoutMs = 5000;
        searcher.sendPort = 2860;
        searcher.recvPort = 30303;
        searcher.receiveBufferBytes = bufferBytes;
        searcher.Search();

        std::set<std::uint32_t> distinct;
        for (const DiscoveredController& controller : searcher.Found())
            distinct.insert(controller.address);
        std::printf(" %5zu", distinct.size());
        std::fflush(stdout);
    }
    std::printf("   (%s)\n", simulator.Command("stats").c_str());
    return 0;
}
