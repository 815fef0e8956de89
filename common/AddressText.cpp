#include "common/AddressText.h"

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

std::optional<ControllerEndpoint> ParseEndpoint(std::wstring_view text, std::uint16_t defaultPort)
{
    const std::size_t colon = text.find(L':');
    const std::optional<std::uint32_t> address = ParseAddress(text.substr(0, colon));
    if (!address)
        return std::nullopt;
    if (colon == std::wstring_view::npos)
        return ControllerEndpoint{*address, defaultPort};
    const std::wstring_view digits = text.substr(colon + 1);
    std::uint32_t port = 0;
    for (const wchar_t digit : digits)
    {
        if (digit < L'0' || digit > L'9' || port > 65535)
            return std::nullopt;
        port = port * 10 + static_cast<std::uint32_t>(digit - L'0');
    }
    if (digits.empty() || port < 1 || port > 65535)
        return std::nullopt;
    return ControllerEndpoint{*address, static_cast<std::uint16_t>(port)};
}

std::wstring EndpointText(const ControllerEndpoint& endpoint)
{
    return AddressText(endpoint.address) + L':' + std::to_wstring(endpoint.port);
}

} // namespace OM::Norvatessa
