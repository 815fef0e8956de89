#pragma once

#include "Controller.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// IP addresses (host order) as "a.b.c.d", MAC addresses as "00-1A-2B-00-00-02", the way the options, the
// configuration document and the journal write them.
std::string FormatAddress(std::uint32_t address);
std::optional<std::uint32_t> ParseAddress(std::string_view text);
std::string FormatMac(const MacAddress& mac);
// Either case of hex digits; dashes or colons between the bytes.
std::optional<MacAddress> ParseMac(std::string_view text);

} // namespace Simulator
