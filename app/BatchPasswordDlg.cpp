#include "app/BatchPasswordDlg.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/ControlText.h"

namespace OM::Norvatessa
{

INT_PTR CBatchPasswordDlg::Run(HWND owner, std::uint32_t asking)
{
    address = asking;
    return DoModal(owner, IDD_BATCH_PASSWORD);
}

void CBatchPasswordDlg::Close() noexcept
{
    // The flag first: a dialog that is not up yet sees it as it comes up, one that is up gets the post.
    closing.store(true);
    if (const HWND window = shown.load())
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
}

bool CBatchPasswordDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        shown.store(window);
        if (closing.load())
        {
            EndDialog(IDCANCEL);
            return true;
        }
        Ui::CenterWindow(window, ::GetParent(window));
        ::SetDlgItemTextW(window, IDC_PASSWORD_MESSAGE,
                          Words::Fill(Words::BatchPasswordAsked, AddressText(address)).c_str());
        // Over a window of another thread it would otherwise come up behind it.
        ::SetForegroundWindow(window);
        ::SetFocus(::GetDlgItem(window, IDC_PASSWORD_LOGIN));
        result = FALSE; // the focus is set
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
        {
            credentials.login = Ui::ControlText(window, IDC_PASSWORD_LOGIN);
            credentials.password = Ui::ControlText(window, IDC_PASSWORD_TEXT);
            remember = ::IsDlgButtonChecked(window, IDC_PASSWORD_REMEMBER) == BST_CHECKED;
            EndDialog(IDOK);
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(IDCANCEL);
            return true;
        }
        return false;
    case WM_DESTROY:
        shown.store(nullptr);
        return false;
    default:
        return false;
    }
}

} // namespace OM::Norvatessa
