#include "cli/SiteInventory.h"

#include "cli/PropertiesListing.h"
#include "common/AddressText.h"
#include "engine/CsvText.h"
#include "engine/JsonText.h"
#include "settings/SettingListing.h"

namespace OM::Norvatessa::Cli
{

std::wstring InventoryCsv(const std::vector<InventoryRow>& rows, bool showPasswords, wchar_t separator)
{
    std::vector<std::wstring> header = {L"address"};
    for (std::wstring& column : ControllerSettings::SettingColumns(showPasswords))
        header.push_back(std::move(column));
    std::wstring csv = CsvRow(header, separator);
    for (const InventoryRow& row : rows)
    {
        std::vector<std::wstring> fields = {AddressText(row.address)};
        for (std::wstring& field : ControllerSettings::SettingFields(row.properties, showPasswords))
            fields.push_back(std::move(field));
        csv += CsvRow(fields, separator);
    }
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
