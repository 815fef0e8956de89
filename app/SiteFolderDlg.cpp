#include "app/SiteFolderDlg.h"

#include "app/FolderChoice.h"
#include "common/Words.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/ControlText.h"

namespace OM::Norvatessa
{

bool CSiteFolderDlg::Run(HWND parent)
{
    return DoModal(parent, IDD_SITE_FOLDER) == IDOK;
}

bool CSiteFolderDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG: {
        Ui::CenterWindow(window, ::GetParent(window));
        const bool backup = purpose == Purpose::Backup;
        ::SetWindowTextW(window, backup ? Words::BackupTitle : Words::RestoreTitle);
        ::SetDlgItemTextW(window, IDC_SITE_FOLDER_COUNT,
                          backup ? Words::Fill(Words::BackupCount, controllers).c_str()
                                 : Words::RestoreCount);
        ::SetDlgItemTextW(window, IDC_SITE_FOLDER_NOTE, backup ? Words::BackupNote : Words::RestoreNote);
        ::SetDlgItemTextW(window, IDC_SITE_FOLDER, folder.c_str());
        ::SetFocus(::GetDlgItem(window, IDC_SITE_FOLDER));
        result = FALSE; // the focus is set
        return true;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDC_SITE_FOLDER_BROWSE:
            Browse();
            return true;
        case IDOK:
            folder = Ui::ControlText(window, IDC_SITE_FOLDER);
            if (folder.find_first_not_of(L' ') == std::wstring::npos)
            {
                ::MessageBoxW(window, Words::NoFolderGiven, Ui::WindowText(window).c_str(), MB_ICONERROR);
                ::SetFocus(::GetDlgItem(window, IDC_SITE_FOLDER));
                return true;
            }
            EndDialog(IDOK);
            return true;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

void CSiteFolderDlg::Browse()
{
    const bool backup = purpose == Purpose::Backup;
    if (const std::optional<std::wstring> chosen =
            ChooseFolder(window, backup ? Words::ChooseBackupFolder : Words::ChooseRestoreFolder,
                         Ui::ControlText(window, IDC_SITE_FOLDER), backup))
        ::SetDlgItemTextW(window, IDC_SITE_FOLDER, chosen->c_str());
}

} // namespace OM::Norvatessa
