#include "cli/SearchOptions.h"

#include "common/Words.h"
#include "common/AddressText.h"
#include "settings/ValueChecks.h"

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr std::int32_t LongestSearchTimeMs = 600000;
constexpr std::int32_t MostProbes = 20;

// A decimal number of `minimum` to `maximum`, digits only; nothing otherwise.
std::optional<std::int32_t> Number(const std::wstring& text, std::int32_t minimum, std::int32_t maximum)
{
    if (text.empty() || text.size() > 6)
        return std::nullopt;
    std::int32_t number = 0;
    for (const wchar_t digit : text)
    {
        if (digit < L'0' || digit > L'9')
            return std::nullopt;
        number = number * 10 + (digit - L'0');
    }
    if (number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

} // namespace

SearchChoice ChooseSearch(const CommandLine& line)
{
    SearchChoice choice;
    SearchOptions& options = choice.options;
    if (const std::optional<std::wstring> time = line.Value(L"--time"))
    {
        const std::optional<std::int32_t> milliseconds = Number(*time, 1, LongestSearchTimeMs);
        if (!milliseconds)
            return {options, Words::Fill(Words::BadTime, LongestSearchTimeMs)};
        options.timeMs = *milliseconds;
    }
    if (const std::optional<std::wstring> probes = line.Value(L"--probes"))
    {
        const std::optional<std::int32_t> rounds = Number(*probes, 1, MostProbes);
        if (!rounds)
            return {options, Words::Fill(Words::BadProbes, MostProbes)};
        options.probes = *rounds;
    }
    if (const std::optional<std::wstring> adapter = line.Value(L"--adapter"))
    {
        options.adapter = ParseAddress(*adapter);
        if (!options.adapter || !IsUsableControllerAddress(*options.adapter))
            return {options, Words::Fill(Words::BadAdapter, *adapter)};
    }
    for (const std::wstring& added : line.Values(L"--add"))
    {
        const std::optional<ControllerEndpoint> endpoint = HostEndpoint(added);
        if (!endpoint)
            return {options, Words::Fill(Words::BadAdded, added)};
        options.added.push_back(*endpoint);
    }
    return choice;
}

void ApplySearchOptions(const SearchOptions& options)
{
    ProgramSettings& settings = Settings();
    settings.searchTimeout = options.timeMs;
    settings.probeCount = options.probes;
    settings.adapter = options.adapter ? AddressText(*options.adapter) : std::wstring();
    settings.knownControllers = options.added;
}

std::optional<ControllerEndpoint> HostEndpoint(std::wstring_view text)
{
    const std::optional<ControllerEndpoint> endpoint = ParseEndpoint(text);
    if (!endpoint || !IsUsableControllerAddress(endpoint->address))
        return std::nullopt;
    return endpoint;
}

} // namespace OM::Norvatessa::Cli
