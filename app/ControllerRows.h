#pragma once

#include "app/ControllerRow.h"
#include "app/ListColumns.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa
{

// The device list's rows in the order shown, and the order they are kept in: by the column the user
// chose, or, until one is chosen, by address. A filter may hide rows: the list control shows the rows it
// keeps, in that order, and learns from each change which of them to redraw. Nothing keeps two rows from
// carrying one address; a lookup by address finds the first of them.
//
// Two kinds of position: a row's place is its index in All(); its shown place is its index among the rows
// the filter keeps, which is the list control's item index.
//
// The selection lives here too, as the user makes it in the list: only rows the filter keeps are
// selected, so that what a command takes from the selected rows (SelectedRows) is always what the user
// sees selected.
//
// It also knows the addresses and the ranges added by address (the settings' knownControllers), which the
// user may forget again. A range from which no controller answered is one row of its own (ControllerRow::
// range), which no lookup by address finds, so that it never stands for a controller at its first
// address. User-interface thread only, like the list it feeds.
class ControllerRows
{
public:
    explicit ControllerRows(TextOrder names = OrdinalOrder, TextFold fold = LatinLowerCase)
        : names(names), fold(fold)
    {
    }

    // Where a changed row was shown, and where it is shown now; nothing where the filter hides it. The
    // shown rows in between moved up or down by one.
    struct Move
    {
        std::optional<std::size_t> from;
        std::optional<std::size_t> to;
    };

    const std::vector<ControllerRow>& All() const noexcept { return rows; }
    std::size_t Count() const noexcept { return rows.size(); }
    // The place of the first controller's row with this address (never a range's).
    std::optional<std::size_t> Find(std::uint32_t address) const;

    // A search's list: the rows in the order given (the search's, by address), or in the chosen column's;
    // none selected.
    void Replace(std::vector<ControllerRow> found);
    void Clear() noexcept;
    // A controller as it answers, or a range's row, at its place in the order. Its shown place; nothing
    // when a controller's address has a row already or the filter hides it.
    std::optional<std::size_t> Insert(ControllerRow row);
    // The name and port read from the controller, also an empty name; nothing when no row has the address.
    // A new name may hide the row or show it.
    std::optional<Move> Update(std::uint32_t address, const std::wstring& name, std::uint16_t port);
    // The controller now answers at another address. Its row goes to the new address's place also when no
    // column is chosen, so that the address order that Insert relies on holds.
    std::optional<Move> MoveAddress(std::uint32_t oldAddress, std::uint32_t newAddress);
    void Remove(std::size_t place);

    // Keeps the rows whose name as the list shows it, or whose address, contains `text` in any case; the
    // spaces around it do not count, and an empty text keeps every row. The rows it hides are no longer
    // selected. Whether each row was shown before, by place, for the list to follow.
    std::vector<bool> SetFilter(std::wstring_view text);
    bool Filtered() const noexcept { return !filter.empty(); }
    bool IsShown(std::size_t place) const { return place < marks.size() && !marks[place].hidden; }
    std::size_t ShownCount() const;
    std::optional<std::size_t> ShownPlace(std::size_t place) const;
    // The place of the row shown at `shown`; Count() for a shown place beyond the last.
    std::size_t PlaceShownAt(std::size_t shown) const;
    // The rows the filter keeps, in their order: what "Сохранить список..." saves.
    std::vector<ControllerRow> ShownRows() const;

    // The user's selection; a row the filter hides is never selected.
    void Select(std::size_t place, bool selected);
    // Every row the filter keeps (Ctrl+A), or none.
    void SelectAll(bool selected);
    bool IsSelected(std::size_t place) const { return place < marks.size() && marks[place].selected; }
    std::size_t SelectedCount() const;
    // The selected rows in their order: what a command for many controllers takes.
    std::vector<ControllerRow> SelectedRows() const;
    // The place of the one selected row; nothing without a selected row or with several.
    std::optional<std::size_t> OnlySelected() const;

    // A click on screen column `column`: sorts by it, the same column again in reverse. The place each
    // row went to, by its place before; empty for a column that is not there.
    std::vector<std::size_t> SortBy(std::size_t column);
    // The screen column the rows are sorted by, if any, and in which direction.
    std::optional<std::size_t> SortColumn() const noexcept { return sortColumn; }
    bool Ascending() const noexcept { return ascending; }

    // The addresses and ranges added by address.
    void Remember(std::uint32_t address) { known.insert(address); }
    void Remember(const AddressRange& range);
    bool IsKnown(std::uint32_t address) const { return known.contains(address); }
    // The rows of the remembered ranges from which no row of `found` answered, each with the reason its
    // probes could not be sent, when `unsent` has one for it.
    struct RangeReason
    {
        AddressRange range;
        std::wstring reason;
    };
    std::vector<ControllerRow> SilentRanges(const std::vector<ControllerRow>& found,
                                            const std::vector<RangeReason>& unsent) const;
    // Forgets the address or range of the row at `place`. Its row goes with it when only the address kept it
    // (the controller did not answer the search), and always for a range; one that the search found stays.
    struct Forgetting
    {
        bool forgotten = false; // the address was known
        bool rowRemoved = false;
    };
    Forgetting Forget(std::size_t place);
    // "Забыть адрес" for every selected row, from the last to the first. Each address forgotten, with the
    // shown place its row was removed from, if it was: the list removes them in this order.
    struct Forgotten
    {
        std::uint32_t address = 0;
        std::optional<std::size_t> removedFrom;
        std::optional<AddressRange> range; // the row was a range's
    };
    std::vector<Forgotten> ForgetSelected();
    bool AnySelectedKnown() const;
    // Whether a selected row is a controller's, not a range's.
    bool AnySelectedController() const;

private:
    // What the list knows of a row beside the row itself, at the same place.
    struct Marks
    {
        bool hidden = false; // by the filter
        bool selected = false;
    };

    // Negative when `first` goes before `second` in the chosen order.
    int Compare(const ControllerRow& first, const ControllerRow& second) const;
    // Where the order puts `row` among the rows.
    std::size_t PlaceFor(const ControllerRow& row) const;
    bool Matches(const ControllerRow& row) const;
    // Looks at the changed row at `place` through the filter again.
    Move Refilter(std::size_t place);
    // Takes the changed row at `from` out and puts it back where the order puts it, then as Refilter.
    Move Reorder(std::size_t from);

    std::vector<ControllerRow> rows;
    std::vector<Marks> marks; // marks[n] is of rows[n]
    TextOrder names;
    TextFold fold;
    std::wstring filter; // folded; empty keeps every row
    std::optional<std::size_t> sortColumn;
    bool ascending = true;
    std::set<std::uint32_t> known;
    std::vector<AddressRange> knownRanges;
};

} // namespace OM::Norvatessa
