#include "xml/Utf16File.h"

#include "xml/WholeFileWrite.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace OM::Xml
{

namespace
{

constexpr unsigned char byteOrderMark[] = {0xFF, 0xFE};

void appendUnit(std::string& bytes, uint32_t unit)
{
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
}

// wchar_t is one UTF-16 code unit on Windows and a whole code point natively: native text carries
// characters beyond the first plane as one value, which the file holds as a surrogate pair.
void appendCharacter(std::string& bytes, wchar_t character)
{
    const auto value = static_cast<uint32_t>(character);
    if (value > 0xFFFF && value <= 0x10FFFF)
    {
        appendUnit(bytes, 0xD800 + ((value - 0x10000) >> 10));
        appendUnit(bytes, 0xDC00 + ((value - 0x10000) & 0x3FF));
    }
    else
    {
        appendUnit(bytes, value & 0xFFFF);
    }
}

struct FileCloser
{
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

#ifdef _WIN32
UniqueFile openForReading(const std::wstring& path)
{
    return UniqueFile(::_wfopen(path.c_str(), L"rb"));
}
#else
UniqueFile openForReading(const std::wstring& path)
{
    return UniqueFile(std::fopen(utf8Text(path).c_str(), "rb"));
}
#endif

bool textFileExists(const std::wstring& path)
{
#ifdef _WIN32
    struct _stat64 status;
    return ::_wstat64(path.c_str(), &status) == 0;
#else
    struct stat status;
    return ::stat(utf8Text(path).c_str(), &status) == 0;
#endif
}

} // namespace

std::string utf8Text(std::wstring_view text)
{
    std::string result;
    for (size_t at = 0; at < text.size(); ++at)
    {
        auto value = static_cast<uint32_t>(text[at]);
        // A pair of surrogates is one character, however the build holds it: where wchar_t is one code
        // unit it arrives in two halves. A lone surrogate is written as it is, the same in both builds.
        const bool pairs = value >= 0xD800 && value <= 0xDBFF && at + 1 < text.size() &&
                           static_cast<uint32_t>(text[at + 1]) >= 0xDC00 &&
                           static_cast<uint32_t>(text[at + 1]) <= 0xDFFF;
        if (pairs)
            value = 0x10000 + ((value - 0xD800) << 10) + (static_cast<uint32_t>(text[++at]) - 0xDC00);
        if (value < 0x80)
        {
            result += static_cast<char>(value);
        }
        else if (value < 0x800)
        {
            result += static_cast<char>(0xC0 | (value >> 6));
            result += static_cast<char>(0x80 | (value & 0x3F));
        }
        else if (value < 0x10000)
        {
            result += static_cast<char>(0xE0 | (value >> 12));
            result += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (value & 0x3F));
        }
        else
        {
            result += static_cast<char>(0xF0 | ((value >> 18) & 0x07));
            result += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (value & 0x3F));
        }
    }
    return result;
}

std::optional<std::wstring> decodeUtf16Text(std::string_view bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0 ||
        static_cast<unsigned char>(bytes[0]) != byteOrderMark[0] ||
        static_cast<unsigned char>(bytes[1]) != byteOrderMark[1])
        return std::nullopt;

    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t offset = 2; offset < bytes.size(); offset += 2)
    {
        uint32_t unit = static_cast<unsigned char>(bytes[offset]) |
                        static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 1])) << 8;
        if constexpr (sizeof(wchar_t) > 2)
        {
            // Natively a surrogate pair becomes the one character it stands for; a lone surrogate stays
            // as it is, so that writing the text back gives the same bytes.
            const bool lead = unit >= 0xD800 && unit <= 0xDBFF;
            if (lead && offset + 3 < bytes.size())
            {
                const uint32_t trail = static_cast<unsigned char>(bytes[offset + 2]) |
                                       static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + 3]))
                                           << 8;
                if (trail >= 0xDC00 && trail <= 0xDFFF)
                {
                    unit = 0x10000 + ((unit - 0xD800) << 10) + (trail - 0xDC00);
                    offset += 2;
                }
            }
        }
        // A carriage return before a line feed is part of the file's line end, not of the text.
        if (unit == L'\n' && !text.empty() && text.back() == L'\r')
            text.back() = L'\n';
        else
            text += static_cast<wchar_t>(unit);
    }
    return text;
}

std::string encodeUtf16Text(std::wstring_view text)
{
    std::string bytes(reinterpret_cast<const char*>(byteOrderMark), sizeof byteOrderMark);
    bytes.reserve(2 + text.size() * 2 + text.size() / 16);
    for (const wchar_t character : text)
    {
        if (character == L'\n')
            appendUnit(bytes, L'\r');
        appendCharacter(bytes, character);
    }
    return bytes;
}

TextFileStatus readFileBytes(const std::wstring& path, std::string& bytes)
{
    if (!textFileExists(path))
        return TextFileStatus::Missing;
    UniqueFile file = openForReading(path);
    if (!file)
        return TextFileStatus::Unreadable;
    bytes.clear();
    char buffer[16384];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.append(buffer, count);
    return std::ferror(file.get()) ? TextFileStatus::Unreadable : TextFileStatus::Read;
}

TextFileStatus readUtf16File(const std::wstring& path, std::wstring& text)
{
    std::string bytes;
    if (const TextFileStatus status = readFileBytes(path, bytes); status != TextFileStatus::Read)
        return status;
    std::optional<std::wstring> decoded = decodeUtf16Text(bytes);
    if (!decoded)
        return TextFileStatus::NotUtf16;
    text = std::move(*decoded);
    return TextFileStatus::Read;
}

bool writeUtf16File(const std::wstring& path, std::wstring_view text)
{
    return writeFileWhole(path, encodeUtf16Text(text)) == 0;
}

} // namespace OM::Xml
