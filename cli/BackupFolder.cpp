#include "cli/BackupFolder.h"

#include "common/AddressText.h"
#include "helpers/UniqueHandle.h"

namespace OM::Norvatessa::Cli
{

namespace
{

bool IsSeparator(wchar_t character)
{
    return character == L'\\' || character == L'/';
}

DWORD CreateFolders(const std::wstring& folder)
{
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? ERROR_SUCCESS : ERROR_DIRECTORY;
    std::size_t parentEnd = folder.find_last_of(L"\\/");
    while (parentEnd != std::wstring::npos && parentEnd > 0 && IsSeparator(folder[parentEnd - 1]))
        --parentEnd;
    // "C:" and "\\server\share" are not made here; the folder below them is.
    if (parentEnd != std::wstring::npos && parentEnd > 0 && folder[parentEnd - 1] != L':')
    {
        if (const DWORD error = CreateFolders(folder.substr(0, parentEnd)); error != ERROR_SUCCESS)
            return error;
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return ::GetLastError();
    return ERROR_SUCCESS;
}

} // namespace

DWORD PrepareBackupFolder(const std::wstring& folder)
{
    std::wstring path = folder;
    while (path.size() > 1 && IsSeparator(path.back()))
        path.pop_back();
    if (const DWORD error = CreateFolders(path); error != ERROR_SUCCESS)
        return error;
    const std::wstring probe = BackupFileName(path, 0) + L"." + std::to_wstring(::GetCurrentProcessId());
    const Helpers::UniqueFileHandle file(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                                       nullptr));
    return file ? ERROR_SUCCESS : ::GetLastError();
}

std::wstring BackupFileName(const std::wstring& folder, std::uint32_t address)
{
    std::wstring path = folder;
    if (!path.empty() && !IsSeparator(path.back()))
        path += L'\\';
    return path + AddressText(address) + L".xml";
}

DWORD WriteNewDocumentFile(const std::wstring& path, const std::string& bytes)
{
    DWORD error = ERROR_SUCCESS;
    {
        const Helpers::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return ::GetLastError();
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !::FlushFileBuffers(file.get()))
            error = ::GetLastError() != ERROR_SUCCESS ? ::GetLastError() : ERROR_WRITE_FAULT;
    }
    if (error != ERROR_SUCCESS)
        ::DeleteFileW(path.c_str());
    return error;
}

} // namespace OM::Norvatessa::Cli
