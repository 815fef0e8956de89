#include "AddressText.h"

#include <charconv>

namespace Simulator
{

std::string FormatAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 0xFF) + "." +
           std::to_string(address >> 8 & 0xFF) + "." + std::to_string(address & 0xFF);
}

std::optional<std::uint32_t> ParseAddress(std::string_view text)
{
    std::uint32_t address = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int part = 0; part < 4; ++part)
    {
        if (part > 0 && (at == end || *at++ != '.'))
            return std::nullopt;
        // Digits only: from_chars would take no sign, but a part must not be empty or overlong either.
        unsigned value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc{} || next == at || next - at > 3 || value > 255)
            return std::nullopt;
        address = address << 8 | value;
        at = next;
    }
    if (at != end)
        return std::nullopt;
    return address;
}

std::string FormatMac(const MacAddress& mac)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : mac)
    {
        if (!text.empty())
            text.push_back('-');
        text.push_back(Digits[byte >> 4]);
        text.push_back(Digits[byte & 0xF]);
    }
    return text;
}

std::optional<MacAddress> ParseMac(std::string_view text)
{
    MacAddress mac{};
    if (text.size() != 17)
        return std::nullopt;
    for (std::size_t byte = 0; byte < mac.size(); ++byte)
    {
        const char* first = text.data() + byte * 3;
        if (byte > 0 && first[-1] != '-' && first[-1] != ':')
            return std::nullopt;
        unsigned value = 0;
        const auto [end, error] = std::from_chars(first, first + 2, value, 16);
        if (error != std::errc{} || end != first + 2)
            return std::nullopt;
        mac[byte] = static_cast<std::uint8_t>(value);
    }
    return mac;
}

} // namespace Simulator
