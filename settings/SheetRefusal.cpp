#include "settings/SheetRefusal.h"

#include "common/Words.h"

#include <commctrl.h>

namespace OM::Norvatessa
{

bool SheetRefusal::Refuse(HWND page, int fieldId, const std::wstring& reason)
{
    // The refusing page comes to the front, whichever page the user pressed OK on: Windows does that for
    // a refused apply by itself, Wine leaves the current page showing.
    const HWND sheet = ::GetParent(page);
    const LRESULT index = ::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
    if (index >= 0)
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    const HWND field = ::GetDlgItem(page, fieldId);
    if (field != nullptr)
    {
        ::SetFocus(field);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
    }
    balloon.Show(page, field != nullptr ? field : page, Words::RefusedTitle, reason);
    return false;
}

void SheetRefusal::Notice(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        // A field edited, an address control's part included (it tells its parent), a choice or a box
        // changed: the value the balloon speaks of may be right now.
        switch (HIWORD(wParam))
        {
        case EN_CHANGE:
        case CBN_SELCHANGE:
        case BN_CLICKED:
            Clear();
        }
        break;
    case WM_NOTIFY:
        // The balloon is a window of its own on top of the sheet: hiding the page leaves it showing.
        switch (reinterpret_cast<const NMHDR*>(lParam)->code)
        {
        case PSN_KILLACTIVE:
        case PSN_SETACTIVE:
        case PSN_RESET:
            Clear();
        }
        break;
    case WM_DESTROY:
        Clear();
        break;
    }
}

} // namespace OM::Norvatessa
