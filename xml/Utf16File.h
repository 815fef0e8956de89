#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace OM::Xml
{

// The program's text files are UTF-16 little-endian with a byte-order mark and CR LF line ends. They are
// read and written here, byte by byte, so that the Windows program and the native build produce and
// accept the same files. Inside the program lines end in a line feed alone.

enum class TextFileStatus
{
    Read,
    Missing,    // there is no such file
    Unreadable, // it exists but cannot be opened or read
    NotUtf16,   // no byte-order mark, or an odd number of bytes
};

// The text of a file image, or nothing when it is not such a file.
std::optional<std::wstring> decodeUtf16Text(std::string_view bytes);
// The file image of a text: byte-order mark, then every line feed written as CR LF.
std::string encodeUtf16Text(std::wstring_view text);

// The text as UTF-8, as Linux takes file names (a character beyond the first plane is one wchar_t there).
std::string utf8Text(std::wstring_view text);

// The file's bytes as they are: Read, Missing or Unreadable.
TextFileStatus readFileBytes(const std::wstring& path, std::string& bytes);
TextFileStatus readUtf16File(const std::wstring& path, std::wstring& text);
// Replaces the file whole (writeFileWhole); false when it cannot, and the file is then as it was.
bool writeUtf16File(const std::wstring& path, std::wstring_view text);

} // namespace OM::Xml
