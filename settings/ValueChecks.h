#pragma once

#include "common/CodePage.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa
{

// The checks a value passes before it may go to a controller, shared by the settings sheet and the
// console program so that both refuse the same values with the same words (Words).

// Why a text cannot go into a controller's document unchanged, or nothing when it can: the document
// cannot carry it (quotes, escapes, references, a colon in a login or password), or the workstation's
// code page cannot (the controller would receive other characters).
std::optional<std::wstring> TextRefusal(Xml::PropertyText field, std::wstring_view text,
                                        const CodePage& codePage);

// A TCP port typed as decimal digits, 1 to 65535; nothing for anything else.
std::optional<std::uint16_t> PortFromText(std::wstring_view text);

// Whether a controller may be given this address: 0.0.0.0 and 255.255.255.255 would cut it off.
bool IsUsableControllerAddress(std::uint32_t address);

// One byte of a MAC address typed as one or two hexadecimal digits, blanks around them allowed.
std::optional<std::uint8_t> MacByteFromText(std::wstring_view text);

} // namespace OM::Norvatessa
