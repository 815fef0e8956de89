#pragma once

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// The filter box above the device list: a label and a one-line edit, whose text the list keeps its rows
// by. Its own keys: Esc clears it, and when it is empty already goes back to the list; Enter, Tab and the
// down arrow go to the list. The keys that edit text are the edit's (Ui::IsEditingKey). The windows are
// the parent's children and go with it. User-interface thread only.
class FilterBox
{
public:
    // The label and the edit, children of `parent`, the edit with the control id `editId`; false when
    // either could not be made.
    bool Create(HWND parent, int editId);
    // Places the box along the top of `area`; what is left below it.
    RECT Place(RECT area) const;

    HWND Edit() const noexcept { return edit; }
    std::wstring Text() const;
    // Ctrl+F: the cursor in the box and its text selected, so that typing replaces it.
    void Focus() const;
    // A key message before the accelerators: true when it was one of the box's own, and is done with.
    // `list` is where the keys that leave the box go.
    bool TakeKey(const MSG& message, HWND list) const;
    // WM_CTLCOLORSTATIC: the label on the parent's own background (COLOR_WINDOW) rather than a grey box;
    // null for another control.
    HBRUSH LabelBackground(HDC context, HWND control) const;

private:
    HWND label = nullptr;
    HWND edit = nullptr;
};

} // namespace OM::Norvatessa
