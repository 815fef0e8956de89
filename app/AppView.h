#pragma once

#include "app/ControllerFiles.h"
#include "app/ControllerRows.h"
#include "app/ListViewRows.h"
#include "engine/DeviceEngine.h"
#include "settings/SettingAssignments.h"
#include "helpers/CriticalSection.h"
#include "ui/WindowImpl.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// The main window's client area: the list control that shows the controller rows (ControllerRows) that
// the filter keeps, each row's lParam its address. Nothing is read back from the control but the changes
// the user makes to the selection, which the rows take over. Opening a row reads the controller, shows its
// settings sheet and sends the edited settings back; rows follow a controller's new settings and address
// after a write, and each controller's outcome of a batch.
//
// Who runs what: the window, the rows and everything shown belong to the user-interface thread. The two
// Support notifications arrive on the worker; they only queue what they bring under `lock` and post a
// message, so the worker never waits for the user-interface thread (which may be waiting for the worker).
class CAppView : public Ui::WindowImpl<CAppView>, public Support
{
public:
    static Ui::WindowClassInfo GetWindowClassInfo();

    CAppView();
    ~CAppView() override;

    // User-interface thread.
    HWND Create(HWND frame);
    // Lists the controllers a search found, in their order or the chosen column's, and selects the first
    // row shown; true when it is selected and in view. Once the search has told which ranges it could not
    // probe whole (`unprobed`), each remembered range from which nothing answered shows as one row.
    bool Fill(const std::vector<DiscoveredController>& controllers,
              const std::optional<std::vector<UnprobedRange>>& unprobed = std::nullopt);
    void DeleteAll();
    // While a search runs: shows a controller as soon as it answers, at its place, unless its row is
    // there already. The end of the search fills the list anew.
    void ShowFound(const std::vector<DiscoveredController>& controllers);
    // A click on a column's header: sorts the rows by it, and the same column again reverses the order.
    // The rows keep it through updates, new rows and new searches.
    void SortBy(int column);

    // Keeps the rows whose name or address contains `text`, in any case (ControllerRows::SetFilter).
    void SetFilter(std::wstring_view text);
    // Selects every row shown (Ctrl+A).
    void SelectAll();
    // The user changed an item's state in the list (LVN_ITEMCHANGED, which goes to the frame).
    void OnItemChanged(const NMLISTVIEW& change);

    const ControllerRows& Rows() const noexcept { return rows; }
    // The selected row when it is the only one and a controller's; null without a selected row, with
    // several, or for a range's row.
    const ControllerRow* Selected() const;
    // That controller's own web page; empty without it.
    std::wstring SelectedWebPage() const;
    ControllerFiles& Files() noexcept { return files; }

    // The row commands that the frame runs. Opening takes the one selected row and does nothing without
    // it; forgetting takes every selected row.
    void OpenSelected();
    void ForgetSelected();
    // Reads a controller by its address; once it answers, it gets its row and every later search probes
    // it (the settings' knownControllers).
    void AddByAddress(std::uint32_t address, std::uint16_t port);
    // A range the user added, which the next search probes (the frame posts it): its row shows when
    // nothing there answers.
    void RememberRange(const AddressRange& range) { rows.Remember(range); }
    // While held (a wait dialog runs), what a read brings waits; the release shows it.
    void HoldSettings(bool hold);

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Worker thread.
    void OnDeviceAddressChanged(const AddressChange& change) override;
    void OnDeviceProperties(const DevicePropertiesResult& result) override;
    void OnBatchOutcome(const BatchOutcome& outcome) override;

private:
    // Queues a result for this thread; `current` when the settings sheet opens with it.
    void Arrive(const DevicePropertiesResult& result, bool current);
    void OnContextMenu(LPARAM position);
    // The shown row at which the keyboard opens the context menu: the focused one when it is selected,
    // otherwise the first selected one.
    std::size_t KeyboardMenuRow() const;
    void OnSettingsRead();
    void OnResult(const DevicePropertiesResult& result);
    void OnAdded(const DevicePropertiesResult& read);
    void ShowSettingsSheet(const std::optional<ControllerSettings::SettingChanges>& fromFile);
    void OnAddressChanged(std::uint32_t oldAddress, std::uint32_t newAddress);
    void Read(std::uint32_t address, std::int32_t tag);
    HWND Owner() const;
    // Selects the row at `place` alone, gives it the focus and scrolls it into view; false when it is not
    // shown or the list could not.
    bool SelectOnly(std::size_t place);

    Helpers::CriticalSection lock; // guards the fields below
    // The settings last heard from any controller, which the settings sheet opens with: also a broadcast
    // after a write that came between a read and its sheet.
    std::uint32_t currentAddress = 0;
    Xml::DeviceProperties currentProperties;
    std::deque<DevicePropertiesResult> arrived; // not yet handled

    // User-interface thread only.
    ControllerRows rows;
    ListViewRows shown{rows}; // this window, as it shows `rows`
    ControllerFiles files;
    bool settingsHeld = false;                    // HoldSettings
    std::deque<DevicePropertiesResult> heldReads; // came while held
    bool sheetOpen = false;
};

} // namespace OM::Norvatessa
