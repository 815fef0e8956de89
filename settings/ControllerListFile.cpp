#include "settings/ControllerListFile.h"

#include "common/AddressText.h"
#include "engine/CsvText.h"
#include "engine/FileText.h"
#include "settings/ValueChecks.h"

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

constexpr wchar_t AddressColumn[] = L"address";
constexpr wchar_t PortColumn[] = L"port";

std::wstring_view Trimmed(std::wstring_view text)
{
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

bool IsBlank(const CsvRecord& record)
{
    for (const std::wstring& field : record.fields)
    {
        if (!Trimmed(field).empty())
            return false;
    }
    return true;
}

// The column "port" of the header; nothing when there is none.
std::optional<std::size_t> PortColumnOf(const CsvRecord& header)
{
    for (std::size_t column = 1; column < header.fields.size(); ++column)
    {
        if (Trimmed(header.fields[column]) == PortColumn)
            return column;
    }
    return std::nullopt;
}

// A record of the list; nothing when it names no controller or its port is no port.
std::optional<ListedController> ListedOf(const CsvRecord& record, std::optional<std::size_t> portColumn)
{
    std::optional<ListedController> listed = ParseListedController(Trimmed(record.fields.front()));
    if (!listed || !portColumn || *portColumn >= record.fields.size())
        return listed;
    const std::wstring_view port = Trimmed(record.fields[*portColumn]);
    if (port.empty())
        return listed;
    listed->knownPort = PortFromText(port);
    if (!listed->knownPort)
        return std::nullopt;
    return listed;
}

} // namespace

std::optional<ListedController> ParseListedController(std::wstring_view text)
{
    if (text.find(L':') == std::wstring_view::npos)
    {
        const std::optional<std::uint32_t> address = ParseAddress(text);
        if (!address)
            return std::nullopt;
        return ListedController{*address, std::nullopt, std::nullopt};
    }
    const std::optional<ControllerEndpoint> endpoint = ParseEndpoint(text);
    if (!endpoint || !IsUsableControllerAddress(endpoint->address))
        return std::nullopt;
    return ListedController{endpoint->address, endpoint->port, std::nullopt};
}

ControllerList ReadControllerList(std::string_view bytes, const CodePage& codePage)
{
    const std::wstring text = DecodeTextFile(bytes, codePage);
    ControllerList list;
    bool first = true;
    std::optional<std::size_t> portColumn;
    for (const CsvRecord& record : ReadCsvRecords(text, FindListSeparator(text)))
    {
        if (IsBlank(record))
            continue;
        const bool header = first && Trimmed(record.fields.front()) == AddressColumn;
        first = false;
        if (header)
        {
            portColumn = PortColumnOf(record);
            continue;
        }
        const std::optional<ListedController> listed = ListedOf(record, portColumn);
        if (!listed)
        {
            list.badLine = record.line;
            return list;
        }
        list.controllers.push_back(*listed);
    }
    return list;
}

} // namespace OM::Norvatessa::ControllerSettings
