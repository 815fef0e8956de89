#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa
{

// A controller's IPv4 address, held with the first dotted number in the most significant byte, as people
// write it: "192.168.0.10".
std::wstring AddressText(std::uint32_t address);

// Reads exactly four dotted decimal numbers of 0 to 255, nothing before or after; nothing otherwise.
std::optional<std::uint32_t> ParseAddress(std::wstring_view text);

// A controller reached by its address rather than found by a search: "A.B.C.D:PORT", or "A.B.C.D" for
// `defaultPort`. Nothing for anything else, a port outside 1 to 65535 included.
struct ControllerEndpoint
{
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    friend bool operator==(const ControllerEndpoint&, const ControllerEndpoint&) = default;
};
std::optional<ControllerEndpoint> ParseEndpoint(std::wstring_view text, std::uint16_t defaultPort = 80);
// "A.B.C.D:PORT".
std::wstring EndpointText(const ControllerEndpoint& endpoint);

} // namespace OM::Norvatessa
