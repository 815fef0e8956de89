#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// The folder a site is backed up into and restored from, one file per controller named after its address:
// the console program's backup and restore of a site, kept here for the window program to share.

// Creates the folder (and the folders above it) unless it is there, and proves that a file can be made in
// it, before anything is read from a controller. ERROR_SUCCESS or the system's error code.
DWORD PrepareBackupFolder(const std::wstring& folder);

// "FOLDER\192.168.0.54.xml": the file is named after the controller's address.
std::wstring BackupFileName(const std::wstring& folder, std::uint32_t address);

// The files to restore from what the user names: each file as it is, and the *.xml files of each folder,
// in name order. A folder without any refuses the lot, in the programs' words.
struct BackupFiles
{
    std::vector<std::wstring> files;
    std::wstring refusal; // empty when the files were found
};
BackupFiles FindBackupFiles(const std::vector<std::wstring>& filesAndFolders);

} // namespace OM::Norvatessa::ControllerSettings
