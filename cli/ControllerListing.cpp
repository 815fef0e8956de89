#include "cli/ControllerListing.h"

#include "app/ListColumns.h"
#include "common/AddressText.h"
#include "engine/JsonText.h"
#include "settings/ControllerListFile.h"

#include <algorithm>

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr wchar_t AddressHeader[] = L"Адрес";
constexpr wchar_t PortHeader[] = L"Порт";
constexpr wchar_t NameHeader[] = L"Имя";
constexpr std::size_t ColumnGap = 2;

std::wstring Padded(const std::wstring& text, std::size_t width)
{
    std::wstring padded = text;
    padded.resize(std::max(width, text.size()) + ColumnGap, L' ');
    return padded;
}

std::wstring Table(const std::vector<DiscoveredController>& controllers)
{
    if (controllers.empty())
        return {};
    std::size_t addressWidth = std::wstring_view(AddressHeader).size();
    std::size_t portWidth = std::wstring_view(PortHeader).size();
    for (const DiscoveredController& controller : controllers)
    {
        addressWidth = std::max(addressWidth, AddressText(controller.address).size());
        portWidth = std::max(portWidth, std::to_wstring(controller.port).size());
    }
    std::wstring table = Padded(AddressHeader, addressWidth);
    table += Padded(PortHeader, portWidth);
    table += NameHeader;
    table += L'\n';
    for (const DiscoveredController& controller : controllers)
    {
        table += Padded(AddressText(controller.address), addressWidth);
        table += Padded(std::to_wstring(controller.port), portWidth);
        table += controller.name;
        table += L'\n';
    }
    return table;
}

std::wstring Json(const std::vector<DiscoveredController>& controllers)
{
    std::vector<std::wstring> objects;
    for (const DiscoveredController& controller : controllers)
    {
        std::wstring json = L"{\"address\": ";
        json += JsonString(AddressText(controller.address));
        json += L", \"port\": ";
        json += std::to_wstring(controller.port);
        json += L", \"name\": ";
        json += JsonString(controller.name);
        json += L", \"conflict\": ";
        json += JsonBool(controller.conflict);
        json += L", \"answered\": ";
        json += JsonBool(controller.answered);
        json += L'}';
        objects.push_back(std::move(json));
    }
    return JsonArray(objects);
}

} // namespace

std::wstring ControllerListing(const std::vector<DiscoveredController>& controllers, ListingFormat format,
                               wchar_t separator)
{
    switch (format)
    {
    case ListingFormat::Table:
        return Table(controllers);
    case ListingFormat::Csv: {
        // The list as the window program saves it, so that either program reads the other's.
        std::vector<ControllerRow> rows;
        for (const DiscoveredController& controller : controllers)
            rows.push_back(RowOf(controller));
        return SavedList(rows, separator);
    }
    case ListingFormat::Json:
        return Json(controllers);
    }
    return {};
}

} // namespace OM::Norvatessa::Cli
