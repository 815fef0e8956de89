// The device list's rows and columns without a window: what each row shows and saves, the order the rows
// keep through searches, live rows, updates and moves, and the filter and the selection that the commands
// take their rows from.
#include "app/ControllerRows.h"
#include "app/ListColumns.h"
#include "common/AddressText.h"
#include "settings/ControllerListFile.h"
#include "xml/Utf16File.h"

#include <gtest/gtest.h>

using namespace OM::Norvatessa;

namespace
{

constexpr std::uint32_t First = 0x7F000002;
constexpr std::uint32_t Second = 0x7F000003;
constexpr std::uint32_t Ninth = 0x7F000009;
constexpr std::uint32_t Tenth = 0x7F00000A;

using Texts = std::vector<std::wstring>;

ControllerRow Found(std::uint32_t address, std::uint16_t port, const std::wstring& name)
{
    ControllerRow row;
    row.address = address;
    row.port = port;
    row.name = name;
    row.nameless = name.empty();
    return row;
}

// The texts of screen column `column`, top to bottom, as the list shows them.
Texts Column(const ControllerRows& rows, std::size_t column)
{
    Texts texts;
    for (const ControllerRow& row : rows.All())
        texts.push_back(ScreenColumns().at(column)->cell(row));
    return texts;
}

std::wstring Cell(const ControllerRows& rows, std::size_t row, std::size_t column)
{
    return ScreenColumns().at(column)->cell(rows.All().at(row));
}

// Upper and lower case together, as the workstation's collation puts them (for the letters used here).
int CaseBlind(std::wstring_view first, std::wstring_view second)
{
    const auto folded = [](std::wstring_view text) {
        std::wstring lower(text);
        for (wchar_t& character : lower)
            character =
                character >= L'А' && character <= L'Я' ? static_cast<wchar_t>(character + 0x20) : character;
        return lower;
    };
    return folded(first).compare(folded(second));
}

// The lower case of the letters used here, as the workstation's case rules give it.
std::wstring Lower(std::wstring_view text)
{
    std::wstring lower = LatinLowerCase(text);
    for (wchar_t& character : lower)
        character =
            character >= L'А' && character <= L'Я' ? static_cast<wchar_t>(character + 0x20) : character;
    return lower;
}

// Each forgotten row as "ADDRESS from PLACE" (its shown place), or "ADDRESS stays"; a range as its text.
Texts Told(const std::vector<ControllerRows::Forgotten>& forgotten)
{
    Texts told;
    for (const ControllerRows::Forgotten& row : forgotten)
        told.push_back((row.range ? RangeText(*row.range) : AddressText(row.address)) +
                       (row.removedFrom ? L" from " + std::to_wstring(*row.removedFrom) : L" stays"));
    return told;
}

Texts Names(const std::vector<ControllerRow>& rows)
{
    Texts names;
    for (const ControllerRow& row : rows)
        names.push_back(row.name);
    return names;
}

} // namespace

TEST(ListColumns, ScreenShowsNamesAddressesPortsAndNotesInTheListsOwnWords)
{
    ASSERT_EQ(ScreenColumns().size(), 4u);
    EXPECT_EQ(std::wstring(ScreenColumns()[0]->title), L"Имя сервера");
    EXPECT_EQ(ScreenColumns()[3]->width, 260);

    ControllerRow silent = Found(First, 80, L"ю");
    silent.answered = false;
    ControllerRow unprobed = silent;
    unprobed.unprobed = L"нет маршрута";
    ControllerRow conflict = Found(Tenth, 80, L"я");
    conflict.conflict = true;
    ControllerRows rows;
    rows.Replace({Found(0xC0A8000A, 8080, L""), silent, unprobed, conflict});
    EXPECT_EQ(Column(rows, 0), (Texts{L"Старая прошивка", L"ю", L"ю", L"я"}));
    EXPECT_EQ(Column(rows, 1), (Texts{L"192.168.0.10", L"127.0.0.2", L"127.0.0.2", L"127.0.0.10"}));
    EXPECT_EQ(Column(rows, 2), (Texts{L"8080", L"80", L"80", L"80"}));
    EXPECT_EQ(Column(rows, 3),
              (Texts{L"", L"Не отвечает", L"Не опрошен: нет маршрута", L"Два контроллера на этом адресе"}));
}

// The placeholder of a nameless controller is the list's word, not a name: the saved list and the copy
// give the empty name, and a controller really named so keeps its name. The saved list's columns are the
// console program's discover's, in its order, and the console program's --from reads them back.
TEST(ListColumns, SavedListAndCopyGiveTheNameAndNeverThePlaceholder)
{
    ControllerRow silent = Found(Tenth, 81, L"Ворота, север");
    silent.answered = false;
    silent.unprobed = L"нет маршрута";
    ControllerRow conflict = Found(First, 80, L"");
    conflict.conflict = true;
    const std::vector<ControllerRow> rows{Found(Second, 8080, L"Склад;1, \"главный\""), conflict, silent,
                                          Found(Ninth, 80, L"Старая прошивка")};

    const std::wstring list = SavedList(rows, L';');
    EXPECT_EQ(list, L"address;port;name;conflict;answered\n"
                    L"127.0.0.3;8080;\"Склад;1, \"\"главный\"\"\";no;yes\n"
                    L"127.0.0.2;80;;yes;yes\n"
                    L"127.0.0.10;81;Ворота, север;no;no\n"
                    L"127.0.0.9;80;Старая прошивка;no;yes\n");
    EXPECT_EQ(CopiedText(conflict), L"\t127.0.0.2\t80");
    EXPECT_EQ(CopiedText(rows[3]), L"Старая прошивка\t127.0.0.9\t80");
    EXPECT_EQ(CopiedText(std::vector{rows[3], conflict}),
              L"Старая прошивка\t127.0.0.9\t80\r\n\t127.0.0.2\t80");
    EXPECT_EQ(WebPageOf(rows[0]), L"http://127.0.0.3:8080/");

    const ControllerSettings::ControllerList read =
        ControllerSettings::ReadControllerList("\xEF\xBB\xBF" + OM::Xml::utf8Text(list), Windows1251());
    EXPECT_EQ(read.badLine, 0u);
    ASSERT_EQ(read.controllers.size(), 4u);
    EXPECT_EQ(read.controllers[2].address, Tenth);
    EXPECT_EQ(read.controllers[2].knownPort, 81);
}

// Without a chosen column the rows stay in address order, which the lookup of a controller added by its
// address relies on: a moved row goes to its new place, and adding it again lists it once.
TEST(ControllerRows, UpdatesAndMovesTouchOnlyTheFirstRowOfAnAddressAndKeepAddressOrder)
{
    ControllerRows rows;
    rows.Replace({Found(First, 80, L"Один"), Found(First, 80, L""), Found(Second, 81, L"Три")});
    EXPECT_EQ(Cell(rows, 1, 0), L"Старая прошивка");

    // As the worker reports after a write: new texts for the row, the empty name as it is.
    ASSERT_TRUE(rows.Update(First, L"", 8080));
    EXPECT_FALSE(rows.Update(0x7F0000FE, L"Чужой", 1));
    EXPECT_EQ(Cell(rows, 0, 0), L"");
    EXPECT_EQ(Cell(rows, 0, 2), L"8080");
    EXPECT_EQ(Cell(rows, 1, 0), L"Старая прошивка");
    EXPECT_EQ(Cell(rows, 1, 2), L"80");
    EXPECT_EQ(Cell(rows, 2, 0), L"Три");

    constexpr std::uint32_t Moved = 0x7F000A0A;
    const std::optional<ControllerRows::Move> move = rows.MoveAddress(First, Moved);
    ASSERT_TRUE(move);
    EXPECT_EQ(move->from, 0u);
    EXPECT_EQ(move->to, 2u);
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.2", L"127.0.0.3", L"127.0.10.10"}));
    EXPECT_EQ(Cell(rows, 0, 0), L"Старая прошивка");
    EXPECT_EQ(rows.All()[2].address, Moved);
    EXPECT_EQ(Cell(rows, 2, 2), L"8080");

    EXPECT_FALSE(rows.Insert(Found(Moved, 8080, L"")));
    EXPECT_EQ(rows.Insert(Found(0x7F000001, 80, L"Нулевой")), 0u);
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.1", L"127.0.0.2", L"127.0.0.3", L"127.0.10.10"}));
}

TEST(ControllerRows, ChosenColumnOrdersRowsThroughLiveRowsUpdatesMovesAndSearches)
{
    ControllerRows rows(CaseBlind);
    rows.Replace({Found(Tenth, 8080, L"в"), Found(First, 443, L"Б"), Found(Ninth, 80, L"а")});

    // Addresses and ports by their numbers, not their texts; the second click reverses. The view moves
    // each row's selection to where the row went.
    EXPECT_EQ(rows.SortBy(1), (std::vector<std::size_t>{2, 0, 1}));
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.2", L"127.0.0.9", L"127.0.0.10"}));
    rows.SortBy(1);
    EXPECT_FALSE(rows.Ascending());
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.10", L"127.0.0.9", L"127.0.0.2"}));
    EXPECT_TRUE(rows.SortBy(4).empty()) << "no such column on screen";
    EXPECT_EQ(rows.SortColumn(), 1u);

    // Each in its place as it comes or moves.
    EXPECT_EQ(rows.Insert(Found(0x7F000005, 80, L"г")), 2u);
    EXPECT_FALSE(rows.Insert(Found(Ninth, 80, L"а")));
    ASSERT_TRUE(rows.MoveAddress(First, 0x7F00000B));
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.11", L"127.0.0.10", L"127.0.0.9", L"127.0.0.5"}));
    rows.SortBy(2);
    EXPECT_EQ(Column(rows, 2), (Texts{L"80", L"80", L"443", L"8080"}));

    // Names in the collation handed in, upper and lower case together.
    rows.SortBy(0);
    EXPECT_EQ(Column(rows, 0), (Texts{L"а", L"Б", L"в", L"г"}));
    const std::optional<ControllerRows::Move> renamed = rows.Update(Ninth, L"д", 80);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->from, 0u);
    EXPECT_EQ(renamed->to, 3u);
    EXPECT_EQ(Column(rows, 0), (Texts{L"Б", L"в", L"г", L"д"}));

    // A new search's list comes in the chosen order.
    rows.Replace({Found(Tenth, 80, L"я"), Found(First, 80, L""), Found(Ninth, 80, L"ю")});
    EXPECT_EQ(Column(rows, 0), (Texts{L"Старая прошивка", L"ю", L"я"}));
    // Rows alike in the column go by address.
    rows.Replace({Found(Tenth, 80, L"Пост"), Found(First, 80, L"пост")});
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.2", L"127.0.0.10"}));
}

// "Забыть адрес": the row of a controller that only its address kept goes, one that answered stays; for
// every selected row, the list told where each removed row was shown.
TEST(ControllerRows, ForgettingAnAddressTakesOnlyARowThatDidNotAnswer)
{
    ControllerRow silent = Found(Second, 80, L"Склад");
    silent.answered = false;
    ControllerRows rows;
    rows.Replace({Found(First, 80, L"Ворота"), silent, Found(Ninth, 80, L"Пост")});
    rows.Remember(First);
    rows.Remember(Second);

    EXPECT_FALSE(rows.Forget(2).forgotten) << "never added by address";
    const ControllerRows::Forgetting answered = rows.Forget(0);
    EXPECT_TRUE(answered.forgotten);
    EXPECT_FALSE(answered.rowRemoved);
    EXPECT_FALSE(rows.IsKnown(First));
    const ControllerRows::Forgetting unanswered = rows.Forget(1);
    EXPECT_TRUE(unanswered.rowRemoved);
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.2", L"127.0.0.9"}));
    EXPECT_FALSE(rows.Forget(0).forgotten) << "forgotten already";

    ControllerRow silentToo = Found(Tenth, 80, L"Пост");
    silentToo.answered = false;
    rows.Replace({Found(First, 80, L"Ворота"), silent, Found(Ninth, 80, L"Пост"), silentToo});
    for (const std::uint32_t address : {First, Second, Tenth})
        rows.Remember(address);
    rows.Select(2, true);
    EXPECT_FALSE(rows.AnySelectedKnown());
    for (const std::size_t place : {0, 1, 3})
        rows.Select(place, true);
    EXPECT_TRUE(rows.AnySelectedKnown());
    EXPECT_EQ(Told(rows.ForgetSelected()),
              (Texts{L"127.0.0.10 from 3", L"127.0.0.3 from 1", L"127.0.0.2 stays"}));
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.2", L"127.0.0.9"}));
    EXPECT_EQ(Names(rows.SelectedRows()), (Texts{L"Ворота", L"Пост"})) << "the rows that stay stay selected";
}

// A remembered range from which nothing answered is one row: the range as text, no port, the reason in
// the note. It sorts at its first address after the controller there, no lookup by address finds it (a
// controller at its first address keeps its own row), and forgetting it takes the range and its row.
TEST(ControllerRows, SilentRangeIsOneRowThatNeverStandsForAController)
{
    const AddressRange answering{First, Tenth, -1};
    const AddressRange silent{Second, Ninth, -1};
    const AddressRange unreachable{0x0A010000 + 1, 0x0A0100FE, 24};
    ControllerRows rows;
    for (const AddressRange& range : {answering, silent, unreachable, silent})
        rows.Remember(range);
    // A controller added by address that did not answer sits at the silent range's first address.
    ControllerRow gate = Found(Second, 8080, L"Ворота");
    ControllerRow unanswered = Found(Ninth, 80, L"");
    gate.answered = unanswered.answered = false;
    const std::vector<ControllerRow> found{gate, unanswered, Found(Tenth, 80, L"Пост")};
    std::vector<ControllerRow> ranges = rows.SilentRanges(found, {{unreachable, L"нет маршрута"}});
    ASSERT_EQ(ranges.size(), 2u) << "one row a range, none where a controller answered";
    rows.Replace(found);
    for (ControllerRow& range : ranges)
        EXPECT_TRUE(rows.Insert(std::move(range)));
    EXPECT_EQ(Column(rows, 1),
              (Texts{L"10.1.0.0/24", L"127.0.0.3", L"127.0.0.3-127.0.0.9", L"127.0.0.9", L"127.0.0.10"}));
    EXPECT_EQ(Column(rows, 2), (Texts{L"", L"8080", L"", L"80", L"80"}));
    EXPECT_EQ(Column(rows, 3), (Texts{L"Не опрошен: нет маршрута", L"Не отвечает",
                                      L"Ни один адрес не ответил", L"Не отвечает", L""}));
    EXPECT_EQ(rows.Find(Second), 1u);
    ASSERT_TRUE(rows.Update(Second, L"Склад", 80));
    EXPECT_EQ(Column(rows, 0)[2], L"") << "the range row is left as it is";
    EXPECT_EQ(CopiedText(rows.All()[2]), L"\t127.0.0.3-127.0.0.9\t");

    rows.Select(0, true);
    rows.Select(2, true);
    EXPECT_TRUE(rows.AnySelectedKnown());
    EXPECT_EQ(Told(rows.ForgetSelected()), (Texts{L"127.0.0.3-127.0.0.9 from 2", L"10.1.0.0/24 from 0"}));
    EXPECT_EQ(Column(rows, 1), (Texts{L"127.0.0.3", L"127.0.0.9", L"127.0.0.10"}));
    EXPECT_EQ(rows.SilentRanges({}, {}).size(), 1u) << "only the range that answered is still remembered";
}

// The filter keeps the rows whose name as the list shows it, or whose address, contains the text in any
// case; the list follows from what each change reports in shown places, and the saved list and Ctrl+A
// take the rows it keeps.
TEST(ControllerRows, FilterKeepsRowsByNameOrAddressInAnyCaseThroughEveryChange)
{
    ControllerRows rows(CaseBlind, Lower);
    rows.Replace({Found(First, 80, L"Склад №1"), Found(Second, 80, L""), Found(0xC0A8000A, 80, L"Ворота")});
    EXPECT_FALSE(rows.Filtered());

    EXPECT_EQ(rows.SetFilter(L" сКЛАД "), (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(rows.Filtered());
    EXPECT_EQ(Names(rows.ShownRows()), (Texts{L"Склад №1"}));
    EXPECT_EQ(rows.SetFilter(L"старая"), (std::vector<bool>{true, false, false}))
        << "the list's word for a nameless controller is what the user sees";
    EXPECT_EQ(rows.ShownCount(), 1u);
    EXPECT_EQ(rows.PlaceShownAt(0), 1u);
    rows.SetFilter(L"0.1");
    EXPECT_EQ(Names(rows.ShownRows()), (Texts{L"Ворота"})) << "192.168.0.10";
    EXPECT_EQ(rows.ShownPlace(2), 0u);
    EXPECT_FALSE(rows.ShownPlace(0));

    // Live rows, new names and new addresses come and go through the filter.
    rows.SetFilter(L"склад");
    EXPECT_FALSE(rows.Insert(Found(0x7F000005, 80, L"Пост"))) << "hidden";
    EXPECT_EQ(rows.Insert(Found(0x7F000004, 80, L"Склад №2")), 1u);
    EXPECT_EQ(rows.Count(), 5u);
    rows.SelectAll(true);
    EXPECT_EQ(Names(rows.SelectedRows()), (Texts{L"Склад №1", L"Склад №2"})) << "Ctrl+A takes the rows shown";
    const std::optional<ControllerRows::Move> renamed = rows.Update(First, L"Пост 2", 80);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->from, 0u);
    EXPECT_FALSE(renamed->to);
    const std::optional<ControllerRows::Move> found = rows.Update(0x7F000005, L"Склад №3", 80);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->from);
    EXPECT_EQ(found->to, 1u);
    EXPECT_EQ(Names(rows.ShownRows()), (Texts{L"Склад №2", L"Склад №3"}));
    EXPECT_EQ(Names(rows.SelectedRows()), (Texts{L"Склад №2"})) << "a hidden row is no longer selected";

    // Sorted by name, a moved row keeps its selection, and the filter still applies.
    rows.SortBy(0);
    EXPECT_EQ(Names(rows.ShownRows()), (Texts{L"Склад №2", L"Склад №3"}));
    const std::optional<ControllerRows::Move> moved = rows.MoveAddress(0x7F000004, 0x7F000064);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->from, 0u);
    EXPECT_EQ(moved->to, 0u);
    EXPECT_EQ(Names(rows.SelectedRows()), (Texts{L"Склад №2"}));

    // Without a filter every row is shown again; what it hid stays unselected.
    rows.SetFilter(L"  ");
    EXPECT_FALSE(rows.Filtered());
    EXPECT_EQ(rows.ShownCount(), 5u);
    EXPECT_EQ(rows.SelectedCount(), 1u);
}

// The selection is of rows, not of places: it follows its rows through a sort, and a command for one
// controller finds the one selected row, none with several; a new search's list starts unselected.
TEST(ControllerRows, SelectionFollowsItsRowsAndOneRowCommandsNeedExactlyOne)
{
    ControllerRows rows(CaseBlind);
    rows.Replace({Found(First, 80, L"в"), Found(Second, 80, L"а"), Found(Ninth, 80, L"б")});
    EXPECT_FALSE(rows.OnlySelected());
    rows.Select(0, true);
    EXPECT_EQ(rows.OnlySelected(), 0u);
    rows.Select(2, true);
    EXPECT_FALSE(rows.OnlySelected());
    EXPECT_EQ(rows.SelectedCount(), 2u);

    EXPECT_EQ(rows.SortBy(0), (std::vector<std::size_t>{2, 0, 1}));
    EXPECT_EQ(Names(rows.SelectedRows()), (Texts{L"б", L"в"}));
    EXPECT_TRUE(rows.IsSelected(1));
    EXPECT_FALSE(rows.IsSelected(0));
    rows.Select(1, false);
    EXPECT_EQ(rows.OnlySelected(), 2u);
    rows.SelectAll(false);
    EXPECT_EQ(rows.SelectedCount(), 0u);

    rows.SelectAll(true);
    rows.Replace({Found(First, 80, L"в")});
    EXPECT_EQ(rows.SelectedCount(), 0u);
}
