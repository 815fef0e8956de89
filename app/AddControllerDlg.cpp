#include "app/AddControllerDlg.h"

#include "common/AddressText.h"
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
        if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_ADD_RANGE_END)
            FollowRangeEnd();
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

namespace
{

// The address in an address field, when all four of its numbers are filled in. The control counts the
// parts that hold a number and reads an empty part as 0: "10.1.0." would become 10.1.0.0.
std::optional<std::uint32_t> TypedAddress(HWND field)
{
    DWORD typed = 0;
    if (::SendMessageW(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&typed)) != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(typed);
}

bool IsBlank(HWND field)
{
    return ::SendMessageW(field, IPM_ISBLANK, 0, 0) != 0;
}

} // namespace

void CAddControllerDlg::FollowRangeEnd()
{
    ::EnableWindow(::GetDlgItem(window, IDC_ADD_PORT), IsBlank(::GetDlgItem(window, IDC_ADD_RANGE_END)));
}

bool CAddControllerDlg::Accept()
{
    const std::optional<std::uint32_t> typed = TypedAddress(::GetDlgItem(window, IDC_ADD_ADDRESS));
    if (!typed || !IsUsableControllerAddress(*typed))
    {
        Refuse(IDC_ADD_ADDRESS, Words::AddressCutsOff);
        return false;
    }
    range.reset();
    if (!AcceptEnd(*typed))
        return false;
    if (range)
        return true;
    const std::optional<std::uint16_t> typedPort = PortFromText(Ui::ControlText(window, IDC_ADD_PORT));
    if (!typedPort)
    {
        Refuse(IDC_ADD_PORT, Words::PortRange);
        return false;
    }
    address = *typed;
    port = *typedPort;
    return true;
}

bool CAddControllerDlg::AcceptEnd(std::uint32_t first)
{
    const HWND endField = ::GetDlgItem(window, IDC_ADD_RANGE_END);
    if (IsBlank(endField))
        return true;
    const std::optional<std::uint32_t> last = TypedAddress(endField);
    if (!last)
    {
        Refuse(IDC_ADD_RANGE_END, Words::PartialAddress);
        return false;
    }
    // An end equal to the address is that address alone.
    if (*last == first)
        return true;
    // The search's own rules for a range, so that what this takes a search takes.
    const auto checked = ParseAddressRange(AddressText(first) + L'-' + AddressText(*last));
    if (const auto* taken = std::get_if<AddressRange>(&checked))
    {
        range = *taken;
        return true;
    }
    const RangeRefusal& refusal = std::get<RangeRefusal>(checked);
    Refuse(IDC_ADD_RANGE_END,
           refusal.problem == RangeProblem::Reversed ? std::wstring(Words::RangeEndBelowStart)
           : refusal.problem == RangeProblem::TooLarge
               ? Words::Fill(Words::RangeTooLong, refusal.count, AddressRange::MostAddresses)
               : std::wstring(Words::AddressCutsOff));
    return false;
}

void CAddControllerDlg::Refuse(int fieldId, const std::wstring& reason)
{
    const HWND field = ::GetDlgItem(window, fieldId);
    ::SetFocus(field);
    ::SendMessageW(field, EM_SETSEL, 0, -1);
    balloon.Show(window, field, Words::RefusedTitle, reason);
}

} // namespace OM::Norvatessa
