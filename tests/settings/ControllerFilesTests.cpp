// The files users give the programs, from their bytes: backups and listings of a controller's settings,
// lists of controllers and credentials, as Notepad, PowerShell, a spreadsheet or the programs wrote them.
#include "settings/BackupSettings.h"
#include "settings/ControllerListFile.h"
#include "settings/CredentialsFile.h"
#include "settings/RestoreFiles.h"
#include "settings/RestorePreview.h"
#include "xml/Utf16File.h"

#ifdef _WIN32
#include "common/AnsiText.h"

#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::ControllerSettings;
using OM::Xml::DeviceProperties;

namespace
{

const std::string Utf8Name = "\xD0\xA1\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4 \xE2\x84\x96\x37"; // "Склад №7"
const std::string Cp1251Name = "\xD1\xEA\xEB\xE0\xE4 \xB9\x37";

std::string Document(const std::string& declaration, const std::string& root, const std::string& net)
{
    return declaration + "\n<" + root + ">\n\t<net " + net + " />\n</om>\n";
}

std::string Utf16(const std::wstring& text)
{
    return OM::Xml::encodeUtf16Text(text);
}

} // namespace

TEST(BackupFile, ListingKeepsTheNameAndNeverEmptiesAPassword)
{
    const std::string net = "admin=\"boss:\" ip=\"127.0.0.2\" name=\"" + Utf8Name + "\" user=\"guard:\"";
    const std::string listing =
        Document("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", "om passwordsOmitted=\"yes\"", net);
    const std::optional<BackupSettings> read = ReadBackupSettings(listing, Windows1251());
    ASSERT_TRUE(read && !read->refusal);
    EXPECT_EQ(read->changes.Named(&DeviceProperties::name), L"Склад №7");
    EXPECT_EQ(read->changes.Named(&DeviceProperties::adminName), L"boss");
    EXPECT_FALSE(read->changes.Named(&DeviceProperties::adminPassword));
    EXPECT_FALSE(read->changes.Named(&DeviceProperties::userPassword));
    EXPECT_TRUE(read->passwordsKept);

    // Listings written before they said so: root "om", both passwords empty.
    const std::string older = Document("<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>", "om", net);
    const std::optional<BackupSettings> old = ReadBackupSettings(older, Windows1251());
    ASSERT_TRUE(old && !old->refusal);
    EXPECT_TRUE(old->passwordsKept);
    EXPECT_FALSE(old->changes.Named(&DeviceProperties::adminPassword));

    // A backup with one password set restores both, the empty one too.
    const std::string backup = Document("<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>", "om",
                                        "admin=\"boss:secret\" name=\"" + Cp1251Name + "\" user=\"guard:\"");
    const std::optional<BackupSettings> whole = ReadBackupSettings(backup, Windows1251());
    ASSERT_TRUE(whole && !whole->refusal);
    EXPECT_EQ(whole->changes.Named(&DeviceProperties::name), L"Склад №7");
    EXPECT_EQ(whole->changes.Named(&DeviceProperties::adminPassword), L"secret");
    EXPECT_EQ(whole->changes.Named(&DeviceProperties::userPassword), L"");
    EXPECT_FALSE(whole->passwordsKept);
}

TEST(BackupFile, ByteOrderMarkOrDeclarationTellsTheEncodingAndAnyOtherIsRefused)
{
    const std::wstring text =
        L"<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<om>\n\t<net name=\"Склад №7\" "
        L"admin=\"a:b\" />\n</om>\n";
    const std::optional<BackupSettings> utf16 = ReadBackupSettings(Utf16(text), Windows1251());
    ASSERT_TRUE(utf16 && !utf16->refusal);
    EXPECT_EQ(utf16->changes.Named(&DeviceProperties::name), L"Склад №7");

    const std::string undeclared = "<om><net name=\"" + Cp1251Name + "\"/></om>";
    ASSERT_TRUE(ReadBackupSettings(undeclared, Windows1251()));
    EXPECT_EQ(ReadBackupSettings(undeclared, Windows1251())->changes.Named(&DeviceProperties::name),
              L"Склад №7");
    EXPECT_EQ(ReadBackupSettings("<?xml version='1.0' encoding = 'utf-8'?>" + undeclared.substr(0, 4) +
                                     "<net name=\"" + Utf8Name + "\"/></om>",
                                 Windows1251())
                  ->changes.Named(&DeviceProperties::name),
              L"Склад №7");

    for (const char* declaration : {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>",
                                    "<?xml version=\"1.0\" encoding=\"UTF-8?>", "<?xml encoding=?>"})
    {
        const std::optional<BackupSettings> refused =
            ReadBackupSettings(declaration + undeclared, Windows1251());
        ASSERT_TRUE(refused && refused->refusal) << declaration;
        EXPECT_EQ(refused->refusal->key, L"encoding");
    }
    EXPECT_FALSE(ReadBackupSettings("<html><body/></html>", Windows1251()));
    EXPECT_FALSE(ReadBackupSettings("", Windows1251()));
}

// Cases that once ran "restore" one by one: a malformed value refuses the file by its attribute.
TEST(BackupFile, MalformedValueRefusesTheFileByItsAttribute)
{
    const std::pair<std::string, std::string> malformed[] = {
        {"mac", "00-1A-2B-3C-4D"}, {"gate", "1.2.3.4.5"}, {"sentype", "x"},
        {"admin", "boss"},         {"flag", "256"},
    };
    for (const auto& [attribute, value] : malformed)
    {
        const std::optional<BackupSettings> refused = ReadBackupSettings(
            Document("<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>", "om",
                     "ip=\"127.0.0.2\" tcp_port=\"8081\" name=\"New\" " + attribute + "=\"" + value + "\""),
            Windows1251());
        ASSERT_TRUE(refused && refused->refusal) << attribute;
        EXPECT_EQ(refused->refusal->key, std::wstring(attribute.begin(), attribute.end()));
    }
}

// What files give back to which controller, as both programs restore them: a controller keeps its address,
// another controller's file keeps off its MAC address too and needs the user's word, and a site's files
// are refused together when one has no address or two name one controller.
TEST(RestoreFiles, ControllerKeepsItsAddressAndASiteTakesOneFileAController)
{
    const auto file = [](const std::wstring& path, const std::string& net) {
        std::optional<BackupSettings> read = ReadBackupSettings(
            Document("<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>", "om", net), Windows1251());
        EXPECT_TRUE(read && !read->refusal) << net;
        return RestoreFile{path, read ? *read : BackupSettings{}};
    };
    const RestoreFile own =
        file(L"склад.xml", "ip=\"127.0.0.2\" tcp_port=\"8081\" mac=\"00-1A-2B-3C-4D-5E\"");
    const RestoreFile other =
        file(L"ворота.xml", "ip=\"127.0.0.3\" tcp_port=\"8082\" mac=\"00-1A-2B-3C-4D-5F\"");
    const RestoreFile anonymous = file(L"без адреса.xml", "tcp_port=\"8083\" name=\"New\"");

    const ControllerRestore toOwner = RestoreToController(own.settings.changes, 0x7F000002);
    EXPECT_FALSE(toOwner.othersAddress);
    EXPECT_EQ(toOwner.knownPort, 8081);
    EXPECT_FALSE(toOwner.changes.Named(&DeviceProperties::ip));
    EXPECT_TRUE(toOwner.changes.Named(&DeviceProperties::mac));
    const ControllerRestore toOther = RestoreToController(other.settings.changes, 0x7F000002);
    EXPECT_EQ(toOther.othersAddress, 0x7F000003u);
    EXPECT_FALSE(toOther.knownPort);
    EXPECT_FALSE(toOther.changes.Named(&DeviceProperties::ip));
    EXPECT_FALSE(toOther.changes.Named(&DeviceProperties::mac));
    EXPECT_EQ(toOther.changes.Named(&DeviceProperties::tcpPort), 8082);
    EXPECT_EQ(RestoreToController(anonymous.settings.changes, 0x7F000002).knownPort, 8083);

    SiteRestore site;
    EXPECT_FALSE(site.Take(other));
    EXPECT_FALSE(site.Take(own));
    ASSERT_EQ(site.Files().size(), 2u);
    EXPECT_EQ(site.Files()[0].address, 0x7F000003u);
    EXPECT_EQ(site.Files()[0].knownPort, 8082);
    EXPECT_EQ(site.Files()[0].file.path, L"ворота.xml");
    EXPECT_FALSE(site.Files()[0].file.settings.changes.Named(&DeviceProperties::ip));
    EXPECT_TRUE(site.Files()[1].file.settings.changes.Named(&DeviceProperties::mac));
    EXPECT_EQ(site.Take(anonymous), L"в файле «без адреса.xml» нет адреса контроллера (ip): неизвестно, в "
                                    L"какой контроллер его записать.");
    EXPECT_EQ(site.Take(RestoreFile{L"склад, копия.xml", own.settings}),
              L"файлы «склад.xml» и «склад, копия.xml» содержат настройки одного контроллера 127.0.0.2.");
    EXPECT_EQ(site.Files().size(), 2u);
}

TEST(RestorePreview, TicksWhatChangesAndNeverARefusedFileOrAnUnreadController)
{
    const auto bytes = [](const std::string& net) {
        return Document("<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>", "om", net);
    };
    RestorePreview preview;
    preview.TakeFile(L"127.0.0.2.xml",
                     bytes("ip=\"127.0.0.2\" name=\"" + Cp1251Name + "\" admin=\"boss:new\""), Windows1251());
    preview.TakeFile(L"127.0.0.3.xml", bytes("ip=\"127.0.0.3\" name=\"Same\""), Windows1251());
    preview.TakeFile(L"127.0.0.4.xml", bytes("ip=\"127.0.0.4\" mask=\"255.255.255\""), Windows1251());
    preview.TakeFile(L"127.0.0.5.xml", bytes("ip=\"127.0.0.5\""), Windows1251());
    preview.TakeFile(L"копия.xml", bytes("ip=\"127.0.0.5\""), Windows1251());
    preview.TakeFile(L"без адреса.xml", bytes("name=\"New\""), Windows1251());
    preview.TakeFile(L"чужой.txt.xml", "not a document", Windows1251());
    preview.TakeUnreadableFile(L"занят.xml", 32);
    preview.TakeFile(L"127.0.0.6.xml", bytes("ip=\"127.0.0.6\" tcp_port=\"8086\""), Windows1251());

    // Only the files taken are read: each controller at most once, and the file's port kept for it.
    ASSERT_EQ(preview.Reading(), (std::vector<std::size_t>{0, 1, 8}));
    EXPECT_EQ(preview.Rows()[8].knownPort, 8086);
    EXPECT_EQ(preview.Note(2), L"в файле «127.0.0.4.xml» недопустимое значение «mask»: "
                               L"Адрес записывается четырьмя числами от 0 до 255 через точку.");
    EXPECT_EQ(preview.Note(3), L"файлы «127.0.0.5.xml» и «копия.xml» содержат настройки одного контроллера "
                               L"127.0.0.5.");
    EXPECT_EQ(preview.Note(4), preview.Note(3));
    EXPECT_EQ(preview.Note(7), L"Не удалось прочитать файл «занят.xml» (код ошибки 32).");

    DeviceProperties current;
    current.name = L"Old";
    current.adminName = L"boss";
    current.adminPassword = L"old";
    preview.TakeRead(0, current);
    current.name = L"Same";
    preview.TakeRead(1, current);
    preview.TakeReadFailure(8, L"Контроллер не ответил.");

    // A password that changes is said to, never shown; a controller the file leaves as it is waits unticked.
    EXPECT_EQ(preview.Note(0), L"name: Old → Склад №7; admin-password: другой");
    EXPECT_EQ(preview.Note(1), L"без изменений; пароли останутся прежними: в файле их нет");
    EXPECT_EQ(preview.Note(8), L"не прочитан: Контроллер не ответил.");
    EXPECT_EQ(preview.Ticked(), (std::vector<std::size_t>{0}));
    EXPECT_TRUE(preview.Tick(1, true));
    EXPECT_TRUE(preview.Tick(0, false));
    for (const std::size_t untickable : {2u, 3u, 4u, 5u, 6u, 7u, 8u})
        EXPECT_FALSE(preview.Tick(untickable, true)) << untickable;
    EXPECT_EQ(preview.Ticked(), (std::vector<std::size_t>{1}));

    RestorePreview ordered;
    for (const wchar_t* name : {L"10.0.0.10", L"", L"10.0.0.9"})
    {
        const std::string address(name, name + std::wcslen(name));
        ordered.TakeFile(std::wstring(name) + L".xml", bytes(address.empty() ? "" : "ip=\"" + address + "\""),
                         Windows1251());
    }
    ordered.OrderByController();
    EXPECT_EQ(ordered.Rows()[0].file, L"10.0.0.9.xml");
    EXPECT_EQ(ordered.Rows()[1].file, L"10.0.0.10.xml");
    EXPECT_EQ(ordered.Rows()[2].file, L".xml");
}

TEST(ControllerList, ReadsListingsInEveryEncodingAndSeparatorWithTheirPorts)
{
    // As PowerShell's ">" saves it: UTF-16 with a byte-order mark; a spreadsheet's ";" between columns.
    const ControllerList utf16 =
        ReadControllerList(Utf16(L"address;port;name;conflict;answered\n127.0.0.8;8080;\"Склад;1\";no;"
                                 L"yes\n\n10.1.0.5:81;;;no;no\n"),
                           Windows1251());
    EXPECT_EQ(utf16.badLine, 0u);
    ASSERT_EQ(utf16.controllers.size(), 2u);
    EXPECT_EQ(utf16.controllers[0].address, 0x7F000008u);
    EXPECT_EQ(utf16.controllers[0].knownPort, 8080);
    EXPECT_FALSE(utf16.controllers[0].port);
    EXPECT_EQ(utf16.controllers[1].port, 81) << "a port typed with the address";
    EXPECT_FALSE(utf16.controllers[1].knownPort);

    // Without a header nothing says which column is the port; the tab after the address is the separator.
    const ControllerList tabs =
        ReadControllerList("127.0.0.2\tx,y\n127.0.0.3\t" + Cp1251Name + "\n", Windows1251());
    ASSERT_EQ(tabs.controllers.size(), 2u);
    EXPECT_FALSE(tabs.controllers[0].knownPort);

    EXPECT_EQ(ReadControllerList("address,port\n127.0.0.2,80\n127.0.0.3,eighty\n", Windows1251()).badLine,
              3u);
    EXPECT_EQ(ReadControllerList("127.0.0.2\n\"127.0.0.3\nсклад\"\n127.0.0.4\n", Windows1251()).badLine, 2u);
    EXPECT_TRUE(ReadControllerList(Utf16(L"\n \n"), Windows1251()).controllers.empty());
}

TEST(CredentialsFile, SeparatorFollowsTheAddressAndThePasswordRunsToTheEnd)
{
    const CredentialsFile read = ReadCredentialsFile(
        Utf16(L"127.0.0.2;admin;pa,ss;word\n\n127.0.0.3\tboss\tsecret\n127.0.0.4,Пётр,пароль\n"),
        Windows1251());
    EXPECT_EQ(read.badLine, 0u);
    ASSERT_EQ(read.credentials.size(), 3u);
    EXPECT_EQ(read.credentials.at(0x7F000002).login, L"admin");
    EXPECT_EQ(read.credentials.at(0x7F000002).password, L"pa,ss;word");
    EXPECT_EQ(read.credentials.at(0x7F000003).password, L"secret");
    EXPECT_EQ(read.credentials.at(0x7F000004).login, L"Пётр");

    EXPECT_EQ(ReadCredentialsFile("127.0.0.2,admin,x\n127.0.0.3 boss secret\n", Windows1251()).badLine, 2u);
    EXPECT_EQ(ReadCredentialsFile("127.0.0.2,,secret\n", Windows1251()).badLine, 1u) << "no login";
    EXPECT_EQ(ReadCredentialsFile("127.0.0.2,adm:in,secret\n", Windows1251()).badLine, 1u)
        << "a login the controller cannot be given";
    EXPECT_EQ(ReadCredentialsFile(Utf16(L"127.0.0.2,admin,Straße\n"), Windows1251()).badLine, 1u)
        << "a password outside the code page";
    EXPECT_EQ(ReadCredentialsFile("127.0.0.2,a,b\n127.0.0.2;a;c\n", Windows1251()).repeated, 0x7F000002u);
}

#ifdef _WIN32
// The native build reads and fuzzes with the table; a Russian workstation converts with its ANSI code page.
TEST(CodePage, TableOfWindows1251IsTheCodePageOfARussianWorkstation)
{
    ASSERT_EQ(::GetACP(), 1251u);
    std::string bytes;
    for (int byte = 1; byte < 256; ++byte)
        bytes += static_cast<char>(byte);
    const std::wstring text = Windows1251().Decode(bytes);
    EXPECT_EQ(ThreadAnsiCodePage().Decode(bytes), text);
    EXPECT_EQ(ThreadAnsiCodePage().Encode(text), bytes);
    for (const wchar_t* foreign : {L"Straße", L"倉庫", L"ĄĘ"})
        EXPECT_EQ(ThreadAnsiCodePage().Fits(foreign), Windows1251().Fits(foreign)) << foreign;
}
#endif
