#include "app/RestorePreviewDlg.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/Dpi.h"
#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Norvatessa
{

namespace
{

constexpr UINT Unchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT Checked = INDEXTOSTATEIMAGEMASK(2);

std::wstring FileNameOf(const std::wstring& path)
{
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

void AddColumn(HWND list, int column, UINT titleId, int width)
{
    const std::wstring title = Ui::LoadResourceString(titleId);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    header.pszText = const_cast<wchar_t*>(title.c_str());
    header.cx = Ui::ScaleToDpi(width);
    header.iSubItem = column;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
}

void SetCell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

} // namespace

bool CRestorePreviewDlg::Run(HWND parent)
{
    return DoModal(parent, IDD_RESTORE_PREVIEW) == IDOK;
}

bool CRestorePreviewDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        Ui::CenterWindow(window, ::GetParent(window));
        ::SetDlgItemTextW(window, IDC_RESTORE_NOTE, Words::Fill(Words::RestoreFolderNote, folder).c_str());
        Fill();
        ::SetFocus(::GetDlgItem(window, IDC_RESTORE_LIST));
        result = FALSE; // the focus is set
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && !preview.Ticked().empty())
            EndDialog(IDOK);
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(IDCANCEL);
        return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.idFrom != IDC_RESTORE_LIST)
            return false;
        if (header.code == LVN_ITEMCHANGING)
        {
            SetMessageResult(OnItemChanging(*reinterpret_cast<const NMLISTVIEW*>(lParam)) ? FALSE : TRUE);
            result = TRUE;
            return true;
        }
        if (header.code == LVN_ITEMCHANGED)
            OnItemChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return false;
    }
    default:
        return false;
    }
}

void CRestorePreviewDlg::Fill()
{
    const HWND list = ::GetDlgItem(window, IDC_RESTORE_LIST);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, IDS_RESTORE_CONTROLLER, 90);
    AddColumn(list, 1, IDS_RESTORE_FILE, 100);
    AddColumn(list, 2, IDS_RESTORE_CHANGES, 200);
    const auto& rows = preview.Rows();
    for (std::size_t index = 0; index < rows.size(); ++index)
    {
        const ControllerSettings::RestorePreview::Row& row = rows[index];
        const std::wstring address = row.address ? AddressText(*row.address) : L"—";
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(address.c_str());
        const int placed =
            static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        SetCell(list, placed, 1, FileNameOf(row.file));
        SetCell(list, placed, 2, preview.Note(index));
        // A row that cannot be ticked shows no box at all.
        LVITEMW state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = !preview.CanTick(index) ? 0 : row.ticked ? Checked : Unchecked;
        ::SendMessageW(list, LVM_SETITEMSTATE, placed, reinterpret_cast<LPARAM>(&state));
    }
    // The last column as wide as its longest text, so that it scrolls rather than cuts a long refusal.
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE);
    const int longest = static_cast<int>(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0));
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE_USEHEADER);
    if (longest > ::SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0))
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, longest);
    filled = true;
    if (!rows.empty())
    {
        LVITEMW focus{};
        focus.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        focus.state = LVIS_FOCUSED | LVIS_SELECTED;
        ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    }
    ::EnableWindow(::GetDlgItem(window, IDOK), !preview.Ticked().empty());
}

bool CRestorePreviewDlg::OnItemChanging(const NMLISTVIEW& change)
{
    if (!filled || (change.uChanged & LVIF_STATE) == 0 ||
        ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0)
        return true;
    return preview.CanTick(static_cast<std::size_t>(change.iItem));
}

void CRestorePreviewDlg::OnItemChanged(const NMLISTVIEW& change)
{
    if (!filled || change.iItem < 0 || (change.uChanged & LVIF_STATE) == 0 ||
        ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) == 0)
        return;
    preview.Tick(static_cast<std::size_t>(change.iItem), (change.uNewState & LVIS_STATEIMAGEMASK) == Checked);
    ::EnableWindow(::GetDlgItem(window, IDOK), !preview.Ticked().empty());
}

} // namespace OM::Norvatessa
