// Controllers that ask for credentials or do not answer, met by the real console program: every case
// ends, with the window program's words and exit code 1.
#include "device/HttpExchange.h"
#include "tests/cli/CliSiteTest.h"

#include <gmock/gmock.h>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

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

} // namespace

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
