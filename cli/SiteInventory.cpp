#include "cli/SiteInventory.h"

#include "cli/ControllerListing.h"
#include "cli/JsonText.h"
#include "cli/PropertiesListing.h"
#include "engine/AddressText.h"
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

std::wstring Header(std::size_t inputs, bool showPasswords)
{
    std::wstring header = L"address,";
    for (const wchar_t* key :
         {SettingKeys::Port, SettingKeys::Name, SettingKeys::Mask, SettingKeys::Gateway, SettingKeys::Mac})
        header += std::wstring(key) + L',';
    for (const wchar_t* key : {SettingKeys::Sensor, SettingKeys::Contact})
    {
        for (std::size_t input = 0; input < inputs; ++input)
            header += SettingKeys::ForInput(key, input) + L',';
    }
    header += std::wstring(SettingKeys::Buzzer) + L',' + SettingKeys::AskPassword + L',' +
              SettingKeys::AdminLogin + L',' + SettingKeys::UserLogin;
    if (showPasswords)
        header += std::wstring(L",") + SettingKeys::AdminPassword + L',' + SettingKeys::UserPassword;
    return header + L'\n';
}

std::wstring Row(const InventoryRow& row, bool showPasswords)
{
    const Xml::DeviceProperties& properties = row.properties;
    std::wstring line = AddressText(row.address) + L',' + std::to_wstring(properties.tcpPort) + L',' +
                        CsvField(properties.name) + L',' + AddressText(properties.mask) + L',' +
                        AddressText(properties.gateway) + L',' + MacText(properties.mac) + L',';
    for (const std::uint8_t type : properties.sensorType)
        line += type == 1 ? L"analog," : L"digital,";
    for (const std::uint8_t inverted : properties.sensorInverted)
        line += inverted == 1 ? L"open," : L"closed,";
    line += std::wstring(OnOff(properties.buzzer)) + L',' + OnOff(properties.askPassword) + L',' +
            CsvField(properties.adminName) + L',' + CsvField(properties.userName);
    if (showPasswords)
        line += L',' + CsvField(properties.adminPassword) + L',' + CsvField(properties.userPassword);
    return line + L'\n';
}

} // namespace

std::wstring InventoryCsv(const std::vector<InventoryRow>& rows, bool showPasswords)
{
    std::wstring csv = Header(Xml::DeviceProperties{}.sensorType.size(), showPasswords);
    for (const InventoryRow& row : rows)
        csv += Row(row, showPasswords);
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
