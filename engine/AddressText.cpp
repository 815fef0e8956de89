#include "engine/AddressText.h"

namespace OM::Norvatessa
{

std::wstring AddressText(std::uint32_t address)
{
    return std::to_wstring(address >> 24) + L'.' + std::to_wstring(address >> 16 & 0xFF) + L'.' +
           std::to_wstring(address >> 8 & 0xFF) + L'.' + std::to_wstring(address & 0xFF);
}

std::optional<std::uint32_t> ParseAddress(std::wstring_view text)
{
    std::uint32_t address = 0;
    std::size_t at = 0;
    for (int part = 0; part < 4; ++part)
    {
        if (part > 0)
        {
            if (at >= text.size() || text[at] != L'.')
                return std::nullopt;
            ++at;
        }
        std::uint32_t number = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 4; ++at, ++digits)
            number = number * 10 + static_cast<std::uint32_t>(text[at] - L'0');
        if (digits == 0 || digits > 3 || number > 255)
            return std::nullopt;
        address = address << 8 | number;
    }
    if (at != text.size())
        return std::nullopt;
    return address;
}

} // namespace OM::Norvatessa
