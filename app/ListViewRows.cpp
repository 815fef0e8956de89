#include "app/ListViewRows.h"

#include "ui/Dpi.h"

#include <commctrl.h>

#include <string>

namespace OM::Norvatessa
{

// Marks the time this class changes the control.
class ListViewRows::Change
{
public:
    explicit Change(ListViewRows& view) noexcept : view(view) { ++view.changing; }
    ~Change() { --view.changing; }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

private:
    ListViewRows& view;
};

namespace
{

UINT SelectionState(bool selected)
{
    return selected ? LVIS_SELECTED : 0;
}

bool SetState(HWND list, WPARAM item, UINT mask, UINT state)
{
    LVITEMW change{};
    change.stateMask = mask;
    change.state = state;
    return ::SendMessageW(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&change)) != 0;
}

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
    const Change change(*this);
    // A large site fills the list in one go: room for every row at once.
    PaintOff();
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(list, LVM_SETITEMCOUNT, rows.ShownCount(), LVSICF_NOINVALIDATEALL);
    std::size_t shown = 0;
    for (std::size_t place = 0; place < rows.Count(); ++place)
    {
        if (!rows.IsShown(place))
            continue;
        InsertItem(shown++, place);
        if (rows.All()[place].range)
            WidenFor(rows.All()[place]);
    }
    PaintOn();
}

void ListViewRows::WidenFor(const ControllerRow& row)
{
    // A cell's text sits within a margin on either side.
    const int margins = Ui::ScaleToDpi(12);
    const std::vector<const ListColumn*>& columns = ScreenColumns();
    for (std::size_t column = 0; column < columns.size(); ++column)
    {
        const std::wstring text = columns[column]->cell(row);
        const int needed = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                           reinterpret_cast<LPARAM>(text.c_str()))) +
                           margins;
        if (needed > ::SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0))
            ::SendMessageW(list, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(needed, 0));
    }
}

void ListViewRows::ShowInserted(std::size_t shown)
{
    const Change change(*this);
    InsertItem(shown, rows.PlaceShownAt(shown));
}

void ListViewRows::InsertItem(std::size_t shown, std::size_t place)
{
    // The first column's text comes with the item, and a new item's other cells are blank already: a
    // large site's list fills with as few messages as it can.
    const ControllerRow& row = rows.All()[place];
    const std::wstring first = ScreenColumns().front()->cell(row);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = static_cast<int>(shown);
    item.pszText = const_cast<wchar_t*>(first.c_str());
    item.iImage = 0;
    item.lParam = static_cast<LPARAM>(row.address);
    item.stateMask = LVIS_SELECTED;
    item.state = SelectionState(rows.IsSelected(place));
    if (::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) >= 0)
        ShowCells(shown, row, 1, false);
}

void ListViewRows::ShowItem(std::size_t shown, std::size_t place)
{
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = static_cast<int>(shown);
    item.lParam = static_cast<LPARAM>(rows.All()[place].address);
    item.stateMask = LVIS_SELECTED;
    item.state = SelectionState(rows.IsSelected(place));
    ::SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ShowCells(shown, rows.All()[place], 0, true);
}

void ListViewRows::ShowCells(std::size_t shown, const ControllerRow& row, std::size_t firstColumn,
                             bool blankToo)
{
    const std::vector<const ListColumn*>& columns = ScreenColumns();
    for (std::size_t column = firstColumn; column < columns.size(); ++column)
    {
        const std::wstring text = columns[column]->cell(row);
        if (text.empty() && !blankToo)
            continue;
        LVITEMW cell{};
        cell.iSubItem = static_cast<int>(column);
        cell.pszText = const_cast<wchar_t*>(text.c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, shown, reinterpret_cast<LPARAM>(&cell));
    }
}

void ListViewRows::ShowMove(const ControllerRows::Move& move)
{
    const Change change(*this);
    if (move.from && move.to && *move.from == *move.to)
        return ShowItem(*move.to, rows.PlaceShownAt(*move.to));
    // The row takes the focus along to its new place; its selection is the rows'.
    const bool focused = move.from && Focused() == move.from;
    if (move.from)
        ShowRemoved(*move.from);
    if (!move.to)
        return;
    ShowInserted(*move.to);
    if (focused)
        SetState(list, *move.to, LVIS_FOCUSED, LVIS_FOCUSED);
}

void ListViewRows::ShowRemoved(std::size_t shown)
{
    const Change change(*this);
    ::SendMessageW(list, LVM_DELETEITEM, shown, 0);
}

void ListViewRows::ShowSorted(std::optional<std::size_t> focus)
{
    const Change change(*this);
    PaintOff();
    std::size_t shown = 0;
    for (std::size_t place = 0; place < rows.Count(); ++place)
    {
        if (rows.IsShown(place))
            ShowItem(shown++, place);
    }
    if (focus)
        Focus(*focus);
    PaintOn();
    ShowSortArrow();
}

void ListViewRows::ShowFiltered(const std::vector<bool>& wasShown)
{
    const Change change(*this);
    PaintOff();
    std::size_t shown = 0;
    for (std::size_t place = 0; place < rows.Count(); ++place)
    {
        const bool was = place < wasShown.size() && wasShown[place];
        const bool now = rows.IsShown(place);
        if (was && !now)
            ::SendMessageW(list, LVM_DELETEITEM, shown, 0);
        else if (!was && now)
            InsertItem(shown++, place);
        else if (now)
            ++shown;
    }
    PaintOn();
}

void ListViewRows::ShowSelection()
{
    const Change change(*this);
    const std::size_t selected = rows.SelectedCount();
    // All or none in one message: Ctrl+A on a large site.
    if (selected == 0 || selected == rows.ShownCount())
    {
        SetState(list, static_cast<WPARAM>(-1), LVIS_SELECTED, SelectionState(selected != 0));
        return;
    }
    std::size_t shown = 0;
    for (std::size_t place = 0; place < rows.Count(); ++place)
    {
        if (rows.IsShown(place))
            SetState(list, shown++, LVIS_SELECTED, SelectionState(rows.IsSelected(place)));
    }
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

bool ListViewRows::Focus(std::size_t shown)
{
    const Change change(*this);
    return SetState(list, shown, LVIS_FOCUSED, LVIS_FOCUSED) &&
           ::SendMessageW(list, LVM_ENSUREVISIBLE, shown, FALSE) != 0;
}

std::optional<std::size_t> ListViewRows::Focused() const
{
    const int item =
        static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (item < 0)
        return std::nullopt;
    return static_cast<std::size_t>(item);
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
