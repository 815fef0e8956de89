#include "common/AddressRange.h"

#include "common/AddressText.h"

#include <unordered_set>

namespace OM::Norvatessa
{

namespace
{

std::variant<AddressRange, RangeRefusal> Checked(AddressRange range, int prefixLength)
{
    range.prefixLength = prefixLength;
    if (range.first == 0 || range.last == 0xFFFFFFFF)
        return RangeRefusal{RangeProblem::Malformed, 0};
    if (range.Count() > AddressRange::MostAddresses)
        return RangeRefusal{RangeProblem::TooLarge, range.Count()};
    return range;
}

// "A.B.C.D/NN"; the network is written with any of its addresses.
std::variant<AddressRange, RangeRefusal> Subnet(std::wstring_view address, std::wstring_view length)
{
    const std::optional<std::uint32_t> base = ParseAddress(address);
    if (!base || length.empty() || length.size() > 2)
        return RangeRefusal{};
    int prefix = 0;
    for (const wchar_t digit : length)
    {
        if (digit < L'0' || digit > L'9')
            return RangeRefusal{};
        prefix = prefix * 10 + (digit - L'0');
    }
    if (prefix > 32)
        return RangeRefusal{};
    const std::uint64_t size = std::uint64_t{1} << (32 - prefix);
    const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
    const std::uint32_t network = *base & mask;
    const std::uint32_t broadcast = network | ~mask;
    // Its own address and its broadcast address are no host's; a /31 or /32 has neither.
    if (size <= 2)
        return Checked(AddressRange{network, broadcast}, prefix);
    if (size - 2 > AddressRange::MostAddresses)
        return RangeRefusal{RangeProblem::TooLarge, size - 2};
    return Checked(AddressRange{network + 1, broadcast - 1}, prefix);
}

} // namespace

bool LooksLikeRange(std::wstring_view text)
{
    return text.find_first_of(L"-/") != std::wstring_view::npos;
}

std::variant<AddressRange, RangeRefusal> ParseAddressRange(std::wstring_view text)
{
    if (const std::size_t slash = text.find(L'/'); slash != std::wstring_view::npos)
        return Subnet(text.substr(0, slash), text.substr(slash + 1));
    const std::size_t dash = text.find(L'-');
    if (dash == std::wstring_view::npos)
        return RangeRefusal{};
    const std::optional<std::uint32_t> first = ParseAddress(text.substr(0, dash));
    const std::optional<std::uint32_t> last = ParseAddress(text.substr(dash + 1));
    if (!first || !last)
        return RangeRefusal{};
    if (*last < *first)
        return RangeRefusal{RangeProblem::Reversed, 0};
    return Checked(AddressRange{*first, *last}, -1);
}

std::wstring RangeText(const AddressRange& range)
{
    if (range.prefixLength < 0)
        return AddressText(range.first) + L'-' + AddressText(range.last);
    const std::uint32_t mask = range.prefixLength == 0 ? 0 : ~std::uint32_t{0} << (32 - range.prefixLength);
    return AddressText(range.first & mask) + L'/' + std::to_wstring(range.prefixLength);
}

std::vector<std::uint32_t> RangeAddresses(const std::vector<AddressRange>& ranges,
                                          const std::vector<std::uint32_t>& besides,
                                          std::vector<std::size_t>* ends)
{
    std::unordered_set<std::uint32_t> seen(besides.begin(), besides.end());
    std::vector<std::uint32_t> addresses;
    for (const AddressRange& range : ranges)
    {
        for (std::uint64_t address = range.first; address <= range.last; ++address)
        {
            if (seen.insert(static_cast<std::uint32_t>(address)).second)
                addresses.push_back(static_cast<std::uint32_t>(address));
        }
        if (ends)
            ends->push_back(addresses.size());
    }
    return addresses;
}

} // namespace OM::Norvatessa
