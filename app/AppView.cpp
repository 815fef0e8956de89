#include "app/AppView.h"

#include "app/PrivateMessages.h"
#include "app/ReadPurpose.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/FailureText.h"
#include "engine/ProgramSettings.h"
#include "res/resource.h"
#include "settings/AppPropSheet.h"
#include "settings/RecordComparison.h"
#include "ui/ImageLists.h"
#include "ui/Module.h"
#include "ui/UiHandles.h"

#include <commctrl.h>

namespace OM::Norvatessa
{

namespace
{

// Several rows can be selected, and the selection shows while the filter box has the focus.
constexpr DWORD ListStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_REPORT | LVS_SHOWSELALWAYS;
constexpr int ListId = 1;
constexpr int ImageWidth = 20;
constexpr COLORREF ImageMask = RGB(0xFF, 0x00, 0xFF);

// Names and notes in the workstation's own collation, as its other programs sort them.
int WorkstationOrder(std::wstring_view first, std::wstring_view second)
{
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, first.data(), static_cast<int>(first.size()),
                            second.data(), static_cast<int>(second.size())) -
           CSTR_EQUAL;
}

// The filter's lower case by the workstation's own rules, Cyrillic included.
std::wstring WorkstationLowerCase(std::wstring_view text)
{
    constexpr DWORD Flags = LCMAP_LOWERCASE | LCMAP_LINGUISTIC_CASING;
    const int length = static_cast<int>(text.size());
    if (length == 0)
        return {};
    std::wstring lower(
        static_cast<std::size_t>(::LCMapStringW(LOCALE_USER_DEFAULT, Flags, text.data(), length, nullptr, 0)),
        L'\0');
    if (lower.empty() || ::LCMapStringW(LOCALE_USER_DEFAULT, Flags, text.data(), length, lower.data(),
                                        static_cast<int>(lower.size())) == 0)
        return LatinLowerCase(text);
    return lower;
}

// Why the probes of a range could not be sent; with how many of its addresses when some went out.
std::wstring DescribeUnsentRange(const UnprobedRange& range)
{
    const std::wstring why = DescribeUnsentProbe(range.error);
    return range.unsent < range.addresses
               ? Words::Fill(Words::RangePartUnsent, range.unsent, range.addresses, why)
               : why;
}

// The row with the words for a probe that could not be sent.
ControllerRow ShownRowOf(const DiscoveredController& controller)
{
    ControllerRow row = RowOf(controller);
    if (!controller.answered && controller.probeError != 0)
        row.unprobed = DescribeUnsentProbe(controller.probeError);
    return row;
}

} // namespace

Ui::WindowClassInfo CAppView::GetWindowClassInfo()
{
    Ui::WindowClassInfo info;
    info.name = L"NorvatessaDeviceList";
    info.baseClass = WC_LISTVIEWW;
    return info;
}

CAppView::CAppView()
    : rows(WorkstationOrder, WorkstationLowerCase),
      files([this](std::uint32_t address, std::int32_t tag) { Read(address, tag); })
{
}

CAppView::~CAppView()
{
    DeviceEngine::Instance().Remove(this);
}

HWND CAppView::Create(HWND frame)
{
    Ui::UniqueImageList images = Ui::LoadImageStrip(IDB_CONTROLLER, ImageWidth, ImageMask);
    const RECT empty{};
    if (!WindowImpl::Create(frame, &empty, nullptr, ListStyle, WS_EX_CLIENTEDGE,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ListId))))
        return nullptr;
    ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    // The list destroys its image list with itself.
    ::SendMessageW(window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.release()));
    shown.Attach(window);
    shown.AddColumns();
    // Read before the worker starts, which alone changes the list from then on.
    for (const ControllerEndpoint& known : Settings().knownControllers)
        rows.Remember(known.address);
    for (const AddressRange& range : Settings().knownRanges)
        rows.Remember(range);
    return window;
}

bool CAppView::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message)
    {
    case WM_CREATE:
        DeviceEngine::Instance().Add(this);
        return false;
    case WM_DESTROY:
        DeviceEngine::Instance().Remove(this);
        return false;
    case WM_KEYDOWN:
        if (wParam != VK_RETURN)
            return false;
        [[fallthrough]];
    case WM_LBUTTONDBLCLK:
        // Enter and a double click open the selected controller, by the frame's command.
        ::SendMessageW(Owner(), WM_COMMAND, ID_CONTROLLER_SETTINGS, 0);
        result = 0;
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        result = 0;
        return true;
    case WM_SETTINGSREAD:
        OnSettingsRead();
        return true;
    case WM_ADDRESSCHANGED:
        OnAddressChanged(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
        return true;
    default:
        return false;
    }
}

bool CAppView::Fill(const std::vector<DiscoveredController>& controllers,
                    const std::optional<std::vector<UnprobedRange>>& unprobed)
{
    std::vector<ControllerRow> found;
    found.reserve(controllers.size());
    for (const DiscoveredController& controller : controllers)
        found.push_back(ShownRowOf(controller));
    std::vector<ControllerRow> silent;
    if (unprobed)
    {
        std::vector<ControllerRows::RangeReason> reasons;
        for (const UnprobedRange& range : *unprobed)
            reasons.push_back({range.range, DescribeUnsentRange(range)});
        silent = rows.SilentRanges(found, reasons);
    }
    rows.Replace(std::move(found));
    // Each at its first address's place.
    for (ControllerRow& row : silent)
        rows.Insert(std::move(row));
    const bool any = rows.ShownCount() > 0;
    if (any)
        rows.Select(rows.PlaceShownAt(0), true);
    shown.ShowAll();
    ::SetFocus(window);
    return any && shown.Focus(0);
}

void CAppView::DeleteAll()
{
    rows.Clear();
    shown.ShowAll();
}

void CAppView::ShowFound(const std::vector<DiscoveredController>& controllers)
{
    shown.PaintOff();
    for (const DiscoveredController& controller : controllers)
    {
        if (const std::optional<std::size_t> place = rows.Insert(ShownRowOf(controller)))
            shown.ShowInserted(*place);
    }
    shown.PaintOn();
}

void CAppView::SortBy(int column)
{
    // The focus stays with its row, wherever the row goes.
    const std::optional<std::size_t> focused = shown.Focused();
    const std::optional<std::size_t> focusedPlace =
        focused ? std::optional(rows.PlaceShownAt(*focused)) : std::nullopt;
    const std::vector<std::size_t> wentTo = rows.SortBy(static_cast<std::size_t>(column));
    if (wentTo.empty())
        return;
    shown.ShowSorted(focusedPlace && *focusedPlace < wentTo.size() ? rows.ShownPlace(wentTo[*focusedPlace])
                                                                   : std::nullopt);
}

void CAppView::SetFilter(std::wstring_view text)
{
    shown.ShowFiltered(rows.SetFilter(text));
}

void CAppView::SelectAll()
{
    rows.SelectAll(true);
    shown.ShowSelection();
}

void CAppView::OnItemChanged(const NMLISTVIEW& change)
{
    // The list's echo of what the rows told it is no news.
    if (shown.Changing() || !(change.uChanged & LVIF_STATE) ||
        !((change.uOldState ^ change.uNewState) & LVIS_SELECTED))
        return;
    const bool selected = (change.uNewState & LVIS_SELECTED) != 0;
    if (change.iItem < 0)
        rows.SelectAll(selected);
    else
        rows.Select(rows.PlaceShownAt(static_cast<std::size_t>(change.iItem)), selected);
}

bool CAppView::SelectOnly(std::size_t place)
{
    const std::optional<std::size_t> at = rows.ShownPlace(place);
    if (!at)
        return false;
    rows.SelectAll(false);
    rows.Select(place, true);
    shown.ShowSelection();
    return shown.Focus(*at);
}

const ControllerRow* CAppView::Selected() const
{
    const std::optional<std::size_t> place = rows.OnlySelected();
    return place && !rows.All()[*place].range ? &rows.All()[*place] : nullptr;
}

std::wstring CAppView::SelectedWebPage() const
{
    const ControllerRow* row = Selected();
    return row != nullptr ? WebPageOf(*row) : std::wstring();
}

void CAppView::OnContextMenu(LPARAM position)
{
    if (rows.SelectedCount() == 0)
        return;
    const Ui::UniqueMenu menu(
        ::LoadMenuW(Ui::Module::Instance().ResourceInstance(), MAKEINTRESOURCEW(IDR_LIST_MENU)));
    const HMENU popup = menu ? ::GetSubMenu(menu.get(), 1) : nullptr;
    if (popup == nullptr)
        return;
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    // From the keyboard (Shift+F10, the menu key) the menu opens at a selected row.
    if (position == -1)
    {
        RECT row{};
        row.left = LVIR_LABEL;
        ::SendMessageW(window, LVM_GETITEMRECT, KeyboardMenuRow(), reinterpret_cast<LPARAM>(&row));
        at = POINT{row.left, row.bottom};
        ::ClientToScreen(window, &at);
    }
    // Owned by the frame: its update-UI pass enables the items, and the chosen one reaches its command
    // handler as the main menu's do.
    ::TrackPopupMenu(popup, 0, at.x, at.y, 0, Owner(), nullptr);
}

std::size_t CAppView::KeyboardMenuRow() const
{
    if (const std::optional<std::size_t> focused = shown.Focused();
        focused && rows.IsSelected(rows.PlaceShownAt(*focused)))
        return *focused;
    for (std::size_t place = 0; place < rows.Count(); ++place)
    {
        if (rows.IsSelected(place))
            return rows.ShownPlace(place).value_or(0);
    }
    return 0;
}

HWND CAppView::Owner() const
{
    return ::GetAncestor(window, GA_ROOT);
}

void CAppView::Read(std::uint32_t address, std::int32_t tag)
{
    DeviceEngine::Instance().Post(GetDevicePropertiesRequest{address, this, tag});
}

void CAppView::OpenSelected()
{
    if (const ControllerRow* row = Selected())
        Read(row->address, ReadTag(ReadPurpose::OpenSheet));
}

void CAppView::AddByAddress(std::uint32_t address, std::uint16_t port)
{
    DeviceEngine::Instance().Post(
        AddControllerRequest{address, port, this, ReadTag(ReadPurpose::AddRow), true});
}

void CAppView::ForgetSelected()
{
    for (const ControllerRows::Forgotten& forgotten : rows.ForgetSelected())
    {
        DeviceEngine::Instance().Post(ForgetControllerRequest{forgotten.address, forgotten.range});
        if (forgotten.removedFrom)
            shown.ShowRemoved(*forgotten.removedFrom);
    }
}

void CAppView::HoldSettings(bool hold)
{
    settingsHeld = hold;
    if (!hold && !heldReads.empty() && window != nullptr)
        ::PostMessageW(window, WM_SETTINGSREAD, 0, 0);
}

void CAppView::OnSettingsRead()
{
    std::deque<DevicePropertiesResult> results;
    results.swap(heldReads);
    {
        Helpers::CriticalSectionLock hold(lock);
        std::move(arrived.begin(), arrived.end(), std::back_inserter(results));
        arrived.clear();
    }
    for (const DevicePropertiesResult& result : results)
    {
        // A fast controller's result is dispatched by the wait dialog's own loop: a sheet or a message box
        // opened there would be the dialog's, and the dialog's end would enable the main window under it.
        // It opens once the dialog has ended, from the main loop. Rows need no window of their own.
        if (settingsHeld && result.tag != 0 && PurposeOf(result.tag) != ReadPurpose::AddRow)
            heldReads.push_back(result);
        else
            OnResult(result);
    }
}

void CAppView::OnResult(const DevicePropertiesResult& result)
{
    if (result.tag == 0)
    {
        // The settings after a write, or as a batch read them: the name as the controller holds it, even
        // empty.
        const Xml::DeviceProperties& properties = result.properties;
        if (const auto move = rows.Update(result.address, properties.name, properties.tcpPort))
            shown.ShowMove(*move);
        return;
    }
    switch (PurposeOf(result.tag))
    {
    case ReadPurpose::OpenSheet:
        // Saving and loading were asked for a row already; opening needs the row still selected.
        if (Selected() != nullptr)
            ShowSettingsSheet(std::nullopt);
        break;
    case ReadPurpose::AddRow:
        OnAdded(result);
        break;
    case ReadPurpose::SaveToFile:
        files.WriteSettings(Owner(), result.tag, result.answer);
        break;
    case ReadPurpose::LoadFromFile:
        if (const std::optional<ControllerSettings::SettingChanges> values = files.TakeFileValues(result.tag))
            ShowSettingsSheet(values);
        break;
    }
}

void CAppView::OnAdded(const DevicePropertiesResult& read)
{
    rows.Remember(read.address);
    DiscoveredController added{read.address, read.properties.tcpPort, read.properties.name};
    if (const std::optional<std::size_t> place = rows.Insert(ShownRowOf(added)))
        shown.ShowInserted(*place);
    // A filter that does not keep it leaves the selection as it was.
    if (const std::optional<std::size_t> place = rows.Find(read.address))
        SelectOnly(*place);
}

void CAppView::ShowSettingsSheet(const std::optional<ControllerSettings::SettingChanges>& fromFile)
{
    // One sheet at a time: OK in two sheets of one controller would send two writes, the older last.
    if (sheetOpen)
        return;
    // The settings and the address they belong to are taken together: a later result must not make the
    // edited settings of one controller go to another.
    std::uint32_t address = 0;
    Xml::DeviceProperties asRead;
    {
        Helpers::CriticalSectionLock hold(lock);
        address = currentAddress;
        asRead = currentProperties;
    }
    CAppPropSheet sheet(IDS_CONTROLLER_SETTINGS, 0, nullptr);
    sheet.data = fromFile ? ControllerSettings::ApplySettingChanges(asRead, *fromFile) : asRead;
    // Owned by the main window, which stays disabled while the sheet is open.
    sheetOpen = true;
    const INT_PTR result = sheet.DoModal(Owner());
    sheetOpen = false;
    if (result != IDOK)
        return;
    // The sheet marks what the user changed in it; what the file changed counts as well.
    sheet.data.changed |= ControllerSettings::ChangeMarks(sheet.data, asRead);
    DeviceEngine::Instance().Post(SetDevicePropertiesRequest{address, sheet.data});
}

void CAppView::OnAddressChanged(std::uint32_t oldAddress, std::uint32_t newAddress)
{
    if (const std::optional<ControllerRows::Move> move = rows.MoveAddress(oldAddress, newAddress))
        shown.ShowMove(*move);
}

void CAppView::OnDeviceAddressChanged(const AddressChange& change)
{
    ::PostMessageW(window, WM_ADDRESSCHANGED, change.oldAddress, change.newAddress);
}

void CAppView::OnDeviceProperties(const DevicePropertiesResult& result)
{
    Arrive(result, true);
}

void CAppView::OnBatchOutcome(const BatchOutcome& outcome)
{
    // A write's read back comes as OnDeviceProperties, after the move to a new address; a controller that
    // was only read updates its row from here, unless it took a write that could not be read back, which
    // left the first read behind. The settings sheet opens with neither: it is not open during a batch.
    if (outcome.read && !outcome.readBack && !outcome.writeConfirmed)
        Arrive(DevicePropertiesResult{outcome.address, outcome.read->properties, 0, {}}, false);
}

void CAppView::Arrive(const DevicePropertiesResult& result, bool current)
{
    bool first = false;
    {
        Helpers::CriticalSectionLock hold(lock);
        if (current)
        {
            currentAddress = result.address;
            currentProperties = result.properties;
        }
        first = arrived.empty();
        arrived.push_back(result);
    }
    // Posted, not sent: the worker must not wait for this thread, which may be waiting for the worker. One
    // message handles every result queued until then.
    if (first)
        ::PostMessageW(window, WM_SETTINGSREAD, 0, 0);
}

} // namespace OM::Norvatessa
