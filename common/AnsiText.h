#pragma once

#include "common/CodePage.h"

#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa
{

// Text crosses to a controller in the ANSI code page of the thread that sends it, which for a Russian
// workstation is Windows-1251, the encoding the controllers' documents declare.

// The text in the thread's ANSI code page; nothing when a character has no place there (it would reach
// the controller as "?" or as some look-alike).
std::optional<std::string> ToThreadAnsi(std::wstring_view text);

// Whether every character of the text has a place in the thread's ANSI code page.
bool FitsThreadAnsi(std::wstring_view text);

// Bytes in the thread's ANSI code page as UTF-16.
std::wstring FromThreadAnsi(std::string_view bytes);

// Bytes in a code page (CP_ACP, CP_THREAD_ACP, ...) as UTF-16; empty when they cannot be converted.
std::wstring FromCodePage(unsigned codePage, std::string_view bytes);

// The thread's ANSI code page, as the portable readers and checks take it.
const CodePage& ThreadAnsiCodePage();

} // namespace OM::Norvatessa
