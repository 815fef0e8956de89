#pragma once

#include <string>
#include <string_view>

namespace OM::Norvatessa::Cli
{

// A JSON string literal, quotes included: the characters JSON reserves escaped, every other character
// as it is (the output is UTF-8).
std::wstring JsonString(std::wstring_view text);

// "true" or "false".
inline const wchar_t* JsonBool(bool value)
{
    return value ? L"true" : L"false";
}

} // namespace OM::Norvatessa::Cli
