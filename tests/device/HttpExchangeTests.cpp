// The HTTP exchange with real WinINet under Wine, against controllers of the simulator in the test
// namespace, with the system's credentials dialog on the virtual display.
#include "app/SystemAuthorizationDialog.h"
#include "device/ConnectionCloser.h"
#include "device/ExchangeLabels.h"
#include "device/HttpExchange.h"
#include "tests/device/CredentialsDialogAnswerer.h"
#include "tests/device/TestCredentialStore.h"
#include "tests/engine/ControllerSite.h"
#include "tests/engine/RecordingObserver.h"
#include "xml/Utf16File.h"

#include <gmock/gmock.h>

#include <functional>
#include <memory>
#include <thread>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace
{

// Writes down the course of every exchange: "1 Авторизация", "0", "5 NoAnswer 12029", ...
class RecordingSink final : public ConnectionSink
{
public:
    void OnConnectionEvent(const ConnectionEvent& event) override
    {
        std::string line = std::to_string(event.kind);
        if (event.kind == ExchangeStarted)
        {
            line += ' ';
            line += OM::Xml::utf8Text(event.text);
        }
        if (event.kind == ExchangeFailedKind)
        {
            line += " ";
            line += ReasonName(event.failure.reason);
            if (event.failure.systemError != 0)
            {
                line += ' ';
                line += std::to_string(event.failure.systemError);
            }
        }
        events.push_back(line);
    }
    std::vector<std::string> events;
};

class HttpExchangeTest : public ControllerSiteTest
{
protected:
    // As in the window program, a demand for credentials opens the system's dialog, unless a test says
    // otherwise.
    HttpExchangeTest() { exchange.SetAuthorizationPrompt(&systemDialog); }

    // Opens a connection to the controller, as discovery would have found it.
    std::unique_ptr<Connection> Open(std::uint32_t address, std::uint16_t port = 80)
    {
        auto connection = std::make_unique<Connection>(address, port);
        EXPECT_TRUE(exchange.OpenConnection(*connection));
        return connection;
    }

    // Runs one request on the connection; returns how long it took in milliseconds.
    ULONGLONG Timed(Connection& connection, HttpRequest& request, bool& result)
    {
        const ULONGLONG started = ::GetTickCount64();
        result = exchange.ExecuteRequest(connection, request);
        return ::GetTickCount64() - started;
    }

    // Runs one request on the connection while another thread cancels it after `cancelAfterMs`.
    bool Cancelled(Connection& connection, HttpRequest& request, DWORD cancelAfterMs)
    {
        std::thread canceller([this, cancelAfterMs] {
            ::Sleep(cancelAfterMs);
            exchange.CancelExchange();
        });
        const bool result = exchange.ExecuteRequest(connection, request);
        canceller.join();
        return result;
    }

    RecordingSink sink;
    AcceptedCredentials accepted;
    HttpExchange exchange{sink, nullptr, accepted};
    SystemAuthorizationDialog systemDialog;
};

HttpRequest Read()
{
    return HttpRequest(PropertiesObject, ReadPropertiesLabel);
}

constexpr char BossSecret[] = "Authorization: Basic Ym9zczpzZWNyZXQ="; // boss:secret

// Whether the system still knows the handle: it has not been closed.
bool StillOpen(HINTERNET handle)
{
    DWORD type = 0;
    DWORD size = sizeof type;
    return ::InternetQueryOptionW(handle, INTERNET_OPTION_HANDLE_TYPE, &type, &size) != FALSE;
}

} // namespace

TEST_F(HttpExchangeTest, FirstRequestIsPrecededByTheAuthorizationGetAndLaterOnesAreNot)
{
    const std::uint32_t controller = Add("name=Lab");
    const auto connection = Open(controller);
    HttpRequest first = Read();
    ASSERT_TRUE(exchange.ExecuteRequest(*connection, first));
    EXPECT_TRUE(connection->authorized);
    HttpRequest second = Read();
    ASSERT_TRUE(exchange.ExecuteRequest(*connection, second));

    EXPECT_THAT(sink.events, ElementsAre("1 Авторизация", "0", "1 Запрос настроек контроллера", "0",
                                         "1 Запрос настроек контроллера", "0"));
    EXPECT_THAT(first.answer, HasSubstr(L"ip=\"127.0.0.2\""));
    EXPECT_THAT(first.answer, HasSubstr(L"name=\"Lab\""));
    EXPECT_EQ(first.answer, second.answer);
    EXPECT_EQ(first.answerStatus, 200u);
    const std::vector<HttpRecord> requests = Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].target, "/config");
    EXPECT_EQ(requests[1].target, "/config.xml");
    EXPECT_EQ(requests[2].target, "/config.xml");
}

TEST_F(HttpExchangeTest, PostSendsTheTypeAndLengthLinesAndExactlyTheBodyBytes)
{
    const std::uint32_t controller = Add("");
    const auto connection = Open(controller);
    connection->authorized = true;
    const std::wstring body =
        L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<om>\n\t<net name=\"Hall 7\" />\n</om>\n";
    HttpRequest write(PropertiesObject, WritePropertiesLabel, body);
    ASSERT_TRUE(exchange.ExecuteRequest(*connection, write));

    EXPECT_THAT(sink.events, ElementsAre("1 Изменение настроек контроллера", "0"));
    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].target, "/config.xml");
    EXPECT_TRUE(posts[0].HasHeader("Content-Type: text/xml"));
    EXPECT_TRUE(posts[0].HasHeader("Content-Length: " + std::to_string(body.size())));
    EXPECT_EQ(posts[0].body, OM::Xml::utf8Text(body));
    EXPECT_THAT(write.answer, HasSubstr(L"change=\"ok\""));
}

TEST_F(HttpExchangeTest, ErrorStatusesWithABodyAreAnswers)
{
    for (const char* status : {"404", "500"})
    {
        const std::uint32_t controller = Add(std::string("http=") + status);
        const auto connection = Open(controller);
        HttpRequest read = Read();
        EXPECT_TRUE(exchange.ExecuteRequest(*connection, read)) << status;
        EXPECT_EQ(read.answerStatus, static_cast<DWORD>(std::stoi(status)));
        EXPECT_THAT(OM::Xml::utf8Text(read.answer), HasSubstr(status));
    }
    EXPECT_THAT(sink.events, ElementsAre("1 Авторизация", "0", "1 Запрос настроек контроллера", "0",
                                         "1 Авторизация", "0", "1 Запрос настроек контроллера", "0"));
}

TEST_F(HttpExchangeTest, BrokenAnswersFailWithTheirReasonWithinTheTimeouts)
{
    struct Case
    {
        const char* options;
        const char* event;
        ULONGLONG boundMs;
    };
    const DWORD slack = 3000;
    const Case cases[] = {
        {"http=refuse", "5 NoAnswer 12029", slack},
        {"http=unaccepted", "5 NoConnection", HttpExchange::ConnectTimeoutMs + slack},
        {"http=stall", "5 NoAnswerInTime", HttpExchange::ReceiveTimeoutMs + slack},
        {"http=hangup", "5 ClosedWithoutAnswer", slack},
        {"http=cut", "5 AnswerCutOff", slack},
        {"http=huge", "5 AnswerTooLong", slack},
        {"http=drip drip=200", "5 ", HttpExchange::AnswerTimeLimitMs + slack},
    };
    for (const Case& broken : cases)
    {
        sink.events.clear();
        const std::uint32_t controller = Add(broken.options);
        const auto connection = Open(controller);
        connection->authorized = true;
        HttpRequest read = Read();
        bool result = true;
        const ULONGLONG took = Timed(*connection, read, result);
        EXPECT_FALSE(result) << broken.options;
        EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", StartsWith(broken.event)))
            << broken.options;
        EXPECT_LT(took, broken.boundMs) << broken.options;
        EXPECT_TRUE(read.answer.empty()) << broken.options;
    }
}

TEST_F(HttpExchangeTest, AnswerThatDripsInWithinTheTimeLimitIsRead)
{
    const std::uint32_t controller = Add("http=drip drip=5");
    const auto connection = Open(controller);
    connection->authorized = true;
    HttpRequest read = Read();
    ASSERT_TRUE(exchange.ExecuteRequest(*connection, read));
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "0"));
    EXPECT_THAT(read.answer, HasSubstr(L"</om>"));
}

TEST_F(HttpExchangeTest, CancelEndsAStalledExchangeWithoutAnAnswer)
{
    const std::uint32_t controller = Add("http=stall");
    const auto connection = Open(controller);
    connection->authorized = true;
    HttpRequest read = Read();
    std::thread canceller([this] {
        ::Sleep(500);
        exchange.CancelExchange();
        exchange.CancelExchange(); // a second cancel finds nothing to close
    });
    bool result = true;
    const ULONGLONG took = Timed(*connection, read, result);
    canceller.join();

    EXPECT_FALSE(result);
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "2"));
    // The cancel wakes the waiting worker at once, whatever the system's own thread still does.
    EXPECT_LT(took, 1500u);
}

// Fills the stack where the exchange's frames were with a pattern, waits while the controller goes on
// sending, and counts the words something else wrote meanwhile: a call the exchange gave up on that still
// writes into the stack of a function that has returned.
__attribute__((noinline)) int WordsWrittenBelowTheCallerMeanwhile(DWORD waitMs)
{
    constexpr std::uint32_t Pattern = 0xA5C3A5C3;
    volatile std::uint32_t words[16384];
    for (auto& word : words)
        word = Pattern;
    ::Sleep(waitMs);
    int changed = 0;
    for (const auto& word : words)
        changed += word != Pattern;
    return changed;
}

TEST_F(HttpExchangeTest, ExchangeCancelledWhileTheAnswerArrivesLeavesNoLateWriteBehind)
{
    // The head arrives within about 2 s, then the body byte by byte: the cancel finds the exchange waiting
    // for the next bytes, which keep coming after it has returned.
    const std::uint32_t controller = Add("http=drip drip=20");
    const auto connection = Open(controller);
    connection->authorized = true;
    HttpRequest read = Read();
    EXPECT_FALSE(Cancelled(*connection, read, 3000));
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "2"));
    EXPECT_EQ(WordsWrittenBelowTheCallerMeanwhile(1000), 0);
}

TEST_F(HttpExchangeTest, ConnectionIsClosedOnlyOnceTheSystemHasFinishedEveryRequestUnderIt)
{
    const std::uint32_t controller = Add("http=stall");
    const auto connection = Open(controller);
    connection->authorized = true;
    // The system gives up on the silent controller by itself 4 s after sending: until then the cancelled
    // request goes on under the connection.
    DWORD receiveMs = 4000;
    ::InternetSetOptionW(connection->ConnectHandle(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receiveMs,
                         sizeof receiveMs);
    HttpRequest read = Read();
    EXPECT_FALSE(Cancelled(*connection, read, 300));
    const HINTERNET connect = connection->ConnectHandle();
    const ULONGLONG closed = ::GetTickCount64();
    connection->Close();

    ::Sleep(ConnectionCloser::GraceMs + 500);
    EXPECT_TRUE(StillOpen(connect));
    while (StillOpen(connect) && ::GetTickCount64() - closed < 30000)
        ::Sleep(50);
    EXPECT_FALSE(StillOpen(connect));
}

TEST_F(HttpExchangeTest, ConnectionThatIsNotOpenFailsWithoutSendingAnything)
{
    Add("");
    Connection closed(0x7F000002, 80);
    HttpRequest read = Read();
    EXPECT_FALSE(exchange.ExecuteRequest(closed, read));
    EXPECT_THAT(sink.events, ElementsAre("5 NotConnected"));
    EXPECT_TRUE(Requests().empty());
}

// Each request as the controller saw it: "127.0.0.2:80 /config 401", with " boss:secret" when it
// carried those credentials.
std::vector<std::string> Seen(const std::vector<HttpRecord>& requests)
{
    std::vector<std::string> seen;
    for (const HttpRecord& request : requests)
        seen.push_back(request.controller + " " + request.target + " " + request.status +
                       (request.HasHeader(BossSecret) ? " boss:secret" : ""));
    return seen;
}

TEST_F(HttpExchangeTest, DemandForCredentialsIsAnsweredInTheSystemDialog)
{
    const std::uint32_t controller = Add("flag=2 admin=boss:secret");
    const auto connection = Open(controller);
    bool result = false;
    {
        // Were the typed credentials not sent with the next request at once, a second dialog would follow.
        CredentialsDialogAnswerer user(CredentialsDialogAnswerer::Action::Confirm, L"boss", L"secret", 2);
        HttpRequest read = Read();
        result = exchange.ExecuteRequest(*connection, read);
        EXPECT_EQ(user.Answered(), 1);
        EXPECT_EQ(read.answerStatus, 200u);
        EXPECT_THAT(read.answer, HasSubstr(L"admin=\"boss:secret\""));
    }
    EXPECT_TRUE(result);
    EXPECT_THAT(sink.events,
                ElementsAre("1 Авторизация", "3", "4", "0", "1 Запрос настроек контроллера", "0"));
    // Refused once, without credentials; then what the user typed, with the resend and the read.
    EXPECT_THAT(Seen(Requests()),
                ElementsAre("127.0.0.2:80 /config 401", "127.0.0.2:80 /config 200 boss:secret",
                            "127.0.0.2:80 /config.xml 200 boss:secret"));
}

TEST_F(HttpExchangeTest, CancelInTheCredentialsDialogAbortsTheExchange)
{
    const std::uint32_t controller = Add("flag=2 admin=boss:secret");
    const auto connection = Open(controller);
    CredentialsDialogAnswerer user(CredentialsDialogAnswerer::Action::Cancel, L"", L"");
    HttpRequest read = Read();
    EXPECT_FALSE(exchange.ExecuteRequest(*connection, read));
    EXPECT_THAT(sink.events, ElementsAre("1 Авторизация", "3", "2"));
    EXPECT_FALSE(connection->authorized);
}

// Runs a step of the test's own when the controller demands credentials.
class PromptStep final : public AuthorizationPrompt
{
public:
    explicit PromptStep(std::function<Outcome(HINTERNET)> step) : step(std::move(step)) {}
    Outcome Ask(HINTERNET request, int) override { return step(request); }

private:
    std::function<Outcome(HINTERNET)> step;
};

TEST_F(HttpExchangeTest, CancelLeavesTheRequestOpenForTheExchangeWhichSendsNothingMore)
{
    const std::uint32_t controller = Add("flag=2 admin=boss:secret");
    const auto connection = Open(controller);
    connection->authorized = true;
    bool requestOpen = false;
    std::size_t requestsAtCancel = 0;
    // The user-interface thread may cancel at any moment: here, as the demand is answered.
    PromptStep prompt([&](HINTERNET request) {
        exchange.CancelExchange();
        requestOpen = StillOpen(request);
        requestsAtCancel = Requests().size();
        return AuthorizationPrompt::Outcome{AuthorizationPrompt::Answer::Retry};
    });
    exchange.SetAuthorizationPrompt(&prompt);
    HttpRequest read = Read();
    EXPECT_FALSE(exchange.ExecuteRequest(*connection, read));

    EXPECT_TRUE(requestOpen);
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "3", "4", "2"));
    EXPECT_GT(requestsAtCancel, 0u);
    ::Sleep(500); // a request sent after the cancel would have reached the controller by now
    EXPECT_EQ(Requests().size(), requestsAtCancel);
}

TEST_F(HttpExchangeTest, FiveConfirmedDemandsEndTheLoopWithAnEmptyAnswer)
{
    const std::uint32_t controller = Add("http=unauthorized");
    const auto connection = Open(controller);
    connection->authorized = true;
    CredentialsDialogAnswerer user(CredentialsDialogAnswerer::Action::Confirm, L"boss", L"wrong", 5);
    HttpRequest read = Read();
    EXPECT_TRUE(exchange.ExecuteRequest(*connection, read));
    EXPECT_EQ(user.Answered(), 5);
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "3", "4", "3", "4", "3", "4", "3",
                                         "4", "3", "4", "0"));
    EXPECT_TRUE(read.answer.empty());
    EXPECT_EQ(read.answerStatus, 401u);
}

// Answers a demand for credentials from given ones, as the console program does.
class GivenCredentials final : public AuthorizationPrompt
{
public:
    Outcome Ask(HINTERNET, int attempt) override
    {
        ++asked;
        if (attempt > 0)
            return {Answer::Failed, ExchangeFailureReason::CredentialsRejected};
        Outcome retry = Outcome::Retry(Credentials{L"boss", L"secret"});
        retry.remember = remember;
        return retry;
    }

    bool remember = false; // as with "Запомнить на этом компьютере" ticked
    int asked = 0;
};

TEST_F(HttpExchangeTest, ControllerThatClosesAMomentAfterEveryAnswerIsAnsweredEveryTime)
{
    // Each answer says "Connection: close", and the controller closes 15 ms later: every request that
    // follows within that moment, the resend with credentials above all, meets a reset.
    GivenCredentials prompt;
    exchange.SetAuthorizationPrompt(&prompt);
    for (const char* options : {"http=close", "http=close flag=2 admin=boss:secret"})
    {
        const std::uint32_t controller = Add(options);
        const auto connection = Open(controller);
        int answered = 0;
        for (int request = 0; request < 25; ++request)
        {
            HttpRequest read = Read();
            answered += exchange.ExecuteRequest(*connection, read) && read.answerStatus == 200;
        }
        EXPECT_EQ(answered, 25) << options << ": " << sink.events.back();
    }
}

TEST_F(HttpExchangeTest, CredentialsGoFirstOnlyToAControllerThatHasAcceptedThemInThisRun)
{
    GivenCredentials prompt;
    exchange.SetAuthorizationPrompt(&prompt);
    const std::uint32_t guarded = Add("flag=2 admin=boss:secret");
    const std::uint32_t open = Add("");
    // Each read twice, each time on a connection of its own, as after a new search.
    for (int round = 0; round < 2; ++round)
    {
        for (const std::uint32_t controller : {guarded, open})
        {
            const auto connection = Open(controller);
            HttpRequest read = Read();
            EXPECT_TRUE(exchange.ExecuteRequest(*connection, read)) << Text(controller);
        }
    }
    EXPECT_THAT(Seen(Requests()),
                ElementsAre("127.0.0.2:80 /config 401", "127.0.0.2:80 /config 200 boss:secret",
                            "127.0.0.2:80 /config.xml 200 boss:secret", "127.0.0.3:80 /config 200",
                            "127.0.0.3:80 /config.xml 200", "127.0.0.2:80 /config 200 boss:secret",
                            "127.0.0.2:80 /config.xml 200 boss:secret", "127.0.0.3:80 /config 200",
                            "127.0.0.3:80 /config.xml 200"));

    // Its password changed: what it accepted is refused once, and not offered again.
    Set(guarded, "admin=boss:other");
    const std::size_t before = Requests().size();
    sink.events.clear();
    const auto connection = Open(guarded);
    HttpRequest read = Read();
    EXPECT_FALSE(exchange.ExecuteRequest(*connection, read));
    EXPECT_THAT(sink.events, ElementsAre("1 Авторизация", "3", "5 CredentialsRejected"));
    EXPECT_THAT(Seen(RequestsSince(before)), ElementsAre("127.0.0.2:80 /config 401 boss:secret"));
    EXPECT_FALSE(accepted.For(guarded));
}

TEST(CredentialStoreTest,
     EntriesAreFoundByAddressReplacedFollowAChangedAccountAndAreForgottenByTheirPrefixAlone)
{
    TestCredentialStore store(L"NorvatessaTest/");
    TestCredentialStore other(L"NorvatessaTestOther/");
    const Credentials cyrillic{L"Начальник", L"пароль 2"};
    EXPECT_EQ(store.Remember(0x7F000002, Credentials{L"boss", L"old"}), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(store.Remember(0x7F000002, cyrillic), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(store.Remember(0x7F000003, Credentials{L"boss", L""}), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(other.Remember(0x7F000002, Credentials{L"other", L"secret"}), DWORD(ERROR_SUCCESS));

    EXPECT_EQ(store.Find(0x7F000002), cyrillic);
    EXPECT_EQ(store.Find(0x7F000003), (Credentials{L"boss", L""}));
    EXPECT_FALSE(store.Find(0x7F000004));
    store.Forget(0x7F000003);
    EXPECT_FALSE(store.Find(0x7F000003));
    EXPECT_EQ(store.ForgetAll(), std::optional<std::size_t>(1));
    EXPECT_FALSE(store.Find(0x7F000002));
    EXPECT_EQ(store.ForgetAll(), std::optional<std::size_t>(0));
    EXPECT_EQ(other.Find(0x7F000002), (Credentials{L"other", L"secret"}));

    // A write that changed an account: the entry that held the old credentials now holds the new ones, and
    // an entry with other credentials stays as it was.
    AcceptedCredentials accepted;
    accepted.Remember(&store);
    const Credentials before{L"boss", L"old"};
    const Credentials after{L"boss", L"new"};
    ASSERT_EQ(store.Remember(0x7F000005, before), DWORD(ERROR_SUCCESS));
    ASSERT_EQ(store.Remember(0x7F000006, Credentials{L"boss", L"other"}), DWORD(ERROR_SUCCESS));
    accepted.Changed(0x7F000005, before, after);
    accepted.Changed(0x7F000006, before, after);
    EXPECT_EQ(store.Find(0x7F000005), after);
    EXPECT_EQ(accepted.For(0x7F000005), after);
    EXPECT_EQ(store.Find(0x7F000006), (Credentials{L"boss", L"other"}));
}

TEST_F(HttpExchangeTest, RememberedCredentialsGoFirstOnlyToTheirControllerAndLeaveTheStoreWhenRefused)
{
    TestCredentialStore store(L"NorvatessaTest/");
    accepted.Remember(&store);
    GivenCredentials prompt;
    prompt.remember = true;
    exchange.SetAuthorizationPrompt(&prompt);
    const std::uint32_t remembered = Add("flag=2 admin=boss:secret");
    const std::uint32_t open = Add("");
    const std::uint32_t asking = Add("flag=2 admin=boss:secret");
    ASSERT_EQ(store.Remember(remembered, Credentials{L"boss", L"secret"}), DWORD(ERROR_SUCCESS));
    for (const std::uint32_t controller : {remembered, open, asking})
    {
        const auto connection = Open(controller);
        HttpRequest read = Read();
        EXPECT_TRUE(exchange.ExecuteRequest(*connection, read)) << Text(controller);
    }
    EXPECT_THAT(
        Seen(Requests()),
        ElementsAre("127.0.0.2:80 /config 200 boss:secret", "127.0.0.2:80 /config.xml 200 boss:secret",
                    "127.0.0.3:80 /config 200", "127.0.0.3:80 /config.xml 200", "127.0.0.4:80 /config 401",
                    "127.0.0.4:80 /config 200 boss:secret", "127.0.0.4:80 /config.xml 200 boss:secret"));
    // Asked by the third alone, whose acceptance is remembered; the open one gets no entry.
    EXPECT_EQ(prompt.asked, 1);
    EXPECT_EQ(store.Find(asking), (Credentials{L"boss", L"secret"}));
    EXPECT_FALSE(store.Find(open));

    // Its password changed: the remembered entry is refused once, and leaves the store.
    Set(remembered, "admin=boss:other");
    AcceptedCredentials nextRun;
    nextRun.Remember(&store);
    HttpExchange next{sink, nullptr, nextRun};
    next.SetAuthorizationPrompt(&prompt);
    const auto connection = Open(remembered);
    connection->authorized = true;
    HttpRequest read = Read();
    EXPECT_FALSE(next.ExecuteRequest(*connection, read));
    EXPECT_FALSE(store.Find(remembered));
    EXPECT_FALSE(nextRun.For(remembered));
    EXPECT_EQ(nextRun.For(asking), (Credentials{L"boss", L"secret"}));
}

TEST_F(HttpExchangeTest, RedirectIsAFailureAndTheCredentialsGoNowhereElse)
{
    const std::uint32_t redirecting = Add("http=redirect");
    Add(""); // where the redirect points
    accepted.Accepted(redirecting, Credentials{L"boss", L"secret"});
    const auto connection = Open(redirecting);
    connection->authorized = true;
    HttpRequest read = Read();
    EXPECT_FALSE(exchange.ExecuteRequest(*connection, read));
    EXPECT_THAT(sink.events, ElementsAre("1 Запрос настроек контроллера", "5 Redirected"));
    EXPECT_THAT(Seen(Requests()), ElementsAre("127.0.0.2:80 /config.xml 302 boss:secret"));
}
