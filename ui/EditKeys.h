#pragma once

#include <windows.h>

namespace OM::Ui
{

// Whether a key message is one that an edit control acts on by itself: select all, copy, cut, paste and
// undo, in each of their forms. In an edit, these must reach the edit rather than turn into the window's
// accelerator commands (Ctrl+C copies the edit's text, not the selected rows).
bool IsEditingKey(const MSG& message);

} // namespace OM::Ui
