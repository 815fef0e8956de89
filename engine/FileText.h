#pragma once

#include "common/CodePage.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// The text of files that people and other programs write, and that the programs read: lists of
// controllers, credentials, backups of a controller's settings. Notepad saves "Unicode" as UTF-16 with a
// byte-order mark, PowerShell's ">" does the same, a spreadsheet writes UTF-8 with or without one, and
// older tools the workstation's code page.

enum class TextEncoding
{
    Utf8,
    Utf16LittleEndian,
    Utf16BigEndian,
};

// The encoding a byte-order mark at the start of the bytes names, and the mark's length.
struct ByteOrderMark
{
    TextEncoding encoding = TextEncoding::Utf8;
    std::size_t length = 0;
};
std::optional<ByteOrderMark> FindByteOrderMark(std::string_view bytes);

// The bytes as text in that encoding. What is not valid there becomes U+FFFD and clears `valid`, when
// given; a last odd byte of UTF-16 is left out.
std::wstring DecodeText(std::string_view bytes, TextEncoding encoding, bool* valid = nullptr);

// A list or a credentials file: its byte-order mark decides; without one it is UTF-8 when its bytes are,
// and otherwise in the code page.
std::wstring DecodeTextFile(std::string_view bytes, const CodePage& codePage);

// The lines of a text without their line ends (LF or CR LF).
std::vector<std::wstring> TextLines(std::wstring_view text);

} // namespace OM::Norvatessa
