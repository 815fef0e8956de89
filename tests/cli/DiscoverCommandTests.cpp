// "discover" of the real console program against the simulated site, in each of its formats.
#include "helpers/UniqueHandle.h"
#include "tests/cli/CliSiteTest.h"
#include "tests/engine/ReplyPortHolder.h"

#include <gmock/gmock.h>

#include <algorithm>

using namespace OM::Norvatessa::Testing;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

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
    EXPECT_EQ(result.out, "address,port,name,conflict,answered\r\n"
                          "127.0.0.2,80,Склад 1,no,yes\r\n"
                          "127.0.0.3,80,Склад 2,no,yes\r\n"
                          "127.0.0.4,8080,\"Hall, \"\"A\"\"\",no,yes\r\n"
                          "127.0.0.5,8003,,no,yes\r\n");
}

TEST_F(DiscoverCommandTest, JsonEscapesTheNamesAndWritesThemAsUtf8)
{
    AddSite();
    const CliResult result = Cli({L"discover", L"--format=json"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_EQ(result.out, "[\r\n"
                          "  {\"address\": \"127.0.0.2\", \"port\": 80, \"name\": \"Склад 1\", "
                          "\"conflict\": false, \"answered\": true},\r\n"
                          "  {\"address\": \"127.0.0.3\", \"port\": 80, \"name\": \"Склад 2\", "
                          "\"conflict\": false, \"answered\": true},\r\n"
                          "  {\"address\": \"127.0.0.4\", \"port\": 8080, \"name\": \"Hall, \\\"A\\\"\", "
                          "\"conflict\": false, \"answered\": true},\r\n"
                          "  {\"address\": \"127.0.0.5\", \"port\": 8003, \"name\": \"\", "
                          "\"conflict\": false, \"answered\": true}\r\n"
                          "]\r\n");
}

TEST_F(DiscoverCommandTest, SiteWithoutAnswersExitsWithOneAfterTheSearchTimeGiven)
{
    const CliResult result = RunCli({L"discover", L"--format", L"json", L"--time", L"1500"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_EQ(result.out, "[]\r\n");
    EXPECT_THAT(result.err, HasSubstr("Ни один контроллер не ответил за 1500 мс.\r\n"
                                      "Запрос поиска отправлен 5 раз: на 255.255.255.255 через адаптер, "
                                      "который выбрала система.\r\n"));
    EXPECT_THAT(result.err, HasSubstr("брандмауэр пропускает входящие ответы по UDP на порт 30303"));
    EXPECT_THAT(result.err,
                HasSubstr("параметром --add АДРЕС[:ПОРТ] или указать команде адресом АДРЕС:ПОРТ"));
    // The default search would take 5 s: the time given is the one searched.
    EXPECT_GE(result.elapsedMs, 1500u) << result;
    EXPECT_LT(result.elapsedMs, 4500u) << result;

    // A controller added by address that does not answer either keeps its row, marked; still nothing
    // answered.
    const CliResult added =
        Cli({L"discover", L"--format", L"csv", L"--add", L"127.0.0.50:8080", L"--probes=2"});
    EXPECT_EQ(added.exitCode, 1u) << added;
    EXPECT_EQ(added.out, "address,port,name,conflict,answered\r\n"
                         "127.0.0.50,8080,,no,no\r\n");
    EXPECT_THAT(added.err,
                HasSubstr("Контроллер 127.0.0.50:8080, заданный параметром --add, не ответил на поиск."));
    EXPECT_THAT(added.err, HasSubstr("отправлен 2 раза: на 255.255.255.255 через адаптер, который выбрала "
                                     "система, и по адресу 127.0.0.50."));
}

TEST_F(DiscoverCommandTest, ControllersAddedByAddressAreProbedThereAndListedWhenSilentOrOutOfReach)
{
    Add("name=Heard");
    // Its broadcast replies are all lost, as behind a router; it still serves HTTP.
    Add("name=Lost loss=100 port=8080");
    // 192.0.2.9 is out of reach: the test namespace has no route there, so its probe cannot even be sent;
    // nor can those of the range around it. The range of 127.0.0.60 to .65 holds no controller.
    const CliResult result = Cli({L"discover", L"--format", L"csv", L"--probes", L"2", L"--add",
                                  L"127.0.0.3:8080", L"--add", L"127.0.0.50", L"--add", L"192.0.2.9",
                                  L"--add", L"192.0.2.0/28", L"--add", L"127.0.0.60-127.0.0.65"});
    EXPECT_EQ(result.exitCode, 0u) << result;
    EXPECT_THAT(result.out, HasSubstr("127.0.0.2,80,Heard,no,yes\r\n"));
    // Whether a controller answers a probe sent to its own address is the site's affair; either way its row
    // is there, with its port.
    EXPECT_THAT(result.out, HasSubstr("\r\n127.0.0.3,8080,"));
    EXPECT_THAT(result.out, HasSubstr("\r\n127.0.0.50,80,,no,no\r\n"));
    EXPECT_THAT(result.out, HasSubstr("\r\n192.0.2.9,80,,no,no\r\n"));
    EXPECT_THAT(result.err, HasSubstr("Контроллер 127.0.0.50:80, заданный параметром --add, не ответил"));
    EXPECT_THAT(
        result.err,
        HasSubstr("Контроллер 192.0.2.9:80, заданный параметром --add, не опрошен: нет маршрута.\r\n"));
    EXPECT_THAT(result.err,
                HasSubstr("Диапазон 192.0.2.0/28, заданный параметром --add, не опрошен: нет маршрута.\r\n"));
    // An address of a range that does not answer is no controller: it has no row.
    EXPECT_THAT(result.out, Not(HasSubstr("127.0.0.6"))) << result;
    EXPECT_THAT(result.out, Not(HasSubstr("192.0.2.1"))) << result;
    // Two rounds, each the broadcast and a probe to each address within reach, those of the range included.
    EXPECT_EQ(ProbesHeard(), 2 * (3 + 6));
}

// A command that names its controllers ends its search once they have answered, and discover --expect once
// that many have; the second controller on an address still makes itself heard.
TEST_F(DiscoverCommandTest, SearchEndsOnceTheNamedOrTheExpectedControllersHaveAnswered)
{
    Add("name=First");
    const std::uint32_t second = Add("name=Second");
    Add("name=Late delay=15000");
    const CliResult moved = Cli({L"set", Wide(second) + L":80", L"ip=127.0.0.2", L"port=81"});
    ASSERT_EQ(moved.exitCode, 0u) << moved;

    const CliResult expected =
        RunCli({L"discover", L"--expect", L"1", L"--time", L"30000", L"--format", L"csv"});
    EXPECT_EQ(expected.exitCode, 0u) << expected;
    EXPECT_LT(expected.elapsedMs, 15000u) << expected;
    EXPECT_THAT(expected.out, StartsWith("address,port,name,conflict,answered\r\n127.0.0.2,8")) << expected;
    EXPECT_THAT(expected.out, EndsWith(",yes,yes\r\n")) << expected;
    EXPECT_THAT(expected.err, HasSubstr("По адресу 127.0.0.2 отвечают два контроллера (")) << expected;

    const CliResult named = RunCli({L"get", L"127.0.0.2", L"--time", L"30000", L"--format", L"json"});
    EXPECT_EQ(named.exitCode, 0u) << named;
    EXPECT_LT(named.elapsedMs, 15000u) << named;
}

// Two controllers on one address (a new one left at the factory address, say): both rows fall into one,
// which every format marks.
TEST_F(DiscoverCommandTest, AddressConflictIsMarkedAndToldUnderTheListing)
{
    Add("name=First");
    const std::uint32_t second = Add("name=Second");
    // The second moves onto the first one's address, on another port, which only the controllers allow; no
    // search is made for a controller given with its port, so none sees the first one in the way.
    const CliResult moved = Cli({L"set", Wide(second) + L":80", L"ip=127.0.0.2", L"port=81"});
    ASSERT_EQ(moved.exitCode, 0u) << moved;
    const std::string told = "По адресу 127.0.0.2 отвечают два контроллера (";

    const CliResult csv = Cli({L"discover", L"--format", L"csv"});
    EXPECT_EQ(csv.exitCode, 0u) << csv;
    EXPECT_THAT(csv.out, StartsWith("address,port,name,conflict,answered\r\n127.0.0.2,8"));
    EXPECT_THAT(csv.out, EndsWith(",yes,yes\r\n"));
    EXPECT_EQ(std::count(csv.out.begin(), csv.out.end(), '\n'), 2) << "one row for the address";
    EXPECT_THAT(csv.err, HasSubstr(told));

    const CliResult json = Cli({L"discover", L"--format", L"json"});
    EXPECT_EQ(json.exitCode, 0u) << json;
    EXPECT_THAT(json.out, HasSubstr("\"conflict\": true, \"answered\": true}"));
    EXPECT_THAT(json.err, HasSubstr(told));

    const CliResult table = Cli({L"discover"});
    EXPECT_EQ(table.exitCode, 0u) << table;
    EXPECT_THAT(table.out, Not(HasSubstr(told)));
    EXPECT_THAT(table.err, HasSubstr(told + "имя «"));
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

// An adapter that is not there: the search fails in the engine's words, and nothing goes out elsewhere.
TEST_F(DiscoverCommandTest, SearchThroughAnAdapterThatIsNotThereFailsAndSendsNothing)
{
    AddSite();
    const CliResult result = Cli({L"discover", L"--adapter", L"10.9.8.7", L"--add", L"127.0.0.2"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr("нет адреса «10.9.8.7», через который велено искать"));
    EXPECT_EQ(ProbesHeard(), 0);
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
