// Batches on the device manager's exchange lanes, against the simulated site: many controllers at once,
// each told once, a stalled one holding its own lane only, cancels and the stop.
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "tests/engine/ControllerSite.h"
#include "tests/engine/RecordingObserver.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <string>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

// Answers every demand with the simulator's default credentials, and notes how many prompts were ever
// open at once.
class CountingPrompts final : public BatchPrompts
{
public:
    AuthorizationPrompt::Outcome Ask(std::uint32_t, HINTERNET, int attempt) override
    {
        const int now = ++open;
        most = std::max(most.load(), now);
        ::Sleep(50);
        --open;
        ++asked;
        if (attempt > 0)
            return {AuthorizationPrompt::Answer::Failed, ExchangeFailureReason::CredentialsRejected};
        return AuthorizationPrompt::Outcome::Retry(Credentials{L"admin", L"admin"});
    }

    std::atomic<int> open{0};
    std::atomic<int> most{0};
    std::atomic<int> asked{0};
};

class ExchangeLanesTest : public ControllerSiteTest
{
protected:
    void SetUp() override
    {
        ControllerSiteTest::SetUp();
        Settings().udpSendPort = 2860;
    }
    void TearDown() override
    {
        manager.Stop();
        Settings().parallelExchanges = DefaultParallelExchanges;
        ControllerSiteTest::TearDown();
    }

    // The worker, without a search: every controller of a batch is named with its port.
    void Start(int lanes)
    {
        Settings().parallelExchanges = lanes;
        ASSERT_TRUE(manager.Start(false));
    }

    static BatchRequest ReadOf(const std::vector<std::uint32_t>& addresses)
    {
        BatchRequest request;
        for (const std::uint32_t address : addresses)
            request.targets.push_back(BatchTarget{address, 80, std::nullopt});
        return request;
    }

    static std::vector<std::uint32_t> Range(std::uint32_t first, std::uint32_t count)
    {
        std::vector<std::uint32_t> addresses;
        for (std::uint32_t index = 0; index < count; ++index)
            addresses.push_back(first + index);
        return addresses;
    }

    // Waits for the batch to end; its outcomes by address, each told once.
    std::map<std::uint32_t, BatchOutcome> Outcomes(BatchId batch, const std::string& end = "finished")
    {
        EXPECT_TRUE(observer.WaitFor("batch " + std::to_string(batch) + " " + end, 1, 60000));
        std::map<std::uint32_t, BatchOutcome> told;
        for (const BatchOutcome& outcome : observer.Outcomes())
        {
            if (outcome.batch != batch)
                continue;
            EXPECT_TRUE(told.emplace(outcome.address, outcome).second)
                << Text(outcome.address) << " told twice";
        }
        return told;
    }

    // Waits until `count` exchanges of the batch have started on its lanes.
    bool WaitStarted(BatchId batch, std::size_t count)
    {
        for (int tries = 0; tries < 1000 && observer.ExchangesStarted(batch) < count; ++tries)
            ::Sleep(10);
        return observer.ExchangesStarted(batch) >= count;
    }

    std::size_t Position(const std::string& line)
    {
        const std::vector<std::string> events = observer.Events();
        return static_cast<std::size_t>(std::find(events.begin(), events.end(), line) - events.begin());
    }

    DeviceManager manager;
    RecordingObserver observer{manager};
};

ExchangeFailureReason FirstReason(const BatchOutcome& outcome)
{
    return outcome.problems.empty() ? ExchangeFailureReason::NotConnected
                                    : outcome.problems.front().failure.reason;
}

} // namespace

TEST_F(ExchangeLanesTest, EveryControllerIsToldOnceFromTheWorkerAndAStalledOneHoldsOnlyItsLane)
{
    const std::uint32_t stalled = Add("http=stall");
    const std::uint32_t first = Add("count=12");
    Start(3);
    std::vector<std::uint32_t> addresses = Range(first, 12);
    addresses.insert(addresses.begin(), stalled);
    const BatchId batch = manager.Post(ReadOf(addresses));
    const std::map<std::uint32_t, BatchOutcome> told = Outcomes(batch);

    ASSERT_EQ(told.size(), 13u);
    // The stalled controller started first and holds one lane to the receive time-out; the other two
    // lanes read the rest meanwhile.
    EXPECT_EQ(observer.Outcomes().back().address, stalled);
    const BatchOutcome& silent = told.at(stalled);
    EXPECT_EQ(silent.result, BatchResult::Failed);
    EXPECT_TRUE(silent.unanswered);
    EXPECT_EQ(FirstReason(silent), ExchangeFailureReason::NoAnswerInTime);
    for (const std::uint32_t address : Range(first, 12))
    {
        const BatchOutcome& outcome = told.at(address);
        EXPECT_EQ(outcome.result, BatchResult::Done) << Text(address);
        ASSERT_TRUE(outcome.read) << Text(address);
        EXPECT_EQ(outcome.read->properties.ip, address);
        EXPECT_FALSE(outcome.read->answer.empty());
    }
    const std::set<DWORD> threads = observer.Threads();
    EXPECT_EQ(threads.size(), 1u) << "every notification comes from the worker";
    EXPECT_FALSE(threads.contains(::GetCurrentThreadId()));
    // The read is each controller's last request: it asks for the connection to be closed after the
    // answer, or the system would keep one idle connection per controller of a whole site.
    for (const HttpRecord& request : Requests())
        EXPECT_EQ(request.HasHeader("Connection: close"), request.target == "/config.xml")
            << request.controller << " " << request.target;
}

TEST_F(ExchangeLanesTest, CancelEndsOnlyItsBatchAndASearchWaitsForEveryBatch)
{
    const std::uint32_t stalled = Add("count=3 http=stall");
    const std::uint32_t slow = Add("count=3 answer-delay=1000");
    Settings().searchTimeout = 300;
    Start(8);
    const BatchId cancelled = manager.Post(ReadOf(Range(stalled, 3)));
    const BatchId going = manager.Post(ReadOf(Range(slow, 3)));
    manager.Post(NewSearchRequest{});
    ASSERT_TRUE(WaitStarted(cancelled, 3) && WaitStarted(going, 3));
    manager.CancelBatch(cancelled);

    for (const auto& [address, outcome] : Outcomes(cancelled, "cancelled"))
        EXPECT_EQ(outcome.result, BatchResult::Cancelled) << Text(address);
    const std::map<std::uint32_t, BatchOutcome> done = Outcomes(going);
    ASSERT_EQ(done.size(), 3u);
    for (const auto& [address, outcome] : done)
        EXPECT_EQ(outcome.result, BatchResult::Done) << Text(address);
    ASSERT_TRUE(observer.WaitFor("finished", 2));
    // The cancel did not wait for the other batch, and the search waited for both.
    EXPECT_LT(Position("batch " + std::to_string(cancelled) + " cancelled"),
              Position("outcome " + Text(slow) + " done"));
    EXPECT_GT(Position("searching"), Position("batch " + std::to_string(going) + " finished"));
}

TEST_F(ExchangeLanesTest, StopEndsEveryLaneWithinItsBound)
{
    // A dripped answer would hold each lane to the answer limit, longer than the stop waits.
    const std::uint32_t dripping = Add("count=4 http=drip drip=1000");
    Start(4);
    manager.Post(ReadOf(Range(dripping, 4)));
    ASSERT_TRUE(WaitStarted(1, 4));
    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(manager.LanesRunning());
}

TEST_F(ExchangeLanesTest, OnePromptIsOpenAtATimeWhateverTheLanes)
{
    const std::uint32_t first = Add("count=6 flag=2");
    Start(6);
    BatchRequest request = ReadOf(Range(first, 6));
    auto prompts = std::make_shared<CountingPrompts>();
    request.prompts = prompts;
    for (const auto& [address, outcome] : Outcomes(manager.Post(request)))
        EXPECT_EQ(outcome.result, BatchResult::Done) << Text(address);
    EXPECT_EQ(prompts->asked.load(), 6);
    EXPECT_EQ(prompts->most.load(), 1);
}

// A site where a tenth of the controllers stall, cut their answers or refuse the connection, read whole
// three times over: every outcome right each time, and nothing left running.
TEST_F(ExchangeLanesTest, SiteOfTwoHundredWithATenthFailingIsToldRightThreeTimes)
{
    const char* const failing[] = {"http=stall", "http=cut", "http=refuse"};
    const ExchangeFailureReason reasons[] = {ExchangeFailureReason::NoAnswerInTime,
                                             ExchangeFailureReason::AnswerCutOff,
                                             ExchangeFailureReason::NoAnswer};
    std::map<std::uint32_t, int> mode; // -1: answers, else the index of its failure
    std::vector<std::uint32_t> addresses;
    for (int group = 0; group < 20; ++group)
    {
        const std::uint32_t answering = Add("count=9");
        for (const std::uint32_t address : Range(answering, 9))
            mode[address] = -1;
        mode[Add(failing[group % 3])] = group % 3;
    }
    for (const auto& [address, kind] : mode)
        addresses.push_back(address);
    Start(DefaultParallelExchanges);
    for (int run = 1; run <= 3; ++run)
    {
        const std::map<std::uint32_t, BatchOutcome> told = Outcomes(manager.Post(ReadOf(addresses)));
        ASSERT_EQ(told.size(), 200u) << "run " << run;
        for (const auto& [address, outcome] : told)
        {
            const int kind = mode.at(address);
            if (kind < 0)
            {
                EXPECT_EQ(outcome.result, BatchResult::Done) << Text(address);
                continue;
            }
            EXPECT_EQ(outcome.result, BatchResult::Failed) << Text(address);
            EXPECT_EQ(FirstReason(outcome), reasons[kind]) << Text(address);
        }
    }
    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(manager.LanesRunning());
}
