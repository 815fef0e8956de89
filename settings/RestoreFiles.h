#pragma once

#include "settings/BackupSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// What backup files give back to which controller, as the programs restore them: one file to a controller
// the user names (both programs), or a site's files, each to the controller its "ip" names. A controller
// always keeps its own address, and the first four bytes of its MAC address are the device's in any case.

// A backup file read whole and checked value by value (ReadBackupSettings).
struct RestoreFile
{
    std::wstring path;
    BackupSettings settings;
};

// One file for the controller at `address`.
struct ControllerRestore
{
    SettingChanges changes; // the file's values less its address
    // The file is another controller's: its "ip" names this address. Its values go to the controller only
    // when the user asks for it, and then without its MAC address, so that no two controllers on the
    // network share one.
    std::optional<std::uint32_t> othersAddress;
    // The port of a file of this controller (or of no controller in particular), which reaches the
    // controller when the search does not hear it.
    std::optional<std::uint16_t> knownPort;
};
ControllerRestore RestoreToController(SettingChanges changes, std::uint32_t address);

// A site's files, each for the controller its "ip" names, taken in the order they are read.
struct SiteFile
{
    std::uint32_t address = 0;
    std::optional<std::uint16_t> knownPort; // its "tcp_port": reaches a controller the search does not hear
    RestoreFile file;                       // its values less the address
};
class SiteRestore
{
public:
    // Takes the file; why not, in the programs' words, when it names no controller or one that a file
    // taken before names. One refused file refuses the site: nothing is sent then.
    std::optional<std::wstring> Take(RestoreFile file);
    const std::vector<SiteFile>& Files() const noexcept { return files; }

private:
    std::vector<SiteFile> files;
};

} // namespace OM::Norvatessa::ControllerSettings
