#include "common/CodePage.h"

#include <array>
#include <cstdint>

namespace OM::Norvatessa
{

namespace
{

// The characters of the bytes 0x80 to 0xBF; 0xC0 to 0xFF are А to я in one run.
constexpr std::array<char16_t, 64> UpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};
constexpr char16_t CapitalA = 0x0410;
constexpr unsigned char CapitalAByte = 0xC0;

wchar_t CharacterOf(unsigned char byte)
{
    if (byte < 0x80)
        return static_cast<wchar_t>(byte);
    if (byte >= CapitalAByte)
        return static_cast<wchar_t>(CapitalA + (byte - CapitalAByte));
    return static_cast<wchar_t>(UpperHalf[byte - 0x80]);
}

std::optional<char> ByteOf(wchar_t character)
{
    const auto value = static_cast<std::uint32_t>(character);
    if (value < 0x80)
        return static_cast<char>(value);
    if (value >= CapitalA && value < CapitalA + 64u)
        return static_cast<char>(CapitalAByte + (value - CapitalA));
    for (std::size_t index = 0; index < UpperHalf.size(); ++index)
    {
        if (UpperHalf[index] == value)
            return static_cast<char>(0x80 + index);
    }
    return std::nullopt;
}

class Windows1251Table final : public CodePage
{
public:
    std::wstring Decode(std::string_view bytes) const override
    {
        std::wstring text;
        text.reserve(bytes.size());
        for (const char byte : bytes)
            text += CharacterOf(static_cast<unsigned char>(byte));
        return text;
    }

    std::optional<std::string> Encode(std::wstring_view text) const override
    {
        std::string bytes;
        bytes.reserve(text.size());
        for (const wchar_t character : text)
        {
            const std::optional<char> byte = ByteOf(character);
            if (!byte)
                return std::nullopt;
            bytes += *byte;
        }
        return bytes;
    }
};

} // namespace

const CodePage& Windows1251()
{
    static const Windows1251Table table;
    return table;
}

} // namespace OM::Norvatessa
