// The main window on the test topology (tools/testenv/topology): ranges of addresses added through
// "Добавить по адресу...", probed by the search that follows and by every later one. The controllers
// behind the router answer no broadcast; a range reaches them.
#include "engine/ProgramSettings.h"
#include "res/resource.h"
#include "tests/app/FrameTest.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <thread>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

constexpr std::uint32_t Routed = 0xC6120410; // 198.18.4.16, the first controller behind the router

class SiteRangeTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ASSERT_EQ(routed.Connect(RoutedSimulator), "");
        ASSERT_EQ(routed.Command("reset"), "ok");
        ASSERT_THAT(routed.Command("add count=2 name=Routed%20{n}"), HasSubstr("ok 2"));
        Settings().searchTimeout = 1500;
    }

    void TearDown() override
    {
        FrameTest::TearDown();
        Settings().knownRanges.clear();
        routed.Command("reset");
    }

    // "Добавить по адресу..." with the range from `first` to `last`, confirmed.
    void AddRange(std::uint32_t first, std::uint32_t last)
    {
        std::thread user([&] {
            const HWND dialog = WaitForDialogTitled(L"Добавить по адресу");
            if (dialog == nullptr)
                return;
            ::SendDlgItemMessageW(dialog, IDC_ADD_ADDRESS, IPM_SETADDRESS, 0, static_cast<LPARAM>(first));
            ::SendDlgItemMessageW(dialog, IDC_ADD_RANGE_END, IPM_SETADDRESS, 0, static_cast<LPARAM>(last));
            ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        Command(ID_ADD_CONTROLLER);
        user.join();
        Command(ID_REFRESH); // the log's "Готово" is the next search's
    }

    // The shown row whose address cell is `address`; -1 without one.
    int RowWithAddress(const std::wstring& address)
    {
        for (int row = 0; row < RowCount(List()); ++row)
        {
            if (CellText(List(), row, 1) == address)
                return row;
        }
        return -1;
    }

    SimulatorClient routed;
};

} // namespace

// A range's controllers become rows; a range from which nothing answered, and one to which no probe could
// be sent, is one row each that says why, and forgetting that row forgets the range.
TEST_F(SiteRangeTest, RangeAddsTheControllersThatAnswerAndASilentRangeShowsOneRow)
{
    Open();
    ASSERT_TRUE(WaitForList(0));

    AddRange(Routed - 15, Routed + 24);
    ASSERT_TRUE(WaitForList(2)) << RowCount(List());
    EXPECT_EQ(CellText(List(), 0, 0), L"Routed 1");
    EXPECT_EQ(CellText(List(), 1, 1), L"198.18.4.17");
    EXPECT_EQ(Settings().knownRanges, (std::vector<AddressRange>{{Routed - 15, Routed + 24, -1}}));

    // Nothing lives at .100 to .120; 192.0.2.0/28 has no route from the workstation.
    AddRange(Routed + 84, Routed + 104);
    ASSERT_TRUE(WaitForList(3)) << RowCount(List());
    AddRange(0xC0000201, 0xC000020E);
    ASSERT_TRUE(WaitForList(4)) << RowCount(List());
    const int silent = RowWithAddress(L"198.18.4.100-198.18.4.120");
    ASSERT_GE(silent, 0);
    EXPECT_EQ(CellText(List(), silent, 2), L"");
    EXPECT_EQ(CellText(List(), silent, 3), L"Ни один адрес не ответил");
    // Its column widens to show the range whole.
    const std::wstring shownRange = CellText(List(), silent, 1);
    EXPECT_GT(::SendMessageW(List(), LVM_GETCOLUMNWIDTH, 1, 0),
              ::SendMessageW(List(), LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(shownRange.c_str())));
    const int unreachable = RowWithAddress(L"192.0.2.1-192.0.2.14");
    ASSERT_GE(unreachable, 0);
    EXPECT_EQ(CellText(List(), unreachable, 3), L"Не опрошен: нет маршрута");
    EXPECT_EQ(Settings().knownRanges.size(), 3u);

    // A range's row is no controller: the commands for one controller, and those for many, are off on it.
    ClickRow(silent);
    EXPECT_FALSE(MenuItemEnabled(0, ID_CONTROLLER_SETTINGS));
    EXPECT_FALSE(MenuItemEnabled(0, ID_GIVE_ADDRESSES));
    EXPECT_FALSE(MenuItemEnabled(0, ID_BACKUP_SELECTED));
    Command(ID_FORGET_CONTROLLER);
    EXPECT_TRUE(Until([&] { return RowCount(List()) == 3 && Settings().knownRanges.size() == 2; }, 5000));
    EXPECT_EQ(RowWithAddress(L"198.18.4.100-198.18.4.120"), -1);

    // Every later search probes the ranges that stay.
    NewSearch();
    ASSERT_TRUE(WaitForList(3));
    EXPECT_EQ(CellText(List(), 0, 1), L"192.0.2.1-192.0.2.14");
    EXPECT_EQ(CellText(List(), 2, 0), L"Routed 2");
}
