// How fast the program talks to controllers, against the simulator (bench/run device starts everything):
//
//   1. A properties read after authorisation, against a bare HTTP GET of the same document from the same
//      controller, both over a kept-alive connection: the cost of the exchange's machinery.
//   2. From the end of a search to a full device table, for 1000 and 2000 controllers: every controller
//      found gets its session and connection handles.
//   3. From CancelExchange to a free worker, while a controller stalls.
//
//   device_benchmark.exe [READS] [SITES...]
#include "device/ConnectionCloser.h"
#include "device/ExchangeLabels.h"
#include "device/HttpExchange.h"
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "helpers/InternetHandles.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Norvatessa;
using OM::Helpers::UniqueInternetHandle;
using Clock = std::chrono::steady_clock;

namespace
{

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

class Quiet final : public ConnectionSink
{
};

// The plainest way to fetch the document: synchronous WinINet, a buffer of 4 KiB.
double BareGet(HINTERNET connect)
{
    const Clock::time_point start = Clock::now();
    UniqueInternetHandle request(::HttpOpenRequestW(connect, L"GET", L"config.xml", L"HTTP/1.1", L"", nullptr,
                                                    INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION, 0));
    if (!request || !::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0))
        return -1;
    char buffer[4096];
    DWORD read = 0;
    std::size_t total = 0;
    while (::InternetReadFile(request.get(), buffer, sizeof buffer, &read) && read > 0)
        total += read;
    return total > 0 ? MillisecondsSince(start) : -1;
}

void ReadAgainstBareGet(Testing::SimulatorClient& simulator, int reads)
{
    simulator.Command("reset");
    simulator.Command("add name=Склад");
    const std::uint32_t address = 0x7F000002;

    Quiet sink;
    AcceptedCredentials accepted;
    HttpExchange exchange(sink, nullptr, accepted);
    Connection connection(address, 80);
    exchange.OpenConnection(connection);
    exchange.Authorize(connection);
    connection.authorized = true;

    UniqueInternetHandle session(::InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    UniqueInternetHandle connect(
        ::InternetConnectW(session.get(), L"127.0.0.2", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));

    std::vector<double> ours, bare;
    for (int round = 0; round < reads; ++round)
    {
        const Clock::time_point start = Clock::now();
        HttpRequest read(PropertiesObject, ReadPropertiesLabel);
        OM::Xml::DeviceProperties properties;
        if (!exchange.ExecuteRequest(connection, read) ||
            !OM::Xml::readDeviceProperties(read.answer, properties))
        {
            std::printf("  the read failed\n");
            return;
        }
        ours.push_back(MillisecondsSince(start));
        bare.push_back(BareGet(connect.get()));
    }
    const double ratio = Median(ours) / Median(bare);
    std::printf(
        "properties read: median %.3f ms, bare GET %.3f ms, ratio %.2f (goal at most 1.3), %d reads each\n",
        Median(ours), Median(bare), ratio, reads);
}

// The memory the process has committed (Wine reports no private bytes).
std::size_t CommittedBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

DWORD Handles()
{
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return count;
}

// The two reports of a search that ran to its end: the first before the table is filled, the second after.
class TableWatch final : public Support
{
public:
    void OnSearchFinished(const bool&) override
    {
        Moment& moment = finishes++ == 0 ? searchEnded : tableFull;
        moment = Moment{Clock::now(), Handles(), CommittedBytes()};
    }
    struct Moment
    {
        Clock::time_point time;
        DWORD handles = 0;
        std::size_t bytes = 0;
    };
    int finishes = 0;
    Moment searchEnded;
    Moment tableFull;
};

void FullTable(Testing::SimulatorClient& simulator, int controllers)
{
    simulator.Command("reset");
    simulator.Command("add count=" + std::to_string(controllers) + " spread=2000");
    DeviceManager& manager = DeviceManager::Instance();
    manager.ClearDevices();
    Settings().searchTimeout = 4000;
    TableWatch watch;
    manager.Add(&watch);
    manager.HandleRequest(NewSearchRequest{});
    std::vector<DiscoveredController> table;
    manager.GetDevices(table);
    manager.Remove(&watch);
    const TableWatch::Moment& before = watch.searchEnded;
    const TableWatch::Moment& after = watch.tableFull;
    std::printf(
        "%5d controllers: table of %zu filled %.0f ms after the search; %+ld kernel handles, %+.1f MiB "
        "committed (%.1f KiB a controller)\n",
        controllers, table.size(),
        std::chrono::duration<double, std::milli>(after.time - before.time).count(),
        static_cast<long>(after.handles) - static_cast<long>(before.handles),
        (static_cast<double>(after.bytes) - static_cast<double>(before.bytes)) / (1024 * 1024),
        (static_cast<double>(after.bytes) - static_cast<double>(before.bytes)) / 1024 / controllers);
    manager.ClearDevices();
    // The connections go to the closer, which closes them a moment later.
    ::Sleep(ConnectionCloser::GraceMs + 500);
    std::printf("        after ClearDevices: %+.1f MiB committed against the full table\n",
                (static_cast<double>(CommittedBytes()) - static_cast<double>(after.bytes)) / (1024 * 1024));
}

void CancelToFreeWorker(Testing::SimulatorClient& simulator)
{
    simulator.Command("reset");
    simulator.Command("add http=stall");
    Quiet sink;
    AcceptedCredentials accepted;
    HttpExchange exchange(sink, nullptr, accepted);
    Connection connection(0x7F000002, 80);
    exchange.OpenConnection(connection);
    connection.authorized = true;
    std::vector<double> latencies;
    for (int round = 0; round < 5; ++round)
    {
        Clock::time_point cancelled;
        std::thread canceller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            cancelled = Clock::now();
            exchange.CancelExchange();
        });
        HttpRequest read(PropertiesObject, ReadPropertiesLabel);
        exchange.ExecuteRequest(connection, read);
        canceller.join();
        latencies.push_back(MillisecondsSince(cancelled));
    }
    std::printf(
        "CancelExchange to a free worker, stalled controller: median %.2f ms, worst %.2f ms (5 runs)\n",
        Median(latencies), *std::max_element(latencies.begin(), latencies.end()));
}

} // namespace

int main(int argc, char** argv)
{
    OM::Helpers::WinsockSession winsock;
    Testing::SimulatorClient simulator;
    if (const std::string error = simulator.Connect(); !winsock.ok() || !error.empty())
    {
        std::fprintf(stderr, "device_benchmark: %s\n", error.c_str());
        return 1;
    }
    const int reads = argc > 1 ? std::atoi(argv[1]) : 300;
    ReadAgainstBareGet(simulator, reads);
    CancelToFreeWorker(simulator);
    std::vector<int> sites;
    for (int index = 2; index < argc; ++index)
        sites.push_back(std::atoi(argv[index]));
    if (sites.empty())
        sites = {1000, 2000};
    for (const int controllers : sites)
        FullTable(simulator, controllers);
    return 0;
}
