#pragma once

#include "app/AppView.h"
#include "app/AsyncWaitDlgHelper.h"
#include "app/FilterBox.h"
#include "app/PrivateMessages.h"
#include "app/SiteFolders.h"
#include "engine/DeviceEngine.h"
#include "helpers/CriticalSection.h"
#include "helpers/FailureBoundary.h"
#include "res/resource.h"
#include "ui/FrameWindowImpl.h"
#include "ui/MessageLoop.h"
#include "ui/UpdateUI.h"

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The main window: menu, toolbar, status bar, the filter box, the device list with the search log below
// it, and the wait dialog of a running exchange. The status bar's first part says what the program does;
// parts after it count the rows the filter keeps and the rows selected, when there is something to count.
//
// Who runs what: the window and every message handler belong to the user-interface thread. The Support
// notifications arrive on the device manager's worker; they touch only the queues below (under
// `queueLock`) and the wait dialog's state (under its own lock), and post messages, which the
// user-interface thread handles in posting order. The worker never waits for this thread. The same holds
// for a failure that a boundary of any thread says while the window lives.
class CMainFrame : public Ui::FrameWindowImpl<CMainFrame>,
                   public Ui::UpdateUI,
                   public Ui::MessageFilter,
                   public Ui::IdleHandler,
                   public Support,
                   public Helpers::FailureListener,
                   public CAsyncWaitDlgHelper<CMainFrame, IDD_WAIT, WM_SHOWWAITDLG, IDS_SECONDS, 0>
{
public:
    static Ui::WindowClassInfo GetWindowClassInfo();

    CMainFrame() = default;
    ~CMainFrame() override;

    // User-interface thread. Creates the window with its title, menu and icon, and loads the accelerators.
    HWND CreateMainWindow();

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    bool PreTranslateMessage(MSG& message) override;
    void OnIdle() override;
    void UpdateLayout();

    // User-interface thread: the wait dialog's Cancel, and the start and the end of its dialogs.
    void CancelExchange();
    void OnWaitShowing(bool showing) { deviceList.HoldSettings(showing); }

    CAppView& DeviceList() noexcept { return deviceList; }
    SiteFolders& Folders() noexcept { return siteFolders; }
    HWND LogPane() const noexcept { return logPane; }
    HWND FilterEdit() const noexcept { return filterBox.Edit(); }

    // Worker thread.
    void OnExchangeAborted(const bool&) override;
    void OnAuthorizationRetry(const bool&) override;
    void OnAuthorizationRequested(const bool&) override;
    void OnExchangeCompleted(const bool&) override;
    void OnExchangeStarted(const std::wstring& label) override;
    void OnSearchFinished(const bool&) override;
    void OnSearchStarted(const bool&) override;
    void OnExchangeFailed(const ExchangeFailure& failure) override;
    void OnRequestRefused(const RequestRefusal& refusal) override;
    void OnSearchFailed(const std::int32_t& socketError) override;
    void OnControllerFound(const DiscoveredController& controller) override;
    void OnAddressConflict(const AddressConflict& conflict) override;
    void OnAdapterProbed(const ProbedAdapter& adapter) override;
    void OnSettingsSaved(const SettingsSave& save) override;
    void OnRangeNotProbed(const UnprobedRange& range) override;

    // Any thread: a failure caught at a boundary goes to the log pane; one that ends the program, to a
    // message box, since the log pane goes with the program.
    void OnFailure(const std::wstring& sentence, bool fatal) noexcept override;

private:
    LRESULT OnCreate();
    void OnDestroy();
    void OnCommand(UINT id);
    // Empties the list and searches again, with `addedRange` remembered first.
    void OnNewSearch(const std::optional<AddressRange>& addedRange = std::nullopt);
    void OnAddController();
    void OnForgetPasswords();
    // "Назначить адреса...": the selected controllers' new addresses, given as one batch.
    void OnGiveAddresses();
    void OnSearchStartedMessage();
    void OnSearchFinishedMessage();
    void OnFlushLog();
    void OnLiveRows();
    void OnShowProblems();
    void OnSelectAll();
    void OnFilterChanged();
    // Which commands can be used now, from the list's rows and whether a search runs: the one place that
    // enables and disables them, for the menus, the list's context menu and the toolbar alike.
    void UpdateCommands();
    // Whether a command may run now beside the greying of UpdateCommands: false for those a batch keeps
    // out while it runs.
    static bool CommandAllowed(UINT id);
    // The counts of the status bar, from the list's rows.
    void UpdateCounts();
    void OnCopy();
    void OnOpenWebPage();
    void SetStatus(const std::wstring& text);
    void EndExchange();
    void Report(std::wstring problem);
    HWND CreateLogPane();

    CAppView deviceList;
    FilterBox filterBox;
    SiteFolders siteFolders;
    HWND logPane = nullptr;
    HACCEL accelerators = nullptr; // loaded from the module, freed with it

    Helpers::CriticalSection queueLock; // guards the fields below up to `settingsToldStore`
    std::deque<std::wstring> logQueue;
    std::vector<DiscoveredController> foundControllers;
    std::vector<DiscoveredController> liveControllers;       // found by the running search, not yet shown
    std::size_t adaptersProbed = 0;                          // by the running search
    bool searchFailed = false;                               // the running search could not begin
    bool searchEnded = false;                                // its first end report has come
    bool searchComplete = false;                             // its second one, with the table filled
    std::vector<UnprobedRange> unprobedRanges;               // the ranges it could not probe whole
    std::deque<std::wstring> problems;                       // what went wrong, waiting to be told
    SettingsStore settingsToldStore = SettingsStore::Beside; // the log said the settings went there

    // User-interface thread only.
    bool searching = false;           // between the search's start and end messages
    bool tellingProblems = false;     // a message box about problems is open
    std::vector<std::wstring> counts; // shown in the status bar after its first part
};

} // namespace OM::Norvatessa
