#pragma once

#include "app/ControllerRows.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

namespace OM::Norvatessa
{

// What a report list view shows of the controller rows: item n is All()[n], with the screen columns'
// texts and the row's address as its lParam. Each change to the rows is passed on as it was made, so that
// the control redraws only what changed and keeps its selection on the row it was on. User-interface
// thread only.
class ListViewRows
{
public:
    explicit ListViewRows(const ControllerRows& rows) : rows(rows) {}

    void Attach(HWND listView) noexcept { list = listView; }
    // The screen columns, with their titles and widths.
    void AddColumns();

    // Every row anew, after the rows were replaced.
    void ShowAll();
    void ShowInserted(std::size_t place);
    void ShowMove(const ControllerRows::Move& move);
    void ShowRemoved(std::size_t place);
    // After a sort: every row at its new place, the selection with the row it was on, and the header's
    // arrow on the sorted column.
    void ShowSorted(const std::vector<std::size_t>& wentTo);

    std::optional<std::size_t> SelectedPlace() const;
    // Selects and focuses the row and scrolls it into view; false when either failed.
    bool Select(std::size_t place);

    // Around many changes: painting row by row would take seconds for a burst of answers.
    void PaintOff();
    void PaintOn();

private:
    // The row's lParam and every cell, as after a change of the row.
    void ShowItem(std::size_t place);
    // The cells from `firstColumn` on; blank ones only when asked, since a new item's cells are blank.
    void ShowCells(std::size_t place, std::size_t firstColumn, bool blankToo);
    bool SetSelected(std::size_t place, bool selected);
    void ShowSortArrow();

    const ControllerRows& rows;
    HWND list = nullptr;
};

} // namespace OM::Norvatessa
