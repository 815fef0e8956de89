#include "settings/DocumentFile.h"

#include "helpers/UniqueHandle.h"

#include <algorithm>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// A controller answers at most 16000 bytes; anything much larger is not one of its documents.
constexpr DWORD LargestDocument = 1 << 20;

DWORD WriteAll(HANDLE file, const std::string& bytes)
{
    const char* next = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0)
    {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(left, LargestDocument));
        if (!::WriteFile(file, next, piece, &written, nullptr))
            return ::GetLastError();
        next += written;
        left -= written;
    }
    return ::FlushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
}

} // namespace

DWORD WriteDocumentFile(const std::wstring& path, const std::string& bytes)
{
    const std::wstring partial = path + L".part";
    DWORD error = ERROR_SUCCESS;
    {
        Helpers::UniqueFileHandle file(::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return ::GetLastError();
        error = WriteAll(file.get(), bytes);
    }
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS)
        ::DeleteFileW(partial.c_str());
    return error;
}

DWORD ReadDocumentFile(const std::wstring& path, std::string& bytes)
{
    Helpers::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return ::GetLastError();
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        return ::GetLastError();
    if (size.QuadPart > LargestDocument)
        return ERROR_FILE_TOO_LARGE;
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size())
    {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read,
                        nullptr))
            return ::GetLastError();
        if (read == 0)
            break;
        filled += read;
    }
    bytes.resize(filled);
    return ERROR_SUCCESS;
}

} // namespace OM::Norvatessa::ControllerSettings
