#include "app/AppView.h"

#include "app/ControllerFiles.h"
#include "app/PrivateMessages.h"
#include "common/AddressText.h"
#include "engine/FailureText.h"
#include "engine/ProgramSettings.h"
#include "res/resource.h"
#include "settings/AppPropSheet.h"
#include "settings/RecordComparison.h"
#include "ui/Dpi.h"
#include "ui/ImageLists.h"
#include "ui/Module.h"
#include "ui/UiHandles.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <cwchar>
#include <utility>

namespace OM::Norvatessa
{

namespace
{

constexpr DWORD ListStyle =
    WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL;
constexpr int ListId = 1;
constexpr wchar_t OldFirmwareName[] = L"Старая прошивка";

// Column titles and widths at 96 dots per inch, left to right.
struct Column
{
    const wchar_t* title;
    int width;
};
constexpr Column Columns[] = {
    {L"Имя сервера", 350}, {L"IP адрес", 100}, {L"Порт", 100}, {L"Примечание", 260}};
constexpr wchar_t ConflictNote[] = L"Два контроллера на этом адресе";
constexpr wchar_t SilentNote[] = L"Не отвечает";
constexpr wchar_t UnprobedNote[] = L"Не опрошен: "; // and why its probe could not be sent

constexpr int ImageWidth = 20;
constexpr COLORREF ImageMask = RGB(0xFF, 0x00, 0xFF);

std::wstring ShownName(const DiscoveredController& controller)
{
    return controller.name.empty() ? OldFirmwareName : controller.name;
}

std::wstring Note(const DiscoveredController& controller)
{
    if (controller.conflict)
        return ConflictNote;
    if (controller.answered)
        return L"";
    return controller.probeError == 0 ? SilentNote
                                      : UnprobedNote + DescribeUnsentProbe(controller.probeError);
}

// Whether a row's note says that its controller did not answer the search: only its address keeps the row.
bool IsUnansweredNote(const std::wstring& note)
{
    return note == SilentNote || note.starts_with(UnprobedNote);
}

// Names and notes in the workstation's own collation, as its other programs sort them.
int CompareText(const std::wstring& first, const std::wstring& second)
{
    return ::CompareStringW(LOCALE_USER_DEFAULT, 0, first.c_str(), static_cast<int>(first.size()),
                            second.c_str(), static_cast<int>(second.size())) -
           CSTR_EQUAL;
}

template <typename Number>
int CompareNumbers(Number first, Number second)
{
    return first < second ? -1 : first > second ? 1 : 0;
}

// A file name from the controller's name, its address when the name has nothing a file name may hold.
std::wstring SuggestedFileName(const std::wstring& name, const std::wstring& address)
{
    std::wstring file;
    for (const wchar_t character : name)
        file += std::wcschr(L"\\/:*?\"<>|", character) != nullptr || character < L' ' ? L'_' : character;
    return (file.find_first_not_of(L"_ .") == std::wstring::npos ? address : file) + L".xml";
}

// Puts text on the clipboard as Unicode; the clipboard owns the memory once it has taken it.
bool PutOnClipboard(HWND owner, const std::wstring& text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    if (void* data = ::GlobalLock(memory))
    {
        std::memcpy(data, text.c_str(), bytes);
        ::GlobalUnlock(memory);
    }
    else
    {
        ::GlobalFree(memory);
        return false;
    }
    if (!::OpenClipboard(owner))
    {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    const bool taken = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!taken)
        ::GlobalFree(memory);
    return taken;
}

} // namespace

Ui::WindowClassInfo CAppView::GetWindowClassInfo()
{
    Ui::WindowClassInfo info;
    info.name = L"NorvatessaDeviceList";
    info.baseClass = WC_LISTVIEWW;
    return info;
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
    AddColumns();
    // Read before the worker starts, which alone changes the list from then on.
    for (const ControllerEndpoint& known : Settings().knownControllers)
        addedAddresses.insert(known.address);
    return window;
}

void CAppView::AddColumns()
{
    // Each column goes in at position 0 and pushes the earlier ones right.
    for (auto column = std::rbegin(Columns); column != std::rend(Columns); ++column)
    {
        LVCOLUMNW description{};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        description.fmt = LVCFMT_LEFT;
        description.cx = static_cast<int>(::SendMessageW(window, LVM_GETSTRINGWIDTHW, 0,
                                                         reinterpret_cast<LPARAM>(column->title))) +
                         15;
        description.pszText = const_cast<wchar_t*>(column->title);
        ::SendMessageW(window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&description));
        ::SendMessageW(window, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(Ui::ScaleToDpi(column->width), 0));
    }
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
    case WM_LBUTTONDBLCLK:
        OpenSelected();
        result = 0;
        return true;
    case WM_KEYDOWN:
        // Enter opens the selected controller, as a double click does.
        if (wParam != VK_RETURN)
            return false;
        OpenSelected();
        result = 0;
        return true;
    case WM_CONTEXTMENU:
        OnContextMenu(lParam);
        result = 0;
        return true;
    case WM_OPENSETTINGS:
        OnOpenSettings(lParam);
        return true;
    case WM_ADDRESSCHANGED:
        OnAddressChanged(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
        return true;
    case WM_UPDATEROWS:
        OnUpdateRows();
        return true;
    default:
        return false;
    }
}

bool CAppView::Fill(const std::vector<DiscoveredController>& controllers)
{
    DeleteAll();
    // A large site fills the list in one go: no painting row by row, and room for every row at once.
    ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(window, LVM_SETITEMCOUNT, controllers.size(), LVSICF_NOINVALIDATEALL);
    for (const DiscoveredController& controller : controllers)
        InsertRow(RowCount(), controller);
    if (sortColumn >= 0)
        SortRows();
    ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window, nullptr, TRUE);
    ::SetFocus(window);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!::SendMessageW(window, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state)))
        return false;
    return ::SendMessageW(window, LVM_ENSUREVISIBLE, 0, FALSE) != 0;
}

int CAppView::InsertRow(int position, const DiscoveredController& controller)
{
    const std::wstring name = ShownName(controller);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = position;
    item.pszText = const_cast<wchar_t*>(name.c_str());
    item.iImage = 0;
    item.lParam = static_cast<LPARAM>(controller.address);
    const int row =
        static_cast<int>(::SendMessageW(window, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return row;
    SetCell(row, 1, AddressText(controller.address));
    SetCell(row, 2, std::to_wstring(controller.port));
    if (const std::wstring note = Note(controller); !note.empty())
        SetCell(row, 3, note);
    return row;
}

void CAppView::ShowFound(const std::vector<DiscoveredController>& controllers)
{
    // Painting row by row would take seconds for a burst of answers.
    ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
    for (const DiscoveredController& controller : controllers)
        ShowOneFound(controller);
    ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(window, nullptr, TRUE);
}

void CAppView::ShowOneFound(const DiscoveredController& controller)
{
    int low = 0;
    int high = RowCount();
    if (sortColumn >= 0)
    {
        if (FindRow(controller.address) >= 0)
            return;
        // In the chosen order: the first row that goes after the controller is where it goes.
        const RowKey key{ShownName(controller), controller.address, controller.port, Note(controller),
                         controller.address};
        while (low < high)
        {
            const int middle = (low + high) / 2;
            if (Compare(KeyOf(middle), key) <= 0)
                low = middle + 1;
            else
                high = middle;
        }
        InsertRow(low, controller);
        return;
    }
    // Rows are in address order: the first row past the controller's address is where it goes.
    while (low < high)
    {
        const int middle = (low + high) / 2;
        const std::uint32_t address = RowAddress(middle);
        if (address == controller.address)
            return;
        if (address < controller.address)
            low = middle + 1;
        else
            high = middle;
    }
    InsertRow(low, controller);
}

int CAppView::RowCount() const
{
    return static_cast<int>(::SendMessageW(window, LVM_GETITEMCOUNT, 0, 0));
}

std::uint32_t CAppView::RowAddress(int row) const
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ::SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))
               ? static_cast<std::uint32_t>(item.lParam)
               : 0u;
}

void CAppView::DeleteAll()
{
    ::SendMessageW(window, LVM_DELETEALLITEMS, 0, 0);
}

int CAppView::SelectedRow() const
{
    return static_cast<int>(::SendMessageW(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool CAppView::HasSelection() const
{
    return SelectedRow() >= 0;
}

void CAppView::OpenSelected()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    DeviceEngine::Instance().Post(GetDevicePropertiesRequest{RowAddress(row), this, OpenSettingsTag});
}

void CAppView::OnContextMenu(LPARAM position)
{
    if (!HasSelection())
        return;
    const Ui::UniqueMenu menu(
        ::LoadMenuW(Ui::Module::Instance().ResourceInstance(), MAKEINTRESOURCEW(IDR_LIST_MENU)));
    const HMENU popup = menu ? ::GetSubMenu(menu.get(), 1) : nullptr;
    if (popup == nullptr)
        return;
    POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    // From the keyboard (Shift+F10, the menu key) the menu opens at the selected row.
    if (position == -1)
    {
        RECT row{};
        row.left = LVIR_LABEL;
        ::SendMessageW(window, LVM_GETITEMRECT, static_cast<WPARAM>(SelectedRow()),
                       reinterpret_cast<LPARAM>(&row));
        at = POINT{row.left, row.bottom};
        ::ClientToScreen(window, &at);
    }
    ::EnableMenuItem(popup, ID_FORGET_CONTROLLER,
                     MF_BYCOMMAND |
                         (addedAddresses.contains(RowAddress(SelectedRow())) ? MF_ENABLED : MF_GRAYED));
    const UINT chosen = static_cast<UINT>(
        ::TrackPopupMenu(popup, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, window, nullptr));
    if (chosen == ID_CONTROLLER_SETTINGS)
        OpenSelected();
    else if (chosen == ID_COPY)
        CopySelected();
    else if (chosen == ID_OPEN_WEB_PAGE)
        OpenSelectedWebPage();
    else if (chosen == ID_SAVE_SETTINGS)
        SaveSelectedSettings();
    else if (chosen == ID_LOAD_SETTINGS)
        LoadSelectedSettings();
    else if (chosen == ID_FORGET_CONTROLLER)
        ForgetSelected();
}

bool CAppView::CopySelected()
{
    const int row = SelectedRow();
    return row >= 0 &&
           PutOnClipboard(window, CellText(row, 0) + L"\t" + CellText(row, 1) + L"\t" + CellText(row, 2));
}

std::wstring CAppView::SelectedWebPage() const
{
    const int row = SelectedRow();
    return row < 0 ? std::wstring() : L"http://" + CellText(row, 1) + L":" + CellText(row, 2) + L"/";
}

void CAppView::OpenSelectedWebPage()
{
    // The workstation's browser: whatever opens http addresses there.
    if (const std::wstring page = SelectedWebPage(); !page.empty())
        ::ShellExecuteW(window, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::vector<DiscoveredController> CAppView::Rows() const
{
    std::vector<DiscoveredController> rows;
    for (int row = 0; row < RowCount(); ++row)
    {
        // A nameless controller's row says so; its name is empty, as the console program lists it.
        std::wstring name = CellText(row, 0);
        if (name == OldFirmwareName)
            name.clear();
        const std::wstring note = CellText(row, 3);
        rows.push_back(DiscoveredController{
            RowAddress(row), static_cast<std::uint16_t>(std::wcstoul(CellText(row, 2).c_str(), nullptr, 10)),
            name, note == ConflictNote, !IsUnansweredNote(note)});
    }
    return rows;
}

void CAppView::SaveList()
{
    if (const std::optional<std::wstring> path = AskFileToSave(Owner(), FileKind::List, L"controllers.csv"))
        TellFileProblem(SaveListTo(*path), FileProblemCaption);
}

std::wstring CAppView::SaveListTo(const std::wstring& path) const
{
    return SaveFile(path, ControllerListFile(Rows()));
}

void CAppView::SaveSelectedSettings()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const std::optional<std::wstring> path =
        AskFileToSave(Owner(), FileKind::Settings, SuggestedFileName(CellText(row, 0), CellText(row, 1)));
    if (!path)
        return;
    settingsFile = *path;
    DeviceEngine::Instance().Post(GetDevicePropertiesRequest{RowAddress(row), this, SaveSettingsTag});
}

void CAppView::LoadSelectedSettings()
{
    if (!HasSelection())
        return;
    if (const std::optional<std::wstring> path = AskFileToOpen(Owner(), FileKind::Settings))
        TellFileProblem(LoadSettingsFrom(*path), FileRefusedCaption);
}

std::wstring CAppView::LoadSettingsFrom(const std::wstring& path)
{
    const int row = SelectedRow();
    if (row < 0)
        return L"";
    SettingsFromFile read = ReadSettingsFile(path);
    if (!read.problem.empty())
        return read.problem;
    const std::uint32_t address = RowAddress(row);
    ControllerSettings::SettingChanges& changes = read.changes;
    // A file without an address claims no other controller.
    if (changes.ip && *changes.ip != address)
    {
        const std::wstring question = OtherControllersFileQuestion(path, *changes.ip, address);
        if (::MessageBoxW(Owner(), question.c_str(), FileRefusedCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return L"";
        // The first four bytes of the MAC address are the device's in any case; another controller's file
        // leaves the whole address alone, so that no two controllers on the network share one.
        changes.macTail.reset();
    }
    changes.ip.reset();
    settingsFromFile = changes;
    DeviceEngine::Instance().Post(GetDevicePropertiesRequest{address, this, LoadSettingsTag});
    return L"";
}

void CAppView::TellFileProblem(const std::wstring& problem, const wchar_t* caption)
{
    if (!problem.empty())
        ::MessageBoxW(Owner(), problem.c_str(), caption, MB_ICONERROR);
}

HWND CAppView::Owner() const
{
    return ::GetAncestor(window, GA_ROOT);
}

void CAppView::SortBy(int column)
{
    if (column < 0 || column >= static_cast<int>(std::size(Columns)))
        return;
    sortAscending = column != sortColumn || !sortAscending;
    sortColumn = column;
    SortRows();
    ShowSortArrow();
    const int selected = SelectedRow();
    if (selected >= 0)
        ::SendMessageW(window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
}

CAppView::RowKey CAppView::KeyOf(int row) const
{
    const std::uint32_t rowAddress = RowAddress(row);
    return RowKey{CellText(row, 0), ParseAddress(CellText(row, 1)).value_or(rowAddress),
                  static_cast<std::uint16_t>(std::wcstoul(CellText(row, 2).c_str(), nullptr, 10)),
                  CellText(row, 3), rowAddress};
}

int CAppView::Compare(const RowKey& first, const RowKey& second) const
{
    int order = 0;
    switch (sortColumn)
    {
    case -1:
        // No column chosen: the order in which ShowOneFound looks a row up, by the address it is found by.
        order = CompareNumbers(first.rowAddress, second.rowAddress);
        break;
    case 0:
        order = CompareText(first.name, second.name);
        break;
    case 2:
        order = CompareNumbers(first.port, second.port);
        break;
    case 3:
        order = CompareText(first.note, second.note);
        break;
    default:
        break;
    }
    // Rows alike in the column go by address, then port and name, so that the order is the same each time.
    if (order == 0)
        order = CompareNumbers(first.address, second.address);
    if (order == 0)
        order = CompareNumbers(first.port, second.port);
    if (order == 0)
        order = CompareText(first.name, second.name);
    return sortAscending ? order : -order;
}

int CALLBACK CAppView::CompareSortedRows(LPARAM first, LPARAM second, LPARAM context)
{
    const auto& [view, keys] =
        *reinterpret_cast<const std::pair<const CAppView*, std::vector<RowKey>*>*>(context);
    const int order =
        view->Compare((*keys)[static_cast<std::size_t>(first)], (*keys)[static_cast<std::size_t>(second)]);
    // Rows alike in everything keep their places.
    return order != 0 ? order : CompareNumbers(first, second);
}

void CAppView::SortRows()
{
    // The list hands the comparison only the rows' lParams, which hold the addresses that rows are found
    // by: during the sort each holds the index of its row's key instead, and its address again after it.
    const int count = RowCount();
    std::vector<RowKey> keys;
    keys.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row)
    {
        keys.push_back(KeyOf(row));
        SetRowAddress(row, static_cast<std::uint32_t>(row));
    }
    std::pair<const CAppView*, std::vector<RowKey>*> context{this, &keys};
    ::SendMessageW(window, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                   reinterpret_cast<LPARAM>(&CompareSortedRows));
    for (int row = 0; row < count; ++row)
        SetRowAddress(row, keys[RowAddress(row)].rowAddress);
}

void CAppView::ShowSortArrow()
{
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(window, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < static_cast<int>(std::size(Columns)); ++column)
    {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortColumn)
            item.fmt |= sortAscending ? HDF_SORTUP : HDF_SORTDOWN;
        ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

void CAppView::SetRowAddress(int row, std::uint32_t address)
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = static_cast<LPARAM>(address);
    ::SendMessageW(window, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void CAppView::AddByAddress(std::uint32_t address, std::uint16_t port)
{
    DeviceEngine::Instance().Post(AddControllerRequest{address, port, this, AddedTag, true});
}

void CAppView::OnAdded()
{
    DiscoveredController added;
    {
        Helpers::CriticalSectionLock hold(lock);
        added = DiscoveredController{currentAddress, currentProperties.tcpPort, currentProperties.name};
    }
    addedAddresses.insert(added.address);
    ShowOneFound(added);
    const int row = FindRow(added.address);
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(window, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    ::SendMessageW(window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void CAppView::ForgetSelected()
{
    const int row = SelectedRow();
    const std::uint32_t address = RowAddress(row);
    if (row < 0 || addedAddresses.erase(address) == 0)
        return;
    DeviceEngine::Instance().Post(ForgetControllerRequest{address});
    // A row that only the address kept goes with it; one that the search found stays.
    if (IsUnansweredNote(CellText(row, 3)))
        ::SendMessageW(window, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void CAppView::HoldSettings(bool hold)
{
    settingsHeld = hold;
    if (!hold && dueTag != 0 && window != nullptr)
    {
        ::PostMessageW(window, WM_OPENSETTINGS, 0, dueTag);
        dueTag = 0;
    }
}

void CAppView::OnOpenSettings(LPARAM tag)
{
    if (tag == AddedTag)
        return OnAdded();
    // Saving and loading were asked for a row already; opening needs the row still selected.
    if ((tag != OpenSettingsTag || !HasSelection()) && tag != SaveSettingsTag && tag != LoadSettingsTag)
        return;
    // A fast controller's result is dispatched by the wait dialog's own loop: a sheet or a message box
    // opened there would be the dialog's, and the dialog's end would enable the main window under it. It
    // opens once the dialog has ended, from the main loop.
    if (settingsHeld)
    {
        dueTag = static_cast<std::int32_t>(tag);
        return;
    }
    if (tag == SaveSettingsTag)
        return OnSettingsToSave();
    ShowSettingsSheet(static_cast<std::int32_t>(tag));
}

void CAppView::OnSettingsToSave()
{
    std::string answer;
    {
        Helpers::CriticalSectionLock hold(lock);
        answer = currentAnswer;
    }
    // The controller's own document, passwords and whatever the program does not know included: a
    // controller with newer firmware is saved whole.
    TellFileProblem(SaveFile(settingsFile, answer), FileProblemCaption);
}

void CAppView::ShowSettingsSheet(std::int32_t tag)
{
    // One sheet at a time: OK in two sheets of one controller would send two writes, the older last.
    if (sheetOpen)
        return;
    // The settings and the address they belong to are taken together: a later result must not make the
    // edited settings of one controller go to another.
    std::uint32_t address = 0;
    Xml::DeviceProperties asRead;
    CAppPropSheet sheet(IDS_CONTROLLER_SETTINGS, 0, nullptr);
    {
        Helpers::CriticalSectionLock hold(lock);
        address = currentAddress;
        asRead = currentProperties;
    }
    sheet.data =
        tag == LoadSettingsTag ? ControllerSettings::ApplySettingChanges(asRead, settingsFromFile) : asRead;
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
    const int row = FindRow(oldAddress);
    if (row < 0)
        return;
    SetRowAddress(row, newAddress);
    SetCell(row, 1, AddressText(newAddress));
    // Also without a chosen column: a row left at its old address's place would be missed by the lookup of
    // its new address, and the controller added a second time.
    SortRows();
}

void CAppView::OnUpdateRows()
{
    std::deque<RowUpdate> updates;
    {
        Helpers::CriticalSectionLock hold(lock);
        updates.swap(rowUpdates);
    }
    for (const RowUpdate& update : updates)
    {
        const int row = FindRow(update.address);
        if (row < 0)
            continue;
        // The name as the controller holds it, even empty: only a search shows "Старая прошивка".
        SetCell(row, 0, update.name);
        SetCell(row, 1, AddressText(update.ip));
        SetCell(row, 2, std::to_wstring(update.port));
    }
    if (sortColumn >= 0 && !updates.empty())
        SortRows();
}

int CAppView::FindRow(std::uint32_t address) const
{
    const int count = RowCount();
    for (int row = 0; row < count; ++row)
    {
        if (RowAddress(row) == address)
            return row;
    }
    return -1;
}

void CAppView::SetCell(int row, int column, const std::wstring& text)
{
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(window, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring CAppView::CellText(int row, int column) const
{
    wchar_t text[256] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(window, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

void CAppView::OnDeviceAddressChanged(const AddressChange& change)
{
    ::PostMessageW(window, WM_ADDRESSCHANGED, change.oldAddress, change.newAddress);
}

void CAppView::OnDeviceProperties(const DevicePropertiesResult& result)
{
    Helpers::CriticalSectionLock hold(lock);
    currentAddress = result.address;
    currentProperties = result.properties;
    currentAnswer = result.answer;
    if (result.tag != 0)
    {
        ::PostMessageW(window, WM_OPENSETTINGS, 0, result.tag);
        return;
    }
    // Posted, not sent: the worker must not wait for this thread, which may be waiting for the worker.
    rowUpdates.push_back(
        RowUpdate{result.address, result.properties.name, result.properties.ip, result.properties.tcpPort});
    ::PostMessageW(window, WM_UPDATEROWS, 0, 0);
}

} // namespace OM::Norvatessa
