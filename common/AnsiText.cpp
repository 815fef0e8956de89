#include "common/AnsiText.h"

#include <windows.h>

namespace OM::Norvatessa
{

std::optional<std::string> ToThreadAnsi(std::wstring_view text)
{
    if (text.empty())
        return std::string();
    const int length = static_cast<int>(text.size());
    // Flags 0 work with every code page; whether the bytes mean the same text is told by converting back.
    const int size =
        ::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_THREAD_ACP, 0, text.data(), length, bytes.data(), size, nullptr, nullptr) !=
        size)
        return std::nullopt;
    if (FromThreadAnsi(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool FitsThreadAnsi(std::wstring_view text)
{
    return ToThreadAnsi(text).has_value();
}

std::wstring FromThreadAnsi(std::string_view bytes)
{
    return FromCodePage(CP_THREAD_ACP, bytes);
}

std::wstring FromCodePage(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return {};
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    return text;
}

namespace
{

class ThreadAnsi final : public CodePage
{
public:
    std::wstring Decode(std::string_view bytes) const override { return FromThreadAnsi(bytes); }
    std::optional<std::string> Encode(std::wstring_view text) const override { return ToThreadAnsi(text); }
};

} // namespace

const CodePage& ThreadAnsiCodePage()
{
    static const ThreadAnsi codePage;
    return codePage;
}

} // namespace OM::Norvatessa
