// The device manager with its real worker, searcher and exchange, against the simulated site.
#include "device/HttpExchange.h"
#include "engine/DeviceManager.h"
#include "engine/ProgramSettings.h"
#include "tests/engine/ControllerSite.h"
#include "tests/engine/RecordingObserver.h"
#include "tests/engine/ReplyPortHolder.h"

#include <gmock/gmock.h>
#include <psapi.h>

#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using OM::Xml::DeviceProperties;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace
{

constexpr std::int32_t OpenSettings = 32782;

// Stands in for the credentials dialog and holds the worker in it until the prompt is cancelled, as Stop
// cancels the system's dialog. `onCancel` runs on the thread that cancels, once the worker is free and
// before the cancel returns: there a test sees what the worker does before the cancelling thread goes on.
class PromptHeldUntilCancelled final : public AuthorizationPrompt
{
public:
    explicit PromptHeldUntilCancelled(std::function<void()> onCancel) : onCancel(std::move(onCancel)) {}

    Outcome Ask(HINTERNET, int) override
    {
        ::SetEvent(asked.get());
        ::WaitForSingleObject(cancelled.get(), 10000);
        return {Answer::Cancelled};
    }
    void Cancel() noexcept override
    {
        ::SetEvent(cancelled.get());
        onCancel();
    }
    bool WaitAsked() { return ::WaitForSingleObject(asked.get(), 10000) == WAIT_OBJECT_0; }

private:
    std::function<void()> onCancel;
    OM::Helpers::UniqueHandle asked{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    OM::Helpers::UniqueHandle cancelled{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// An observer whose own code fails while the worker tells it something: a read's result, or the start of
// a read's exchange once `throwOnRead` is set.
class ThrowingObserver final : public Support
{
public:
    explicit ThrowingObserver(DeviceManager& manager) : manager(manager) { manager.Add(this); }
    ~ThrowingObserver() override { manager.Remove(this); }

    void OnDeviceProperties(const DevicePropertiesResult&) override
    {
        throw std::runtime_error("result lost");
    }
    void OnExchangeStarted(const std::wstring& label) override
    {
        if (throwOnRead && label == L"Запрос настроек контроллера")
            throw std::runtime_error("start lost");
    }

    std::atomic<bool> throwOnRead{false};

private:
    DeviceManager& manager;
};

class DeviceManagerTest : public ControllerSiteTest
{
protected:
    void SetUp() override
    {
        ControllerSiteTest::SetUp();
        Settings().searchTimeout = 800;
        Settings().udpSendPort = 2860;
    }
    void TearDown() override
    {
        manager.Stop();
        // A test that stopped half-way must not leave its addresses to the searches of the next.
        Settings().knownControllers.clear();
        ControllerSiteTest::TearDown();
    }

    // Starts the worker and waits for its first search to fill the table.
    void StartAndFind()
    {
        ASSERT_TRUE(manager.Start());
        ASSERT_TRUE(observer.WaitFor("finished", 2)) << Dump();
        observer.Clear();
    }

    // Reads a controller as the device list does, and waits for the record.
    DeviceProperties Read(std::uint32_t address)
    {
        const std::string line = "properties " + Text(address) + " tag " + std::to_string(OpenSettings);
        const std::size_t before = observer.Count(line);
        manager.Post(GetDevicePropertiesRequest{address, &observer, OpenSettings});
        EXPECT_TRUE(observer.WaitFor(line, 1 + before)) << Dump();
        const std::vector<DevicePropertiesResult> results = observer.Results();
        return results.empty() ? DeviceProperties{} : results.back().properties;
    }

    void Write(std::uint32_t address, const DeviceProperties& properties)
    {
        manager.Post(SetDevicePropertiesRequest{address, properties});
    }

    std::string Dump()
    {
        std::string text = "notifications:";
        for (const std::string& line : observer.Events())
            text += "\n  " + line;
        return text;
    }

    DeviceManager manager;
    RecordingObserver observer{manager};
};

} // namespace

TEST_F(DeviceManagerTest, StartSearchesAtOnceAndKeepsOneDeviceForEachAddressInAddressOrder)
{
    Add("name=Первый port=8001 delay=300");
    Add("name=Второй copies=2 gap=50");
    Add("name= port=8003 delay=100");
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished", 2)) << Dump();

    // Each controller is told as its first reply arrives, before the search ends and fills the table.
    EXPECT_THAT(observer.Events(), ElementsAre("searching", "found 127.0.0.3:80", "found 127.0.0.4:8003",
                                               "found 127.0.0.2:8001", "finished", "finished"));
    const auto tables = observer.Tables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_THAT(tables[0], IsEmpty()) << "the first report comes before the table is filled";
    ASSERT_EQ(tables[1].size(), 3u);
    EXPECT_EQ(tables[1][0].address, 0x7F000002u);
    EXPECT_EQ(tables[1][0].port, 8001);
    EXPECT_EQ(tables[1][1].address, 0x7F000003u);
    EXPECT_EQ(tables[1][2].address, 0x7F000004u);
    EXPECT_EQ(tables[1][2].name, L"");
    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_FALSE(manager.IsRunning());
}

TEST_F(DeviceManagerTest, LossySiteIsFoundWholeWithTheDefaultRounds)
{
    // Each controller answers a given probe with a chance of 0.7; the seed makes the losses repeatable.
    ASSERT_EQ(simulator.Command("reset 7"), "ok");
    Add("count=30 loss=30 spread=100");
    ASSERT_EQ(Settings().probeCount, 5);
    Settings().searchTimeout = 1500;
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished", 2)) << Dump();
    const auto tables = observer.Tables();
    ASSERT_EQ(tables.size(), 2u);
    const std::string stats = simulator.Command("stats");
    EXPECT_EQ(tables[1].size(), 30u) << stats;
    EXPECT_THAT(stats, ::testing::HasSubstr(" probes=5 "));
}

TEST_F(DeviceManagerTest, TwoControllersOnOneAddressAreToldAndTheirRowIsMarked)
{
    Add("name=First delay=1500"); // 127.0.0.2: too late for the first search
    const std::uint32_t second = Add("name=Second");
    StartAndFind();
    // The second moves onto the first one's address, on another port, which only the controllers allow.
    DeviceProperties moved = Read(second);
    moved.ip = 0x7F000002;
    moved.tcpPort = 81;
    moved.changed = OM::Xml::PropIp | OM::Xml::PropTcpPort;
    Write(second, moved);
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 0")) << Dump();
    observer.Clear();

    Settings().searchTimeout = 2500;
    manager.Post(NewSearchRequest{});
    ASSERT_TRUE(observer.WaitFor("finished", 2)) << Dump();
    EXPECT_THAT(observer.Events(),
                ElementsAre("searching", "found 127.0.0.2:81",
                            "conflict По адресу 127.0.0.2 отвечают два контроллера (имя «Second» и «First», "
                            "порт 81 и 80). Дайте одному из них другой адрес.",
                            "finished", "finished"));
    const auto tables = observer.Tables();
    ASSERT_EQ(tables.size(), 2u);
    ASSERT_EQ(tables[1].size(), 1u);
    EXPECT_TRUE(tables[1][0].conflict);
}

TEST_F(DeviceManagerTest, ControllersAddedByAddressAreReadAndKeepTheirRowWhenSilentOrOutOfReach)
{
    // Neither answers a search (all their replies are lost), as behind a router; both serve HTTP.
    const std::uint32_t known = Add("loss=100 port=8080");
    const std::uint32_t added = Add("loss=100 name=Added");
    const std::uint32_t heard = Add("name=Heard");
    // Added at another site: the test namespace has no route there, so its probe cannot even be sent, which
    // must cost its own row only.
    constexpr std::uint32_t elsewhere = 0xC0000209; // 192.0.2.9
    Settings().knownControllers = {{known, 8080}, {elsewhere, 80}};
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished", 2)) << Dump();
    Settings().knownControllers.clear();
    const auto tables = observer.Tables();
    ASSERT_FALSE(tables.empty());
    ASSERT_EQ(tables.back().size(), 3u);
    EXPECT_EQ(tables.back()[0].address, known);
    EXPECT_EQ(tables.back()[0].port, 8080);
    EXPECT_FALSE(tables.back()[0].answered);
    EXPECT_EQ(tables.back()[0].probeError, 0);
    EXPECT_EQ(tables.back()[1].address, heard);
    EXPECT_TRUE(tables.back()[1].answered);
    EXPECT_EQ(tables.back()[2].address, elsewhere);
    EXPECT_FALSE(tables.back()[2].answered);
    EXPECT_EQ(tables.back()[2].probeError, WSAENETUNREACH);
    EXPECT_EQ(Read(known).tcpPort, 8080);

    manager.Post(AddControllerRequest{added, 80, &observer, OpenSettings});
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.3 tag " + std::to_string(OpenSettings))) << Dump();
    EXPECT_EQ(observer.Results().back().properties.name, L"Added");
    // An address where nothing listens is refused in words, not dropped.
    observer.Clear();
    manager.Post(AddControllerRequest{0x7F000063, 80, &observer, OpenSettings});
    ASSERT_TRUE(observer.WaitFor("failed NoAnswer 12029")) << Dump();
}

TEST_F(DeviceManagerTest, SearchThatCannotBeginSaysSoRatherThanFindNothing)
{
    const OM::Helpers::UniqueSocket holder = HoldReplyPort();
    ASSERT_TRUE(holder);
    Add("");
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("finished")) << Dump();
    EXPECT_THAT(observer.Events(),
                ElementsAre("searching", "search failed " + std::to_string(WSAEADDRINUSE), "finished"));
}

TEST_F(DeviceManagerTest, ReadReachesOnlyItsRequesterWithItsTag)
{
    const std::uint32_t controller = Add("name=Warehouse");
    RecordingObserver bystander(manager);
    StartAndFind();
    // The bystander hears the end of the search after the observer does.
    ASSERT_TRUE(bystander.WaitFor("finished", 2));
    bystander.Clear();
    const DeviceProperties read = Read(controller);

    EXPECT_EQ(read.name, L"Warehouse");
    EXPECT_EQ(read.ip, controller);
    EXPECT_EQ(read.tcpPort, 80);
    EXPECT_THAT(observer.Events(),
                ElementsAre("started Авторизация", "completed", "started Запрос настроек контроллера",
                            "completed", "properties 127.0.0.2 tag 32782"));
    EXPECT_THAT(bystander.Events(), ElementsAre("started Авторизация", "completed",
                                                "started Запрос настроек контроллера", "completed"));
}

TEST_F(DeviceManagerTest, WriteOfTheNameSendsOnePostThenReadsOnceAndTellsEveryone)
{
    const std::uint32_t controller = Add("name=Old");
    StartAndFind();
    DeviceProperties edited = Read(controller);
    observer.Clear();
    const std::size_t before = Requests().size();
    edited.name = L"New";
    edited.changed = OM::Xml::PropName;
    Write(controller, edited);
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 0")) << Dump();

    EXPECT_THAT(observer.Events(), ElementsAre("started Изменение настроек контроллера", "completed",
                                               "started Запрос настроек контроллера", "completed",
                                               "properties 127.0.0.2 tag 0"));
    const std::vector<HttpRecord> requests = RequestsSince(before);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_EQ(requests[1].method + " " + requests[1].target, "GET /config.xml");
    EXPECT_EQ(Show(controller)["name"], "New");
    EXPECT_EQ(observer.Results().back().properties.name, L"New");
}

TEST_F(DeviceManagerTest, WriteOfThePortReconnectsAndReadsFromTheNewPort)
{
    const std::uint32_t controller = Add("port=8001");
    StartAndFind();
    DeviceProperties edited = Read(controller);
    edited.tcpPort = 8080;
    edited.changed = OM::Xml::PropTcpPort;
    Write(controller, edited);
    ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 0")) << Dump();

    const std::vector<HttpRecord> requests = Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2].controller, "127.0.0.2:8001");
    EXPECT_EQ(requests[requests.size() - 2].method, "POST");
    EXPECT_EQ(requests.back().controller, "127.0.0.2:8080");
    EXPECT_EQ(requests.back().target, "/config.xml");
    EXPECT_EQ(observer.Results().back().properties.tcpPort, 8080);
}

TEST_F(DeviceManagerTest, WriteOfTheAddressMovesTheDeviceAndReadsFromTheNewAddress)
{
    const std::uint32_t controller = Add("");
    StartAndFind();
    DeviceProperties edited = Read(controller);
    observer.Clear();
    edited.ip = 0x7F000A0A;
    edited.changed = OM::Xml::PropIp;
    Write(controller, edited);
    ASSERT_TRUE(observer.WaitFor("properties 127.0.10.10 tag 0")) << Dump();

    EXPECT_THAT(observer.Events(), ElementsAre("started Изменение настроек контроллера", "completed",
                                               "moved 127.0.0.2 127.0.10.10", "started Авторизация",
                                               "completed", "started Запрос настроек контроллера",
                                               "completed", "properties 127.0.10.10 tag 0"));
    EXPECT_EQ(Requests().back().controller, "127.0.10.10:80");

    // The old address is gone from the table, the new one answers.
    observer.Clear();
    manager.Post(GetDevicePropertiesRequest{controller, &observer, OpenSettings});
    ASSERT_TRUE(observer.WaitFor("refused read UnknownController")) << Dump();
    EXPECT_EQ(Read(0x7F000A0A).ip, 0x7F000A0Au);
}

TEST_F(DeviceManagerTest, WriteOntoAnotherKnownControllersAddressIsRefusedAndSendsNothing)
{
    const std::uint32_t first = Add("count=2");
    StartAndFind();
    DeviceProperties edited = Read(first);
    observer.Clear();
    const std::size_t before = Requests().size();
    edited.ip = first + 1;
    edited.changed = OM::Xml::PropIp;
    Write(first, edited);
    ASSERT_TRUE(observer.WaitFor("refused write AddressTaken")) << Dump();

    EXPECT_THAT(observer.Events(), ElementsAre("refused write AddressTaken"));
    EXPECT_EQ(observer.Refusals().back().detail, L"127.0.0.3");
    EXPECT_THAT(RequestsSince(before), IsEmpty());
}

TEST_F(DeviceManagerTest, RecordsTheControllerCouldNotReceiveUnchangedAreRefusedBeforeSending)
{
    const std::uint32_t controller = Add("");
    StartAndFind();
    const DeviceProperties read = Read(controller);
    const std::size_t before = Requests().size();
    observer.Clear();

    DeviceProperties quoted = read;
    quoted.name = L"Hall \"7\" admin=\"x\"";
    Write(controller, quoted);
    DeviceProperties colon = read;
    colon.userPassword = L"a:b";
    Write(controller, colon);
    // The workstation's code page here is Windows-1252, which has no Cyrillic.
    DeviceProperties foreign = read;
    foreign.name = L"Склад";
    Write(controller, foreign);
    ASSERT_TRUE(observer.WaitFor("refused write TextNotInCodePage")) << Dump();

    EXPECT_THAT(observer.Events(), ElementsAre("refused write TextNotCarried", "refused write TextNotCarried",
                                               "refused write TextNotInCodePage"));
    EXPECT_THAT(RequestsSince(before), IsEmpty());
}

TEST_F(DeviceManagerTest, AnswersThatCannotBeUsedAreRefusedWithTheirReason)
{
    const std::uint32_t failing = Add("http=500");
    const std::uint32_t elsewhere = Add("http=other-address");
    const std::uint32_t doubtful = Add("http=change-OK");
    StartAndFind();

    manager.Post(GetDevicePropertiesRequest{failing, &observer, OpenSettings});
    manager.Post(GetDevicePropertiesRequest{elsewhere, &observer, OpenSettings});
    manager.Post(GetDevicePropertiesRequest{0x7F00FFFE, &observer, OpenSettings});
    const DeviceProperties read = Read(doubtful);
    DeviceProperties edited = read;
    edited.name = L"Renamed";
    edited.changed = OM::Xml::PropName;
    Write(doubtful, edited);
    ASSERT_TRUE(observer.WaitFor("refused write ChangeNotConfirmed")) << Dump();

    const std::vector<RequestRefusal> refusals = observer.Refusals();
    ASSERT_EQ(refusals.size(), 4u) << Dump();
    EXPECT_EQ(refusals[0].reason, RefusalReason::AnswerUnreadable);
    EXPECT_EQ(refusals[0].httpStatus, 500u);
    EXPECT_EQ(refusals[1].reason, RefusalReason::OtherAddress);
    EXPECT_EQ(refusals[2].reason, RefusalReason::UnknownController);
    EXPECT_EQ(refusals[3].reason, RefusalReason::ChangeNotConfirmed);
    EXPECT_EQ(refusals[3].detail, L"OK");
    // A write the controller did not confirm is not read back.
    EXPECT_EQ(Requests().back().method, "POST");
}

TEST_F(DeviceManagerTest, FailedExchangeReachesTheObservers)
{
    const std::uint32_t controller = Add("http=cut");
    StartAndFind();
    manager.Post(GetDevicePropertiesRequest{controller, &observer, OpenSettings});
    ASSERT_TRUE(observer.WaitFor("failed AnswerCutOff")) << Dump();
    EXPECT_THAT(observer.Events(), ElementsAre("started Авторизация", "failed AnswerCutOff"));
    EXPECT_EQ(observer.Failures().back().label, L"Авторизация");
    EXPECT_EQ(observer.Failures().back().address, controller);
}

TEST_F(DeviceManagerTest, RequestWhoseHandlingThrowsEndsAsARefusalAndTheWorkerGoesOn)
{
    const std::uint32_t controller = Add("");
    StartAndFind();
    {
        ThrowingObserver throwing(manager);
        manager.Post(GetDevicePropertiesRequest{controller, &throwing, OpenSettings});
        ASSERT_TRUE(observer.WaitFor("refused read InternalFailure")) << Dump();
        // Thrown in the middle of an exchange: the exchange still ends, and the wait dialog with it.
        throwing.throwOnRead = true;
        manager.Post(GetDevicePropertiesRequest{controller, &observer, OpenSettings});
        ASSERT_TRUE(observer.WaitFor("refused read InternalFailure", 2)) << Dump();
    }
    EXPECT_THAT(observer.Events(),
                ElementsAre("started Авторизация", "completed", "started Запрос настроек контроллера",
                            "completed", "refused read InternalFailure",
                            "started Запрос настроек контроллера", "aborted",
                            "refused read InternalFailure"));
    const std::vector<RequestRefusal> refusals = observer.Refusals();
    EXPECT_EQ(refusals[0].detail, L"result lost");
    EXPECT_EQ(refusals[1].detail, L"start lost");
    EXPECT_EQ(refusals[1].address, controller);
    EXPECT_EQ(Read(controller).ip, controller);
}

TEST_F(DeviceManagerTest, StopEndsARunningSearchPromptly)
{
    Settings().searchTimeout = 30000;
    Add("");
    ASSERT_TRUE(manager.Start());
    ASSERT_TRUE(observer.WaitFor("searching"));
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(::GetTickCount64() - started, 2000u);

    // The cancel does not outlive the stop: the next run searches in full.
    observer.Clear();
    Settings().searchTimeout = 500;
    StartAndFind();
    manager.Post(GetDevicePropertiesRequest{0x7F000002, &observer, OpenSettings});
    EXPECT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 32782")) << Dump();
}

TEST_F(DeviceManagerTest, StopDuringAnExchangeEndsWithinTheTimeoutsAndRunsNothingQueued)
{
    const std::uint32_t stalled = Add("http=stall");
    const std::uint32_t healthy = Add("");
    StartAndFind();
    manager.Post(GetDevicePropertiesRequest{stalled, &observer, OpenSettings});
    manager.Post(GetDevicePropertiesRequest{healthy, &observer, OpenSettings});
    ASSERT_TRUE(observer.WaitFor("started Авторизация"));
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(::GetTickCount64() - started, 2 * HttpExchange::ReceiveTimeoutMs + 2000);
    EXPECT_FALSE(manager.IsRunning());
    for (const HttpRecord& request : Requests())
        EXPECT_NE(request.controller, Text(healthy) + ":80") << "the queued read ran after the stop";
}

// The cancel frees the worker, which goes on to the next queued request at once: the stop must already
// be signalled then, or that request's exchange begins and may run to its own limit, past Stop's wait.
TEST_F(DeviceManagerTest, StopIsSignalledBeforeItsCancelFreesTheWorker)
{
    const std::uint32_t asking = Add("flag=2");
    const std::uint32_t queued = Add("");
    PromptHeldUntilCancelled prompt([&] {
        // The worker either begins the queued read or ends; the cancel waits to see which.
        for (int tries = 0; tries < 300 && manager.IsRunning() && observer.Count("started Авторизация") < 2;
             ++tries)
            ::Sleep(10);
    });
    manager.SetAuthorizationPrompt(&prompt);
    StartAndFind();
    manager.Post(GetDevicePropertiesRequest{asking, &observer, OpenSettings});
    manager.Post(GetDevicePropertiesRequest{queued, &observer, OpenSettings});
    ASSERT_TRUE(prompt.WaitAsked()) << Dump();

    EXPECT_EQ(manager.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(observer.Count("started Авторизация"), 1u) << Dump();
    for (const HttpRecord& request : Requests())
        EXPECT_NE(request.controller, Text(queued) + ":80") << "the queued read began after the stop";
}

TEST_F(DeviceManagerTest, TwoHundredReadWriteCyclesKeepHandlesAndMemorySteady)
{
    const std::uint32_t controller = Add("");
    StartAndFind();
    const auto handles = [] {
        DWORD count = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &count);
        return count;
    };
    const auto workingSet = [] {
        PROCESS_MEMORY_COUNTERS counters{};
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        return counters.WorkingSetSize;
    };
    DWORD handlesAfterWarmUp = 0;
    std::size_t memoryAfterWarmUp = 0;
    for (int cycle = 1; cycle <= 200; ++cycle)
    {
        DeviceProperties edited = Read(controller);
        edited.name = L"Cycle " + std::to_wstring(cycle);
        edited.changed = OM::Xml::PropName;
        Write(controller, edited);
        ASSERT_TRUE(observer.WaitFor("properties 127.0.0.2 tag 0", static_cast<std::size_t>(cycle)))
            << Dump();
        if (cycle == 20)
        {
            handlesAfterWarmUp = handles();
            memoryAfterWarmUp = workingSet();
        }
    }
    EXPECT_EQ(Show(controller)["name"], "Cycle 200");
    EXPECT_LE(handles(), handlesAfterWarmUp + 4);
    EXPECT_LT(workingSet(), memoryAfterWarmUp + 4 * 1024 * 1024);
}
