#include "app/ListViewRows.h"

#include "ui/Dpi.h"

#include <commctrl.h>

#include <string>

namespace OM::Norvatessa
{

namespace
{

constexpr UINT SelectedState = LVIS_SELECTED | LVIS_FOCUSED;

} // namespace

void ListViewRows::AddColumns()
{
    // Each column goes in at position 0 and pushes the earlier ones right.
    const std::vector<const ListColumn*>& columns = ScreenColumns();
    for (auto column = columns.rbegin(); column != columns.rend(); ++column)
    {
        LVCOLUMNW description{};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        description.fmt = LVCFMT_LEFT;
        description.cx = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                         reinterpret_cast<LPARAM>((*column)->title))) +
                         15;
        description.pszText = const_cast<wchar_t*>((*column)->title);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&description));
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(Ui::ScaleToDpi((*column)->width), 0));
    }
}

void ListViewRows::ShowAll()
{
    // A large site fills the list in one go: room for every row at once.
    PaintOff();
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(list, LVM_SETITEMCOUNT, rows.Count(), LVSICF_NOINVALIDATEALL);
    for (std::size_t place = 0; place < rows.Count(); ++place)
        ShowInserted(place);
    PaintOn();
}

void ListViewRows::ShowInserted(std::size_t place)
{
    // The first column's text comes with the item, and a new item's other cells are blank already: a
    // large site's list fills with as few messages as it can.
    const ControllerRow& row = rows.All()[place];
    const std::wstring first = ScreenColumns().front()->cell(row);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = static_cast<int>(place);
    item.pszText = const_cast<wchar_t*>(first.c_str());
    item.iImage = 0;
    item.lParam = static_cast<LPARAM>(row.address);
    if (::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0)
        ShowCells(place, 1, false);
}

void ListViewRows::ShowItem(std::size_t place)
{
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(place);
    item.lParam = static_cast<LPARAM>(rows.All()[place].address);
    ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ShowCells(place, 0, true);
}

void ListViewRows::ShowCells(std::size_t place, std::size_t firstColumn, bool blankToo)
{
    const ControllerRow& row = rows.All()[place];
    const std::vector<const ListColumn*>& columns = ScreenColumns();
    for (std::size_t column = firstColumn; column < columns.size(); ++column)
    {
        const std::wstring text = columns[column]->cell(row);
        if (text.empty() && !blankToo)
            continue;
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<wchar_t*>(text.c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, place, reinterpret_cast<LPARAM>(&cell));
    }
}

void ListViewRows::ShowMove(const ControllerRows::Move& move)
{
    if (move.from == move.to)
        return ShowItem(move.to);
    // The row takes its selection along to its new place.
    const bool selected = ::SendMessageW(list, LVM_GETITEMSTATE, move.from, LVIS_SELECTED) & LVIS_SELECTED;
    ShowRemoved(move.from);
    ShowInserted(move.to);
    if (selected)
        SetSelected(move.to, true);
}

void ListViewRows::ShowRemoved(std::size_t place)
{
    ::SendMessageW(list, LVM_DELETEITEM, place, 0);
}

void ListViewRows::ShowSorted(const std::vector<std::size_t>& wentTo)
{
    const std::optional<std::size_t> selected = SelectedPlace();
    PaintOff();
    for (std::size_t place = 0; place < rows.Count(); ++place)
        ShowItem(place);
    if (selected && *selected < wentTo.size())
    {
        SetSelected(*selected, false);
        Select(wentTo[*selected]);
    }
    PaintOn();
    ShowSortArrow();
}

void ListViewRows::ShowSortArrow()
{
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    for (std::size_t column = 0; column < ScreenColumns().size(); ++column)
    {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == rows.SortColumn())
            item.fmt |= rows.Ascending() ? HDF_SORTUP : HDF_SORTDOWN;
        ::SendMessageW(header, HDM_SETITEMW, column, reinterpret_cast<LPARAM>(&item));
    }
}

std::optional<std::size_t> ListViewRows::SelectedPlace() const
{
    const int item =
        static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (item < 0 || static_cast<std::size_t>(item) >= rows.Count())
        return std::nullopt;
    return static_cast<std::size_t>(item);
}

bool ListViewRows::Select(std::size_t place)
{
    return SetSelected(place, true) && ::SendMessageW(list, LVM_ENSUREVISIBLE, place, FALSE) != 0;
}

bool ListViewRows::SetSelected(std::size_t place, bool selected)
{
    LVITEMW state{};
    state.stateMask = SelectedState;
    state.state = selected ? SelectedState : 0;
    return ::SendMessageW(list, LVM_SETITEMSTATE, place, reinterpret_cast<LPARAM>(&state)) != 0;
}

void ListViewRows::PaintOff()
{
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
}

void ListViewRows::PaintOn()
{
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
}

} // namespace OM::Norvatessa
