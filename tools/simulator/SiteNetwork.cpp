#include "SiteNetwork.h"

#include "AddressText.h"

#include <charconv>

namespace Simulator
{

std::optional<SiteNetwork> SiteNetwork::Parse(std::string_view text)
{
    const std::size_t slash = text.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::optional<std::uint32_t> first = ParseAddress(text.substr(0, slash));
    const std::string_view length = text.substr(slash + 1);
    int prefixLength = -1;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), prefixLength);
    // Narrower than a /30 leaves no room for a controller beside the network's own addresses.
    if (!first || error != std::errc{} || end != length.data() + length.size() || prefixLength < 1 ||
        prefixLength > 30)
        return std::nullopt;
    SiteNetwork network{*first, prefixLength};
    if (*first == network.base() || *first == network.broadcast())
        return std::nullopt;
    return network;
}

std::string SiteNetwork::Describe() const
{
    return FormatAddress(base()) + "/" + std::to_string(prefixLength);
}

} // namespace Simulator
