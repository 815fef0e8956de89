#pragma once

#include <string>
#include <string_view>

namespace OM::Xml
{

// Writes a file whole or not at all. The bytes go to a temporary file beside it ("NAME.part"), which is
// flushed to the disk and only then takes the file's place; a failure at any step (no right to write
// there, a full disk) leaves the file as it was and removes the temporary one. Both the program's
// settings file and the controllers' backups are written so.
//
// 0 when the file was written, otherwise the system's error code: GetLastError() on Windows, errno
// elsewhere.
unsigned long writeFileWhole(const std::wstring& path, std::string_view bytes);

} // namespace OM::Xml
