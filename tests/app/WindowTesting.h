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

// The text on the clipboard, or what kept it from being read.
std::wstring ClipboardText();

// The text of a list view cell, in this process.
std::wstring CellText(HWND list, int row, int column);
int RowCount(HWND list);

// Sends a key to the window as the keyboard would, with Ctrl or Shift held as asked, through the loop's
// filters: the way an accelerator reaches the frame.
void PressKey(Ui::MessageLoop& loop, HWND window, UINT key, bool control = false);

// What does not fit among the visible controls directly on `window`, one line per offender naming the
// window (`name`), the control's id and the sizes in pixels: a label, button, check box or group box whose
// text, in the control's own font, is wider or taller than the control leaves room for; a drop-down list
// narrower than its longest entry; two sibling controls that overlap (a group box and what lies wholly
// inside it, and etched lines, excepted); a top-level window larger than the work area. Child dialogs
// (property pages) are neither measured nor counted as siblings. Any thread of this process may call it.
std::vector<std::string> LayoutFaults(HWND window, const std::string& name);

// Saves what the screen shows of the window as a 24-bit BMP file; false when it could not.
bool SaveWindowPicture(HWND window, const std::wstring& path);

// What keeps a dialog from being used without a mouse or read by a screen reader, one line per offending
// control, empty when there is none:
// - a control that takes input without WS_TABSTOP;
// - an edit, combo box or address control whose previous window in z-order is no label (a text static
//   with a letter in it and without SS_NOPREFIX, which marks the statics that show values), so that a
//   screen reader has no name for it and no mnemonic leads to it;
// - two mnemonics with one letter;
// - two visible controls next to each other in z-order, which a screen reader reads in that order, and a
//   Tab step (GetNextDlgTabItem from the first tab stop), that go back against the reading order: left to
//   right within a line, lines top to bottom, a group box with its controls as one block.
// Disabled and hidden controls are skipped by Tab as they are by the dialog manager; hidden labels are
// read out with their field.
std::wstring KeyboardFaults(HWND dialog);

// For a dialog that another thread runs: the window that has that thread's keyboard focus, and keys
// posted to it as the keyboard would, so that they take the dialog manager's path in the dialog's own loop.
HWND FocusIn(HWND dialog);
void PostKeyInDialog(HWND dialog, UINT key);
// Alt with the letter. Wine matches a Cyrillic mnemonic only in the case its label has it (Windows in
// either case): give the letter as the label shows it.
void PostMnemonicInDialog(HWND dialog, wchar_t letter);
// Polls `done` from a thread other than the dialog's; what it said last after `timeoutMs`.
bool Eventually(const std::function<bool()>& done, DWORD timeoutMs = 3000);

// Runs `open` on this thread, which shows a modal window and returns once it is closed, while another
// thread waits for the window that `find` returns and plays the user on it with `use`, which ends by
// closing it. A window that does not appear within `timeoutMs`, or that is still open so long after
// `use`, is cancelled with every other dialog of this thread, so that `open` returns and the test fails
// at once instead of waiting for its time limit. Empty when the window appeared and `use` closed it,
// otherwise what went wrong.
std::string WhileModal(const std::function<void()>& open, const std::function<HWND()>& find,
                       const std::function<void(HWND)>& use, DWORD timeoutMs = 10000);

} // namespace OM::Norvatessa::Testing
