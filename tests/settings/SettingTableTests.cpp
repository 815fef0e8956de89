// A controller's settings as both programs name them: the keys of "set" and their refusals, the change
// marks, the comparison of what was sent with what was read back, the listings of "get" and "restore".
#include "common/Words.h"
#include "settings/BackupSettings.h"
#include "settings/ManyFields.h"
#include "settings/RecordComparison.h"
#include "settings/SettingAssignments.h"
#include "settings/SettingListing.h"

#include <gmock/gmock.h>

#include <functional>
#include <string>
#include <vector>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::ControllerSettings;
using OM::Xml::DeviceProperties;
using ::testing::HasSubstr;

namespace
{

DeviceProperties Warehouse()
{
    DeviceProperties props;
    props.name = L"Склад №7";
    props.ip = 0xC0A80011; // 192.168.0.17
    props.tcpPort = 80;
    props.mask = 0xFFFFFF00;
    props.gateway = 0xC0A80001;
    props.mac = {0x00, 0x1A, 0x2B, 0x00, 0x00, 0x11};
    props.sensorType = {1, 0, 1, 0, 0, 0, 0, 1};
    props.sensorInverted = {1, 1, 0, 0, 0, 0, 0, 0};
    props.adminName = L"admin";
    props.adminPassword = L"секрет";
    props.userName = L"сторож";
    props.userPassword = L"pin";
    props.askPassword = true;
    props.buzzer = false;
    return props;
}

// One field changed by its name, the key that names it and the mark the change sets.
struct FieldEdit
{
    std::wstring key;
    std::uint32_t mark;
    std::function<void(DeviceProperties&)> edit;
};

std::vector<FieldEdit> EveryFieldEdited()
{
    // Every field of the record, by name: one added to it stops this from compiling until it is edited
    // below too.
    [[maybe_unused]] const auto& [changed, name, ip, tcpPort, mask, gateway, mac, sensorType, sensorInverted,
                                  adminName, adminPassword, userName, userPassword, askPassword, buzzer] =
        DeviceProperties();
    std::vector<FieldEdit> edits = {
        {L"name", OM::Xml::PropName, [](DeviceProperties& props) { props.name = L"Ворота"; }},
        {L"ip", OM::Xml::PropIp, [](DeviceProperties& props) { props.ip = 0xC0A80063; }},
        {L"port", OM::Xml::PropTcpPort, [](DeviceProperties& props) { props.tcpPort = 8080; }},
        {L"mask", OM::Xml::PropMask, [](DeviceProperties& props) { props.mask = 0xFFFF0000; }},
        {L"gateway", OM::Xml::PropGateway, [](DeviceProperties& props) { props.gateway = 0xC0A800FE; }},
        {L"mac", OM::Xml::PropMac, [](DeviceProperties& props) { props.mac[5] = 0xCD; }},
        {L"admin-login", OM::Xml::PropAdmin, [](DeviceProperties& props) { props.adminName = L"boss"; }},
        {L"admin-password", OM::Xml::PropAdmin,
         [](DeviceProperties& props) { props.adminPassword = L"новый"; }},
        {L"user-login", OM::Xml::PropUser, [](DeviceProperties& props) { props.userName = L"guard"; }},
        {L"user-password", OM::Xml::PropUser, [](DeviceProperties& props) { props.userPassword = L"1234"; }},
        {L"ask-password", OM::Xml::PropFlags, [](DeviceProperties& props) { props.askPassword = false; }},
        {L"buzzer", OM::Xml::PropFlags, [](DeviceProperties& props) { props.buzzer = true; }},
    };
    // The sensors carry no mark: they are sent anyway, as every value is.
    for (std::size_t input = 0; input < DeviceProperties().sensorType.size(); ++input)
    {
        const std::wstring number = std::to_wstring(input + 1);
        edits.push_back({L"sensor" + number, 0, [input](DeviceProperties& props) {
                             props.sensorType[input] = props.sensorType[input] == 1 ? 0 : 1;
                         }});
        edits.push_back({L"contact" + number, 0, [input](DeviceProperties& props) {
                             props.sensorInverted[input] = props.sensorInverted[input] == 1 ? 0 : 1;
                         }});
    }
    return edits;
}

// The column of the inventory whose value differs, by its header; empty when none does.
std::wstring DifferingColumn(const DeviceProperties& left, const DeviceProperties& right)
{
    const std::vector<std::wstring> columns = SettingColumns(true);
    const std::vector<std::wstring> leftFields = SettingFields(left, true);
    const std::vector<std::wstring> rightFields = SettingFields(right, true);
    std::wstring differing;
    for (std::size_t column = 0; column < columns.size(); ++column)
    {
        if (leftFields.at(column) != rightFields.at(column))
            differing += columns[column];
    }
    return differing;
}

// What "restore" gives a controller holding `current` from a backup of `saved`.
DeviceProperties Restored(const DeviceProperties& current, const DeviceProperties& saved)
{
    const std::optional<std::string> bytes = Windows1251().Encode(OM::Xml::writeDeviceProperties(saved));
    const std::optional<BackupSettings> read = ReadBackupSettings(bytes.value_or(""), Windows1251());
    if (!read || read->refusal)
        return current;
    DeviceProperties restored = ApplySettingChanges(current, read->changes);
    restored.changed = saved.changed;
    return restored;
}

std::wstring ParseError(std::vector<std::wstring> words)
{
    return ParseSettingChanges(words, Windows1251()).error.value_or(L"");
}

} // namespace

// Fails for a setting that one of the places forgets: a new field that is compared, listed or restored
// nowhere, or a row of the table that lacks one of them.
TEST(SettingTable, EveryFieldIsComparedListedAndRestoredUnderItsKey)
{
    const DeviceProperties original = Warehouse();
    for (const FieldEdit& field : EveryFieldEdited())
    {
        DeviceProperties edited = original;
        field.edit(edited);
        ASSERT_NE(edited, original) << field.key;

        EXPECT_EQ(DifferingKeys(original, edited), field.key);
        EXPECT_EQ(ChangeMarks(edited, original), field.mark) << field.key;
        EXPECT_NE(SettingLines(edited, true), SettingLines(original, true)) << field.key;
        EXPECT_NE(SettingJson(edited, true), SettingJson(original, true)) << field.key;
        // The inventory lists a controller under the address it answered at, in a column of its own.
        EXPECT_EQ(DifferingColumn(original, edited), field.key == L"ip" ? L"" : field.key);
        EXPECT_EQ(Restored(original, edited), edited) << field.key;
    }
}

// Cases that once ran the console program one by one, with the same words and what it said.
TEST(SettingWords, ValuesTheSettingsSheetRefusesAreRefusedInItsWords)
{
    const std::pair<std::vector<std::wstring>, std::wstring> refused[] = {
        {{L"name=ok", L"port=65536"}, Words::PortRange},
        {{L"name=Склад \"1\""}, Words::NameCharacters},
        {{L"admin-password=a:b"}, Words::LoginCharacters},
        {{L"user-login=сторож\\"}, Words::LoginCharacters},
        {{L"name=Склад <1>"}, Words::NameCharacters},
        {{L"admin-login=R&D"}, Words::LoginCharacters},
        {{L"user-password=&#34;1"}, Words::LoginCharacters},
        {{L"admin-password=&#x22;"}, Words::LoginCharacters},
        {{L"ip=255.255.255.255"}, Words::AddressCutsOff},
        {{L"mac=1G-00"}, Words::MacByte},
        {{L"name=Семнадцать знаков"}, L"не больше 16 символов"},
        {{L"sensor9=analog"}, L"неизвестный ключ «sensor9»"},
        {{L"contact1=ajar"}, L"open (нормально разомкнутый) или closed"},
    };
    for (const auto& [words, said] : refused)
        EXPECT_THAT(ParseError(words), HasSubstr(said)) << words.back();

    // A sentence's places take their values as given, also a value that looks like a place, and a place
    // named twice takes its value twice.
    EXPECT_EQ(
        Words::Fill(Words::OtherControllersFile, L"копия 100%2.xml", L"127.0.0.3", L"127.0.0.2"),
        L"файл «копия 100%2.xml» содержит настройки контроллера 127.0.0.3, а не 127.0.0.2. Чтобы записать их "
        L"в 127.0.0.2, добавьте --to-address.");

    // What is taken: each word as "set" and a spreadsheet write it, and only the keys named.
    const ParsedSettingChanges taken = ParseSettingChanges(
        {L"contact3=normally-open", L"mac=ab:0c", L"ask-password=off", L"admin-password=секрет"},
        Windows1251());
    ASSERT_FALSE(taken.error) << *taken.error;
    DeviceProperties original = Warehouse();
    const DeviceProperties edited = ApplySettingChanges(original, taken.changes);
    original.sensorInverted[2] = 1;
    original.mac[4] = 0xAB;
    original.mac[5] = 0x0C;
    original.askPassword = false;
    original.changed = edited.changed;
    EXPECT_EQ(edited, original);
    // The same password named again counts as a change, as the sheet's "Изменить пароль:" does.
    EXPECT_EQ(edited.changed, OM::Xml::PropMac | OM::Xml::PropFlags | OM::Xml::PropAdmin);
}

// The sheet for several controllers: what is left at "не менять" stays as each controller has it, and a
// field that has left it is written, also with the value it showed at first or the controller holds.
TEST(ManyFields, OnlyFieldsThatLeftTheirStateAreWrittenWhateverTheirValue)
{
    using Check = ManyFields::Check;
    const DeviceProperties original = Warehouse();
    ManyFields fields;
    // Every field at "не менять", and one that went back to it.
    EXPECT_FALSE(fields.Edit(L"port", L"", Windows1251()));
    EXPECT_FALSE(fields.Edit(L"admin-login", L"", Windows1251()));
    fields.Address(L"mask", true, 0xFFFF0000);
    fields.Tick(L"buzzer", Check::On);
    fields.Tick(L"buzzer", Check::Keep);
    fields.Pick(L"sensor1", 0);
    EXPECT_FALSE(fields.Password(L"user-password", false, L"x", L"y", Windows1251()));
    EXPECT_TRUE(fields.Changes().keys.empty());
    EXPECT_EQ(ApplySettingChanges(original, fields.Changes()), original);

    // The values the controller holds already, and the gateway as the sheet showed it: still written.
    fields.Address(L"gateway", false, original.gateway);
    fields.Tick(L"ask-password", Check::On);
    fields.Tick(L"buzzer", Check::Off);
    fields.Pick(L"sensor1", 2);  // analog, as it is
    fields.Pick(L"contact2", 1); // normally open, as it is
    EXPECT_FALSE(fields.Password(L"user-password", true, L"", L"", Windows1251()));
    EXPECT_EQ(fields.Changes().keys,
              (std::set<std::wstring, std::less<>>{L"ask-password", L"buzzer", L"contact2", L"gateway",
                                                   L"sensor1", L"user-password"}));
    DeviceProperties other = original;
    other.gateway = 0;
    other.askPassword = false;
    other.buzzer = true;
    other.sensorType[0] = 0;
    other.sensorInverted[1] = 0;
    const DeviceProperties written = ApplySettingChanges(other, fields.Changes());
    EXPECT_EQ(DifferingKeys(written, original), L"user-password");
    EXPECT_EQ(written.userPassword, L"");
    // The entries after "не менять" follow the choice's words: digital, normally closed.
    fields.Pick(L"sensor1", 1);
    fields.Pick(L"contact2", 2);
    EXPECT_EQ(ApplySettingChanges(original, fields.Changes()).sensorType[0], 0);
    EXPECT_EQ(ApplySettingChanges(original, fields.Changes()).sensorInverted[1], 0);

    // The sheet's refusals, for the fields that change only; a refused field is not written.
    EXPECT_EQ(fields.Edit(L"port", L"0", Windows1251()), Words::PortRange);
    EXPECT_THAT(fields.Edit(L"admin-login", L"a:b", Windows1251()).value_or(L""),
                HasSubstr(Words::LoginCharacters));
    EXPECT_EQ(fields.Password(L"admin-password", true, L"один", L"два", Windows1251()),
              Words::PasswordMismatch);
    EXPECT_FALSE(fields.Changes().Names(L"port") || fields.Changes().Names(L"admin-login") ||
                 fields.Changes().Names(L"admin-password"));
    EXPECT_FALSE(fields.Edit(L"port", L"8080", Windows1251()));
    EXPECT_EQ(ApplySettingChanges(original, fields.Changes()).tcpPort, 8080);
}
