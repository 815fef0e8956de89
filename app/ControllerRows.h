#pragma once

#include "app/ControllerRow.h"
#include "app/ListColumns.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The device list's rows in the order shown, and the order they are kept in: by the column the user
// chose, or, until one is chosen, by address. The list control shows them row for row (its row n is
// All()[n]) and learns from each change which rows to redraw. Nothing keeps two rows from carrying one
// address; a lookup by address finds the first of them.
//
// It also knows the addresses added by address (the settings' knownControllers), which the user may
// forget again. User-interface thread only, like the list it feeds.
class ControllerRows
{
public:
    explicit ControllerRows(TextOrder names = OrdinalOrder) : names(names) {}

    // Where a changed row was, and where it is now; the rows in between moved up or down by one.
    struct Move
    {
        std::size_t from = 0;
        std::size_t to = 0;
    };

    const std::vector<ControllerRow>& All() const noexcept { return rows; }
    std::size_t Count() const noexcept { return rows.size(); }
    // The place of the first row with this address.
    std::optional<std::size_t> Find(std::uint32_t address) const;

    // A search's list: the rows in the order given (the search's, by address), or in the chosen column's.
    void Replace(std::vector<ControllerRow> found);
    void Clear() noexcept { rows.clear(); }
    // A controller as it answers, at its place in the order; nothing when its address has a row already.
    std::optional<std::size_t> Insert(ControllerRow row);
    // The name and port read from the controller, also an empty name; nothing when no row has the address.
    std::optional<Move> Update(std::uint32_t address, const std::wstring& name, std::uint16_t port);
    // The controller now answers at another address. Its row goes to the new address's place also when no
    // column is chosen, so that the address order that Insert relies on holds.
    std::optional<Move> MoveAddress(std::uint32_t oldAddress, std::uint32_t newAddress);
    void Remove(std::size_t place);

    // A click on screen column `column`: sorts by it, the same column again in reverse. The place each
    // row went to, by its place before; empty for a column that is not there.
    std::vector<std::size_t> SortBy(std::size_t column);
    // The screen column the rows are sorted by, if any, and in which direction.
    std::optional<std::size_t> SortColumn() const noexcept { return sortColumn; }
    bool Ascending() const noexcept { return ascending; }

    // The addresses added by address.
    void Remember(std::uint32_t address) { known.insert(address); }
    bool IsKnown(std::uint32_t address) const { return known.contains(address); }
    // Forgets the address of the row at `place`. Its row goes with it when only the address kept it (the
    // controller did not answer the search); one that the search found stays.
    struct Forgetting
    {
        bool forgotten = false; // the address was known
        bool rowRemoved = false;
    };
    Forgetting Forget(std::size_t place);

private:
    // Negative when `first` goes before `second` in the chosen order.
    int Compare(const ControllerRow& first, const ControllerRow& second) const;
    // Takes the row at `from` out and puts it back where the order puts it.
    Move Reorder(std::size_t from);

    std::vector<ControllerRow> rows;
    TextOrder names;
    std::optional<std::size_t> sortColumn;
    bool ascending = true;
    std::set<std::uint32_t> known;
};

} // namespace OM::Norvatessa
