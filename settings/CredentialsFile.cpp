#include "settings/CredentialsFile.h"

#include "common/AddressText.h"
#include "engine/CsvText.h"
#include "engine/FileText.h"
#include "settings/SettingChecks.h"

#include <algorithm>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// The record of one line; nothing when it is none.
std::optional<std::pair<std::uint32_t, Credentials>> RecordOf(const std::wstring& line,
                                                              const CodePage& codePage)
{
    const auto separator = std::find_if(line.begin(), line.end(), IsListSeparator);
    if (separator == line.end())
        return std::nullopt;
    const std::size_t first = static_cast<std::size_t>(separator - line.begin());
    const std::size_t second = line.find(*separator, first + 1);
    const std::optional<std::uint32_t> address = ParseAddress(std::wstring_view(line).substr(0, first));
    if (second == std::wstring::npos || !address)
        return std::nullopt;
    Credentials credentials{line.substr(first + 1, second - first - 1), line.substr(second + 1)};
    // The controller takes no login it could not have been given.
    if (credentials.login.empty() || LoginRefusal(credentials.login, codePage) ||
        PasswordRefusal(credentials.password, codePage))
        return std::nullopt;
    return std::pair{*address, std::move(credentials)};
}

} // namespace

CredentialsFile ReadCredentialsFile(std::string_view bytes, const CodePage& codePage)
{
    CredentialsFile file;
    const std::vector<std::wstring> lines = TextLines(DecodeTextFile(bytes, codePage));
    for (std::size_t index = 0; index < lines.size(); ++index)
    {
        if (lines[index].find_first_not_of(L" \t") == std::wstring::npos)
            continue;
        std::optional<std::pair<std::uint32_t, Credentials>> record = RecordOf(lines[index], codePage);
        if (!record)
        {
            file.badLine = index + 1;
            return file;
        }
        const std::uint32_t address = record->first;
        if (!file.credentials.emplace(std::move(*record)).second)
        {
            file.repeated = address;
            return file;
        }
    }
    return file;
}

} // namespace OM::Norvatessa::ControllerSettings
