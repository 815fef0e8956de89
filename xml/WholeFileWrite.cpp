#include "xml/WholeFileWrite.h"

#include "xml/Utf16File.h"

#ifdef _WIN32
#include "helpers/UniqueHandle.h"

#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace OM::Xml
{

namespace
{

// A write call takes at most this much at a time (WriteFile counts in 32 bits).
constexpr std::size_t largestPiece = 1 << 20;

#ifdef _WIN32

unsigned long writeTemporary(const std::wstring& partial, std::string_view bytes)
{
    Helpers::UniqueFileHandle file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return ::GetLastError();
    for (std::size_t at = 0; at < bytes.size();)
    {
        DWORD written = 0;
        const auto piece = static_cast<DWORD>(std::min(bytes.size() - at, largestPiece));
        if (!::WriteFile(file.get(), bytes.data() + at, piece, &written, nullptr))
            return ::GetLastError();
        at += written;
    }
    if (!::FlushFileBuffers(file.get()) || !::CloseHandle(file.release()))
        return ::GetLastError();
    return 0;
}

unsigned long takePlace(const std::wstring& partial, const std::wstring& path)
{
    return ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : ::GetLastError();
}

void removeTemporary(const std::wstring& partial)
{
    ::DeleteFileW(partial.c_str());
}

#else

unsigned long writeTemporary(const std::wstring& partial, std::string_view bytes)
{
    const int file = ::open(utf8Text(partial).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0)
        return static_cast<unsigned long>(errno);
    int error = 0;
    for (std::size_t at = 0; at < bytes.size() && error == 0;)
    {
        const ssize_t written = ::write(file, bytes.data() + at, std::min(bytes.size() - at, largestPiece));
        if (written > 0)
            at += static_cast<std::size_t>(written);
        else if (written == 0)
            error = EIO; // a file that takes nothing would keep this loop going for ever
        else if (errno != EINTR)
            error = errno;
    }
    if (error == 0 && ::fsync(file) != 0)
        error = errno;
    if (::close(file) != 0 && error == 0)
        error = errno;
    return static_cast<unsigned long>(error);
}

unsigned long takePlace(const std::wstring& partial, const std::wstring& path)
{
    return std::rename(utf8Text(partial).c_str(), utf8Text(path).c_str()) == 0
               ? 0
               : static_cast<unsigned long>(errno);
}

void removeTemporary(const std::wstring& partial)
{
    ::unlink(utf8Text(partial).c_str());
}

#endif

} // namespace

unsigned long writeFileWhole(const std::wstring& path, std::string_view bytes)
{
    const std::wstring partial = path + L".part";
    unsigned long error = writeTemporary(partial, bytes);
    if (error == 0)
        error = takePlace(partial, path);
    if (error != 0)
        removeTemporary(partial);
    return error;
}

} // namespace OM::Xml
