#pragma once

#include <cstdint>
#include <string_view>

namespace OM::Xml
{

// A number written in a configuration value, read the way the program has always read them: leading
// white space and one sign are skipped, decimal digits are read up to the first other character, and a
// text without digits gives 0. There is no overflow check: the value wraps around modulo 2^32.
int32_t decimalValue(std::wstring_view text) noexcept;

// The value of a hexadecimal digit of either case, or -1 for any other character.
int hexDigitValue(wchar_t character) noexcept;

} // namespace OM::Xml
