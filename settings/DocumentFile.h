#pragma once

#include <windows.h>

#include <string>

namespace OM::Norvatessa::ControllerSettings
{

// A backup file holds a controller's document exactly as the controller sent it, in its own code page (the
// workstation's ANSI code page). Both return ERROR_SUCCESS or the system's error code.

// Replaces the file only once the new one is written whole: a backup that fails half-way leaves the
// previous one in place.
DWORD WriteDocumentFile(const std::wstring& path, const std::string& bytes);

// Writes a file that is not there yet; ERROR_FILE_EXISTS, and the old file untouched, when it is: a backup
// already there may be the only copy of a site as it was. A file that fails half-way is removed.
DWORD WriteNewDocumentFile(const std::wstring& path, const std::string& bytes);

// Reads the whole file; a file far larger than any controller's document is refused with
// ERROR_FILE_TOO_LARGE.
DWORD ReadDocumentFile(const std::wstring& path, std::string& bytes);

} // namespace OM::Norvatessa::ControllerSettings
