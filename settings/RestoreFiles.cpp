#include "settings/RestoreFiles.h"

#include "common/Words.h"
#include "common/AddressText.h"

#include <algorithm>

namespace OM::Norvatessa::ControllerSettings
{

ControllerRestore RestoreToController(SettingChanges changes, std::uint32_t address)
{
    ControllerRestore restore;
    // A file without an address claims no other controller.
    const std::optional<std::uint32_t> fileAddress = changes.Named(&Xml::DeviceProperties::ip);
    if (fileAddress && *fileAddress != address)
    {
        restore.othersAddress = fileAddress;
        changes.Forget(&Xml::DeviceProperties::mac);
    }
    else
    {
        restore.knownPort = changes.Named(&Xml::DeviceProperties::tcpPort);
    }
    changes.Forget(&Xml::DeviceProperties::ip);
    restore.changes = std::move(changes);
    return restore;
}

std::optional<std::wstring> SiteRestore::Take(RestoreFile file)
{
    SettingChanges& changes = file.settings.changes;
    const std::optional<std::uint32_t> address = changes.Named(&Xml::DeviceProperties::ip);
    if (!address)
        return Words::Fill(Words::FileWithoutAddress, file.path);
    const auto taken = std::find_if(files.begin(), files.end(),
                                    [&](const SiteFile& other) { return other.address == *address; });
    if (taken != files.end())
        return Words::Fill(Words::RepeatedFileAddress, taken->file.path, file.path, AddressText(*address));
    // The file's address names its controller, which keeps it.
    changes.Forget(&Xml::DeviceProperties::ip);
    const std::optional<std::uint16_t> port = changes.Named(&Xml::DeviceProperties::tcpPort);
    files.push_back(SiteFile{*address, port, std::move(file)});
    return std::nullopt;
}

} // namespace OM::Norvatessa::ControllerSettings
