#include "Windows1251.h"

namespace Simulator
{

namespace
{

std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at)
{
    const auto byte = [&](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char lead = byte(at);
    const int extra = lead < 0x80             ? 0
                      : (lead & 0xE0) == 0xC0 ? 1
                      : (lead & 0xF0) == 0xE0 ? 2
                      : (lead & 0xF8) == 0xF0 ? 3
                                              : -1;
    if (extra < 0 || at + static_cast<std::size_t>(extra) >= text.size())
        return std::nullopt;
    char32_t point = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
    {
        if ((byte(at + static_cast<std::size_t>(i)) & 0xC0) != 0x80)
            return std::nullopt;
        point = point << 6 | (byte(at + static_cast<std::size_t>(i)) & 0x3F);
    }
    at += static_cast<std::size_t>(extra) + 1;
    return point;
}

} // namespace

std::optional<char> Windows1251Byte(char32_t character)
{
    if (character < 0x80)
        return static_cast<char>(character);
    if (character >= 0x0410 && character <= 0x044F) // А to я lie in one run from 0xC0
        return static_cast<char>(0xC0 + (character - 0x0410));
    if (character == 0x0401) // Ё
        return static_cast<char>(0xA8);
    if (character == 0x0451) // ё
        return static_cast<char>(0xB8);
    if (character == 0x2116) // №
        return static_cast<char>(0xB9);
    return std::nullopt;
}

std::optional<std::string> Utf8ToWindows1251(std::string_view text)
{
    std::string result;
    for (std::size_t at = 0; at < text.size();)
    {
        const std::optional<char32_t> point = NextCodePoint(text, at);
        if (!point)
            return std::nullopt;
        const std::optional<char> byte = Windows1251Byte(*point);
        if (!byte)
            return std::nullopt;
        result.push_back(*byte);
    }
    return result;
}

std::optional<std::string> Windows1251ToUtf8(unsigned char byte)
{
    char32_t character = 0;
    if (byte < 0x80)
        return std::string(1, static_cast<char>(byte));
    if (byte >= 0xC0)
        character = 0x0410 + (byte - 0xC0);
    else if (byte == 0xA8)
        character = 0x0401;
    else if (byte == 0xB8)
        character = 0x0451;
    else if (byte == 0xB9)
        character = 0x2116;
    else
        return std::nullopt;
    // All of them take two bytes in UTF-8 but №, which takes three.
    if (character < 0x800)
        return std::string{static_cast<char>(0xC0 | character >> 6),
                           static_cast<char>(0x80 | (character & 0x3F))};
    return std::string{static_cast<char>(0xE0 | character >> 12),
                       static_cast<char>(0x80 | (character >> 6 & 0x3F)),
                       static_cast<char>(0x80 | (character & 0x3F))};
}

} // namespace Simulator
