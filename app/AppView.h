#pragma once

#include "engine/DeviceEngine.h"
#include "settings/SettingAssignments.h"
#include "helpers/CriticalSection.h"
#include "ui/WindowImpl.h"

#include <windows.h>

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The main window's client area: one row per controller that the last search found, with its name,
// address and port. Opening a row reads the controller, shows its settings sheet and sends the edited
// settings back; rows follow a controller's new settings and address after a write.
//
// Who runs what: the window and everything it shows belong to the user-interface thread. The two Support
// notifications arrive on the worker; they only store what they bring under `lock` and post a message,
// so the worker never waits for the user-interface thread (which may be waiting for the worker to stop).
class CAppView : public Ui::WindowImpl<CAppView>, public Support
{
public:
    static Ui::WindowClassInfo GetWindowClassInfo();

    CAppView() = default;
    ~CAppView() override;

    // User-interface thread.
    HWND Create(HWND frame);
    // Lists the controllers in their order, or in the chosen column's, and selects the first row; true
    // when it is selected and in view.
    bool Fill(const std::vector<DiscoveredController>& controllers);
    void DeleteAll();
    // While a search runs: shows a controller as soon as it answers, in address order or at its place in
    // the chosen column's, unless its row is there already. The end of the search fills the list anew.
    void ShowFound(const std::vector<DiscoveredController>& controllers);
    int RowCount() const;
    // Asks for the selected controller's settings; nothing without a selected row.
    void OpenSelected();
    bool HasSelection() const;
    // Reads a controller by its address; once it answers, it gets its row and every later search probes
    // it (the settings' knownControllers).
    void AddByAddress(std::uint32_t address, std::uint16_t port);
    // A click on a column's header (0 to 3): sorts the rows by it, and the same column again reverses
    // the order. The rows keep it through updates, new rows and new searches.
    void SortBy(int column);
    // The selected row as "name<Tab>address<Tab>port" on the clipboard; false without a selection.
    bool CopySelected();
    // The selected controller's own web page, "http://ADDRESS:PORT/"; empty without a selection.
    std::wstring SelectedWebPage() const;
    void OpenSelectedWebPage();
    // Every row as a search found it, in the order shown.
    std::vector<DiscoveredController> Rows() const;
    // Asks for a file and saves every row in it as CSV; a file that cannot be written is told.
    void SaveList();
    // The rows as CSV in that file; empty when it is written, otherwise why not.
    std::wstring SaveListTo(const std::wstring& path) const;
    // Asks for a file, reads the selected controller and saves its document in the file exactly as it came.
    void SaveSelectedSettings();
    // Asks for a backup file and loads it into the selected controller, as LoadSettingsFrom.
    void LoadSelectedSettings();
    // Checks the file as the console program's restore does, then reads the selected controller and shows
    // its settings sheet with the file's values, for the user to confirm; the file's address and, from
    // another controller's file, its MAC address are not taken. Empty when the file was taken (or the user
    // declined another controller's file), otherwise why it was refused: nothing is read or sent then.
    std::wstring LoadSettingsFrom(const std::wstring& path);
    // While held (a wait dialog runs), a settings sheet that is due waits; the release opens it.
    void HoldSettings(bool hold);

    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Worker thread.
    void OnDeviceAddressChanged(const AddressChange& change) override;
    void OnDeviceProperties(const DevicePropertiesResult& result) override;

    // The tag of "Настройка...": a result with it opens the settings sheet.
    static constexpr std::int32_t OpenSettingsTag = 32782;
    // The tag of "Добавить по адресу...": a result with it adds the controller's row.
    static constexpr std::int32_t AddedTag = 32790;
    // The tags of saving and loading a controller's settings: a result with them writes the file, or opens
    // the sheet with the file's values.
    static constexpr std::int32_t SaveSettingsTag = 32793;
    static constexpr std::int32_t LoadSettingsTag = 32794;

private:
    // A row's new texts after a write, applied on the user-interface thread in arrival order.
    struct RowUpdate
    {
        std::uint32_t address;
        std::wstring name;
        std::uint32_t ip;
        std::uint16_t port;
    };

    // What a row is sorted by, read from its cells as the user sees them, and the address it is found by.
    struct RowKey
    {
        std::wstring name;
        std::uint32_t address;
        std::uint16_t port;
        std::wstring note;
        std::uint32_t rowAddress;
    };
    static int CALLBACK CompareSortedRows(LPARAM first, LPARAM second, LPARAM keys);

    void OnContextMenu(LPARAM position);
    void OnOpenSettings(LPARAM tag);
    void OnSettingsToSave();
    void ShowSettingsSheet(std::int32_t tag);
    void TellFileProblem(const std::wstring& problem, const wchar_t* caption);
    HWND Owner() const;
    void OnAdded();
    void ForgetSelected();
    void OnAddressChanged(std::uint32_t oldAddress, std::uint32_t newAddress);
    void OnUpdateRows();

    int SelectedRow() const;
    int FindRow(std::uint32_t address) const;
    void SetCell(int row, int column, const std::wstring& text);
    std::wstring CellText(int row, int column) const;
    void ShowOneFound(const DiscoveredController& controller);
    // Inserts the controller's row at `position`; its index, or -1.
    int InsertRow(int position, const DiscoveredController& controller);
    std::uint32_t RowAddress(int row) const;
    void AddColumns();
    RowKey KeyOf(int row) const;
    // Negative when `first` goes before `second` in the chosen order.
    int Compare(const RowKey& first, const RowKey& second) const;
    void SortRows();
    void ShowSortArrow();
    void SetRowAddress(int row, std::uint32_t address);

    Helpers::CriticalSection lock; // guards the four fields below
    std::uint32_t currentAddress = 0;
    Xml::DeviceProperties currentProperties;
    std::string currentAnswer; // the document of currentProperties as it arrived
    std::deque<RowUpdate> rowUpdates;

    // User-interface thread only.
    bool settingsHeld = false; // HoldSettings
    std::int32_t dueTag = 0;   // the tag of a result that came while held
    bool sheetOpen = false;
    std::set<std::uint32_t> addedAddresses; // the knownControllers, as this window has seen them
    int sortColumn = -1;                    // none: the rows are in address order
    bool sortAscending = true;
    std::wstring settingsFile;                           // where the next result with SaveSettingsTag goes
    ControllerSettings::SettingChanges settingsFromFile; // what the next result with LoadSettingsTag takes
};

} // namespace OM::Norvatessa
