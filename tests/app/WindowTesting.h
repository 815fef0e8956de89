#pragma once

#include "ui/MessageLoop.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// Runs the messages of this thread, through the loop's filters (accelerators) and idle handlers, until
// `done` says so or `timeoutMs` has passed; returns what `done` said last.
bool PumpUntil(Ui::MessageLoop& loop, const std::function<bool()>& done, DWORD timeoutMs = 20000);
void Pump(Ui::MessageLoop& loop, DWORD milliseconds);

// A visible dialog ("#32770") of this process that has a control with `controlId`, or null.
HWND FindDialogWith(int controlId);
// A visible dialog of this process with this caption (a message box, say), or null.
HWND FindDialogTitled(const wchar_t* caption);
int CountDialogsTitled(const wchar_t* caption);
// Polls for such a dialog from a thread other than the one that runs it; null after `timeoutMs`.
HWND WaitForDialogTitled(const wchar_t* caption, DWORD timeoutMs = 10000);
// The text of a message box.
std::wstring MessageBoxText(HWND box);

// The text of a list view cell, in this process.
std::wstring CellText(HWND list, int row, int column);
int RowCount(HWND list);

// Sends a key to the window as the keyboard would, with Ctrl or Shift held as asked, through the loop's
// filters: the way an accelerator reaches the frame.
void PressKey(Ui::MessageLoop& loop, HWND window, UINT key, bool control = false);

} // namespace OM::Norvatessa::Testing
