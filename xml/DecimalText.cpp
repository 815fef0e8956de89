#include "xml/DecimalText.h"

#include "xml/WhiteSpace.h"

namespace OM::Xml
{

int32_t decimalValue(std::wstring_view text) noexcept
{
    size_t position = 0;
    while (position < text.size() && isWhiteSpace(text[position]))
        ++position;
    const bool negative = position < text.size() && text[position] == L'-';
    if (position < text.size() && (text[position] == L'-' || text[position] == L'+'))
        ++position;
    uint32_t value = 0;
    for (; position < text.size() && text[position] >= L'0' && text[position] <= L'9'; ++position)
        value = value * 10 + static_cast<uint32_t>(text[position] - L'0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

int hexDigitValue(wchar_t character) noexcept
{
    if (character >= L'0' && character <= L'9')
        return character - L'0';
    if (character >= L'a' && character <= L'f')
        return character - L'a' + 10;
    if (character >= L'A' && character <= L'F')
        return character - L'A' + 10;
    return -1;
}

} // namespace OM::Xml
