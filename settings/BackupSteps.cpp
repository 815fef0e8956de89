#include "settings/BackupSteps.h"

#include "common/Words.h"
#include "settings/DocumentFile.h"

#include <windows.h>

#include <utility>

namespace OM::Norvatessa::ControllerSettings
{

BackupSteps::BackupSteps(std::function<std::wstring(std::uint32_t)> fileOf, bool replace,
                         std::wstring existing)
    : fileOf(std::move(fileOf)), replace(replace), existing(std::move(existing))
{
}

std::optional<std::wstring> BackupSteps::Before(std::uint32_t address)
{
    const std::wstring file = fileOf(address);
    if (!replace && ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Words::Fill(existing, file);
    return std::nullopt;
}

BatchWork::AfterReading BackupSteps::AfterRead(std::uint32_t address, const DevicePropertiesResult& read)
{
    const std::wstring file = fileOf(address);
    const DWORD error =
        replace ? WriteDocumentFile(file, read.answer) : WriteNewDocumentFile(file, read.answer);
    if (error == ERROR_FILE_EXISTS)
        return {std::nullopt, Words::Fill(existing, file)};
    if (error != ERROR_SUCCESS)
        return {std::nullopt, Words::Fill(Words::FileNotWritten, file, error)};
    return {};
}

} // namespace OM::Norvatessa::ControllerSettings
