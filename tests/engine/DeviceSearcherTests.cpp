// The real searcher, over real sockets under Wine, against the controller simulator in the test
// namespace. Every search binds the reply port 30303, so these tests run one at a time.
#include "tests/engine/SimulatedSiteTest.h"
#include "tests/engine/ReplyPortHolder.h"

#include "engine/AddressProbe.h"
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"

#include <gmock/gmock.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::ElementsAre;

namespace
{

constexpr std::uint32_t Controller(std::uint32_t last)
{
    return 0x7F000000u | last;
}

std::vector<std::uint32_t> Addresses(const std::vector<DiscoveredController>& found)
{
    std::vector<std::uint32_t> addresses;
    for (const DiscoveredController& controller : found)
        addresses.push_back(controller.address);
    return addresses;
}

// Calls Cancel on the searcher from another thread after a pause, as the device manager does at shutdown.
// Should the search not end within a generous time after that, the test program ends with a message
// rather than hang until the test run's time-out.
class DelayedCancel
{
public:
    DelayedCancel(DeviceSearcher& searcher, DWORD afterMs)
        : thread([this, &searcher, afterMs] {
              if (::WaitForSingleObject(searchDone.get(), afterMs) != WAIT_TIMEOUT)
                  return;
              searcher.Cancel();
              if (::WaitForSingleObject(searchDone.get(), 20000) == WAIT_TIMEOUT)
              {
                  std::fputs("the search did not end within 20 s of its cancel\n", stderr);
                  std::fflush(stderr);
                  std::_Exit(3);
              }
          })
    {
    }
    ~DelayedCancel()
    {
        ::SetEvent(searchDone.get());
        thread.join();
    }

private:
    OM::Helpers::UniqueHandle searchDone{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread;
};

} // namespace

class DeviceSearcherTest : public SimulatedSiteTest
{
};

TEST_F(DeviceSearcherTest, OneControllerIsFoundWithItsAddressPortNameAndDigits)
{
    Add("name=Hall%20A port=8080 digits=472");
    searcher.timeoutMs = 1000;
    Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:8080", "end"));
    ASSERT_EQ(searcher.Found().size(), 1u);
    EXPECT_EQ(searcher.Found()[0].address, Controller(2));
    EXPECT_EQ(searcher.Found()[0].port, 8080);
    EXPECT_EQ(searcher.Found()[0].name, L"Hall A");

    ASSERT_EQ(sink.replies.size(), 1u);
    const SearchReply& reply = sink.replies[0];
    EXPECT_THAT(reply.sender, ElementsAre(127, 0, 0, 2));
    EXPECT_EQ(reply.address, Controller(2));
    EXPECT_EQ(reply.text, L"127.0.0.2:8080");
    EXPECT_EQ(reply.port, 8080);
    EXPECT_EQ(reply.name, L"Hall A");
    EXPECT_EQ(reply.first, 4);
    EXPECT_EQ(reply.second, 7);
    EXPECT_EQ(reply.third, 2);
}

TEST_F(DeviceSearcherTest, EmptySiteEndsAfterTheSearchTimeWithNothingFound)
{
    searcher.timeoutMs = 800;
    const DWORD took = Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "end"));
    EXPECT_TRUE(searcher.Found().empty());
    EXPECT_GE(took, 750u) << "the search ended before its time";
    EXPECT_LT(took, 5000u) << "the search overran its time";
}

TEST_F(DeviceSearcherTest, FiftyControllersAnsweringAcrossTheSearchTimeAreAllFound)
{
    Add("count=50 spread=2500 name=Unit%20{n}");
    searcher.timeoutMs = 3000;
    Search();

    EXPECT_EQ(sink.events.back(), "end");
    std::vector<std::uint32_t> addresses = Addresses(searcher.Found());
    ASSERT_EQ(addresses.size(), 50u) << Stats();
    std::sort(addresses.begin(), addresses.end());
    for (std::uint32_t i = 0; i < 50; ++i)
        EXPECT_EQ(addresses[i], Controller(2 + i));
    for (const DiscoveredController& controller : searcher.Found())
        EXPECT_EQ(controller.name, L"Unit " + std::to_wstring((controller.address & 0xFF) - 1));
}

TEST_F(DeviceSearcherTest, TwoRepliesFromOneControllerGiveTwoRecordsInArrivalOrder)
{
    Add("copies=2 gap=400 port=81");
    Add("delay=200 port=82");
    searcher.timeoutMs = 1500;
    Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:81", "reply 127.0.0.3:82",
                                         "reply 127.0.0.2:81", "end"));
    EXPECT_THAT(Addresses(searcher.Found()), ElementsAre(Controller(2), Controller(3), Controller(2)));
}

TEST_F(DeviceSearcherTest, MalformedDatagramsAreIgnoredAndTheSearchGoesOn)
{
    Add("kind=short");
    Add("kind=prefix delay=50");
    Add("kind=empty delay=100");
    Add("kind=unterminated name=Tail delay=150 port=8081");
    Add("delay=300 name=Last port=8082");
    searcher.timeoutMs = 1200;
    Search();

    EXPECT_EQ(Stats(), "ok controllers=5 probes=1 ignored=0 sent=5 lost=0 failed=0 http=0");
    EXPECT_THAT(sink.events,
                ElementsAre("begin", "probe", "reply 127.0.0.5:8081", "reply 127.0.0.6:8082", "end"));
    ASSERT_EQ(searcher.Found().size(), 2u);
    EXPECT_EQ(searcher.Found()[0].name, L"Tail") << "a name may run to the end of the datagram";
    EXPECT_EQ(searcher.Found()[1].name, L"Last");
}

TEST_F(DeviceSearcherTest, DatagramLargerThanTheBufferIsDroppedAndTheSearchGoesOn)
{
    Add("port=8001");
    Add("kind=huge size=5000 delay=200");
    Add("delay=400 port=8003");
    Add("kind=huge size=4097 delay=600");
    Add("delay=800 port=8005");
    searcher.timeoutMs = 1500;
    const DWORD took = Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:8001", "reply 127.0.0.4:8003",
                                         "reply 127.0.0.6:8005", "end"));
    EXPECT_THAT(Addresses(searcher.Found()), ElementsAre(Controller(2), Controller(4), Controller(6)));
    EXPECT_GE(took, 1400u);
}

TEST_F(DeviceSearcherTest, StreamOfEmptyDatagramsDoesNotHoldTheSearchPastItsTime)
{
    // Empty datagrams to the reply port, back to back for up to 6 s, as a misbehaving device might send.
    std::atomic<bool> searching{true};
    std::thread flood([&searching, port = searcher.recvPort] {
        const OM::Helpers::UniqueSocket sender(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = ::htons(port);
        to.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        const ULONGLONG until = ::GetTickCount64() + 6000;
        while (searching && ::GetTickCount64() < until)
            ::sendto(sender.get(), "", 0, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    });
    searcher.timeoutMs = 1000;
    const DWORD took = Search();
    searching = false;
    flood.join();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "end"));
    EXPECT_LT(took, 3000u) << "the search overran its time while empty datagrams kept arriving";
}

TEST_F(DeviceSearcherTest, RoundsProbeAgainOverTheFirstHalfOfTheSearchTime)
{
    Add("count=2");
    searcher.timeoutMs = 1200;
    searcher.probeRounds = 3;
    const DWORD took = Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:80", "reply 127.0.0.3:80",
                                         "reply 127.0.0.2:80", "reply 127.0.0.3:80", "reply 127.0.0.2:80",
                                         "reply 127.0.0.3:80", "end"));
    EXPECT_THAT(Stats(), ::testing::HasSubstr(" probes=3 "));
    EXPECT_GE(took, 1150u) << "rounds must not shorten the search";
    // The test namespace has its loopback only, which is no adapter to probe through.
    EXPECT_TRUE(sink.adapters.empty());
}

// A search for one controller ends soon after it answers, not at its time; a second reply from its address
// (as a second controller there would give) that comes a moment later is still heard.
TEST_F(DeviceSearcherTest, SearchWithAGoalEndsSoonAfterItIsReachedAndStillHearsASecondReply)
{
    Add("copies=2 gap=40 port=8001");
    Add("delay=20 port=8002");
    Add("delay=4000 port=8003");
    searcher.timeoutMs = 8000;
    searcher.probeRounds = 3;
    searcher.goal = SearchGoal{{Controller(2)}, 0};
    const DWORD took = Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:8001", "reply 127.0.0.3:8002",
                                         "reply 127.0.0.2:8001", "end"));
    EXPECT_LT(took, 4000u) << "the search waited for its time";
    EXPECT_THAT(Stats(), ::testing::HasSubstr(" probes=1 "));
}

TEST_F(DeviceSearcherTest, SearchThroughAnAdapterThatIsNotThereSendsNothing)
{
    Add("");
    searcher.timeoutMs = 500;
    searcher.adapterAddress = 0xC0A80005; // 192.168.0.5, no adapter's here
    Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "error 10049"));
    EXPECT_THAT(Stats(), ::testing::HasSubstr(" probes=0 "));
}

TEST_F(DeviceSearcherTest, ZeroSearchTimeEndsAtOnceWithoutWaitingForReplies)
{
    Add("delay=1000");
    searcher.timeoutMs = 0;
    Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "end"));
    EXPECT_TRUE(searcher.Found().empty());
}

TEST_F(DeviceSearcherTest, NegativeSearchTimeEndsWithTheFirstDatagramThatCarriesBytes)
{
    Add("kind=empty delay=100");
    Add("kind=short delay=300");
    Add("delay=600");
    searcher.timeoutMs = static_cast<DWORD>(-1);
    {
        DelayedCancel watchdog(searcher, 20000);
        Search();
    }

    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "end")) << "the short datagram ends it, unread";
    EXPECT_TRUE(searcher.Found().empty());
}

TEST_F(DeviceSearcherTest, ReceivePortInUseReportsTheBindErrorAndNoEnd)
{
    const OM::Helpers::UniqueSocket holder = HoldReplyPort();
    ASSERT_TRUE(holder);
    Add("");
    searcher.timeoutMs = 500;
    Search();

    EXPECT_THAT(sink.events, ElementsAre("begin", "error " + std::to_string(WSAEADDRINUSE)));
    EXPECT_TRUE(searcher.Found().empty());
    EXPECT_EQ(Stats(), "ok controllers=1 probes=0 ignored=0 sent=0 lost=0 failed=0 http=0")
        << "no probe may be sent";
}

TEST_F(DeviceSearcherTest, CancelEndsASearchWithoutEndAndHoldsUntilReset)
{
    Add("port=8001");
    Add("delay=5000 port=8002");
    searcher.timeoutMs = 30000;
    DWORD took;
    {
        DelayedCancel cancel(searcher, 500);
        took = Search();
    }
    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:8001"));
    EXPECT_LT(took, 4000u);

    sink.events.clear();
    searcher.timeoutMs = 1000;
    Search();
    EXPECT_THAT(sink.events, ElementsAre("begin")) << "a cancel stays in force until it is reset";

    // The previous search's probe may still have a reply on its way: a fresh scenario drops it.
    ASSERT_EQ(simulator.Command("reset"), "ok");
    Add("port=8001");
    sink.events.clear();
    searcher.ResetCancel();
    Search();
    EXPECT_THAT(sink.events, ElementsAre("begin", "probe", "reply 127.0.0.2:8001", "end"));
}

TEST_F(DeviceSearcherTest, SearchAfterACancelSendsNothing)
{
    Add("port=8001");
    searcher.timeoutMs = 1000;
    searcher.Cancel();
    const DWORD took = Search();

    EXPECT_THAT(sink.events, ElementsAre("begin"));
    EXPECT_LT(took, 500u);
    EXPECT_EQ(Stats(), "ok controllers=1 probes=0 ignored=0 sent=0 lost=0 failed=0 http=0")
        << "no probe may be sent";
}

TEST_F(DeviceSearcherTest, SearcherWithoutItsEventsRefusesToSearch)
{
    Add("port=8001");
    for (int missing = 0; missing < 2; ++missing)
    {
        OM::Helpers::UniqueWsaEvent cancel(missing == 0 ? WSA_INVALID_EVENT : ::WSACreateEvent());
        OM::Helpers::UniqueWsaEvent receive(missing == 1 ? WSA_INVALID_EVENT : ::WSACreateEvent());
        DeviceSearcher crippled(std::move(cancel), std::move(receive));
        RecordingSink refusals;
        crippled.sink = &refusals;
        crippled.timeoutMs = 500;
        crippled.Search();
        EXPECT_THAT(refusals.events, ElementsAre("begin", "error " + std::to_string(WSA_INVALID_HANDLE)));
    }
    EXPECT_EQ(Stats(), "ok controllers=1 probes=0 ignored=0 sent=0 lost=0 failed=0 http=0")
        << "no probe may be sent";
}

TEST_F(DeviceSearcherTest, UnboundedSearchEndsPromptlyOnCancel)
{
    searcher.timeoutMs = static_cast<DWORD>(-5000);
    DWORD took;
    {
        DelayedCancel cancel(searcher, 300);
        took = Search();
    }
    EXPECT_THAT(sink.events, ElementsAre("begin", "probe"));
    EXPECT_LT(took, 5000u) << "the cancel did not end the search promptly";
}

// Whether anything lives at an address, before a controller is given it: the controllers answer the probe
// by address (and no broadcast goes out, so the controllers elsewhere stay silent), the workstation's own
// address the echo, and an address the namespace has no route to nothing.
TEST_F(DeviceSearcherTest, AddressProbeHearsControllersAndEchoesWithoutABroadcast)
{
    Add("count=2");
    const std::map<std::uint32_t, AddressSkip> answered =
        ProbeAddresses({0x7F000002, 0x7F000004, 0xC6336407, 0x7F000003}, searcher.sendPort);
    EXPECT_EQ(answered, (std::map<std::uint32_t, AddressSkip>{{0x7F000002, AddressSkip::AnswersProbe},
                                                              {0x7F000003, AddressSkip::AnswersProbe},
                                                              {0x7F000004, AddressSkip::AnswersEcho}}));
    EXPECT_THAT(Stats(), ::testing::HasSubstr(" probes=3 "));
}
