// Controllers that ask for credentials or do not answer, met by the real console program: every case
// ends, with the window program's words and exit code 1.
#include "device/HttpExchange.h"
#include "helpers/WinsockHandles.h"
#include "tests/cli/CliSiteTest.h"

#include <gmock/gmock.h>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace
{

class ExchangeFailureTest : public CliSiteTest
{
protected:
    bool LastRequestCarried(const std::string& header)
    {
        const std::vector<HttpRecord> requests = Requests();
        return !requests.empty() && requests.back().HasHeader(header) && requests.back().status == "200";
    }
};

constexpr char BossSecret[] = "Authorization: Basic Ym9zczpzZWNyZXQ="; // boss:secret

// A proxy that only listens, so that a test can tell whether anyone tried to go through it.
class ListeningProxy
{
public:
    ListeningProxy() : listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP))
    {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int length = sizeof at;
        if (!listener || ::bind(listener.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 ||
            ::listen(listener.get(), 8) != 0 ||
            ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&at), &length) != 0)
            return;
        url = L"http://127.0.0.1:" + std::to_wstring(::ntohs(at.sin_port));
    }

    // "http://127.0.0.1:PORT", empty when the listener could not be set up.
    const std::wstring& Url() const noexcept { return url; }

    // Whether a connection has come in by now.
    bool Approached()
    {
        fd_set waiting;
        FD_ZERO(&waiting);
        FD_SET(listener.get(), &waiting);
        timeval now{};
        return ::select(0, &waiting, nullptr, nullptr, &now) == 1;
    }

private:
    OM::Helpers::UniqueSocket listener;
    std::wstring url;
};

} // namespace

TEST_F(ExchangeFailureTest, ControllersAreReachedDirectlyWhateverProxyTheWorkstationHas)
{
    const std::uint32_t controller = Add("flag=2 admin=boss:secret");
    ListeningProxy proxy;
    ASSERT_FALSE(proxy.Url().empty());
    const ScopedEnvironment proxyVariable(L"http_proxy", proxy.Url().c_str());

    const CliResult result = Cli({L"get", Wide(controller), L"--user", L"boss", L"--password", L"secret"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_TRUE(LastRequestCarried(BossSecret));
    EXPECT_FALSE(proxy.Approached());
}

TEST_F(ExchangeFailureTest, DemandForCredentialsIsAnsweredFromTheCommandLineOrTheEnvironment)
{
    const std::uint32_t controller = Add("flag=2 admin=boss:secret");
    const std::wstring address = Wide(controller);

    const CliResult without = Cli({L"get", address});
    EXPECT_EQ(without.exitCode, 1u) << without;
    EXPECT_THAT(without.err, HasSubstr("Контроллер 127.0.0.2, Авторизация:\r\n"
                                       "Контроллер требует имя и пароль, а они не заданы."));

    const CliResult given = Cli({L"get", address, L"--user", L"boss", L"--password", L"secret"});
    EXPECT_EQ(given.exitCode, 0u) << given;
    EXPECT_TRUE(LastRequestCarried(BossSecret));

    {
        const ScopedEnvironment user(L"NORVATESSA_USER", L"boss");
        const ScopedEnvironment password(L"NORVATESSA_PASSWORD", L"secret");
        const CliResult fromEnvironment = Cli({L"get", address, L"--format", L"json"});
        EXPECT_EQ(fromEnvironment.exitCode, 0u) << fromEnvironment;
        EXPECT_THAT(fromEnvironment.out, HasSubstr("\"login\": \"boss\""));
        EXPECT_TRUE(LastRequestCarried(BossSecret));

        // The command line wins over the environment.
        const CliResult wrong = Cli({L"get", address, L"--password", L"guess"});
        EXPECT_EQ(wrong.exitCode, 1u) << wrong;
        EXPECT_THAT(wrong.err, HasSubstr("Контроллер не принял имя и пароль."));
    }
    EXPECT_TRUE(Requests("POST").empty());
}

TEST_F(ExchangeFailureTest, SiteGetsNoRequestKnownToBeRefusedAndCredentialsOnlyWhereAsked)
{
    const std::uint32_t guarded = Add("flag=2 admin=boss:secret");
    const std::uint32_t open = Add("");
    TemporaryFolder folder;
    for (const std::uint32_t controller : {guarded, open})
        folder.File(Wide(controller) + L".xml");
    const ScopedEnvironment user(L"NORVATESSA_USER", L"boss");
    const ScopedEnvironment password(L"NORVATESSA_PASSWORD", L"secret");
    // What each controller was sent since `before`: "GET /config 401", with " boss:secret" when the request
    // carried those credentials.
    const auto sent = [this](std::uint32_t controller, std::size_t before) {
        std::vector<std::string> lines;
        for (const HttpRecord& request : RequestsSince(before))
        {
            if (request.controller == Text(controller) + ":80")
                lines.push_back(request.method + " " + request.target + " " + request.status +
                                (request.HasHeader(BossSecret) ? " boss:secret" : ""));
        }
        return lines;
    };

    // A backup: the first request refused, the authorisation, the read.
    const CliResult backup = Cli({L"backup", L"--all", folder.Path()});
    EXPECT_EQ(backup.exitCode, 0u) << backup;
    EXPECT_THAT(sent(guarded, 0), ElementsAre("GET /config 401", "GET /config 200 boss:secret",
                                              "GET /config.xml 200 boss:secret"));
    EXPECT_THAT(sent(open, 0), ElementsAre("GET /config 200", "GET /config.xml 200"));

    // A change: the same, then the write and the read that checks it.
    const std::size_t before = Requests().size();
    const CliResult set = Cli({L"set", L"--all", L"sensor1=analog"});
    EXPECT_EQ(set.exitCode, 0u) << set;
    EXPECT_THAT(sent(guarded, before),
                ElementsAre("GET /config 401", "GET /config 200 boss:secret",
                            "GET /config.xml 200 boss:secret", "POST /config.xml 200 boss:secret",
                            "GET /config.xml 200 boss:secret"));
    EXPECT_THAT(sent(open, before), ElementsAre("GET /config 200", "GET /config.xml 200",
                                                "POST /config.xml 200", "GET /config.xml 200"));
}

TEST_F(ExchangeFailureTest, WriteThatLocksOutItsOwnCheckSaysTheChangeWentThrough)
{
    const std::uint32_t controller = Add("");
    const CliResult result = Cli({L"set", Wide(controller), L"ask-password=on"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_THAT(result.err, HasSubstr("Контроллер 127.0.0.2, Запрос настроек контроллера:\r\n"
                                      "Контроллер требует имя и пароль, а они не заданы."));
    EXPECT_THAT(result.err, HasSubstr("подтвердил изменение настроек, но прочитать их заново не удалось"));
    EXPECT_EQ(Show(controller).at("flag"), "2");
}

TEST_F(ExchangeFailureTest, StalledControllerEndsWithinTheTimeoutsAndGetsNoWrite)
{
    const std::uint32_t controller = Add("http=stall");
    // Wine gives up on a stalled answer after the receive time-out; the answer's own limit bounds the rest.
    const DWORD bound = SearchMs + HttpExchange::ReceiveTimeoutMs + 5000;
    for (const std::vector<std::wstring>& line :
         {std::vector<std::wstring>{L"get", Wide(controller)},
          std::vector<std::wstring>{L"set", Wide(controller), L"name=Новое"}})
    {
        const CliResult result = Cli(line);
        EXPECT_EQ(result.exitCode, 1u) << result;
        EXPECT_THAT(result.err, HasSubstr("Контроллер 127.0.0.2, Авторизация:\r\n")) << result;
        EXPECT_LT(result.elapsedMs, bound) << result;
    }
    EXPECT_TRUE(Requests("POST").empty());
}

TEST_F(ExchangeFailureTest, SetOnASiteTriesEveryControllerAndSaysWhichWereChanged)
{
    const std::uint32_t plain = Add("");
    const std::uint32_t guarded = Add("flag=2 admin=boss:secret");
    const std::uint32_t stalled = Add("http=stall");
    const std::uint32_t refusing = Add("flag=2 admin=boss:secret");
    TemporaryFolder folder;
    const std::wstring credentials = folder.File(L"credentials.txt");
    WriteBytes(credentials, "127.0.0.3,boss,secret\r\n127.0.0.5,boss,guess\r\n");

    const CliResult result =
        Cli({L"set", L"--all", L"sensor1=analog", L"--credentials", credentials, L"--format", L"json"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_THAT(result.err, HasSubstr("Настройки контроллера 127.0.0.2 изменены.\r\n"
                                      "Настройки контроллера 127.0.0.3 изменены.\r\n"
                                      "Контроллер 127.0.0.4, Авторизация: "));
    EXPECT_THAT(result.err,
                HasSubstr("\r\nКонтроллер 127.0.0.5, Авторизация: Контроллер не принял имя и пароль.\r\n"
                          "Готово: 2 из 4; не ответили: 1; с ошибкой: 1\r\n"));
    EXPECT_THAT(result.out,
                HasSubstr("{\"address\": \"127.0.0.3\", \"result\": \"done\", \"changed\": true, "
                          "\"message\": \"Настройки контроллера 127.0.0.3 изменены.\"},\r\n"
                          "  {\"address\": \"127.0.0.4\", \"result\": \"unanswered\", \"changed\": false"));
    EXPECT_THAT(result.out,
                HasSubstr("{\"address\": \"127.0.0.5\", \"result\": \"failed\", \"changed\": false"));
    for (const std::string* said : {&result.out, &result.err})
    {
        EXPECT_THAT(*said, Not(HasSubstr("secret")));
        EXPECT_THAT(*said, Not(HasSubstr("guess")));
    }
    for (const std::uint32_t changed : {plain, guarded})
        EXPECT_EQ(Show(changed).at("sentype"), "1");
    for (const std::uint32_t unchanged : {stalled, refusing})
        EXPECT_EQ(Show(unchanged).at("sentype"), "0");

    // Stopped at the first failure, the controllers after it are left as they are.
    const CliResult stopped = Cli({L"set", Wide(refusing), Wide(plain), L"buzzer=on", L"--credentials",
                                   credentials, L"--stop-on-error"});
    EXPECT_EQ(stopped.exitCode, 1u) << stopped;
    EXPECT_THAT(stopped.out, HasSubstr("Готово: 0 из 2; с ошибкой: 1; не обработаны после ошибки: 1"))
        << stopped;
    EXPECT_EQ(Show(plain).at("flag"), "0");
}
