#include "settings/SheetRefusal.h"

#include "settings/RefusalText.h"

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
    balloon.Show(page, field != nullptr ? field : page, RefusalText::Title, reason);
    return false;
}

} // namespace OM::Norvatessa
