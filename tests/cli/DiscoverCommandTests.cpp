// "discover" of the real console program against the simulated site, in each of its formats.
#include "helpers/UniqueHandle.h"
#include "tests/cli/CliSiteTest.h"
#include "tests/engine/ReplyPortHolder.h"

#include <gmock/gmock.h>

using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

class DiscoverCommandTest : public CliSiteTest
{
protected:
    // A site whose names need care in every format: Cyrillic, a separator and quotes, none at all.
    void AddSite()
    {
        Add("name=Склад%20{n} count=2");
        Add("name=Hall,%20%22A%22 port=8080");
        Add("name= port=8003");
    }
};

} // namespace

TEST_F(DiscoverCommandTest, TableAlignsTheColumnsUnderARussianHeader)
{
    AddSite();
    const CliResult result = Cli({L"discover"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_EQ(result.out, "Адрес      Порт  Имя\r\n"
                          "127.0.0.2  80    Склад 1\r\n"
                          "127.0.0.3  80    Склад 2\r\n"
                          "127.0.0.4  8080  Hall, \"A\"\r\n"
                          "127.0.0.5  8003  \r\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(DiscoverCommandTest, CsvQuotesAsRfc4180Wants)
{
    AddSite();
    const CliResult result = Cli({L"discover", L"--format", L"csv"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_EQ(result.out, "address,port,name\r\n"
                          "127.0.0.2,80,Склад 1\r\n"
                          "127.0.0.3,80,Склад 2\r\n"
                          "127.0.0.4,8080,\"Hall, \"\"A\"\"\"\r\n"
                          "127.0.0.5,8003,\r\n");
}

TEST_F(DiscoverCommandTest, JsonEscapesTheNamesAndWritesThemAsUtf8)
{
    AddSite();
    const CliResult result = Cli({L"discover", L"--format=json"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_EQ(result.out, "[\r\n"
                          "  {\"address\": \"127.0.0.2\", \"port\": 80, \"name\": \"Склад 1\"},\r\n"
                          "  {\"address\": \"127.0.0.3\", \"port\": 80, \"name\": \"Склад 2\"},\r\n"
                          "  {\"address\": \"127.0.0.4\", \"port\": 8080, \"name\": \"Hall, \\\"A\\\"\"},\r\n"
                          "  {\"address\": \"127.0.0.5\", \"port\": 8003, \"name\": \"\"}\r\n"
                          "]\r\n");
}

TEST_F(DiscoverCommandTest, SiteWithoutAnswersExitsWithOneAfterTheSearchTimeGiven)
{
    const CliResult result = RunCli({L"discover", L"--format", L"json", L"--time", L"1500"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_EQ(result.out, "[]\r\n");
    EXPECT_THAT(result.err, HasSubstr("Ни один контроллер не ответил за 1500 мс."));
    // The default search would take 5 s: the time given is the one searched.
    EXPECT_GE(result.elapsedMs, 1500u) << result;
    EXPECT_LT(result.elapsedMs, 4500u) << result;
}

// Another program holds the reply port: the search cannot begin, which must not read as an empty site.
TEST_F(DiscoverCommandTest, SearchThatCannotBeginSaysWhy)
{
    AddSite();
    const OM::Helpers::UniqueSocket holder = HoldReplyPort();
    ASSERT_TRUE(holder);
    const CliResult result = RunCli({L"discover", L"--time", L"500"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr("Порт UDP 30303"));
}

// "discover --format csv > file" on a full disk: Linux's full device refuses every write for want of
// space, as a full disk does.
TEST_F(DiscoverCommandTest, OutputThatCannotBeWrittenExitsWithOne)
{
    AddSite();
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const OM::Helpers::UniqueFileHandle full(::CreateFileW(L"Z:\\dev\\full", GENERIC_WRITE, FILE_SHARE_WRITE,
                                                           &inheritable, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(full) << ::GetLastError();
    const char probe = 'x';
    DWORD written = 0;
    ASSERT_FALSE(::WriteFile(full.get(), &probe, 1, &written, nullptr));
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));

    const CliResult result = RunCli({L"discover", L"--format", L"csv", L"--time", L"500"}, 60000, full.get());
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_THAT(result.err,
                HasSubstr("norvatessa-cli: не удалось записать стандартный вывод (код ошибки 112)"))
        << result;
}
