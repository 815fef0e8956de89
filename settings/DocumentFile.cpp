#include "settings/DocumentFile.h"

#include "helpers/UniqueHandle.h"
#include "xml/WholeFileWrite.h"

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// A controller answers at most 16000 bytes; anything much larger is not one of its documents.
constexpr DWORD LargestDocument = 1 << 20;

} // namespace

DWORD WriteDocumentFile(const std::wstring& path, const std::string& bytes)
{
    return Xml::writeFileWhole(path, bytes);
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
