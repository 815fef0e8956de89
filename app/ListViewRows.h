#pragma once

#include "app/ControllerRows.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace OM::Norvatessa
{

// What a report list view shows of the controller rows: its item n is the row shown at n (the filter
// keeps it), with the screen columns' texts, the row's address as its lParam and the row's selection.
// Each change to the rows is passed on as it was made, so that the control redraws only what changed.
//
// The selection goes both ways: the user changes it in the control, which reports each change, and the
// rows take it over (ControllerRows::Select); a command changes it in the rows, and the control shows it.
// While this class changes the control, what the control reports is its own echo (or, under Wine, the
// deselection of an item it deletes), not the user's: Changing() says so. User-interface thread only.
class ListViewRows
{
public:
    explicit ListViewRows(const ControllerRows& rows) : rows(rows) {}

    void Attach(HWND listView) noexcept { list = listView; }
    // The screen columns, with their titles and widths.
    void AddColumns();

    // Every shown row anew, after the rows were replaced; a column too narrow for a range's row widens.
    void ShowAll();
    void ShowInserted(std::size_t shown);
    void ShowMove(const ControllerRows::Move& move);
    void ShowRemoved(std::size_t shown);
    // After a sort: every row at its new place, the focus on the shown row `focus`, in view, and the
    // header's arrow on the sorted column.
    void ShowSorted(std::optional<std::size_t> focus);
    // After a new filter: the rows it hides go and those it shows come, the others stay as they are.
    // `wasShown` is what ControllerRows::SetFilter returned.
    void ShowFiltered(const std::vector<bool>& wasShown);
    // The selection as the rows hold it, after a command changed it there.
    void ShowSelection();

    // Gives the shown row the focus and scrolls it into view; false when either failed.
    bool Focus(std::size_t shown);
    // The shown row with the focus, if there is one.
    std::optional<std::size_t> Focused() const;

    // True while this class changes the control.
    bool Changing() const noexcept { return changing > 0; }

    // Around many changes: painting row by row would take seconds for a burst of answers.
    void PaintOff();
    void PaintOn();

private:
    class Change;

    // The row at `place`, a new item at `shown`.
    void InsertItem(std::size_t shown, std::size_t place);
    // The row's lParam, selection and every cell, as after a change of the row.
    void ShowItem(std::size_t shown, std::size_t place);
    // The cells from `firstColumn` on; blank ones only when asked, since a new item's cells are blank.
    void ShowCells(std::size_t shown, const ControllerRow& row, std::size_t firstColumn, bool blankToo);
    void ShowSortArrow();
    // Widens the columns too narrow for a range's row: its range is longer than any address.
    void WidenFor(const ControllerRow& row);

    const ControllerRows& rows;
    HWND list = nullptr;
    int changing = 0; // Change objects alive
};

} // namespace OM::Norvatessa
