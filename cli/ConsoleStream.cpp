#include "cli/ConsoleStream.h"

#include <algorithm>
#include <string>

namespace OM::Norvatessa::Cli
{

namespace
{

// Older consoles refuse single writes of more than about 64 KiB.
constexpr std::size_t ConsoleChunk = 8192;

std::string Utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring WithWindowsLineEnds(std::wstring_view text)
{
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (const wchar_t character : text)
    {
        if (character == L'\n')
            result += L'\r';
        result += character;
    }
    return result;
}

} // namespace

ConsoleStream::ConsoleStream(DWORD standardHandle) : handle(::GetStdHandle(standardHandle))
{
    DWORD mode = 0;
    console = handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

void ConsoleStream::Write(std::wstring_view text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    if (!console)
    {
        const std::string bytes = Utf8(WithWindowsLineEnds(text));
        WriteBytes(bytes.data(), static_cast<DWORD>(bytes.size()));
        return;
    }
    while (!text.empty())
    {
        const std::wstring_view chunk = text.substr(0, std::min(text.size(), ConsoleChunk));
        DWORD written = 0;
        const BOOL wrote =
            ::WriteConsoleW(handle, chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
        if (!wrote || written == 0)
            return Fail(wrote ? ERROR_WRITE_FAULT : ::GetLastError());
        text.remove_prefix(written);
    }
}

void ConsoleStream::WriteLine(std::wstring_view text)
{
    std::wstring line(text);
    line += L'\n';
    Write(line);
}

void ConsoleStream::WriteBytes(const char* bytes, DWORD length)
{
    while (length > 0)
    {
        DWORD written = 0;
        const BOOL wrote = ::WriteFile(handle, bytes, length, &written, nullptr);
        if (!wrote || written == 0)
            return Fail(wrote ? ERROR_WRITE_FAULT : ::GetLastError());
        bytes += written;
        length -= written;
    }
}

// A write that returns success without taking a byte has no error code of its own: ERROR_WRITE_FAULT.
void ConsoleStream::Fail(DWORD error)
{
    if (writeError == ERROR_SUCCESS)
        writeError = error;
}

} // namespace OM::Norvatessa::Cli
