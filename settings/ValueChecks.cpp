#include "settings/ValueChecks.h"

#include "common/Words.h"
#include "xml/DecimalText.h"

namespace OM::Norvatessa
{

namespace
{

std::wstring_view Trimmed(std::wstring_view text)
{
    const auto blank = [](wchar_t character) { return character == L' ' || character == L'\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<std::wstring> TextRefusal(Xml::PropertyText field, std::wstring_view text,
                                        const CodePage& codePage)
{
    if (!Xml::canCarryText(field, text))
        return std::wstring(field == Xml::PropertyText::Name ? Words::NameCharacters
                                                             : Words::LoginCharacters);
    if (!codePage.Fits(text))
        return std::wstring(Words::NotInCodePage);
    return std::nullopt;
}

std::optional<std::uint16_t> PortFromText(std::wstring_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    std::uint32_t port = 0;
    for (const wchar_t character : text)
    {
        if (character < L'0' || character > L'9')
            return std::nullopt;
        port = port * 10 + static_cast<std::uint32_t>(character - L'0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<std::uint16_t>(port);
}

bool IsUsableControllerAddress(std::uint32_t address)
{
    return address != 0 && address != 0xFFFFFFFF;
}

std::optional<std::uint8_t> MacByteFromText(std::wstring_view text)
{
    text = Trimmed(text);
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    int value = 0;
    for (const wchar_t character : text)
    {
        const int digit = Xml::hexDigitValue(character);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + digit;
    }
    return static_cast<std::uint8_t>(value);
}

} // namespace OM::Norvatessa
