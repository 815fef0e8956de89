#include "app/AddControllerDlg.h"

#include "common/Words.h"
#include "res/resource.h"
#include "settings/ValueChecks.h"
#include "ui/CenterWindow.h"
#include "ui/ControlText.h"

#include <commctrl.h>

namespace OM::Norvatessa
{

bool CAddControllerDlg::Run(HWND parent)
{
    return DoModal(parent, IDD_ADD_CONTROLLER) == IDOK;
}

bool CAddControllerDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        Ui::CenterWindow(window, ::GetParent(window));
        ::SetDlgItemTextW(window, IDC_ADD_PORT, std::to_wstring(port).c_str());
        if (address != 0)
            ::SendDlgItemMessageW(window, IDC_ADD_ADDRESS, IPM_SETADDRESS, 0, static_cast<LPARAM>(address));
        ::SetFocus(::GetDlgItem(window, IDC_ADD_ADDRESS));
        result = FALSE; // the focus is set
        return true;
    case WM_COMMAND:
        // What the balloon speaks of may be right once a field changes.
        if (HIWORD(wParam) == EN_CHANGE)
            balloon.Hide();
        if (LOWORD(wParam) == IDOK && Accept())
            EndDialog(IDOK);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(IDCANCEL);
        return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    case WM_DESTROY:
        balloon.Hide();
        return false;
    default:
        return false;
    }
}

bool CAddControllerDlg::Accept()
{
    DWORD typed = 0;
    const HWND addressField = ::GetDlgItem(window, IDC_ADD_ADDRESS);
    // The control counts the parts that hold a number and reads an empty part as 0: "10.1.0." would
    // become 10.1.0.0.
    const bool complete =
        ::SendMessageW(addressField, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&typed)) == 4;
    if (!complete || !IsUsableControllerAddress(typed))
    {
        Refuse(IDC_ADD_ADDRESS, Words::AddressCutsOff);
        return false;
    }
    const std::optional<std::uint16_t> typedPort = PortFromText(Ui::ControlText(window, IDC_ADD_PORT));
    if (!typedPort)
    {
        Refuse(IDC_ADD_PORT, Words::PortRange);
        return false;
    }
    address = typed;
    port = *typedPort;
    return true;
}

void CAddControllerDlg::Refuse(int fieldId, const wchar_t* reason)
{
    const HWND field = ::GetDlgItem(window, fieldId);
    ::SetFocus(field);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    balloon.Show(window, field, Words::RefusedTitle, reason);
}

} // namespace OM::Norvatessa
