// What the console program refuses before it sends anything: values the settings sheet refuses, keys it
// does not know, command lines it cannot read; and what it does when a controller refuses a change.
#include "common/Words.h"
#include "tests/cli/CliSiteTest.h"

#include <gmock/gmock.h>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

// Where the build put the usage's parts for the help file's page of the console program.
const std::wstring HelpUsageFolder = NORVATESSA_HELP_USAGE L"\\";

class RefusalTest : public CliSiteTest
{
};

} // namespace

// The words the settings refuse, each value's own, are tested without the program
// (tests/settings/SettingTableTests.cpp); here, that the program says them, with the workstation's code
// page, and sends nothing.
TEST_F(RefusalTest, ValuesTheSettingsSheetRefusesAreRefusedInItsWordsAndNothingIsSent)
{
    struct Case
    {
        std::vector<std::wstring> words;
        std::string said;
    };
    const Case cases[] = {
        {{L"port=0"}, Utf8(Words::PortRange)},
        {{L"name=倉庫"}, Utf8(Words::NotInCodePage)},
        {{L"colour=red"}, "неизвестный ключ «colour»"},
        {{L"buzzer=on", L"buzzer=off"}, "ключ «buzzer» задан дважды"},
    };
    const std::uint32_t controller = Add("");
    for (const Case& refused : cases)
    {
        std::vector<std::wstring> arguments = {L"set", Wide(controller)};
        arguments.insert(arguments.end(), refused.words.begin(), refused.words.end());
        const CliResult result = Cli(arguments);
        EXPECT_EQ(result.exitCode, 2u) << result;
        EXPECT_THAT(result.err, HasSubstr(refused.said)) << result;
        EXPECT_EQ(result.out, "");
    }
    // Refused before the search: not even a read reached the controller.
    EXPECT_TRUE(Requests().empty());
}

TEST_F(RefusalTest, CommandLinesThatCannotBeReadExitWithTwoAndPointToTheHelp)
{
    const std::uint32_t controller = Add("");
    const std::vector<std::vector<std::wstring>> lines = {
        {L"frob"},
        {L"get"},
        {L"get", L"127.0.0"},
        {L"get", Wide(controller), L"--format", L"yaml"},
        {L"get", Wide(controller), L"--bogus"},
        {L"get", Wide(controller), L"--password", L"alone"},
        {L"discover", L"--time", L"0"},
        {L"set", Wide(controller)},
        {L"backup", Wide(controller)},
        {L"restore", Wide(controller), L"Z:\\nowhere\\missing.xml"},
    };
    for (const std::vector<std::wstring>& line : lines)
    {
        const CliResult result = RunCli(line);
        EXPECT_EQ(result.exitCode, 2u) << result;
        EXPECT_THAT(result.err, HasSubstr("norvatessa-cli: ")) << result;
    }
    // The search options and the addresses with a port, each refused for what it is.
    const std::pair<std::vector<std::wstring>, std::string> refused[] = {
        {{L"discover", L"--probes", L"0"}, "(--probes) — от 1 до 20"},
        {{L"discover", L"--probes", L"21"}, "(--probes) — от 1 до 20"},
        {{L"get", Wide(controller), L"--probes", L"x"}, "(--probes) — от 1 до 20"},
        {{L"get", L"--all", L"--parallel", L"0"}, "(--parallel) — от 1 до 64"},
        {{L"backup", L"--all", L"Z:\\nowhere", L"--parallel", L"65"}, "(--parallel) — от 1 до 64"},
        {{L"discover", L"--adapter", L"127.0.0"}, "«127.0.0» параметра --adapter"},
        {{L"discover", L"--adapter", L"0.0.0.0"}, "«0.0.0.0» параметра --adapter"},
        {{L"discover", L"--add", L"127.0.0.2:0"}, "«127.0.0.2:0» параметра --add"},
        {{L"discover", L"--add", L"127.0.0.2:65536"}, "«127.0.0.2:65536» параметра --add"},
        {{L"discover", L"--add", L"127.0.0.2", L"--add", L"0.0.0.0"}, "«0.0.0.0» параметра --add"},
        {{L"discover", L"--add", L"255.255.255.255:80"}, "«255.255.255.255:80» параметра --add"},
        {{L"discover", L"--add", L"127.0.0.2:"}, "«127.0.0.2:» параметра --add"},
        {{L"get", Wide(controller) + L":0"}, "«127.0.0.2:0» — не адрес контроллера"},
        {{L"get", L"0.0.0.0:80"}, "«0.0.0.0:80» — не адрес контроллера"},
        {{L"set", L"255.255.255.255:80", L"buzzer=on"}, "«255.255.255.255:80» — не адрес контроллера"},
        {{L"backup", Wide(controller) + L":80x", L"Z:\\nowhere\\backup.xml"}, "и после двоеточия порт"},
        {{L"discover", L"--add", L"10.1.0.0/2x"}, "«10.1.0.0/2x» параметра --add: нужен адрес"},
        {{L"get", Wide(controller), L"--add", L"10.0.0.0/19"},
         "«10.0.0.0/19» параметра --add слишком велик: "
         "в нём 8190 адресов, а можно не больше 4096"},
        {{L"backup", Wide(controller), L"Z:\\nowhere\\b.xml", L"--add", L"10.1.0.9-10.1.0.1"},
         "в диапазоне «10.1.0.9-10.1.0.1» параметра --add конец меньше начала"},
        // Five rounds of a /20 at 1,900 probes a second take 10.8 s: twice that is the search time needed.
        {{L"set", L"--all", L"buzzer=on", L"--add", L"10.1.0.0/20", L"--add", L"10.1.0.7"},
         "диапазонам --add (адресов: 4093) нужно --time 21543 или больше"},
        {{L"discover", L"--add", L"10.1.0.0/22", L"--time", L"5000", L"--probes", L"20"},
         "нужно --time 21516"},
        {{L"discover", L"--expect", L"0"}, "(--expect) — от 1 до 100000"},
        {{L"get", Wide(controller), L"--expect", L"1"}, "неизвестный параметр «--expect»"},
        {{L"set", L"--all", L"name=Склад"}, "ключ «name» задаётся только одному контроллеру"},
        {{L"set", Wide(controller), L"127.0.0.3", L"ip=127.0.0.9"}, "ключ «ip» задаётся только одному"},
        {{L"set", L"--from", L"Z:\\nowhere\\list.txt", L"mac=AB-CD"}, "ключ «mac» задаётся только одному"},
        {{L"get", Wide(controller), L"127.0.0.3", Wide(controller)}, "контроллер 127.0.0.2 задан дважды"},
        {{L"get", L"--all", Wide(controller)}, "или параметром --all, или адресами"},
        {{L"restore", L"127.0.0", L"Z:\\nowhere\\backup.xml"}, "«127.0.0» — не адрес контроллера"},
        {{L"backup", L"--from", L"Z:\\nowhere\\list.txt", L"Z:\\nowhere"},
         "Не удалось прочитать файл «Z:\\nowhere\\list.txt»"},
        {{L"set", Wide(controller), L"buzzer=on", L"--credentials", L"Z:\\nowhere\\login.txt"},
         "Не удалось прочитать файл «Z:\\nowhere\\login.txt»"},
    };
    for (const auto& [line, said] : refused)
    {
        const CliResult result = RunCli(line);
        EXPECT_EQ(result.exitCode, 2u) << result;
        EXPECT_THAT(result.err, HasSubstr(said)) << result;
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(ProbesHeard(), 0);

    // The usage as the help file's page shows it: the general part, and each command's part with the
    // common options under it (discover has none), the key list of set in its place.
    const auto page = [](const std::wstring& part) { return ReadBytes(HelpUsageFolder + part + L".txt"); };
    const auto redirected = [](const std::string& text) {
        std::string crlf;
        for (const char character : text)
            crlf += character == '\n' ? std::string("\r\n") : std::string(1, character);
        return crlf + "\r\n";
    };
    ASSERT_THAT(page(L"set"), HasSubstr("  sensorN=digital|analog"));
    EXPECT_EQ(RunCli({L"--help"}).out, redirected(page(L"general")));
    for (const wchar_t* command : {L"discover", L"get", L"set", L"backup", L"restore"})
    {
        const CliResult help = RunCli({command, L"--help"});
        EXPECT_EQ(help.exitCode, 0u) << help;
        EXPECT_THAT(help.out, HasSubstr("Использование: norvatessa-cli.exe " + Utf8(command))) << help;
        const std::string shown = command == std::wstring_view(L"discover")
                                      ? page(command)
                                      : page(command) + "\n\n" + page(L"common");
        EXPECT_EQ(help.out, redirected(shown)) << Utf8(command);
    }
}

TEST_F(RefusalTest, ChangeTheControllerDoesNotConfirmExitsWithOne)
{
    const std::uint32_t controller = Add("http=change-OK name=Старое");
    const CliResult result = Cli({L"set", Wide(controller), L"name=Новое"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_THAT(result.err,
                HasSubstr("Контроллер 127.0.0.2, настройки не изменены:\r\n"
                          "Контроллер не подтвердил изменение настроек (change=\"OK\" вместо \"ok\")."));
    EXPECT_EQ(Show(controller).at("name"), "Старое");
}

TEST_F(RefusalTest, ControllerThatDidNotAnswerTheSearchExitsWithOne)
{
    Add("");
    const CliResult result = Cli({L"get", L"127.0.0.9"});
    EXPECT_EQ(result.exitCode, 1u) << result;
    EXPECT_THAT(result.err, HasSubstr("Контроллер 127.0.0.9 не ответил на поиск за 500 мс."));
    EXPECT_TRUE(Requests().empty());

    // On a site it counts as one that did not answer, whatever the controller before it did.
    const CliResult site = Cli({L"get", L"127.0.0.2", L"127.0.0.9", L"--format", L"csv"});
    EXPECT_EQ(site.exitCode, 1u) << site;
    EXPECT_THAT(site.err, HasSubstr("Готово: 1 из 2; не ответили: 1\r\n")) << site;
}
