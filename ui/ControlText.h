#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace OM::Ui
{

// The whole text of a window or of a dialog's control, whatever its length.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);

// The size in pixels of `text` on one line, in the font the window draws with (the default font of the
// user interface for a window that has none set).
SIZE LineSize(HWND window, std::wstring_view text);

} // namespace OM::Ui
