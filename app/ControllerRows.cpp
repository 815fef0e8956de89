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

namespace
{

std::wstring_view Trimmed(std::wstring_view text)
{
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

} // namespace

std::optional<std::size_t> ControllerRows::Find(std::uint32_t address) const
{
    const auto found = std::find_if(rows.begin(), rows.end(), [address](const ControllerRow& row) {
        return row.address == address && !row.range;
    });
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

std::size_t ControllerRows::PlaceFor(const ControllerRow& row) const
{
    // The first row that goes after it is where it goes.
    const auto place = std::upper_bound(rows.begin(), rows.end(), row,
                                        [this](const ControllerRow& placed, const ControllerRow& shown) {
                                            return Compare(placed, shown) < 0;
                                        });
    return static_cast<std::size_t>(place - rows.begin());
}

bool ControllerRows::Matches(const ControllerRow& row) const
{
    if (filter.empty())
        return true;
    for (const std::wstring& text : FilteredTexts(row))
    {
        if (fold(text).find(filter) != std::wstring::npos)
            return true;
    }
    return false;
}

void ControllerRows::Replace(std::vector<ControllerRow> found)
{
    rows = std::move(found);
    if (sortColumn)
        std::stable_sort(rows.begin(), rows.end(),
                         [this](const ControllerRow& first, const ControllerRow& second) {
                             return Compare(first, second) < 0;
                         });
    marks.assign(rows.size(), Marks{});
    for (std::size_t place = 0; place < rows.size(); ++place)
        marks[place].hidden = !Matches(rows[place]);
}

void ControllerRows::Clear() noexcept
{
    rows.clear();
    marks.clear();
}

std::optional<std::size_t> ControllerRows::Insert(ControllerRow row)
{
    if (!row.range && Find(row.address))
        return std::nullopt;
    const std::size_t place = PlaceFor(row);
    const bool hidden = !Matches(row);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(place), std::move(row));
    marks.insert(marks.begin() + static_cast<std::ptrdiff_t>(place), Marks{hidden, false});
    return ShownPlace(place);
}

ControllerRows::Move ControllerRows::Refilter(std::size_t place)
{
    Move move{ShownPlace(place), std::nullopt};
    Marks& mark = marks[place];
    mark.hidden = !Matches(rows[place]);
    mark.selected = mark.selected && !mark.hidden;
    move.to = ShownPlace(place);
    return move;
}

ControllerRows::Move ControllerRows::Reorder(std::size_t from)
{
    const std::optional<std::size_t> shownFrom = ShownPlace(from);
    ControllerRow row = std::move(rows[from]);
    const Marks mark = marks[from];
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(from));
    marks.erase(marks.begin() + static_cast<std::ptrdiff_t>(from));
    const std::size_t to = PlaceFor(row);
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(to), std::move(row));
    marks.insert(marks.begin() + static_cast<std::ptrdiff_t>(to), mark);
    return Move{shownFrom, Refilter(to).to};
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
    return sortColumn ? Reorder(*place) : Refilter(*place);
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
    marks.erase(marks.begin() + static_cast<std::ptrdiff_t>(place));
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
    std::vector<Marks> sortedMarks;
    sorted.reserve(rows.size());
    sortedMarks.reserve(rows.size());
    std::vector<std::size_t> wentTo(rows.size());
    for (std::size_t place = 0; place < order.size(); ++place)
    {
        wentTo[order[place]] = place;
        sorted.push_back(std::move(rows[order[place]]));
        sortedMarks.push_back(marks[order[place]]);
    }
    rows = std::move(sorted);
    marks = std::move(sortedMarks);
    return wentTo;
}

std::vector<bool> ControllerRows::SetFilter(std::wstring_view text)
{
    std::vector<bool> wasShown(rows.size());
    for (std::size_t place = 0; place < rows.size(); ++place)
        wasShown[place] = !marks[place].hidden;
    filter = fold(Trimmed(text));
    for (std::size_t place = 0; place < rows.size(); ++place)
    {
        Marks& mark = marks[place];
        mark.hidden = !Matches(rows[place]);
        mark.selected = mark.selected && !mark.hidden;
    }
    return wasShown;
}

std::size_t ControllerRows::ShownCount() const
{
    return static_cast<std::size_t>(
        std::count_if(marks.begin(), marks.end(), [](const Marks& mark) { return !mark.hidden; }));
}

std::optional<std::size_t> ControllerRows::ShownPlace(std::size_t place) const
{
    if (place >= marks.size() || marks[place].hidden)
        return std::nullopt;
    return static_cast<std::size_t>(std::count_if(marks.begin(),
                                                  marks.begin() + static_cast<std::ptrdiff_t>(place),
                                                  [](const Marks& mark) { return !mark.hidden; }));
}

std::size_t ControllerRows::PlaceShownAt(std::size_t shown) const
{
    for (std::size_t place = 0; place < marks.size(); ++place)
    {
        if (!marks[place].hidden && shown-- == 0)
            return place;
    }
    return marks.size();
}

std::vector<ControllerRow> ControllerRows::ShownRows() const
{
    std::vector<ControllerRow> shown;
    for (std::size_t place = 0; place < rows.size(); ++place)
    {
        if (!marks[place].hidden)
            shown.push_back(rows[place]);
    }
    return shown;
}

void ControllerRows::Select(std::size_t place, bool selected)
{
    if (place < marks.size())
        marks[place].selected = selected && !marks[place].hidden;
}

void ControllerRows::SelectAll(bool selected)
{
    for (Marks& mark : marks)
        mark.selected = selected && !mark.hidden;
}

std::size_t ControllerRows::SelectedCount() const
{
    return static_cast<std::size_t>(
        std::count_if(marks.begin(), marks.end(), [](const Marks& mark) { return mark.selected; }));
}

std::vector<ControllerRow> ControllerRows::SelectedRows() const
{
    std::vector<ControllerRow> selected;
    for (std::size_t place = 0; place < rows.size(); ++place)
    {
        if (marks[place].selected)
            selected.push_back(rows[place]);
    }
    return selected;
}

std::optional<std::size_t> ControllerRows::OnlySelected() const
{
    std::optional<std::size_t> only;
    for (std::size_t place = 0; place < marks.size(); ++place)
    {
        if (!marks[place].selected)
            continue;
        if (only)
            return std::nullopt;
        only = place;
    }
    return only;
}

void ControllerRows::Remember(const AddressRange& range)
{
    if (std::find(knownRanges.begin(), knownRanges.end(), range) == knownRanges.end())
        knownRanges.push_back(range);
}

std::vector<ControllerRow> ControllerRows::SilentRanges(const std::vector<ControllerRow>& found,
                                                        const std::vector<RangeReason>& unsent) const
{
    std::vector<ControllerRow> silent;
    for (const AddressRange& range : knownRanges)
    {
        if (std::any_of(found.begin(), found.end(), [&range](const ControllerRow& row) {
                return row.answered && !row.range && range.Contains(row.address);
            }))
            continue;
        ControllerRow row;
        row.address = range.first;
        row.answered = false;
        row.range = range;
        const auto reason = std::find_if(unsent.begin(), unsent.end(),
                                         [&range](const RangeReason& told) { return told.range == range; });
        if (reason != unsent.end())
            row.unprobed = reason->reason;
        silent.push_back(std::move(row));
    }
    return silent;
}

ControllerRows::Forgetting ControllerRows::Forget(std::size_t place)
{
    Forgetting forgetting;
    if (place >= rows.size())
        return forgetting;
    const ControllerRow& row = rows[place];
    const bool wasKnown = row.range ? std::erase(knownRanges, *row.range) > 0 : known.erase(row.address) > 0;
    if (!wasKnown)
        return forgetting;
    forgetting.forgotten = true;
    if (!row.answered)
    {
        Remove(place);
        forgetting.rowRemoved = true;
    }
    return forgetting;
}

std::vector<ControllerRows::Forgotten> ControllerRows::ForgetSelected()
{
    std::vector<Forgotten> forgotten;
    // From the last: a removed row moves none of those still to come.
    for (std::size_t place = rows.size(); place-- > 0;)
    {
        if (!marks[place].selected)
            continue;
        const Forgotten row{rows[place].address, ShownPlace(place), rows[place].range};
        const Forgetting forgetting = Forget(place);
        if (forgetting.forgotten)
            forgotten.push_back(forgetting.rowRemoved ? row
                                                      : Forgotten{row.address, std::nullopt, row.range});
    }
    return forgotten;
}

bool ControllerRows::AnySelectedKnown() const
{
    for (std::size_t place = 0; place < rows.size(); ++place)
    {
        const ControllerRow& row = rows[place];
        if (marks[place].selected &&
            (row.range ? std::find(knownRanges.begin(), knownRanges.end(), *row.range) != knownRanges.end()
                       : known.contains(row.address)))
            return true;
    }
    return false;
}

bool ControllerRows::AnySelectedController() const
{
    for (std::size_t place = 0; place < rows.size(); ++place)
    {
        if (marks[place].selected && !rows[place].range)
            return true;
    }
    return false;
}

} // namespace OM::Norvatessa
