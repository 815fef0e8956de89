// "get", "set", "backup" and "restore" of the real console program against simulated controllers: what
// each shows, sends and writes, and that a backup restored gives the controller back as it was.
#include "helpers/ExecutablePath.h"
#include "helpers/WinsockHandles.h"
#include "tests/cli/CliSiteTest.h"
#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>

using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;
using ::testing::Not;

namespace
{

using Settings = std::map<std::string, std::string>;

// A folder beside the test program, removed with what it holds. Wine's TEMP may name a folder its prefix
// lacks; and Wine names files in the build machine's locale, which may have no Cyrillic.
class TemporaryFolder
{
public:
    TemporaryFolder()
    {
        const std::wstring program = OM::Helpers::ExecutablePath();
        path = program.substr(0, program.find_last_of(L'\\') + 1) + L"cli-backups-" +
               std::to_wstring(::GetCurrentProcessId());
        EXPECT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << ::GetLastError();
    }
    ~TemporaryFolder()
    {
        for (const std::wstring& file : files)
            ::DeleteFileW(file.c_str());
        ::RemoveDirectoryW(path.c_str());
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::wstring File(const std::wstring& name)
    {
        files.push_back(path + L"\\" + name);
        return files.back();
    }

private:
    std::wstring path;
    std::vector<std::wstring> files;
};

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
}

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

    const std::pair<const char*, const char*> malformed[] = {
        {"mask", "255.255.255"}, {"mac", "00-1A-2B-3C-4D"}, {"gate", "1.2.3.4.5"},
        {"sentype", "x"},        {"admin", "boss"},         {"flag", "256"},
    };
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
}
