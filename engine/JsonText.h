#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// A JSON string literal, quotes included: the characters JSON reserves escaped, every other character
// as it is (the output is UTF-8).
std::wstring JsonString(std::wstring_view text);

// An array of the values, one a line (a value of many lines has each indented), ending in a line feed:
// "[]" when there is none.
std::wstring JsonArray(const std::vector<std::wstring>& values);

// "true" or "false".
inline const wchar_t* JsonBool(bool value)
{
    return value ? L"true" : L"false";
}

} // namespace OM::Norvatessa
