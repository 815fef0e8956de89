#include "settings/BackupFolder.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "helpers/UniqueHandle.h"

#include <algorithm>

namespace OM::Norvatessa::ControllerSettings
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

BackupFiles FindBackupFiles(const std::vector<std::wstring>& filesAndFolders)
{
    BackupFiles found;
    for (const std::wstring& named : filesAndFolders)
    {
        const DWORD attributes = ::GetFileAttributesW(named.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        {
            found.files.push_back(named);
            continue;
        }
        std::wstring folder = named;
        if (!IsSeparator(folder.back()))
            folder += L'\\';
        std::vector<std::wstring> inFolder;
        WIN32_FIND_DATAW entry{};
        const Helpers::UniqueFindHandle search(::FindFirstFileW((folder + L"*.xml").c_str(), &entry));
        if (search)
        {
            do
            {
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    inFolder.push_back(folder + entry.cFileName);
            } while (::FindNextFileW(search.get(), &entry));
        }
        if (inFolder.empty())
            return {{}, Words::Fill(Words::NoBackupFiles, named)};
        std::sort(inFolder.begin(), inFolder.end());
        found.files.insert(found.files.end(), inFolder.begin(), inFolder.end());
    }
    return found;
}

} // namespace OM::Norvatessa::ControllerSettings
