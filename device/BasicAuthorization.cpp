#include "device/BasicAuthorization.h"

#include "common/AnsiText.h"

#include <algorithm>
#include <cstdint>

namespace OM::Norvatessa
{

namespace
{

std::wstring Base64(const std::string& bytes)
{
    constexpr char Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::wstring text;
    for (std::size_t at = 0; at < bytes.size(); at += 3)
    {
        const std::size_t taken = std::min<std::size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (std::size_t index = 0; index < 3; ++index)
        {
            const auto byte = index < taken ? static_cast<unsigned char>(bytes[at + index]) : 0u;
            group = (group << 8) | byte;
        }
        for (std::size_t index = 0; index < 4; ++index)
            text += index <= taken ? static_cast<wchar_t>(Digits[(group >> (18 - 6 * index)) & 0x3F]) : L'=';
    }
    return text;
}

} // namespace

std::optional<std::wstring> BasicAuthorization(const Credentials& credentials)
{
    const std::optional<std::string> pair = ToThreadAnsi(credentials.login + L":" + credentials.password);
    if (!pair)
        return std::nullopt;
    return L"Authorization: Basic " + Base64(*pair) + L"\r\n";
}

} // namespace OM::Norvatessa
