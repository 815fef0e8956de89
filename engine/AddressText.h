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

} // namespace OM::Norvatessa
