#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa
{

// The 8-bit code page of a workstation's older files and of the controllers' documents. On Windows it is
// the workstation's ANSI code page (Windows-1251 on a Russian workstation, engine/AnsiText.h); the
// portable readers and checks take it as a parameter, so that the native build tests and fuzzes them with
// the table of Windows-1251.
class CodePage
{
public:
    virtual ~CodePage() = default;

    // The bytes as text.
    virtual std::wstring Decode(std::string_view bytes) const = 0;
    // The text in this code page; nothing when a character has no place there (a controller would receive
    // "?" or some look-alike).
    virtual std::optional<std::string> Encode(std::wstring_view text) const = 0;

    bool Fits(std::wstring_view text) const { return Encode(text).has_value(); }
};

// Windows-1251 from a table of its own, the same on every platform. Its one unassigned byte, 0x98, stands
// for U+0098, as Windows converts it.
const CodePage& Windows1251();

} // namespace OM::Norvatessa
