#include "app/ControllerRows.h"

#include <algorithm>
#include <numeric>

namespace OM::Norvatessa
{

ControllerRow RowOf(const DiscoveredController& controller)
{
    ControllerRow row;
    row.address = controller.address;
    row.port = controller.port;
    row.name = controller.name;
    row.nameless = controller.name.empty();
    row.conflict = controller.conflict;
    row.answered = controller.answered;
    return row;
}

std::optional<std::size_t> ControllerRows::Find(std::uint32_t address) const
{
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [address](const ControllerRow& row) { return row.address == address; });
    if (found == rows.end())
        return std::nullopt;
    return static_cast<std::size_t>(found - rows.begin());
}

int ControllerRows::Compare(const ControllerRow& first, const ControllerRow& second) const
{
    const ListColumn* column = sortColumn ? ScreenColumns()[*sortColumn] : nullptr;
    int order = column != nullptr ? column->compare(first, second, names) : 0;
    if (order == 0)
        order = CompareAlike(first, second, names);
    return ascending ? order : -order;
}

void ControllerRows::Replace(std::vector<ControllerRow> found)
{
    rows = std::move(found);
    if (sortColumn)
        std::stable_sort(rows.begin(), rows.end(),
                         [this](const ControllerRow& first, const ControllerRow& second) {
                             return Compare(first, second) < 0;
                         });
}

std::optional<std::size_t> ControllerRows::Insert(ControllerRow row)
{
    if (Find(row.address))
        return std::nullopt;
    // The first row that goes after it is where it goes.
    const auto place = std::upper_bound(rows.begin(), rows.end(), row,
                                        [this](const ControllerRow& inserted, const ControllerRow& shown) {
                                            return Compare(inserted, shown) < 0;
                                        });
    const auto at = static_cast<std::size_t>(place - rows.begin());
    rows.insert(place, std::move(row));
    return at;
}

ControllerRows::Move ControllerRows::Reorder(std::size_t from)
{
    ControllerRow row = std::move(rows[from]);
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(from));
    const auto place = std::upper_bound(
        rows.begin(), rows.end(), row,
        [this](const ControllerRow& moved, const ControllerRow& shown) { return Compare(moved, shown) < 0; });
    const auto to = static_cast<std::size_t>(place - rows.begin());
    rows.insert(place, std::move(row));
    return Move{from, to};
}

std::optional<ControllerRows::Move> ControllerRows::Update(std::uint32_t address, const std::wstring& name,
                                                           std::uint16_t port)
{
    const std::optional<std::size_t> place = Find(address);
    if (!place)
        return std::nullopt;
    ControllerRow& row = rows[*place];
    row.name = name;
    row.nameless = false;
    row.port = port;
    // Without a chosen column the rows go by address, which has not changed.
    return sortColumn ? Reorder(*place) : Move{*place, *place};
}

std::optional<ControllerRows::Move> ControllerRows::MoveAddress(std::uint32_t oldAddress,
                                                                std::uint32_t newAddress)
{
    const std::optional<std::size_t> place = Find(oldAddress);
    if (!place)
        return std::nullopt;
    rows[*place].address = newAddress;
    return Reorder(*place);
}

void ControllerRows::Remove(std::size_t place)
{
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(place));
}

std::vector<std::size_t> ControllerRows::SortBy(std::size_t column)
{
    if (column >= ScreenColumns().size())
        return {};
    ascending = column != sortColumn || !ascending;
    sortColumn = column;
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Rows alike in everything keep their places.
    std::stable_sort(order.begin(), order.end(), [this](std::size_t first, std::size_t second) {
        return Compare(rows[first], rows[second]) < 0;
    });
    std::vector<ControllerRow> sorted;
    sorted.reserve(rows.size());
    std::vector<std::size_t> wentTo(rows.size());
    for (std::size_t place = 0; place < order.size(); ++place)
    {
        wentTo[order[place]] = place;
        sorted.push_back(std::move(rows[order[place]]));
    }
    rows = std::move(sorted);
    return wentTo;
}

ControllerRows::Forgetting ControllerRows::Forget(std::size_t place)
{
    Forgetting forgetting;
    if (place >= rows.size() || known.erase(rows[place].address) == 0)
        return forgetting;
    forgetting.forgotten = true;
    if (!rows[place].answered)
    {
        Remove(place);
        forgetting.rowRemoved = true;
    }
    return forgetting;
}

} // namespace OM::Norvatessa
