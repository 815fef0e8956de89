#pragma once

#include <windows.h>

#include <string>

namespace OM::Ui
{

// The whole text of a window or of a dialog's control, whatever its length.
std::wstring WindowText(HWND window);
std::wstring ControlText(HWND dialog, int id);

} // namespace OM::Ui
