#include "app/MainFrame.h"

#include "app/AboutDlg.h"
#include "app/AddControllerDlg.h"
#include "app/BatchWindow.h"
#include "app/ChangeSelected.h"
#include "app/Clipboard.h"
#include "app/GiveAddressesDlg.h"
#include "app/Help.h"
#include "app/ListColumns.h"
#include "app/BatchPassword.h"
#include "app/SystemAuthorizationDialog.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "device/CredentialStore.h"
#include "engine/FailureText.h"
#include "ui/CenterWindow.h"
#include "ui/DeviceContexts.h"
#include "ui/Dpi.h"
#include "ui/EditKeys.h"
#include "ui/Module.h"

#include <commctrl.h>
#include <shellapi.h>

namespace OM::Norvatessa
{

namespace
{

constexpr DWORD FrameStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
constexpr DWORD FrameExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD LogPaneStyle = WS_CHILD | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE;
constexpr int LogPaneId = 1;
// The log pane shows this many lines below the list.
constexpr int LogPaneLines = 5;

// A controller's demand for credentials opens the system's dialog. It outlives every frame: a worker that
// outlived the stop may still ask it.
SystemAuthorizationDialog credentialsDialog;
// The credentials the user asked to remember, tried first with each controller; as long-lived as the dialog.
const CredentialStore rememberedPasswords(RememberedPasswordsPrefix);

std::wstring ControllerUrl(const DiscoveredController& controller)
{
    return L"http://" + AddressText(controller.address) + L":" + std::to_wstring(controller.port);
}

} // namespace

Ui::WindowClassInfo CMainFrame::GetWindowClassInfo()
{
    Ui::WindowClassInfo info;
    info.name = L"NorvatessaMainFrame";
    info.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    info.iconId = IDR_MAINFRAME;
    return info;
}

CMainFrame::~CMainFrame()
{
    DeviceEngine::Instance().Remove(this);
}

HWND CMainFrame::CreateMainWindow()
{
    const HINSTANCE instance = Ui::Module::Instance().ResourceInstance();
    const HMENU menu = ::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!Create(nullptr, nullptr, Ui::LoadResourceString(IDS_APP_TITLE).c_str(), FrameStyle, FrameExStyle,
                menu))
    {
        if (menu != nullptr)
            ::DestroyMenu(menu);
        return nullptr;
    }
    accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    return window;
}

bool CMainFrame::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message)
    {
    // Life cycle.
    case WM_CREATE:
        result = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        break; // the frame's own handling ends the message loop
    // Commands.
    case WM_COMMAND:
        // The filter box tells each change of its text; commands come from the menus, the accelerators
        // and the toolbar.
        if (lParam != 0 && reinterpret_cast<HWND>(lParam) == filterBox.Edit())
        {
            if (HIWORD(wParam) == EN_CHANGE)
                OnFilterChanged();
        }
        else
        {
            OnCommand(LOWORD(wParam));
        }
        result = 0;
        return true;
    case WM_INITMENUPOPUP:
        // Also the list's context menu, which the frame owns.
        UpdateCommands();
        UIUpdateMenuPopup(reinterpret_cast<HMENU>(wParam));
        break;
    // Notifications.
    case WM_CTLCOLORSTATIC:
        if (const HBRUSH background =
                filterBox.LabelBackground(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
        {
            result = reinterpret_cast<LRESULT>(background);
            return true;
        }
        break;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code == LVN_COLUMNCLICK && header.hwndFrom == deviceList.Handle())
        {
            deviceList.SortBy(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
            return true;
        }
        if (header.code == LVN_ITEMCHANGED && header.hwndFrom == deviceList.Handle())
        {
            deviceList.OnItemChanged(*reinterpret_cast<NMLISTVIEW*>(lParam));
            result = 0;
            return true;
        }
        break;
    }
    // Private messages.
    case WM_SHOWWAITDLG:
        result = OnShowWaitDialog(lParam);
        return true;
    case WM_FLUSHLOG:
        OnFlushLog();
        return true;
    case WM_BUSYSTATUS:
        SetStatus(wParam != 0 ? Words::WaitingStatus : Ui::LoadResourceString(IDS_READY));
        return true;
    case WM_SEARCHSTARTED:
        OnSearchStartedMessage();
        return true;
    case WM_LIVEROWS:
        OnLiveRows();
        return true;
    case WM_SEARCHFINISHED:
        OnSearchFinishedMessage();
        return true;
    case WM_SHOWPROBLEMS:
        OnShowProblems();
        return true;
    case WM_RESTOREPREVIEW:
        siteFolders.ShowPreview(window);
        return true;
    default:
        break;
    }
    return ProcessFrameMessage(message, wParam, lParam, result);
}

LRESULT CMainFrame::OnCreate()
{
    CreateToolBar(IDR_MAINFRAME);
    CreateStatusBar(IDS_READY);
    filterBox.Create(window, IDC_FILTER);
    logPane = CreateLogPane();
    SetClient(deviceList.Create(window));

    UIAddToolBar(toolBar);
    UIAddCommand(ID_NEW_SEARCH, InMenu | InToolBar);
    UIAddCommand(ID_CONTROLLER_SETTINGS, InMenu | InToolBar);
    UIAddCommand(ID_COPY, InMenu);
    UIAddCommand(ID_SELECT_ALL, InMenu);
    UIAddCommand(ID_OPEN_WEB_PAGE, InMenu);
    UIAddCommand(ID_SAVE_SETTINGS, InMenu);
    UIAddCommand(ID_LOAD_SETTINGS, InMenu);
    UIAddCommand(ID_SAVE_LIST, InMenu);
    UIAddCommand(ID_ADD_CONTROLLER, InMenu);
    UIAddCommand(ID_FORGET_CONTROLLER, InMenu);
    UIAddCommand(ID_CHANGE_SELECTED, InMenu);
    UIAddCommand(ID_FORGET_PASSWORDS, InMenu);
    UIAddCommand(ID_BACKUP_SELECTED, InMenu);
    UIAddCommand(ID_RESTORE_FOLDER, InMenu);
    UIAddCommand(ID_GIVE_ADDRESSES, InMenu);
    if (Ui::MessageLoop* loop = Ui::Module::Instance().CurrentMessageLoop())
    {
        loop->AddMessageFilter(this);
        loop->AddIdleHandler(this);
    }
    Helpers::SetFailureListener(this);
    DeviceEngine& engine = DeviceEngine::Instance();
    engine.SetAuthorizationPrompt(&credentialsDialog);
    engine.RememberCredentials(&rememberedPasswords);
    engine.Add(this);
    engine.Start(); // the worker begins with a search
    Ui::CenterWindow(window, ::GetDesktopWindow());
    return 0;
}

HWND CMainFrame::CreateLogPane()
{
    const HWND pane = ::CreateWindowExW(WS_EX_STATICEDGE, L"EDIT", nullptr, LogPaneStyle, CW_USEDEFAULT,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(LogPaneId)),
                                        Ui::Module::Instance().ResourceInstance(), nullptr);
    if (pane == nullptr)
        return nullptr;
    const int margin = Ui::ScaleToDpi(2);
    ::SendMessageW(pane, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    ::HideCaret(pane);
    ::SendMessageW(pane, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ::SendMessageW(pane, EM_SETREADONLY, TRUE, 0);
    // The log of a large site is longer than an edit control takes by default, and a replacement beyond
    // the limit would silently drop the last lines.
    ::SendMessageW(pane, EM_SETLIMITTEXT, 0, 0);
    ::ShowWindow(pane, SW_SHOWNOACTIVATE);
    return pane;
}

void CMainFrame::UpdateLayout()
{
    RECT area = filterBox.Place(PlaceBars());
    Ui::ShowStatusParts(statusBar, counts);
    if (logPane != nullptr)
    {
        // A strip of a few lines below the list, so that the search log can be read.
        TEXTMETRICW metrics{};
        {
            const Ui::WindowContext context(logPane);
            const Ui::SelectedObject font(context.Context(), ::GetStockObject(DEFAULT_GUI_FONT));
            ::GetTextMetricsW(context.Context(), &metrics);
        }
        const int strip = std::min<int>(LogPaneLines * metrics.tmHeight + 2 * ::GetSystemMetrics(SM_CYEDGE) +
                                            Ui::ScaleToDpi(4),
                                        (area.bottom - area.top) / 2);
        ::SetWindowPos(logPane, nullptr, area.left, area.bottom - strip, area.right - area.left, strip,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        area.bottom -= strip;
    }
    if (client != nullptr)
        ::SetWindowPos(client, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainFrame::OnDestroy()
{
    DeviceEngine& engine = DeviceEngine::Instance();
    engine.Remove(this);
    engine.Stop();
    Helpers::SetFailureListener(nullptr);
    if (Ui::MessageLoop* loop = Ui::Module::Instance().CurrentMessageLoop())
    {
        loop->RemoveMessageFilter(this);
        loop->RemoveIdleHandler(this);
    }
}

bool CMainFrame::PreTranslateMessage(MSG& message)
{
    if (window == nullptr)
        return false;
    if (filterBox.TakeKey(message, deviceList.Handle()))
        return true;
    // In the filter box and the log, the keys that edit text are theirs, not commands for the rows.
    if ((message.hwnd == filterBox.Edit() || message.hwnd == logPane) && Ui::IsEditingKey(message))
        return false;
    return accelerators != nullptr && ::TranslateAcceleratorW(window, accelerators, &message);
}

void CMainFrame::OnIdle()
{
    UpdateCommands();
    UIUpdateToolBar();
    UpdateCounts();
}

void CMainFrame::UpdateCommands()
{
    // While a search runs the list is disabled, and nothing in it can be used. The commands for one
    // controller take the one selected row, and are off with several and on a range's row. While a batch
    // runs, no search starts and no settings sheet opens (CommandAllowed).
    const ControllerRows& rows = deviceList.Rows();
    const std::size_t selected = searching ? 0 : rows.SelectedCount();
    for (const UINT id : {ID_CONTROLLER_SETTINGS, ID_OPEN_WEB_PAGE, ID_SAVE_SETTINGS, ID_LOAD_SETTINGS})
        UIEnable(id, selected == 1 && deviceList.Selected() != nullptr && CommandAllowed(id));
    UIEnable(ID_COPY, selected > 0);
    // The many-controller commands need a controller among the rows: a range's row is none.
    UIEnable(ID_GIVE_ADDRESSES,
             selected > 0 && rows.AnySelectedController() && CommandAllowed(ID_GIVE_ADDRESSES));
    UIEnable(ID_FORGET_CONTROLLER, selected > 0 && rows.AnySelectedKnown());
    UIEnable(ID_SAVE_LIST, !searching && rows.ShownCount() > 0);
    UIEnable(ID_SELECT_ALL, !searching && rows.ShownCount() > 0);
    UIEnable(ID_NEW_SEARCH, !searching && CommandAllowed(ID_NEW_SEARCH));
    UIEnable(ID_ADD_CONTROLLER, !searching && CommandAllowed(ID_ADD_CONTROLLER));
    UIEnable(ID_CHANGE_SELECTED,
             selected > 1 && rows.AnySelectedController() && CommandAllowed(ID_CHANGE_SELECTED));
    UIEnable(ID_FORGET_PASSWORDS, CommandAllowed(ID_FORGET_PASSWORDS));
    UIEnable(ID_BACKUP_SELECTED, !searching && CommandAllowed(ID_BACKUP_SELECTED) && selected > 0 &&
                                     rows.AnySelectedController());
    UIEnable(ID_RESTORE_FOLDER, !searching && CommandAllowed(ID_RESTORE_FOLDER));
}

bool CMainFrame::CommandAllowed(UINT id)
{
    switch (id)
    {
    case ID_NEW_SEARCH:
    case ID_ADD_CONTROLLER:
    case ID_CONTROLLER_SETTINGS:
    case ID_LOAD_SETTINGS:
    case ID_CHANGE_SELECTED:
    case ID_FORGET_PASSWORDS:
    case ID_BACKUP_SELECTED:
    case ID_RESTORE_FOLDER:
    case ID_GIVE_ADDRESSES:
        // A search would empty the list under the batch's rows, and a sheet would write to a controller
        // that a lane may be writing to; the batch's controllers may be remembering their credentials, and
        // a site's folder is a batch of its own.
        return !BatchRunning();
    default:
        return true;
    }
}

void CMainFrame::UpdateCounts()
{
    const ControllerRows& rows = deviceList.Rows();
    const std::size_t selected = rows.SelectedCount();
    std::vector<std::wstring> now{
        rows.Filtered() ? Words::Fill(Words::ShownCount, rows.ShownCount(), rows.Count()) : L"",
        selected > 1 ? Words::Fill(Words::SelectedCount, selected) : L""};
    if (now == counts)
        return;
    counts = std::move(now);
    Ui::ShowStatusParts(statusBar, counts);
}

void CMainFrame::OnCommand(UINT id)
{
    // An accelerator, the toolbar or the list's Enter reaches here even while the command is greyed.
    if (!CommandAllowed(id))
        return;
    switch (id)
    {
    case ID_NEW_SEARCH:
        OnNewSearch();
        break;
    case ID_CONTROLLER_SETTINGS:
        deviceList.OpenSelected();
        break;
    case ID_COPY:
        OnCopy();
        break;
    case ID_SELECT_ALL:
        OnSelectAll();
        break;
    case ID_FILTER:
        filterBox.Focus();
        break;
    case ID_OPEN_WEB_PAGE:
        OnOpenWebPage();
        break;
    case ID_SAVE_SETTINGS:
        if (const ControllerRow* row = deviceList.Selected())
            deviceList.Files().SaveSettings(window, *row);
        break;
    case ID_LOAD_SETTINGS:
        if (const ControllerRow* row = deviceList.Selected())
            deviceList.Files().LoadSettings(window, row->address);
        break;
    case ID_FORGET_CONTROLLER:
        deviceList.ForgetSelected();
        break;
    case ID_SAVE_LIST:
        // Ctrl+S reaches here even while the command is greyed.
        if (!searching && deviceList.Rows().ShownCount() > 0)
            deviceList.Files().SaveList(window, deviceList.Rows().ShownRows());
        break;
    case ID_ADD_CONTROLLER:
        OnAddController();
        break;
    case ID_CHANGE_SELECTED:
        // A command posted while the sheet is open, or greyed, reaches here too.
        if (!searching && deviceList.Rows().SelectedCount() > 1 && ::IsWindowEnabled(window))
            ChangeSelected(window, deviceList.Rows().SelectedRows());
        break;
    case ID_FORGET_PASSWORDS:
        OnForgetPasswords();
        break;
    case ID_BACKUP_SELECTED:
        if (!searching)
            siteFolders.Backup(window, deviceList.Rows().SelectedRows());
        break;
    case ID_RESTORE_FOLDER:
        if (!searching)
            siteFolders.Restore(window, deviceList.Rows().All());
        break;
    case ID_GIVE_ADDRESSES:
        OnGiveAddresses();
        break;
    case ID_REFRESH:
        ::SetWindowTextW(logPane, L"");
        break;
    case ID_HELP_FILE:
        OpenHelp(window);
        break;
    case ID_ABOUT:
        ShowAbout();
        break;
    case ID_EXIT:
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void CMainFrame::OnCopy()
{
    // Ctrl+C in the log copies its selected text, as it would without the accelerator.
    if (::GetFocus() == logPane)
        ::SendMessageW(logPane, WM_COPY, 0, 0);
    else if (const std::vector<ControllerRow> rows = deviceList.Rows().SelectedRows(); !rows.empty())
        PutOnClipboard(window, CopiedText(rows));
}

void CMainFrame::OnSelectAll()
{
    // Ctrl+A reaches here only while the command is enabled; the menu, too.
    if (!searching)
        deviceList.SelectAll();
}

void CMainFrame::OnFilterChanged()
{
    deviceList.SetFilter(filterBox.Text());
}

void CMainFrame::OnOpenWebPage()
{
    // The workstation's browser: whatever opens http addresses there.
    if (const std::wstring page = deviceList.SelectedWebPage(); !page.empty())
        ::ShellExecuteW(window, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainFrame::OnAddController()
{
    CAddControllerDlg dialog;
    if (!dialog.Run(window))
        return;
    if (!dialog.range)
        return deviceList.AddByAddress(dialog.address, dialog.port);
    // A range is probed by a search of its own: the search with it added, which every later one repeats.
    deviceList.RememberRange(*dialog.range);
    OnNewSearch(dialog.range);
}

void CMainFrame::OnGiveAddresses()
{
    if (searching)
        return;
    const ControllerRows& rows = deviceList.Rows();
    std::vector<ControllerRow> selected = rows.SelectedRows();
    // A range's row stands for no controller.
    std::erase_if(selected, [](const ControllerRow& row) { return row.range.has_value(); });
    if (selected.empty())
        return;
    std::set<std::uint32_t> listed;
    for (const ControllerRow& row : rows.All())
    {
        if (!row.range)
            listed.insert(row.address);
    }
    CGiveAddressesDlg dialog(std::move(selected), std::move(listed));
    if (dialog.Run(window))
        StartBatch(window, GiveAddressesBatch(dialog));
}

void CMainFrame::OnNewSearch(const std::optional<AddressRange>& addedRange)
{
    deviceList.DeleteAll();
    DeviceEngine::Instance().Post(NewSearchRequest{{}, addedRange});
}

void CMainFrame::OnSearchStartedMessage()
{
    SetStatus(Words::Searching);
    searching = true;
    ::EnableWindow(deviceList.Handle(), FALSE);
}

void CMainFrame::OnSearchFinishedMessage()
{
    searching = false;
    ::EnableWindow(deviceList.Handle(), TRUE);
    std::vector<DiscoveredController> controllers;
    std::vector<UnprobedRange> unprobed;
    bool failed = false;
    bool complete = false;
    {
        Helpers::CriticalSectionLock hold(queueLock);
        controllers = foundControllers;
        unprobed = unprobedRanges;
        failed = searchFailed;
        complete = searchComplete;
    }
    SetStatus(failed                ? std::wstring(Words::SearchFailedStatus)
              : controllers.empty() ? std::wstring(Words::NothingFoundStatus)
                                    : Ui::LoadResourceString(IDS_READY));
    // The rows of the silent ranges wait for the table's end report, which alone says who answered.
    deviceList.Fill(controllers, complete ? std::optional(unprobed) : std::nullopt);
}

// Asked first: the store is the user's across runs, and nothing brings the entries back.
void CMainFrame::OnForgetPasswords()
{
    if (::MessageBoxW(window, Words::ForgetPasswordsQuestion, Ui::LoadResourceString(IDS_APP_TITLE).c_str(),
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const std::optional<std::size_t> forgotten = rememberedPasswords.ForgetAll();
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(forgotten ? Words::Fill(Words::PasswordsForgotten, *forgotten)
                                     : std::wstring(Words::PasswordsNotForgotten));
    }
    OnFlushLog();
}

void CMainFrame::OnFlushLog()
{
    std::deque<std::wstring> lines;
    {
        Helpers::CriticalSectionLock hold(queueLock);
        lines.swap(logQueue);
    }
    if (lines.empty())
        return;
    // The lines go in at the end in one piece: a large site brings thousands of them.
    std::wstring text;
    for (const std::wstring& line : lines)
        text += line + L"\r\n";
    const int end = ::GetWindowTextLengthW(logPane);
    ::SendMessageW(logPane, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(logPane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    ::HideCaret(logPane);
}

void CMainFrame::OnLiveRows()
{
    std::vector<DiscoveredController> found;
    {
        Helpers::CriticalSectionLock hold(queueLock);
        found.swap(liveControllers);
    }
    if (found.empty())
        return;
    deviceList.ShowFound(found);
    SetStatus(Words::Fill(Words::SearchingFound, deviceList.Rows().Count()));
}

void CMainFrame::OnShowProblems()
{
    // One message box at a time: what comes in while it is open is told when it closes.
    if (tellingProblems)
        return;
    std::wstring text;
    {
        Helpers::CriticalSectionLock hold(queueLock);
        for (const std::wstring& problem : problems)
            text += (text.empty() ? L"" : L"\n\n") + problem;
        problems.clear();
    }
    if (text.empty())
        return;
    tellingProblems = true;
    ::MessageBoxW(window, text.c_str(), Words::ProblemCaption, MB_ICONERROR);
    tellingProblems = false;
    Helpers::CriticalSectionLock hold(queueLock);
    if (!problems.empty())
        ::PostMessageW(window, WM_SHOWPROBLEMS, 0, 0);
}

void CMainFrame::SetStatus(const std::wstring& text)
{
    if (statusBar != nullptr)
        ::SendMessageW(statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::CancelExchange()
{
    DeviceEngine::Instance().CancelExchange();
}

void CMainFrame::EndExchange()
{
    ::PostMessageW(window, WM_BUSYSTATUS, 0, 0);
    FinishWait();
}

void CMainFrame::Report(std::wstring problem)
{
    {
        Helpers::CriticalSectionLock hold(queueLock);
        problems.push_back(std::move(problem));
    }
    ::PostMessageW(window, WM_SHOWPROBLEMS, 0, 0);
}

void CMainFrame::OnExchangeAborted(const bool&)
{
    EndExchange();
}

void CMainFrame::OnAuthorizationRetry(const bool&)
{
    LockCancel(false);
}

void CMainFrame::OnAuthorizationRequested(const bool&)
{
    LockCancel(true);
}

void CMainFrame::OnExchangeCompleted(const bool&)
{
    EndExchange();
}

void CMainFrame::OnExchangeStarted(const std::wstring& label)
{
    ::PostMessageW(window, WM_BUSYSTATUS, 1, 0);
    RequestWait(Words::WaitCaption, label, 0);
}

void CMainFrame::OnSearchFinished(const bool&)
{
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(Ui::LoadResourceString(IDS_READY));
        foundControllers.clear();
        if (DeviceEngine::Instance().GetDevices(foundControllers) != 0)
        {
            for (const DiscoveredController& controller : foundControllers)
                logQueue.push_back(Words::Fill(Words::ControllerFoundLog, ControllerUrl(controller)));
        }
        // The manager reports the end twice, before the table is filled and once it is: the second says
        // whether anything answered.
        else if (!searchFailed && searchEnded)
        {
            logQueue.push_back(DescribeNothingFound(adaptersProbed));
        }
        searchComplete = searchEnded;
        searchEnded = true;
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
    ::PostMessageW(window, WM_SEARCHFINISHED, 0, 0);
}

void CMainFrame::OnSearchStarted(const bool&)
{
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(Words::Searching);
        liveControllers.clear();
        unprobedRanges.clear();
        adaptersProbed = 0;
        searchFailed = false;
        searchEnded = false;
        searchComplete = false;
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
    ::PostMessageW(window, WM_SEARCHSTARTED, 0, 0);
}

void CMainFrame::OnExchangeFailed(const ExchangeFailure& failure)
{
    EndExchange();
    Report(DescribeControllerFailure(failure));
}

void CMainFrame::OnRequestRefused(const RequestRefusal& refusal)
{
    Report(DescribeControllerRefusal(refusal));
}

void CMainFrame::OnSearchFailed(const std::int32_t& socketError)
{
    const std::wstring why = DescribeSearchFailure(socketError);
    {
        Helpers::CriticalSectionLock hold(queueLock);
        searchFailed = true;
        logQueue.push_back(Words::Fill(Words::SearchFailedLog, why));
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
    Report(Words::Fill(Words::SearchFailedMessage, why));
}

void CMainFrame::OnControllerFound(const DiscoveredController& controller)
{
    bool first = false;
    {
        Helpers::CriticalSectionLock hold(queueLock);
        first = liveControllers.empty();
        liveControllers.push_back(controller);
    }
    // One message drains every controller queued until it is handled: a large site answers in a burst.
    if (first)
        ::PostMessageW(window, WM_LIVEROWS, 0, 0);
}

void CMainFrame::OnAddressConflict(const AddressConflict& conflict)
{
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(DescribeConflict(conflict));
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
}

void CMainFrame::OnRangeNotProbed(const UnprobedRange& range)
{
    // Told between the two end reports: the second takes it to the list.
    Helpers::CriticalSectionLock hold(queueLock);
    unprobedRanges.push_back(range);
}

void CMainFrame::OnAdapterProbed(const ProbedAdapter& adapter)
{
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(DescribeProbedAdapter(adapter));
        adaptersProbed += adapter.error == 0;
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
}

void CMainFrame::OnFailure(const std::wstring& sentence, bool fatal) noexcept
{
    if (fatal)
    {
        ::MessageBoxW(nullptr, sentence.c_str(), Words::ProblemCaption, MB_ICONERROR | MB_TASKMODAL);
        return;
    }
    try
    {
        Helpers::CriticalSectionLock hold(queueLock);
        logQueue.push_back(sentence);
    }
    catch (...)
    {
        return; // without room for the line the log loses it; the operation has ended all the same
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
}

void CMainFrame::OnSettingsSaved(const SettingsSave& save)
{
    // Once: every later address goes the same way, and the log is for the search.
    {
        Helpers::CriticalSectionLock hold(queueLock);
        if (save.store == SettingsStore::Beside || save.store == settingsToldStore)
            return;
        settingsToldStore = save.store;
        logQueue.push_back(DescribeSettingsSave(save));
    }
    ::PostMessageW(window, WM_FLUSHLOG, 0, 0);
}

} // namespace OM::Norvatessa
