#include "engine/FileText.h"

#include <cstdint>

namespace OM::Norvatessa
{

namespace
{

constexpr char32_t Replacement = 0xFFFD;

// A character as the build holds text: one wchar_t natively, where wchar_t holds a whole code point, and a
// pair of surrogates beyond the first plane on Windows, where it is one UTF-16 code unit.
void Append(std::wstring& text, char32_t character)
{
    if (sizeof(wchar_t) == 2 && character > 0xFFFF)
    {
        text += static_cast<wchar_t>(0xD800 + ((character - 0x10000) >> 10));
        text += static_cast<wchar_t>(0xDC00 + ((character - 0x10000) & 0x3FF));
    }
    else
    {
        text += static_cast<wchar_t>(character);
    }
}

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The character that starts at `at`, whose bytes it passes; nothing, passing one byte, when no valid
// character starts there.
std::optional<char32_t> NextUtf8(std::string_view bytes, std::size_t& at)
{
    const auto byte = [&bytes](std::size_t index) { return static_cast<unsigned char>(bytes[index]); };
    const unsigned char lead = byte(at);
    std::size_t extra = 0;
    char32_t smallest = 0;
    char32_t character = lead;
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1, smallest = 0x80, character = lead & 0x1Fu;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2, smallest = 0x800, character = lead & 0x0Fu;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3, smallest = 0x10000, character = lead & 0x07u;
    else if (lead >= 0x80)
        return ++at, std::nullopt;
    if (bytes.size() - at <= extra)
        return ++at, std::nullopt;
    for (std::size_t index = 1; index <= extra; ++index)
    {
        if (!IsContinuation(byte(at + index)))
            return ++at, std::nullopt;
        character = character << 6 | (byte(at + index) & 0x3Fu);
    }
    // Overlong forms, surrogates and what lies beyond the last plane are no characters of UTF-8.
    if (character < smallest || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF))
        return ++at, std::nullopt;
    at += extra + 1;
    return character;
}

std::wstring DecodeUtf8(std::string_view bytes, bool& valid)
{
    std::wstring text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();)
    {
        const std::optional<char32_t> character = NextUtf8(bytes, at);
        valid = valid && character.has_value();
        Append(text, character.value_or(Replacement));
    }
    return text;
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian, bool& valid)
{
    const auto unitAt = [&](std::size_t offset) {
        const auto first = static_cast<unsigned char>(bytes[offset]);
        const auto second = static_cast<unsigned char>(bytes[offset + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    valid = valid && bytes.size() % 2 == 0;
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (std::size_t offset = 0; offset + 1 < bytes.size(); offset += 2)
    {
        char32_t unit = unitAt(offset);
        // Natively a pair of surrogates becomes the one character it stands for; a lone surrogate is kept,
        // which is what Windows does with it too.
        if (sizeof(wchar_t) > 2 && unit >= 0xD800 && unit <= 0xDBFF && offset + 3 < bytes.size())
        {
            const char32_t trail = unitAt(offset + 2);
            if (trail >= 0xDC00 && trail <= 0xDFFF)
            {
                unit = 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
                offset += 2;
            }
        }
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

} // namespace

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes)
{
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return ByteOrderMark{TextEncoding::Utf8, 3};
    if (bytes.substr(0, 2) == "\xFF\xFE")
        return ByteOrderMark{TextEncoding::Utf16LittleEndian, 2};
    if (bytes.substr(0, 2) == "\xFE\xFF")
        return ByteOrderMark{TextEncoding::Utf16BigEndian, 2};
    return std::nullopt;
}

std::wstring DecodeText(std::string_view bytes, TextEncoding encoding, bool* valid)
{
    bool wholly = true;
    std::wstring text = encoding == TextEncoding::Utf8
                            ? DecodeUtf8(bytes, wholly)
                            : DecodeUtf16(bytes, encoding == TextEncoding::Utf16BigEndian, wholly);
    if (valid != nullptr)
        *valid = wholly;
    return text;
}

std::wstring DecodeTextFile(std::string_view bytes, const CodePage& codePage)
{
    if (const std::optional<ByteOrderMark> mark = FindByteOrderMark(bytes))
        return DecodeText(bytes.substr(mark->length), mark->encoding);
    bool utf8 = true;
    std::wstring text = DecodeText(bytes, TextEncoding::Utf8, &utf8);
    return utf8 ? text : codePage.Decode(bytes);
}

std::vector<std::wstring> TextLines(std::wstring_view text)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring_view::npos)
            end = text.size();
        std::wstring_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

} // namespace OM::Norvatessa
