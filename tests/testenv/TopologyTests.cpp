// Proves the topology fixture (tools/testenv/topology.sh) as a Windows program under Wine sees it: two
// segments on adapters of their own, reached by a probe sent from each adapter's address, and a network
// behind a router, reached by unicast only. The simulators of the segments and of the routed network
// answer the probe; the loopback simulator of the namespace answers only what comes in by the loopback.
#include "engine/DiscoveryReply.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace OM::Helpers;
using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

constexpr u_short ProbePort = 2860;
constexpr u_short ReplyPort = 30303;
// A round ends when no reply came for this long; the simulators answer at once unless told otherwise.
constexpr DWORD QuietMs = 300;

sockaddr_in Address(ULONG address, u_short port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_port = ::htons(port);
    result.sin_addr.s_addr = ::htonl(address);
    return result;
}

ULONG Parse(const char* text)
{
    in_addr address{};
    ::inet_pton(AF_INET, text, &address);
    return ::ntohl(address.s_addr);
}

std::string Text(ULONG address)
{
    in_addr value{};
    value.s_addr = ::htonl(address);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

struct Adapter
{
    std::wstring name;
    DWORD type = 0;
    bool up = false;
    ULONG address = 0; // the first IPv4 address, host order
    int prefixLength = 0;

    ULONG DirectedBroadcast() const
    {
        return address | (prefixLength == 0 ? ~0UL : (1UL << (32 - prefixLength)) - 1);
    }
};

std::vector<Adapter> ListAdapters()
{
    ULONG size = 16384;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    while (result == ERROR_BUFFER_OVERFLOW)
    {
        buffer.resize(size);
        result = ::GetAdaptersAddresses(
            AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER, nullptr,
            reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<Adapter> adapters;
    if (result != NO_ERROR)
        return adapters;
    for (auto* entry = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); entry; entry = entry->Next)
    {
        Adapter adapter;
        adapter.name = entry->FriendlyName ? entry->FriendlyName : L"";
        adapter.type = entry->IfType;
        adapter.up = entry->OperStatus == IfOperStatusUp;
        if (const IP_ADAPTER_UNICAST_ADDRESS* unicast = entry->FirstUnicastAddress)
        {
            adapter.address =
                ::ntohl(reinterpret_cast<const sockaddr_in*>(unicast->Address.lpSockaddr)->sin_addr.s_addr);
            adapter.prefixLength = unicast->OnLinkPrefixLength;
        }
        adapters.push_back(adapter);
    }
    return adapters;
}

const Adapter* Named(const std::vector<Adapter>& adapters, const std::wstring& name)
{
    for (const Adapter& adapter : adapters)
    {
        if (adapter.name == name)
            return &adapter;
    }
    return nullptr;
}

UniqueSocket BroadcastSocket(ULONG boundTo)
{
    UniqueSocket sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    const BOOL on = TRUE;
    ::setsockopt(sender.get(), SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    if (boundTo != INADDR_ANY)
    {
        const sockaddr_in local = Address(boundTo, 0);
        if (::bind(sender.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
            sender.reset();
    }
    return sender;
}

bool SendProbe(SOCKET sender, ULONG to)
{
    const sockaddr_in destination = Address(to, ProbePort);
    return ::sendto(sender, DiscoveryProbe.data(), static_cast<int>(DiscoveryProbe.size()), 0,
                    reinterpret_cast<const sockaddr*>(&destination),
                    sizeof destination) == static_cast<int>(DiscoveryProbe.size());
}

// The proper replies that arrive until the line is quiet: how many from each sender.
std::map<ULONG, int> Collect(SOCKET receiver)
{
    std::map<ULONG, int> replies;
    for (;;)
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(receiver, &readable);
        timeval patience{0, static_cast<long>(QuietMs) * 1000};
        if (::select(0, &readable, nullptr, nullptr, &patience) != 1)
            return replies;
        unsigned char buffer[4096];
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int received = ::recvfrom(receiver, reinterpret_cast<char*>(buffer), sizeof buffer, 0,
                                        reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (received > 0 && ParseDiscoveryReply(buffer, static_cast<std::size_t>(received)))
            ++replies[::ntohl(from.sin_addr.s_addr)];
    }
}

// The senders in one network, as text, so that a failure reads.
std::set<std::string> Senders(const std::map<ULONG, int>& replies, ULONG network, ULONG mask)
{
    std::set<std::string> senders;
    for (const auto& [sender, count] : replies)
    {
        if ((sender & mask) == network)
            senders.insert(Text(sender));
    }
    return senders;
}

std::string Describe(const std::map<ULONG, int>& replies)
{
    std::string text = "replies from";
    for (const auto& [sender, count] : replies)
        text.append(" ").append(Text(sender)).append(" x").append(std::to_string(count));
    return replies.empty() ? "no replies" : text;
}

// The three simulators of the topology and the loopback one, empty at the start and again at the end of
// a test.
class TopologyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(winsock.ok());
        for (const char* variable :
             {LoopbackSimulator, SegmentASimulator, SegmentBSimulator, RoutedSimulator})
        {
            SimulatorClient& simulator = simulators[variable];
            ASSERT_EQ(simulator.Connect(variable), "");
            ASSERT_EQ(simulator.Command("reset"), "ok");
        }
        ASSERT_TRUE(receiver);
        const sockaddr_in any = Address(INADDR_ANY, ReplyPort);
        ASSERT_EQ(::bind(receiver.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any), 0)
            << ::WSAGetLastError();
    }

    void TearDown() override
    {
        for (auto& [variable, simulator] : simulators)
        {
            if (HasFailure())
                std::cout << "The journal of " << variable << ":\n"
                          << simulator.Journal() << simulator.Command("stats") << "\n";
            simulator.Command("reset");
        }
    }

    SimulatorClient& Simulator(const char* variable) { return simulators.at(variable); }

    WinsockSession winsock;
    std::map<std::string, SimulatorClient> simulators;
    UniqueSocket receiver{::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)};
};

const ULONG SegmentA = Parse("198.18.1.0");
const ULONG SegmentB = Parse("198.18.2.0");
const ULONG Routed = Parse("198.18.4.0");
const ULONG Mask24 = 0xFFFFFF00;
const ULONG Topology = Parse("198.18.0.0");
const ULONG TopologyMask = 0xFFFE0000;

TEST_F(TopologyTest, EachAdapterReachesItsSegmentAndOnlyUnicastCrossesTheRouter)
{
    ASSERT_EQ(Simulator(LoopbackSimulator).Command("add"), "ok 1 127.0.0.2 127.0.0.2");
    ASSERT_EQ(Simulator(SegmentASimulator).Command("add count=2"), "ok 2 198.18.1.16 198.18.1.17");
    ASSERT_EQ(Simulator(SegmentBSimulator).Command("add count=3"), "ok 3 198.18.2.16 198.18.2.18");
    ASSERT_EQ(Simulator(RoutedSimulator).Command("add count=2"), "ok 2 198.18.4.16 198.18.4.17");

    // The veth ends are Ethernet adapters with the names the topology gives them; the loopback adapter is
    // told by its type.
    const std::vector<Adapter> adapters = ListAdapters();
    const Adapter* ethA = Named(adapters, L"ethA");
    const Adapter* ethB = Named(adapters, L"ethB");
    ASSERT_NE(ethA, nullptr);
    ASSERT_NE(ethB, nullptr);
    for (const Adapter* adapter : {ethA, ethB})
    {
        EXPECT_TRUE(adapter->up);
        EXPECT_EQ(adapter->type, static_cast<DWORD>(IF_TYPE_ETHERNET_CSMACD));
        EXPECT_EQ(adapter->prefixLength, 24);
    }
    EXPECT_EQ(Text(ethA->address), "198.18.1.1");
    EXPECT_EQ(Text(ethB->address), "198.18.2.1");
    bool loopbackListed = false;
    for (const Adapter& adapter : adapters)
    {
        std::wcout << L"adapter " << adapter.name << L" type " << adapter.type
                   << (adapter.up ? L" up " : L" down ") << Text(adapter.address).c_str() << L"/"
                   << adapter.prefixLength << L"\n";
        loopbackListed |= adapter.type == IF_TYPE_SOFTWARE_LOOPBACK && adapter.address == INADDR_LOOPBACK;
    }
    EXPECT_TRUE(loopbackListed);

    // A probe from each adapter's address, to the limited and to the directed broadcast: both segments
    // answer, each controller once per probe, and nothing comes from behind the router. The namespace
    // hears its own broadcasts too, by the adapter they left by: the loopback simulator leaves them.
    std::vector<UniqueSocket> senders;
    for (const Adapter* adapter : {ethA, ethB})
    {
        senders.push_back(BroadcastSocket(adapter->address));
        ASSERT_TRUE(senders.back()) << ::WSAGetLastError();
        ASSERT_TRUE(SendProbe(senders.back().get(), INADDR_BROADCAST)) << ::WSAGetLastError();
        ASSERT_TRUE(SendProbe(senders.back().get(), adapter->DirectedBroadcast())) << ::WSAGetLastError();
    }
    const std::map<ULONG, int> fromEachAdapter = Collect(receiver.get());
    EXPECT_EQ(Senders(fromEachAdapter, SegmentA, Mask24).size(), 2u) << Describe(fromEachAdapter);
    EXPECT_EQ(Senders(fromEachAdapter, SegmentB, Mask24).size(), 3u) << Describe(fromEachAdapter);
    EXPECT_TRUE(Senders(fromEachAdapter, Routed, Mask24).empty()) << Describe(fromEachAdapter);
    for (const auto& [sender, count] : fromEachAdapter)
    {
        EXPECT_EQ(sender & TopologyMask, Topology) << Text(sender);
        EXPECT_EQ(count, 2) << Text(sender);
    }

    // An unbound probe to the limited broadcast follows the namespace's host route onto the loopback: the
    // loopback simulator answers it, and no segment gets it.
    const UniqueSocket unbound = BroadcastSocket(INADDR_ANY);
    ASSERT_TRUE(SendProbe(unbound.get(), INADDR_BROADCAST)) << ::WSAGetLastError();
    const std::map<ULONG, int> fromUnbound = Collect(receiver.get());
    EXPECT_EQ(fromUnbound, (std::map<ULONG, int>{{INADDR_LOOPBACK + 1, 1}})) << Describe(fromUnbound);

    // Behind the router: a probe to one controller's address is answered by that controller only, and its
    // configuration service is reached over TCP.
    const ULONG second = Parse("198.18.4.17");
    ASSERT_TRUE(SendProbe(unbound.get(), second)) << ::WSAGetLastError();
    const std::map<ULONG, int> fromRouted = Collect(receiver.get());
    EXPECT_EQ(fromRouted, (std::map<ULONG, int>{{second, 1}})) << Describe(fromRouted);

    UniqueSocket connection(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    const sockaddr_in service = Address(second, 80);
    ASSERT_EQ(::connect(connection.get(), reinterpret_cast<const sockaddr*>(&service), sizeof service), 0)
        << ::WSAGetLastError();
    const std::string request = "GET /config.xml HTTP/1.0\r\n\r\n";
    ASSERT_EQ(::send(connection.get(), request.data(), static_cast<int>(request.size()), 0),
              static_cast<int>(request.size()));
    std::string answer;
    char buffer[4096];
    for (int received; (received = ::recv(connection.get(), buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(received));
    EXPECT_NE(answer.find("ip=\"198.18.4.17\""), std::string::npos) << answer;
    EXPECT_NE(answer.find("gate=\"198.18.4.1\""), std::string::npos) << answer;

    // The routed simulator saw that one probe and nothing else: no broadcast of the workstation got there.
    EXPECT_EQ(Simulator(RoutedSimulator).Command("stats"),
              "ok controllers=2 probes=1 ignored=0 sent=1 lost=0 failed=0 http=1");
}

// Which controllers of segment A answered each of `rounds` probes, one directed broadcast each.
std::vector<std::set<std::string>> ProbeRounds(SOCKET receiver, int rounds)
{
    const UniqueSocket sender = BroadcastSocket(Parse("198.18.1.1"));
    std::vector<std::set<std::string>> answered;
    for (int round = 0; round < rounds; ++round)
    {
        if (!SendProbe(sender.get(), Parse("198.18.1.255")))
            ADD_FAILURE() << "the probe of round " << round + 1 << " was not sent: " << ::WSAGetLastError();
        answered.push_back(Senders(Collect(receiver), SegmentA, Mask24));
    }
    return answered;
}

TEST_F(TopologyTest, SeededLossDependsOnlyOnTheControllerAndTheProbe)
{
    constexpr int Controllers = 20;
    constexpr int Rounds = 4;
    SimulatorClient& segment = Simulator(SegmentASimulator);
    ASSERT_EQ(segment.Command("reset 7"), "ok");
    ASSERT_EQ(segment.Command("add count=20 loss=50").rfind("ok", 0), 0u);
    const std::vector<std::set<std::string>> alone = ProbeRounds(receiver.get(), Rounds);

    // The same seed with one more controller, whose spread draws numbers of its own: the first twenty
    // lose the same replies as before.
    ASSERT_EQ(segment.Command("reset 7"), "ok");
    ASSERT_EQ(segment.Command("add count=20 loss=50").rfind("ok", 0), 0u);
    ASSERT_EQ(segment.Command("add spread=50 loss=50"), "ok 1 198.18.1.36 198.18.1.36");
    std::vector<std::set<std::string>> withAnother = ProbeRounds(receiver.get(), Rounds);
    for (std::set<std::string>& round : withAnother)
        round.erase("198.18.1.36");
    EXPECT_EQ(withAnother, alone);

    // Found after k probes: about 1 - 0.5^k of them.
    std::set<std::string> found;
    for (int round = 0; round < Rounds; ++round)
    {
        found.insert(alone[round].begin(), alone[round].end());
        std::cout << "after " << round + 1 << " probes: " << found.size() << " of " << Controllers << "\n";
        if (round == 0)
        {
            EXPECT_GE(found.size(), Controllers / 4u);
            EXPECT_LE(found.size(), Controllers * 3 / 4u);
        }
    }
    EXPECT_GE(found.size(), Controllers * 4 / 5u);
}

} // namespace
