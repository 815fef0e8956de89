// "get", "set", "backup" and "restore" of the real console program against simulated controllers: what
// each shows, sends and writes, and that a backup restored gives the controller back as it was.
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"
#include "tests/cli/CliSiteTest.h"
#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>

using namespace OM::Norvatessa::Testing;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace
{

using Settings = std::map<std::string, std::string>;

// The attributes of the "net" element of a document file in Windows-1251, as UTF-8 key=value pairs.
Settings DocumentAttributes(const std::string& bytes)
{
    const int length =
        ::MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(1251, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    OM::Xml::ConfigDocument document(L"om");
    Settings attributes;
    std::vector<const OM::Xml::ConfigNode*> nets;
    if (!document.loadFromString(text) || document.root.findChildren(L"net", nets) == 0)
        return attributes;
    for (const auto& [key, value] : nets.front()->attributes)
        attributes[OM::Xml::utf8Text(key)] = OM::Xml::utf8Text(value);
    return attributes;
}

// The body of the controller's answer to GET /config.xml, as its bytes cross the network.
std::string AnswerBody(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = ::htonl(address);
    at.sin_port = ::htons(port);
    const OM::Helpers::UniqueSocket connection(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!connection || ::connect(connection.get(), reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0)
        return "cannot connect: error " + std::to_string(::WSAGetLastError());
    const std::string request = "GET /config.xml HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    ::send(connection.get(), request.data(), static_cast<int>(request.size()), 0);
    std::string answer;
    char buffer[4096];
    for (int received; (received = ::recv(connection.get(), buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(received));
    const std::size_t head = answer.find("\r\n\r\n");
    return head == std::string::npos ? "no answer: " + answer : answer.substr(head + 4);
}

class SettingsCommandTest : public CliSiteTest
{
protected:
    TemporaryFolder folder;
};

} // namespace

TEST_F(SettingsCommandTest, GetShowsEverySettingAndThePasswordsOnlyWhenAsked)
{
    const std::uint32_t controller =
        Add("name=Склад%20№7 admin=boss:secret user=guard:pin sentype=5 seninv=3 flag=1 port=8081 "
            "mask=255.255.0.0 gate=127.0.0.1 mac=00-1A-2B-3C-4D-5E");
    const std::wstring address = Wide(controller);

    const CliResult json = Cli({L"get", address, L"--format", L"json"});
    EXPECT_EQ(json.exitCode, 0u) << json;
    EXPECT_EQ(json.out, "{\r\n"
                        "  \"name\": \"Склад №7\",\r\n"
                        "  \"ip\": \"127.0.0.2\",\r\n"
                        "  \"port\": 8081,\r\n"
                        "  \"mask\": \"255.255.0.0\",\r\n"
                        "  \"gateway\": \"127.0.0.1\",\r\n"
                        "  \"mac\": \"00-1A-2B-3C-4D-5E\",\r\n"
                        "  \"sensors\": [\r\n"
                        "    {\"type\": \"analog\", \"contact\": \"normally-open\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-open\"},\r\n"
                        "    {\"type\": \"analog\", \"contact\": \"normally-closed\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-closed\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-closed\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-closed\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-closed\"},\r\n"
                        "    {\"type\": \"digital\", \"contact\": \"normally-closed\"}\r\n"
                        "  ],\r\n"
                        "  \"buzzer\": true,\r\n"
                        "  \"askPassword\": false,\r\n"
                        "  \"admin\": {\"login\": \"boss\"},\r\n"
                        "  \"user\": {\"login\": \"guard\"}\r\n"
                        "}\r\n");
    const CliResult shown = Cli({L"get", address, L"--format", L"json", L"--show-passwords"});
    EXPECT_THAT(shown.out, HasSubstr("\"admin\": {\"login\": \"boss\", \"password\": \"secret\"}"));
    EXPECT_THAT(shown.out, HasSubstr("\"user\": {\"login\": \"guard\", \"password\": \"pin\"}"));

    const CliResult text = Cli({L"get", address});
    EXPECT_EQ(text.exitCode, 0u) << text;
    EXPECT_THAT(text.out, HasSubstr("Имя сервера:            Склад №7\r\n"));
    EXPECT_THAT(text.out,
                HasSubstr("Датчик 1:               Аналоговый (4 состояния), нормально разомкнутый\r\n"));
    EXPECT_THAT(text.out,
                HasSubstr("Датчик 4:               Цифровой (2 состояния), нормально замкнутый\r\n"));
    EXPECT_THAT(text.out, HasSubstr("Гудок:                  включён\r\n"));

    const CliResult xml = Cli({L"get", address, L"--format", L"xml"});
    EXPECT_EQ(xml.exitCode, 0u) << xml;
    EXPECT_THAT(xml.out, HasSubstr("admin=\"boss:\""));
    EXPECT_THAT(xml.out, HasSubstr("name=\"Склад №7\""));
    for (const CliResult* hidden : {&json, &text, &xml})
    {
        EXPECT_THAT(hidden->out, Not(HasSubstr("secret")));
        EXPECT_THAT(hidden->out, Not(HasSubstr("pin")));
    }
}

TEST_F(SettingsCommandTest, BackupSetAndRestoreGiveTheControllerBackAsItWas)
{
    const std::uint32_t controller =
        Add("name=Склад%201 admin=boss:secret user=guard:pin port=8081 sentype=1 seninv=2 flag=1 "
            "mac=00-1A-2B-3C-4D-5E");
    const std::wstring address = Wide(controller);
    const Settings original = Show(controller);
    const std::wstring file = folder.File(L"warehouse 1.xml");

    const CliResult backup = Cli({L"backup", address, file});
    ASSERT_EQ(backup.exitCode, 0u) << backup;
    // The simulator's document, passwords included, in the controller's code page, byte for byte.
    EXPECT_EQ(DocumentAttributes(ReadBytes(file)), original);
    EXPECT_THAT(ReadBytes(file), HasSubstr("name=\"\xD1\xEA\xEB\xE0\xE4 1\""));
    EXPECT_EQ(ReadBytes(file), AnswerBody(controller, 8081));

    const std::size_t before = Requests().size();
    const CliResult set = Cli({L"set", address, L"name=Новое имя", L"port=8090", L"sensor2=analog",
                               L"contact1=open", L"buzzer=off", L"admin-password=новый", L"mac=AB-CD"});
    ASSERT_EQ(set.exitCode, 0u) << set;
    EXPECT_THAT(set.out, HasSubstr("Настройки контроллера 127.0.0.2 изменены."));
    Settings expected = original;
    expected["name"] = "Новое имя";
    expected["tcp_port"] = "8090";
    expected["sentype"] = "3";
    expected["seninv"] = "3";
    expected["flag"] = "0";
    expected["admin"] = "boss:новый";
    expected["mac"] = "00-1A-2B-3C-AB-CD";
    EXPECT_EQ(Show(controller), expected) << "only what was named changes";
    // Read first, one write, and the read that checks it, from the new port.
    const std::vector<HttpRecord> requests = RequestsSince(before);
    const auto post = std::find_if(requests.begin(), requests.end(),
                                   [](const HttpRecord& request) { return request.method == "POST"; });
    ASSERT_NE(post, requests.end());
    EXPECT_TRUE(std::any_of(requests.begin(), post, [](const HttpRecord& request) {
        return request.method + " " + request.target == "GET /config.xml";
    }));
    EXPECT_EQ(Requests("POST").size(), 1u);
    EXPECT_EQ(requests.back().controller + " " + requests.back().method + " " + requests.back().target,
              "127.0.0.2:8090 GET /config.xml");

    const CliResult restore = Cli({L"restore", address, file});
    ASSERT_EQ(restore.exitCode, 0u) << restore;
    EXPECT_EQ(Show(controller), original);
}

// A script reads the outcome of a command on one controller as it reads a site's: the list, of one.
TEST_F(SettingsCommandTest, OneControllerWithJsonGivesTheListOfItsOneOutcome)
{
    const std::uint32_t controller = Add("name=Склад port=8081 flag=1");
    const std::wstring endpoint = Wide(controller) + L":8081";
    const std::wstring file = folder.File(L"one.xml");
    std::string fileInJson;
    for (const char byte : Utf8(file.c_str()))
        fileInJson += byte == '\\' ? std::string("\\\\") : std::string(1, byte);
    // The list of the one outcome, done, as a site's run gives it.
    const auto done = [&fileInJson](bool changed, bool withFile, const std::string& message) {
        std::string fields = "\"result\": \"done\", \"changed\": " + std::string(changed ? "true" : "false");
        if (withFile)
            fields += ", \"file\": \"" + fileInJson + "\"";
        return "[\r\n  {\"address\": \"127.0.0.2\", " + fields + ", \"message\": \"" + message +
               "\"}\r\n]\r\n";
    };

    const CliResult backup = Cli({L"backup", endpoint, file, L"--format", L"json"});
    EXPECT_EQ(backup.exitCode, 0u) << backup;
    EXPECT_EQ(backup.out,
              done(false, true, "Настройки контроллера 127.0.0.2 сохранены в файл «" + fileInJson + "»."));
    const CliResult set = Cli({L"set", Wide(controller), L"buzzer=off", L"--format", L"json"});
    EXPECT_EQ(set.exitCode, 0u) << set;
    EXPECT_EQ(set.out, done(true, false, "Настройки контроллера 127.0.0.2 изменены."));
    EXPECT_EQ(Show(controller).at("flag"), "0");
    const CliResult restore = Cli({L"restore", endpoint, file, L"--format=json"});
    EXPECT_EQ(restore.exitCode, 0u) << restore;
    EXPECT_EQ(
        restore.out,
        done(true, true, "Настройки контроллера 127.0.0.2 восстановлены из файла «" + fileInJson + "»."));
    EXPECT_EQ(Show(controller).at("flag"), "1");

    // Nothing listens there: the one outcome says so, and so does the exit code.
    const CliResult silent = Cli({L"set", L"127.0.0.50:80", L"buzzer=off", L"--format", L"json"});
    EXPECT_EQ(silent.exitCode, 1u) << silent;
    EXPECT_THAT(silent.out, StartsWith("[\r\n  {\"address\": \"127.0.0.50\", \"result\": \"unanswered\", "
                                       "\"changed\": false, \"message\": \"Контроллер 127.0.0.50, "));
    EXPECT_THAT(silent.out, EndsWith("\"}\r\n]\r\n"));
    EXPECT_EQ(std::count(silent.out.begin(), silent.out.end(), '{'), 1) << silent;
}

TEST_F(SettingsCommandTest, RestoreKeepsWhatTheFileLacksAndRefusesAFileWithAMalformedValue)
{
    const std::uint32_t controller =
        Add("name=Склад mask=255.255.0.0 gate=127.0.0.1 port=8081 flag=3 admin=boss:secret");
    const Settings original = Show(controller);
    const std::wstring file = folder.File(L"partial.xml");
    const auto document = [](const std::string& attributes) {
        return "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<om>\n\t<net " + attributes +
               " />\n</om>\n";
    };
    const ScopedEnvironment user(L"NORVATESSA_USER", L"boss");
    const ScopedEnvironment password(L"NORVATESSA_PASSWORD", L"secret");

    // One malformed value for the wiring; every attribute's own in tests/settings/ControllerFilesTests.cpp.
    const std::pair<const char*, const char*> malformed[] = {{"mask", "255.255.255"}};
    for (const auto& [key, value] : malformed)
    {
        WriteBytes(file, document(std::string("ip=\"127.0.0.2\" tcp_port=\"8081\" name=\"New\" ") + key +
                                  "=\"" + value + "\""));
        const CliResult refused = Cli({L"restore", Wide(controller), file});
        EXPECT_EQ(refused.exitCode, 2u) << key << "\n" << refused;
        EXPECT_THAT(refused.err, HasSubstr(std::string("недопустимое значение «") + key + "»")) << refused;
    }
    EXPECT_TRUE(Requests("POST").empty());
    EXPECT_EQ(Show(controller), original);

    WriteBytes(file, document("ip=\"127.0.0.2\" tcp_port=\"8081\" sentype=\"3\""));
    const CliResult restored = Cli({L"restore", Wide(controller), file});
    ASSERT_EQ(restored.exitCode, 0u) << restored;
    Settings expected = original;
    expected["sentype"] = "3";
    EXPECT_EQ(Show(controller), expected) << "what the file lacks stays as it was";
}

// A listing of "get" is no backup: its passwords are blank. Restored all the same, it gives the name back
// as it was and leaves the controller its passwords, and says so.
TEST_F(SettingsCommandTest, ListingRestoredKeepsTheNameAndThePasswords)
{
    const std::uint32_t controller = Add("name=Склад%20№7 admin=boss:secret user=guard:pin sentype=5");
    const Settings original = Show(controller);
    const CliResult listing = Cli({L"get", Wide(controller), L"--format", L"xml"});
    ASSERT_EQ(listing.exitCode, 0u) << listing;
    EXPECT_EQ(
        listing.out.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<om passwordsOmitted=\"yes\">", 0),
        0u)
        << listing;
    const std::wstring file = folder.File(L"keep.xml");
    WriteBytes(file, listing.out);
    Set(controller, "name=Другое sentype=0");

    const CliResult restored = Cli({L"restore", Wide(controller), file});
    EXPECT_EQ(restored.exitCode, 0u) << restored;
    EXPECT_THAT(restored.out, HasSubstr("пароли остались прежними")) << restored;
    EXPECT_EQ(Show(controller), original);
}

TEST_F(SettingsCommandTest, RestoreTakesAnotherControllersFileOnlyWithToAddress)
{
    const std::uint32_t first = Add("name=Первый sentype=3 admin=boss:secret mac=00-1A-2B-00-11-22");
    const std::uint32_t second = Add("name=Второй");
    const Settings secondBefore = Show(second);
    const std::wstring file = folder.File(L"first.xml");
    ASSERT_EQ(Cli({L"backup", Wide(first), file}).exitCode, 0u);

    const CliResult refused = Cli({L"restore", Wide(second), file});
    EXPECT_EQ(refused.exitCode, 2u) << refused;
    EXPECT_THAT(refused.err, HasSubstr("127.0.0.2, а не 127.0.0.3"));
    EXPECT_THAT(refused.err, HasSubstr("--to-address"));
    EXPECT_TRUE(Requests("POST").empty());

    const CliResult taken = Cli({L"restore", Wide(second), file, L"--to-address"});
    EXPECT_EQ(taken.exitCode, 0u) << taken;
    const Settings secondAfter = Show(second);
    EXPECT_EQ(secondAfter.at("name"), "Первый");
    EXPECT_EQ(secondAfter.at("sentype"), "3");
    EXPECT_EQ(secondAfter.at("admin"), "boss:secret");
    EXPECT_EQ(secondAfter.at("ip"), "127.0.0.3") << "the controller keeps its address";
    EXPECT_EQ(secondAfter.at("mac"), secondBefore.at("mac")) << "no two controllers may share a MAC address";
}

TEST_F(SettingsCommandTest, SetOfTheAddressFollowsTheControllerToItsNewAddress)
{
    const std::uint32_t controller = Add("name=Переезд");
    const CliResult moved = Cli({L"set", Wide(controller), L"ip=127.0.0.50"});
    EXPECT_EQ(moved.exitCode, 0u) << moved;
    EXPECT_THAT(moved.out, HasSubstr("теперь он отвечает по адресу 127.0.0.50"));
    EXPECT_EQ(Show(0x7F000032).at("name"), "Переезд");
    EXPECT_EQ(Requests().back().controller, "127.0.0.50:80") << "the check reads from the new address";
}

// A controller behind a router answers no search: given with its port it is read at once, and written.
TEST_F(SettingsCommandTest, ControllerGivenWithItsPortIsReachedWithoutASearch)
{
    const std::uint32_t controller = Add("name=За%20роутером port=8081 loss=100");
    const std::wstring endpoint = Wide(controller) + L":8081";
    // Without --time: a search would last the default 5 s.
    const CliResult got = RunCli({L"get", endpoint, L"--format", L"json"});
    EXPECT_EQ(got.exitCode, 0u) << got;
    EXPECT_THAT(got.out, HasSubstr("\"name\": \"За роутером\""));
    EXPECT_LT(got.elapsedMs, 4000u) << got;

    const CliResult set = RunCli({L"set", endpoint, L"buzzer=on"});
    EXPECT_EQ(set.exitCode, 0u) << set;
    EXPECT_THAT(set.out, HasSubstr("Настройки контроллера 127.0.0.2 изменены."));
    EXPECT_EQ(Show(controller).at("flag"), "1");

    // The wrong port: the exchange fails, and the command says so.
    const CliResult wrong = RunCli({L"get", Wide(controller) + L":8082"});
    EXPECT_EQ(wrong.exitCode, 1u) << wrong;
    EXPECT_THAT(wrong.err, HasSubstr("Контроллер 127.0.0.2")) << wrong;
    EXPECT_EQ(ProbesHeard(), 0);

    // A search that cannot run (through an adapter that is not there) stops only the controller it was for.
    const std::uint32_t searched = Add("name=Рядом");
    const CliResult unsearched =
        RunCli({L"get", endpoint, Wide(searched), L"--format", L"csv", L"--adapter", L"10.9.9.9"});
    EXPECT_EQ(unsearched.exitCode, 1u) << unsearched;
    EXPECT_THAT(unsearched.out, HasSubstr("\r\n127.0.0.2,8081,За роутером,")) << unsearched;
    EXPECT_THAT(unsearched.err, HasSubstr("Контроллер 127.0.0.3 не найден: поиск не удался")) << unsearched;

    // The port typed wins over the one a search for another controller heard.
    Set(controller, "loss=0");
    const std::size_t before = Requests().size();
    const CliResult typed = Cli({L"get", Wide(controller) + L":8082", Wide(searched), L"--format", L"csv"});
    EXPECT_EQ(typed.exitCode, 1u) << typed;
    EXPECT_THAT(typed.err, HasSubstr("Готово: 1 из 2")) << typed;
    for (const HttpRecord& request : RequestsSince(before))
        EXPECT_NE(request.controller, "127.0.0.2:8081");
}

TEST_F(SettingsCommandTest, WholeSiteIsListedBackedUpAndPutBackAfterOneSearch)
{
    const std::uint32_t first = Add("name=Склад%20№1 sentype=5 seninv=3 flag=1 admin=boss:secret");
    const std::uint32_t unnamed = Add("name=");
    const std::uint32_t gate = Add("name=Ворота,%20север port=8081");
    const std::uint32_t site[] = {first, unnamed, gate};
    std::map<std::uint32_t, Settings> original;
    for (const std::uint32_t controller : site)
        original[controller] = Show(controller);

    // Written to a file, the listing opens in a spreadsheet as UTF-8.
    const std::wstring listing = folder.File(L"site.csv");
    {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        const OM::Helpers::UniqueFileHandle file(::CreateFileW(
            listing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr));
        const CliResult csv =
            RunCli({L"get", L"--all", L"--format", L"csv", L"--time", L"500"}, 60000, file.get());
        EXPECT_EQ(csv.exitCode, 0u) << csv;
        EXPECT_THAT(csv.err, HasSubstr("Готово: 3 из 3")) << csv;
    }
    const auto repeated = [](const std::string& word, int times) {
        std::string text;
        for (int count = 0; count < times; ++count)
            text += word + ",";
        return text;
    };
    EXPECT_EQ(ReadBytes(listing),
              "\xEF\xBB\xBF"
              "address,port,name,mask,gateway,mac,sensor1,sensor2,sensor3,sensor4,sensor5,sensor6,sensor7,"
              "sensor8,contact1,contact2,contact3,contact4,contact5,contact6,contact7,contact8,buzzer,"
              "ask-password,admin-login,user-login\r\n"
              "127.0.0.2,80,Склад №1,255.0.0.0,127.0.0.1,00-1A-2B-00-00-02,analog,digital,analog," +
                  repeated("digital", 5) + "open,open," + repeated("closed", 6) +
                  "on,off,boss,user\r\n"
                  "127.0.0.3,80,,255.0.0.0,127.0.0.1,00-1A-2B-00-00-03," +
                  repeated("digital", 8) + repeated("closed", 8) +
                  "off,off,admin,user\r\n"
                  "127.0.0.4,8081,\"Ворота, север\",255.0.0.0,127.0.0.1,00-1A-2B-00-00-04," +
                  repeated("digital", 8) + repeated("closed", 8) + "off,off,admin,user\r\n");
    const int probesBefore = ProbesHeard();
    const CliResult json = Cli({L"get", Wide(gate), Wide(first), L"--format", L"json", L"--show-passwords"});
    EXPECT_EQ(json.exitCode, 0u) << json;
    const int probesOfTwo = ProbesHeard() - probesBefore;
    ASSERT_EQ(Cli({L"get", Wide(gate)}).exitCode, 0u);
    EXPECT_EQ(ProbesHeard() - probesBefore - probesOfTwo, probesOfTwo)
        << "one search serves every controller";
    EXPECT_EQ(json.out.rfind("[\r\n  {\r\n    \"name\": \"Ворота, север\",\r\n", 0), 0u) << json;
    EXPECT_THAT(json.out,
                HasSubstr("    \"admin\": {\"login\": \"boss\", \"password\": \"secret\"},\r\n"
                          "    \"user\": {\"login\": \"user\", \"password\": \"user\"}\r\n  }\r\n]\r\n"));

    // One file per controller, named after its address, the controller's document byte for byte.
    const CliResult backup = Cli({L"backup", L"--all", folder.Path()});
    ASSERT_EQ(backup.exitCode, 0u) << backup;
    std::map<std::uint32_t, std::wstring> files;
    for (const std::uint32_t controller : site)
    {
        files[controller] = folder.File(Wide(controller) + L".xml");
        EXPECT_EQ(ReadBytes(files[controller]), AnswerBody(controller, controller == gate ? 8081 : 80));
        EXPECT_THAT(backup.out, HasSubstr("Настройки контроллера " + Text(controller) +
                                          " сохранены в файл «" + Utf8(files[controller].c_str()) + "»."));
    }
    EXPECT_THAT(backup.out, HasSubstr("Готово: 3 из 3\r\n"));
    // A backup already there is never written over, unless --force says so.
    Set(unnamed, "name=Новое");
    const CliResult again = Cli({L"backup", Wide(unnamed), Wide(first), folder.Path()});
    EXPECT_EQ(again.exitCode, 1u) << again;
    EXPECT_THAT(again.out, HasSubstr("Файл «" + Utf8(files[unnamed].c_str()) + "» уже есть")) << again;
    EXPECT_EQ(DocumentAttributes(ReadBytes(files[unnamed])), original[unnamed]);
    const CliResult forced = Cli({L"backup", Wide(unnamed), L"--force", Wide(first), folder.Path()});
    EXPECT_EQ(forced.exitCode, 0u) << forced;
    EXPECT_EQ(DocumentAttributes(ReadBytes(files[unnamed])).at("name"), "Новое");
    Set(unnamed, "name=");
    ASSERT_EQ(Cli({L"backup", L"--force", L"--from", listing, folder.Path()}).exitCode, 0u);

    Set(first, "name=Другое sentype=0 flag=0");
    Set(unnamed, "name=Без%20имени seninv=255");
    Set(gate, "sentype=255 gate=127.0.0.9");
    const CliResult restore = Cli({L"restore", folder.Path()});
    ASSERT_EQ(restore.exitCode, 0u) << restore;
    for (const std::uint32_t controller : site)
    {
        EXPECT_EQ(Show(controller), original[controller]);
        EXPECT_THAT(restore.out,
                    HasSubstr("Настройки контроллера " + Text(controller) + " восстановлены из файла «" +
                              Utf8(files[controller].c_str()) + "»."));
    }
    EXPECT_THAT(restore.out, HasSubstr("Готово: 3 из 3\r\n"));
}

TEST_F(SettingsCommandTest, SiteCommandsRefuseBadFilesBeforeSendingAnything)
{
    const std::uint32_t controller = Add("name=Склад;1");
    const std::wstring list = folder.File(L"list.txt");
    WriteBytes(list, "127.0.0.2\r\nсклад\r\n");
    const std::wstring credentials = folder.File(L"credentials.txt");
    WriteBytes(credentials, "127.0.0.2,boss,secret\r\n127.0.0.3 boss topsecret\r\n");
    const std::wstring twice = folder.File(L"twice.txt");
    WriteBytes(twice, "127.0.0.2,boss,secret\r\n127.0.0.2,boss,other\r\n");
    const std::wstring plain = folder.File(L"plain.txt");
    WriteBytes(plain, "");
    const auto document = [](const std::string& attributes) {
        return "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<om>\n\t<net " + attributes +
               " />\n</om>\n";
    };
    const std::wstring anonymous = folder.File(L"anonymous.xml");
    WriteBytes(anonymous, document("name=\"Склад\" sentype=\"3\""));
    const std::wstring same = folder.File(L"same.xml");
    WriteBytes(same, document("ip=\"127.0.0.2\" sentype=\"1\""));
    const std::wstring again = folder.File(L"again.xml");
    WriteBytes(again, document("ip=\"127.0.0.2\" sentype=\"2\""));

    const std::pair<std::vector<std::wstring>, std::string> refused[] = {
        {{L"get", L"--from", list}, "«" + Utf8(list.c_str()) + "» строка 2 — не адрес контроллера"},
        {{L"get", Wide(controller), L"--credentials", credentials},
         "«" + Utf8(credentials.c_str()) + "» строка 2"},
        {{L"get", L"--all", L"--credentials", twice}, "контроллера 127.0.0.2 заданы дважды"},
        {{L"backup", L"--all", plain + L"\\site"},
         "не удалось создать папку «" + Utf8(plain.c_str()) + "\\site»"},
        {{L"restore", same, anonymous}, "в файле «" + Utf8(anonymous.c_str()) + "» нет адреса контроллера"},
        {{L"restore", same, again}, "«" + Utf8(same.c_str()) + "» и «" + Utf8(again.c_str()) + "» содержат"},
    };
    for (const auto& [line, said] : refused)
    {
        const CliResult result = Cli(line);
        EXPECT_EQ(result.exitCode, 2u) << result;
        EXPECT_THAT(result.err, HasSubstr(said)) << result;
        EXPECT_THAT(result.err, Not(HasSubstr("secret"))) << result;
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(ProbesHeard(), 0);

    // The listing of "discover" names controllers by its first column, under its header, as a spreadsheet
    // saves it for a Russian workstation (";") or PowerShell's ">" does (UTF-16).
    const std::wstring found = folder.File(L"found.csv");
    WriteBytes(found, OM::Xml::encodeUtf16Text(
                          L"address;port;name;conflict;answered\n127.0.0.2;80;\"Склад;1\";no;yes\n"));
    const CliResult listed = Cli({L"get", L"--from", found, L"--format", L"csv", L"--separator", L";"});
    EXPECT_EQ(listed.exitCode, 0u) << listed;
    EXPECT_THAT(listed.out, HasSubstr("\r\n127.0.0.2;80;\"Склад;1\";")) << listed;
}
