#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Simulator
{

// The controller keeps its texts in Windows-1251. The simulator knows the part of it that names on a
// site use: ASCII and Russian, with Ё and №.

// The byte of one character; nothing when the character has no place there.
std::optional<char> Windows1251Byte(char32_t character);
// UTF-8 text in Windows-1251; nothing when a character has no place there or the text is no UTF-8.
std::optional<std::string> Utf8ToWindows1251(std::string_view text);
// The character of one byte in UTF-8; nothing for a byte outside ASCII, Russian, Ё and №.
std::optional<std::string> Windows1251ToUtf8(unsigned char byte);

} // namespace Simulator
