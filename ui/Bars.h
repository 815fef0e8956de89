#pragma once

#include "ui/UiHandles.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace OM::Ui
{

// A toolbar from a toolbar resource and the bitmap of the same id: its buttons in the resource's order
// behind a leading separator, with tooltips. `images` receives the image list, which must outlive the
// toolbar. Null when the resource is missing or the window cannot be created.
HWND CreateToolBarFromResource(HWND parent, UINT resourceId, int controlId, UniqueImageList& images);

// A status bar of one pane with a size grip.
HWND CreateStatusBar(HWND parent, const wchar_t* text, int controlId);

// Parts after the first at the status bar's right end, one for each text that is not empty, each as wide
// as its text; the first part takes what is left. Shown again when the bar's width changes.
void ShowStatusParts(HWND statusBar, const std::vector<std::wstring>& trailing);

// While a menu is open, shows the selected command's help (the text before the line feed of its string)
// in the status bar's simple mode; leaves simple mode when the menu closes.
void ShowMenuHelp(HWND statusBar, UINT item, UINT flags, HMENU menu);

// Answers a toolbar tooltip request with the text after the line feed of the command's string, at most
// 79 characters.
void FillToolTip(NMTTDISPINFOW& request);

} // namespace OM::Ui
