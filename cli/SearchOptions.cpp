#include "cli/SearchOptions.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/SearchDeadline.h"
#include "settings/ValueChecks.h"

#include <variant>

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr std::int32_t LongestSearchTimeMs = 600000;
constexpr std::int32_t MostProbes = 20;
constexpr std::int32_t MostExpected = 100000;

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

// One --add: a controller's address, with its port or not, or a range of addresses. Nothing when it is
// taken; otherwise why not.
std::optional<std::wstring> AddProbed(const std::wstring& text, SearchOptions& options)
{
    if (!LooksLikeRange(text))
    {
        const std::optional<ControllerEndpoint> endpoint = HostEndpoint(text);
        if (!endpoint)
            return Words::Fill(Words::BadAdded, text);
        options.added.push_back(*endpoint);
        return std::nullopt;
    }
    const std::variant<AddressRange, RangeRefusal> range = ParseAddressRange(text);
    if (const AddressRange* taken = std::get_if<AddressRange>(&range))
    {
        options.addedRanges.push_back(*taken);
        return std::nullopt;
    }
    const RangeRefusal& refusal = std::get<RangeRefusal>(range);
    switch (refusal.problem)
    {
    case RangeProblem::TooLarge:
        return Words::Fill(Words::RangeTooLarge, text, refusal.count, AddressRange::MostAddresses);
    case RangeProblem::Reversed:
        return Words::Fill(Words::RangeReversed, text);
    case RangeProblem::Malformed:
        break;
    }
    return Words::Fill(Words::BadAdded, text);
}

// Every address of the ranges is probed in every round, in the first half of the search time, at no more
// than the pace of range probes: ranges that do not fit are refused with the time they need.
std::optional<std::wstring> RangesPace(const SearchOptions& options)
{
    std::vector<std::uint32_t> besides;
    for (const ControllerEndpoint& endpoint : options.added)
        besides.push_back(endpoint.address);
    const std::size_t addresses = RangeAddresses(options.addedRanges, besides).size();
    const std::uint64_t needed = SearchDeadline::RangeSearchMs(addresses, options.probes);
    if (needed <= static_cast<std::uint64_t>(options.timeMs))
        return std::nullopt;
    return needed <= static_cast<std::uint64_t>(LongestSearchTimeMs)
               ? Words::Fill(Words::RangesNeedTime, addresses, options.probes,
                             SearchDeadline::RangeProbesPerSecond, needed)
               : Words::Fill(Words::RangesExceedTime, addresses, options.probes,
                             SearchDeadline::RangeProbesPerSecond, LongestSearchTimeMs);
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
    if (const std::optional<std::wstring> parallel = line.Value(L"--parallel"))
    {
        const std::optional<std::int32_t> lanes = Number(*parallel, 1, MostParallelExchanges);
        if (!lanes)
            return {options, Words::Fill(Words::BadParallel, MostParallelExchanges)};
        options.parallel = *lanes;
    }
    if (const std::optional<std::wstring> adapter = line.Value(L"--adapter"))
    {
        options.adapter = ParseAddress(*adapter);
        if (!options.adapter || !IsUsableControllerAddress(*options.adapter))
            return {options, Words::Fill(Words::BadAdapter, *adapter)};
    }
    if (const std::optional<std::wstring> expected = line.Value(L"--expect"))
    {
        const std::optional<std::int32_t> count = Number(*expected, 1, MostExpected);
        if (!count)
            return {options, Words::Fill(Words::BadExpect, MostExpected)};
        options.goal.count = static_cast<std::size_t>(*count);
    }
    for (const std::wstring& added : line.Values(L"--add"))
    {
        if (std::optional<std::wstring> error = AddProbed(added, options))
            return {options, std::move(error)};
    }
    return {options, RangesPace(options)};
}

void ApplySearchOptions(const SearchOptions& options)
{
    ProgramSettings& settings = Settings();
    settings.searchTimeout = options.timeMs;
    settings.probeCount = options.probes;
    settings.parallelExchanges = options.parallel;
    settings.adapter = options.adapter ? AddressText(*options.adapter) : std::wstring();
    settings.knownControllers = options.added;
    settings.knownRanges = options.addedRanges;
}

std::optional<ControllerEndpoint> HostEndpoint(std::wstring_view text)
{
    const std::optional<ControllerEndpoint> endpoint = ParseEndpoint(text);
    if (!endpoint || !IsUsableControllerAddress(endpoint->address))
        return std::nullopt;
    return endpoint;
}

} // namespace OM::Norvatessa::Cli
