#pragma once

namespace OM::Xml
{

// White space as every reader of the program's documents sees it: space, tab, line feed, vertical tab,
// form feed and carriage return. The same set in both builds, whatever the locale.
constexpr bool isWhiteSpace(wchar_t character) noexcept
{
    return character == L' ' || (character >= L'\t' && character <= L'\r');
}

} // namespace OM::Xml
