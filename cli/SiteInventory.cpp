#include "cli/SiteInventory.h"

#include "cli/JsonText.h"
#include "cli/PropertiesListing.h"
#include "common/AddressText.h"
#include "engine/CsvText.h"
#include "settings/SettingKeys.h"

namespace OM::Norvatessa::Cli
{

namespace SettingKeys = ControllerSettings::SettingKeys;

namespace
{

// The values as "set" takes them, so that a column can be given back as it stands.
const wchar_t* OnOff(bool on)
{
    return on ? L"on" : L"off";
}

std::vector<std::wstring> Header(std::size_t inputs, bool showPasswords)
{
    std::vector<std::wstring> header = {L"address",        SettingKeys::Port,    SettingKeys::Name,
                                        SettingKeys::Mask, SettingKeys::Gateway, SettingKeys::Mac};
    for (const wchar_t* key : {SettingKeys::Sensor, SettingKeys::Contact})
    {
        for (std::size_t input = 0; input < inputs; ++input)
            header.push_back(SettingKeys::ForInput(key, input));
    }
    header.insert(header.end(), {SettingKeys::Buzzer, SettingKeys::AskPassword, SettingKeys::AdminLogin,
                                 SettingKeys::UserLogin});
    if (showPasswords)
        header.insert(header.end(), {SettingKeys::AdminPassword, SettingKeys::UserPassword});
    return header;
}

std::vector<std::wstring> Row(const InventoryRow& row, bool showPasswords)
{
    const Xml::DeviceProperties& properties = row.properties;
    std::vector<std::wstring> fields = {
        AddressText(row.address),     std::to_wstring(properties.tcpPort), properties.name,
        AddressText(properties.mask), AddressText(properties.gateway),     MacText(properties.mac)};
    for (const std::uint8_t type : properties.sensorType)
        fields.emplace_back(type == 1 ? L"analog" : L"digital");
    for (const std::uint8_t inverted : properties.sensorInverted)
        fields.emplace_back(inverted == 1 ? L"open" : L"closed");
    fields.insert(fields.end(), {OnOff(properties.buzzer), OnOff(properties.askPassword),
                                 properties.adminName, properties.userName});
    if (showPasswords)
        fields.insert(fields.end(), {properties.adminPassword, properties.userPassword});
    return fields;
}

} // namespace

std::wstring InventoryCsv(const std::vector<InventoryRow>& rows, bool showPasswords, wchar_t separator)
{
    std::wstring csv = CsvRow(Header(Xml::DeviceProperties{}.sensorType.size(), showPasswords), separator);
    for (const InventoryRow& row : rows)
        csv += CsvRow(Row(row, showPasswords), separator);
    return csv;
}

std::wstring InventoryJson(const std::vector<InventoryRow>& rows, bool showPasswords)
{
    std::vector<std::wstring> objects;
    for (const InventoryRow& row : rows)
    {
        std::wstring object = PropertiesListing(row.properties, PropertiesFormat::Json, showPasswords);
        object.pop_back(); // its line feed: the array ends the line
        objects.push_back(std::move(object));
    }
    return JsonArray(objects);
}

} // namespace OM::Norvatessa::Cli
