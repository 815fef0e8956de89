#include "app/GiveAddressesDlg.h"

#include "app/PrivateMessages.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/AddressProbe.h"
#include "engine/ProgramSettings.h"
#include "helpers/FailureBoundary.h"
#include "res/resource.h"
#include "settings/ChangeSteps.h"
#include "settings/SettingAssignments.h"
#include "settings/ValueChecks.h"
#include "ui/CenterWindow.h"
#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Norvatessa
{

namespace
{

enum PreviewColumn
{
    NameColumn,
    OldColumn,
    NewColumn,
    NoteColumn,
};

void SetCell(HWND list, int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// An address field: 0 when it is empty, nothing when a part is left empty (the control would read that
// part as 0), as the settings sheet reads its fields.
std::optional<std::uint32_t> FieldAddress(HWND field)
{
    if (::SendMessageW(field, IPM_ISBLANK, 0, 0) != 0)
        return 0;
    DWORD address = 0;
    if (::SendMessageW(field, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address)) != 4)
        return std::nullopt;
    return static_cast<std::uint32_t>(address);
}

} // namespace

CGiveAddressesDlg::CGiveAddressesDlg(std::vector<ControllerRow> controllers, std::set<std::uint32_t> listed)
    : controllers(std::move(controllers)), listed(std::move(listed))
{
}

CGiveAddressesDlg::~CGiveAddressesDlg()
{
    Join();
}

bool CGiveAddressesDlg::Run(HWND parent)
{
    return DoModal(parent, IDD_GIVE_ADDRESSES) == IDOK;
}

bool CGiveAddressesDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnInitDialog();
        result = FALSE; // the focus is set
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
            MakeStale();
        if (LOWORD(wParam) == IDC_GIVE_CHECK)
            OnCheck();
        else if (LOWORD(wParam) == IDOK && current && plan.Complete(controllers.size()) &&
                 plan.unprobed.empty())
            EndDialog(IDOK);
        else if (LOWORD(wParam) == IDOK)
            OnCheck();
        else if (LOWORD(wParam) == IDCANCEL)
            EndDialog(IDCANCEL);
        return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDC_GIVE_CHECK;
    case WM_ADDRESSESPROBED:
        OnProbed();
        return true;
    case WM_DESTROY:
        balloon.Hide();
        Join();
        return false;
    default:
        return false;
    }
}

void CGiveAddressesDlg::OnInitDialog()
{
    Ui::CenterWindow(window, ::GetParent(window));
    const HWND list = ::GetDlgItem(window, IDC_GIVE_PREVIEW);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    RECT client{};
    ::GetClientRect(list, &client);
    // Room for the vertical scroll bar that a long selection brings, so that no column needs scrolling.
    const int width = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
    // Name, two addresses, and the rest for the note.
    const int widths[] = {width * 24 / 100, width * 18 / 100, width * 18 / 100, width * 40 / 100};
    const UINT titles[] = {IDS_GIVE_COLUMN_NAME, IDS_GIVE_COLUMN_OLD, IDS_GIVE_COLUMN_NEW,
                           IDS_GIVE_COLUMN_NOTE};
    for (int column = 0; column < 4; ++column)
    {
        const std::wstring title = Ui::LoadResourceString(titles[column]);
        LVCOLUMNW description{};
        description.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        description.pszText = const_cast<wchar_t*>(title.c_str());
        description.cx = widths[column];
        description.iSubItem = column;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
    }
    for (std::size_t index = 0; index < controllers.size(); ++index)
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(controllers[index].name.c_str());
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetCell(list, static_cast<int>(index), OldColumn, AddressText(controllers[index].address));
    }
    // The first controller's address is where the user most often starts.
    if (!controllers.empty())
        ::SendDlgItemMessageW(window, IDC_GIVE_START, IPM_SETADDRESS, 0,
                              static_cast<LPARAM>(controllers.front().address));
    MakeStale();
    ::SetFocus(::GetDlgItem(window, IDC_GIVE_START));
}

std::optional<AddressRequest> CGiveAddressesDlg::ReadFields()
{
    const std::optional<std::uint32_t> start = FieldAddress(::GetDlgItem(window, IDC_GIVE_START));
    if (!start || !IsUsableControllerAddress(*start))
    {
        Refuse(IDC_GIVE_START, Words::AddressCutsOff);
        return std::nullopt;
    }
    const std::optional<std::uint32_t> mask = FieldAddress(::GetDlgItem(window, IDC_GIVE_MASK));
    if (!mask)
    {
        Refuse(IDC_GIVE_MASK, Words::PartialAddress);
        return std::nullopt;
    }
    const std::optional<std::uint32_t> gateway = FieldAddress(::GetDlgItem(window, IDC_GIVE_GATEWAY));
    if (!gateway)
    {
        Refuse(IDC_GIVE_GATEWAY, Words::PartialAddress);
        return std::nullopt;
    }
    AddressRequest read;
    for (const ControllerRow& controller : controllers)
        read.controllers.push_back(controller.address);
    read.start = *start;
    // An empty field leaves each controller its own.
    if (::SendDlgItemMessageW(window, IDC_GIVE_MASK, IPM_ISBLANK, 0, 0) == 0)
        read.mask = *mask;
    if (::SendDlgItemMessageW(window, IDC_GIVE_GATEWAY, IPM_ISBLANK, 0, 0) == 0)
        read.gateway = *gateway;
    return read;
}

void CGiveAddressesDlg::OnCheck()
{
    if (probing)
        return;
    const std::optional<AddressRequest> read = ReadFields();
    if (!read)
        return;
    request = *read;
    for (const int id : {IDC_GIVE_START, IDC_GIVE_MASK, IDC_GIVE_GATEWAY, IDC_GIVE_CHECK, IDOK})
        ::EnableWindow(::GetDlgItem(window, id), FALSE);
    ::SetDlgItemTextW(window, IDC_GIVE_SKIPPED, Words::ProbingAddresses);
    probing = std::make_shared<Probing>();
    AddressSurroundings around;
    around.listed = listed;
    // Where the controllers hear a search, as the settings file says; read here, where the settings live.
    const auto probePort = static_cast<std::uint16_t>(Settings().udpSendPort);
    prober = std::thread(
        [shared = probing, asked = request, around = std::move(around), probePort, target = window]() {
            Helpers::Guarded(L"при проверке адресов", [&] {
                AddressPlan probed = ProbeAndPlan(asked, around, probePort);
                const std::lock_guard<std::mutex> hold(shared->lock);
                shared->plan = std::move(probed);
            });
            ::PostMessageW(target, WM_ADDRESSESPROBED, 0, 0);
        });
}

void CGiveAddressesDlg::OnProbed()
{
    Join();
    std::optional<AddressPlan> probed;
    {
        const std::lock_guard<std::mutex> hold(probing->lock);
        probed = std::move(probing->plan);
    }
    probing.reset();
    for (const int id : {IDC_GIVE_START, IDC_GIVE_MASK, IDC_GIVE_GATEWAY, IDC_GIVE_CHECK, IDOK})
        ::EnableWindow(::GetDlgItem(window, id), TRUE);
    // A probe that failed has been said where failures are; the preview stays as it was.
    if (!probed)
    {
        MakeStale();
        return;
    }
    plan = std::move(*probed);
    current = true;
    ShowPreview();
}

void CGiveAddressesDlg::ShowPreview()
{
    const HWND list = ::GetDlgItem(window, IDC_GIVE_PREVIEW);
    for (std::size_t index = 0; index < controllers.size(); ++index)
    {
        const bool given = index < plan.given.size();
        SetCell(list, static_cast<int>(index), NewColumn, given ? AddressText(plan.given[index].to) : L"");
        SetCell(list, static_cast<int>(index), NoteColumn,
                given && plan.given[index].outsideOf ? OutsideText(*plan.given[index].outsideOf) : L"");
    }
    std::wstring text = SkippedText(plan.skipped);
    if (!plan.Complete(controllers.size()) || !plan.unprobed.empty())
        text += L' ' + Words::Fill(Words::AddressesShort, MostAddressesWalked, plan.given.size(),
                                   controllers.size());
    ::SetDlgItemTextW(window, IDC_GIVE_SKIPPED, text.c_str());
}

void CGiveAddressesDlg::MakeStale()
{
    balloon.Hide();
    if (probing)
        return;
    current = false;
    ::SetDlgItemTextW(window, IDC_GIVE_SKIPPED, Words::PreviewStale);
}

void CGiveAddressesDlg::Refuse(int fieldId, const std::wstring& reason)
{
    const HWND field = ::GetDlgItem(window, fieldId);
    ::SetFocus(field);
    balloon.Show(window, field, Words::RefusedTitle, reason);
}

void CGiveAddressesDlg::Join()
{
    if (prober.joinable())
        prober.join();
}

BatchCommand GiveAddressesBatch(const CGiveAddressesDlg& dialog)
{
    BatchCommand command;
    command.title = Ui::LoadResourceString(IDS_GIVE_ADDRESSES);
    // Each controller's own changes, by the address it has now; the dialog confirms only a plan that gives
    // every controller its address. Read only once made, so the lanes share it.
    auto changes = std::make_shared<std::map<std::uint32_t, ControllerSettings::SettingChanges>>();
    for (const GivenAddress& given : dialog.Plan().given)
        changes->emplace(given.from, ControllerSettings::AddressChanges(given.to, dialog.Request().mask,
                                                                        dialog.Request().gateway));
    AddTargets(command, dialog.Controllers());
    command.request.work = std::make_shared<ControllerSettings::ChangeSteps>(
        [changes](std::uint32_t address) -> const ControllerSettings::SettingChanges& {
            return changes->at(address);
        });
    command.doneText = [](const BatchOutcome& outcome) {
        return Words::Fill(Words::ControllerMoved, AddressText(outcome.answersAt));
    };
    return command;
}

} // namespace OM::Norvatessa
