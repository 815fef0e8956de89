#pragma once

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// Puts text on the clipboard as Unicode; false when the clipboard could not be had. User-interface
// thread.
bool PutOnClipboard(HWND owner, const std::wstring& text);

} // namespace OM::Norvatessa
