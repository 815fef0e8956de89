#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace OM::Norvatessa::Cli
{

// The folder a site is backed up into, one file per controller. Each returns ERROR_SUCCESS or the system's
// error code.

// Creates the folder (and the folders above it) unless it is there, and proves that a file can be made in
// it, before anything is read from a controller.
DWORD PrepareBackupFolder(const std::wstring& folder);

// "FOLDER\192.168.0.54.xml": the file is named after the controller's address.
std::wstring BackupFileName(const std::wstring& folder, std::uint32_t address);

// Writes a file that is not there yet; ERROR_FILE_EXISTS, and the old file untouched, when it is. A file
// that fails half-way is removed.
DWORD WriteNewDocumentFile(const std::wstring& path, const std::string& bytes);

} // namespace OM::Norvatessa::Cli
