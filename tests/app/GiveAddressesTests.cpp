// "Назначить адреса..." on the test topology: segment b drops ICMP echoes (tools/testenv/topology.sh), so
// only the controllers' own probe answers tell a taken address there.
#include "common/Words.h"
#include "res/resource.h"
#include "tests/app/FrameTest.h"
#include "ui/ControlText.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <string>
#include <thread>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

constexpr std::uint32_t SegmentB = 0xC6120200; // 198.18.2.0

std::string SegmentBAddress(int host)
{
    return "198.18.2." + std::to_string(host);
}

// The text of the refusal's balloon that the dialog shows at `field`; empty without one.
std::wstring BalloonText(HWND dialog, HWND field)
{
    struct Search
    {
        HWND dialog;
        HWND tip = nullptr;
    } search{dialog};
    ::EnumThreadWindows(
        ::GetWindowThreadProcessId(dialog, nullptr),
        [](HWND window, LPARAM parameter) {
            auto& found = *reinterpret_cast<Search*>(parameter);
            wchar_t className[64] = {};
            ::GetClassNameW(window, className, 64);
            if (std::wstring(className) == TOOLTIPS_CLASSW && ::GetWindow(window, GW_OWNER) == found.dialog &&
                ::IsWindowVisible(window))
                found.tip = window;
            return found.tip == nullptr ? TRUE : FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.tip == nullptr)
        return L"";
    wchar_t text[512] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = text;
    ::SendMessageW(search.tip, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return text;
}

class GiveAddressesTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ASSERT_EQ(segment.Connect(SegmentBSimulator), "");
        ASSERT_EQ(segment.Command("reset"), "ok");
        ASSERT_THAT(segment.Command("add count=5 name=Unit%20{n}"), HasSubstr("ok 5"));
        Settings().searchTimeout = 1500;
    }

    void TearDown() override
    {
        FrameTest::TearDown();
        segment.Command("reset");
    }

    SimulatorClient segment;
};

} // namespace

// Five controllers get consecutive addresses in list order, with a mask and a gateway for all: the address
// of a controller that the list does not hold is skipped for its probe answer, each controller is moved and
// read back, the simulator has them at their new addresses and the list follows them there.
TEST_F(GiveAddressesTest, FiveControllersGetConsecutiveAddressesAndTheListFollowsThem)
{
    Open();
    ASSERT_TRUE(WaitForList(5));
    ASSERT_THAT(segment.Command("add name=Late"), HasSubstr("ok 1 198.18.2.21"));
    Command(ID_SELECT_ALL);

    std::wstring refusal;
    std::wstring skipped;
    std::wstring lastNew;
    std::thread user([&] {
        const HWND dialog = WaitForDialogTitled(L"Назначить адреса");
        if (dialog == nullptr)
            return;
        // No first address is 0.0.0.0, which would cut the controller off: refused as the settings sheet
        // does.
        ::SendDlgItemMessageW(dialog, IDC_GIVE_START, IPM_CLEARADDRESS, 0, 0);
        ::SendMessageW(dialog, WM_COMMAND, IDC_GIVE_CHECK, 0);
        refusal = BalloonText(dialog, ::GetDlgItem(dialog, IDC_GIVE_START));
        ::SendDlgItemMessageW(dialog, IDC_GIVE_START, IPM_SETADDRESS, 0, static_cast<LPARAM>(SegmentB + 21));
        ::SendDlgItemMessageW(dialog, IDC_GIVE_MASK, IPM_SETADDRESS, 0, static_cast<LPARAM>(0xFFFFFE00));
        ::SendDlgItemMessageW(dialog, IDC_GIVE_GATEWAY, IPM_SETADDRESS, 0,
                              static_cast<LPARAM>(SegmentB + 254));
        ::SendMessageW(dialog, WM_COMMAND, IDC_GIVE_CHECK, 0);
        const HWND preview = ::GetDlgItem(dialog, IDC_GIVE_PREVIEW);
        Eventually([&] { return !CellText(preview, 4, 2).empty(); }, 8000);
        lastNew = CellText(preview, 4, 2);
        skipped = OM::Ui::ControlText(dialog, IDC_GIVE_SKIPPED);
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_GIVE_ADDRESSES);
    user.join();
    EXPECT_EQ(refusal, Words::AddressCutsOff);
    EXPECT_EQ(lastNew, L"198.18.2.26");
    EXPECT_EQ(skipped, L"Пропущены: 198.18.2.21 (ответил контроллер).");

    // Each controller at its new address, and nobody left at the old ones. The lanes move them in any
    // order, and the list keeps its rows in address order meanwhile.
    EXPECT_TRUE(Until([&] { return CellText(List(), 0, 1) == L"198.18.2.22"; }, 30000))
        << CellText(List(), 0, 1);
    for (int unit = 1; unit <= 5; ++unit)
    {
        const std::string shown = segment.Command("show " + SegmentBAddress(21 + unit));
        EXPECT_THAT(shown, HasSubstr("name=Unit%20" + std::to_string(unit)));
        EXPECT_THAT(shown, HasSubstr("gate=198.18.2.254 "));
        EXPECT_THAT(shown, HasSubstr("mask=255.255.254.0 "));
        EXPECT_THAT(segment.Command("show " + SegmentBAddress(15 + unit)), HasSubstr("error"));
        EXPECT_EQ(CellText(List(), unit - 1, 0), L"Unit " + std::to_wstring(unit));
        EXPECT_EQ(CellText(List(), unit - 1, 1), L"198.18.2." + std::to_wstring(21 + unit));
    }
}
