// The controller settings sheet, run for real on this thread while a second thread plays the user.
#include "common/Words.h"
#include "res/resource.h"
#include "settings/AppPropSheet.h"
#include "tests/app/WindowTesting.h"
#include "ui/ControlText.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <functional>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using OM::Xml::DeviceProperties;

namespace
{

DeviceProperties ReadRecord()
{
    DeviceProperties record;
    record.name = L"Склад";
    record.ip = 0xC0A8000A;
    record.tcpPort = 80;
    record.mask = 0xFFFFFF00;
    record.gateway = 0xC0A80001;
    record.mac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    record.sensorType = {1, 0, 1, 0, 0, 0, 0, 0};
    record.sensorInverted = {0, 1, 0, 0, 0, 0, 0, 0};
    record.adminName = L"admin";
    record.adminPassword = L"old";
    record.userName = L"user";
    record.userPassword = L"pass";
    record.askPassword = true;
    record.changed = 0xF71;
    return record;
}

// What the user did and saw while the sheet ran.
struct Session
{
    INT_PTR result = 0;
    bool stayedOpen = false; // after a refused OK
    int pageAfterRefusal = -1;
};

class SettingsSheetTest : public ::testing::Test
{
protected:
    // Runs the sheet with `record`; `user` acts on the sheet's window from another thread and returns.
    Session Run(const std::function<void(HWND sheet, Session&)>& user)
    {
        sheet.data = ReadRecord();
        Session session;
        EXPECT_EQ(WhileModal([&] { session.result = sheet.DoModal(nullptr); },
                             [] { return FindDialogTitled(L"Настройки контроллера"); },
                             [&](HWND window) { user(window, session); }),
                  "");
        return session;
    }

    static HWND Page(HWND sheet, int index)
    {
        ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_INDEXTOHWND, static_cast<WPARAM>(index), 0));
    }
    static void Type(HWND page, int id, const wchar_t* text)
    {
        ::SendMessageW(::GetDlgItem(page, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    static void Click(HWND page, int id) { ::SendMessageW(::GetDlgItem(page, id), BM_CLICK, 0, 0); }
    // "10.20._.40": the address control would read the empty part as 0.
    static void LeaveAddressPartEmpty(HWND page, int id)
    {
        const HWND address = ::GetDlgItem(page, id);
        ::SendMessageW(address, IPM_SETADDRESS, 0, MAKEIPADDRESS(10, 20, 30, 40));
        HWND part = ::FindWindowExW(address, nullptr, L"Edit", nullptr);
        while (part != nullptr && OM::Ui::WindowText(part) != L"30")
            part = ::FindWindowExW(address, part, L"Edit", nullptr);
        ASSERT_NE(part, nullptr);
        ::SendMessageW(part, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    }
    // Shows the page with the focus on its first field, where Ctrl+Tab and a Tab would leave the user.
    static HWND Enter(HWND sheet, int index)
    {
        const HWND page = Page(sheet, index);
        ::SendMessageW(sheet, WM_NEXTDLGCTL,
                       reinterpret_cast<WPARAM>(::GetNextDlgTabItem(page, nullptr, FALSE)), TRUE);
        return page;
    }
    static void Ok(HWND sheet) { ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0); }
    // The sheet's loop sees that it has ended only when its next message comes; on a page without a
    // blinking caret none may come.
    static void Cancel(HWND sheet)
    {
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        ::PostMessageW(sheet, WM_NULL, 0, 0);
    }
    // Presses OK expecting a refusal: notes whether the sheet stayed open and on which page, then cancels.
    static void RefusedOk(HWND sheet, Session& session)
    {
        Ok(sheet);
        ::Sleep(300);
        session.stayedOpen = ::IsWindow(sheet) && ::IsWindowVisible(sheet);
        const HWND current = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        session.pageAfterRefusal =
            static_cast<int>(::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(current), 0));
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    }

    CAppPropSheet sheet{IDS_CONTROLLER_SETTINGS, 0, nullptr};
};

} // namespace

TEST_F(SettingsSheetTest, OkWithoutAChangeMarksNothingAndKeepsEveryValue)
{
    const Session session = Run([](HWND window, Session&) { Ok(window); });
    EXPECT_EQ(session.result, IDOK);
    DeviceProperties expected = ReadRecord();
    expected.changed = 0;
    EXPECT_EQ(sheet.data, expected);
}

TEST_F(SettingsSheetTest, EachEditSetsItsMarkAndSensorsSetNone)
{
    const Session session = Run([](HWND window, Session&) {
        const HWND network = Page(window, 0);
        Type(network, IDC_SERVER_NAME, L"Склад №2");
        ::SendDlgItemMessageW(network, IDC_IP_ADDRESS, IPM_SETADDRESS, 0, 0xC0A8000B);
        Type(network, IDC_PORT, L"8080");
        Type(network, IDC_MAC_BYTE6, L"a0");
        const HWND access = Page(window, 1);
        Click(access, IDC_ADMIN_CHANGE_PASSWORD);
        Click(access, IDC_ASK_PASSWORD);
        const HWND sensors = Page(window, 2);
        ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST + 1, CB_SETCURSEL, 1, 0);
        ::SendDlgItemMessageW(sensors, IDC_SENSOR_INVERSION_FIRST, CB_SETCURSEL, 0, 0);
        Click(sensors, IDC_BEEP);
        Ok(window);
    });
    ASSERT_EQ(session.result, IDOK);
    using namespace OM::Xml;
    EXPECT_EQ(sheet.data.changed, PropName | PropIp | PropTcpPort | PropMac | PropAdmin | PropFlags);
    EXPECT_EQ(sheet.data.name, L"Склад №2");
    EXPECT_EQ(sheet.data.tcpPort, 8080);
    EXPECT_EQ(sheet.data.mac[5], 0xA0);
    // "Изменить пароль:" with both fields empty stores the empty password.
    EXPECT_EQ(sheet.data.adminPassword, L"");
    EXPECT_EQ(sheet.data.userPassword, L"pass");
    EXPECT_EQ(sheet.data.sensorType[1], 1);
    EXPECT_EQ(sheet.data.sensorInverted[0], 1);
    EXPECT_TRUE(sheet.data.buzzer);
    EXPECT_FALSE(sheet.data.askPassword);
}

TEST_F(SettingsSheetTest, RefusedValuesKeepTheSheetOnTheirPageAndSayWhy)
{
    struct Case
    {
        int page;
        int field;
        // Typed into the field; for an address, null for 0 and "_" for a part left empty.
        const wchar_t* text;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {0, IDC_PORT, L"70000", Words::PortRange},
        {0, IDC_PORT, L"0", Words::PortRange},
        {0, IDC_MAC_BYTE5, L"g1", Words::MacByte},
        {0, IDC_IP_ADDRESS, nullptr, Words::AddressCutsOff},
        {0, IDC_IP_ADDRESS, L"_", Words::AddressCutsOff},
        {0, IDC_NETMASK, L"_", Words::PartialAddress},
        {0, IDC_GATEWAY, L"_", Words::PartialAddress},
        {0, IDC_SERVER_NAME, L"Hall \"7\"", Words::NameCharacters},
        {0, IDC_SERVER_NAME, L"東京", Words::NotInCodePage},
        {1, IDC_USER_NAME, L"op:1", Words::LoginCharacters},
        {1, IDC_ADMIN_CONFIRM, L"other", Words::PasswordMismatch},
        {1, IDC_ADMIN_PASSWORD, L"a&amp;b", Words::LoginCharacters},
    };
    for (const Case& refused : cases)
    {
        const Session session = Run([&refused](HWND window, Session& seen) {
            const HWND page = Page(window, refused.page);
            if (refused.page == 1)
                Click(page, IDC_ADMIN_CHANGE_PASSWORD);
            if (refused.field == IDC_ADMIN_PASSWORD)
                Type(page, IDC_ADMIN_CONFIRM, refused.text);
            if (refused.text == nullptr)
                ::SendDlgItemMessageW(page, refused.field, IPM_SETADDRESS, 0, 0);
            else if (refused.text == std::wstring(L"_"))
                LeaveAddressPartEmpty(page, refused.field);
            else
                Type(page, refused.field, refused.text);
            // Leave the page, so that a refusal has to bring the user back to it.
            Page(window, 2);
            RefusedOk(window, seen);
        });
        const std::wstring what = refused.text ? refused.text : L"0.0.0.0";
        EXPECT_EQ(session.result, IDCANCEL) << what;
        EXPECT_TRUE(session.stayedOpen) << what;
        EXPECT_EQ(session.pageAfterRefusal, refused.page) << what;
        EXPECT_EQ(sheet.Refusal().Reason(), refused.reason) << what;
    }
}

// The marks compare with the settings as read: a change stored by an OK that a later page refused must
// still be marked on the next OK, or the manager would not follow the controller to its new address.
TEST_F(SettingsSheetTest, ChangesSurviveARefusedOk)
{
    const Session session = Run([](HWND window, Session&) {
        const HWND network = Page(window, 0);
        ::SendDlgItemMessageW(network, IDC_IP_ADDRESS, IPM_SETADDRESS, 0, 0xC0A8000B);
        const HWND access = Page(window, 1);
        Click(access, IDC_USER_CHANGE_PASSWORD);
        Type(access, IDC_USER_PASSWORD, L"new");
        Ok(window);
        ::Sleep(300);
        Type(access, IDC_USER_CONFIRM, L"new");
        Ok(window);
    });
    ASSERT_EQ(session.result, IDOK);
    EXPECT_EQ(sheet.data.changed, OM::Xml::PropIp | OM::Xml::PropUser);
    EXPECT_EQ(sheet.data.ip, 0xC0A8000Bu);
    EXPECT_EQ(sheet.data.userPassword, L"new");
}

// A refusal's balloon says what is wrong now: it goes when the user edits the field, leaves the page or
// closes the sheet, and never stays on top of another page.
TEST_F(SettingsSheetTest, ARefusalsBalloonGoesWithTheRefusal)
{
    struct Case
    {
        int page;
        int field;
        const wchar_t* refused; // or null for an address of 0
        const wchar_t* corrected;
    };
    const Case cases[] = {
        {0, IDC_PORT, L"70000", L"8080"},
        {0, IDC_IP_ADDRESS, nullptr, L"192"},
        {1, IDC_ADMIN_CONFIRM, L"other", L"new"},
    };
    for (const Case& refusal : cases)
    {
        // Whether the balloon showed after each step.
        struct Seen
        {
            bool refused = false;
            bool edited = true;
            bool refusedAgain = false;
            bool pageLeft = true;
            bool closed = true;
        } seen;
        Run([this, &refusal, &seen](HWND window, Session&) {
            const auto shows = [this] {
                const HWND balloon = sheet.Refusal().Balloon();
                return balloon != nullptr && ::IsWindowVisible(balloon) != FALSE;
            };
            const HWND page = Page(window, refusal.page);
            const HWND field = ::GetDlgItem(page, refusal.field);
            const auto refuse = [&] {
                if (refusal.refused == nullptr)
                    ::SendMessageW(field, IPM_SETADDRESS, 0, 0);
                else
                    Type(page, refusal.field, refusal.refused);
                Ok(window);
            };
            if (refusal.page == 1)
            {
                Click(page, IDC_ADMIN_CHANGE_PASSWORD);
                Type(page, IDC_ADMIN_PASSWORD, L"new");
            }
            refuse();
            seen.refused = shows();
            // As the user types: into the address control's first part, which tells its parent.
            const HWND typedInto =
                refusal.refused == nullptr ? ::FindWindowExW(field, nullptr, L"Edit", nullptr) : field;
            ::SendMessageW(typedInto, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(refusal.corrected));
            seen.edited = shows();
            refuse();
            seen.refusedAgain = shows();
            Page(window, 2);
            seen.pageLeft = shows();
            Page(window, refusal.page);
            Ok(window);
            ::SendMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            seen.closed = shows();
        });
        const int what = refusal.field;
        EXPECT_TRUE(seen.refused) << what;
        EXPECT_FALSE(seen.edited) << what;
        EXPECT_TRUE(seen.refusedAgain) << what;
        EXPECT_FALSE(seen.pageLeft) << what;
        EXPECT_FALSE(seen.closed) << what;
    }
}

// A screen reader names each field after the label right before it, and that label's mnemonic leads to
// it; Tab goes through each page as it reads.
TEST_F(SettingsSheetTest, EveryFieldFollowsItsLabelAndTabFollowsTheReadingOrder)
{
    std::wstring faults[3];
    Run([&faults](HWND window, Session&) {
        for (int index = 0; index < 3; ++index)
        {
            const HWND page = Page(window, index);
            // The password fields take part once "Изменить пароль:" is checked.
            if (index == 1)
            {
                Click(page, IDC_ADMIN_CHANGE_PASSWORD);
                Click(page, IDC_USER_CHANGE_PASSWORD);
            }
            faults[index] = KeyboardFaults(page);
        }
        Cancel(window);
    });
    for (int index = 0; index < 3; ++index)
        EXPECT_TRUE(faults[index].empty()) << "page " << index << ":\n" << faults[index];
}

// Through the sheet's own loop, as the keyboard would: Alt with a label's letter moves to its field, with
// a check box's letter ticks it, Tab goes on to the password it opened, and Esc cancels the sheet.
TEST_F(SettingsSheetTest, MnemonicsLeadToTheirFieldsAndEscCancels)
{
    struct Press
    {
        int page;
        wchar_t key; // a mnemonic's letter as its label has it, or '\t' for Tab
        int focused; // afterwards
        bool checks; // and is a check box that is checked now
    };
    const Press presses[] = {
        {0, L'П', IDC_PORT, false},
        {0, L'д', IDC_MAC_BYTE5, false},
        {0, L'Ш', IDC_GATEWAY, false},
        {0, L'И', IDC_SERVER_NAME, false},
        {1, L'а', IDC_ADMIN_CHANGE_PASSWORD, true},
        {1, L'\t', IDC_ADMIN_PASSWORD, false},
        {1, L'П', IDC_ADMIN_CONFIRM, false},
        {1, L'м', IDC_USER_NAME, false},
        {1, L'о', IDC_USER_CHANGE_PASSWORD, true},
        {1, L'\t', IDC_USER_PASSWORD, false},
        {1, L'З', IDC_ASK_PASSWORD, false},
        {2, L'8', IDC_SENSOR_TYPE_8, false},
        {2, L'Г', IDC_BEEP, true},
    };
    std::wstring missed;
    bool escaped = false;
    const Session session = Run([&](HWND window, Session&) {
        int shown = -1;
        HWND page = nullptr;
        for (const Press& press : presses)
        {
            if (press.page != shown)
                page = Enter(window, shown = press.page);
            if (press.key == L'\t')
                PostKeyInDialog(window, VK_TAB);
            else
                PostMnemonicInDialog(window, press.key);
            const HWND expected = ::GetDlgItem(page, press.focused);
            const auto arrived = [&] {
                const HWND focus = FocusIn(window);
                return (focus == expected || ::IsChild(expected, focus)) &&
                       (!press.checks || ::SendMessageW(expected, BM_GETCHECK, 0, 0) == BST_CHECKED);
            };
            if (!Eventually(arrived))
                missed += (press.key == L'\t' ? std::wstring(L"Tab") : L"Alt+" + std::wstring(1, press.key)) +
                          L" on page " + std::to_wstring(press.page) + L" left the focus on " +
                          std::to_wstring(::GetDlgCtrlID(FocusIn(window))) + L", not on " +
                          std::to_wstring(press.focused) + L"\n";
        }
        PostKeyInDialog(window, VK_ESCAPE);
        escaped = Eventually([window] { return ::IsWindowVisible(window) == FALSE; }, 10000);
        if (!escaped)
            Cancel(window);
    });
    EXPECT_TRUE(missed.empty()) << missed;
    EXPECT_TRUE(escaped) << "Esc left the sheet open";
    EXPECT_EQ(session.result, IDCANCEL);
    EXPECT_EQ(sheet.data, ReadRecord());
}

// The sheet for several controllers: what each must have for itself is greyed with the reason, every other
// field starts at "не менять", the sheet's refusals hold, and OK gives exactly the fields that left
// "не менять", also one set back to what it showed at first.
TEST_F(SettingsSheetTest, ForSeveralControllersOnlyTheFieldsThatLeftKeepAreWritten)
{
    CAppPropSheet many{IDS_CHANGE_SELECTED_SHEET, 0, nullptr, true};
    std::string seen;
    const auto look = [&seen](bool held, const char* what) {
        if (!held)
            seen += std::string(what) + "\n";
    };
    INT_PTR result = 0;
    std::wstring refusal;
    EXPECT_EQ(
        WhileModal(
            [&] { result = many.DoModal(nullptr); },
            [] { return FindDialogTitled(L"Изменение выбранных контроллеров"); },
            [&](HWND window) {
                const HWND network = Page(window, 0);
                for (const int id : {IDC_SERVER_NAME, IDC_IP_ADDRESS, IDC_MAC_BYTE5, IDC_MAC_BYTE6,
                                     IDC_NETMASK, IDC_GATEWAY})
                    look(!::IsWindowEnabled(::GetDlgItem(network, id)), "own value or kept address enabled");
                const HWND note = ::GetDlgItem(network, IDC_OWN_VALUES_NOTE);
                look(::IsWindowVisible(note) && OM::Ui::WindowText(note).find(L"MAC") != std::wstring::npos,
                     "no reason for the greyed fields");
                for (int index = 0; index < 3; ++index)
                    look(KeyboardFaults(Page(window, index)).empty(), "keyboard faults on a page");
                look(::IsDlgButtonChecked(network, IDC_GATEWAY_KEEP) == BST_CHECKED &&
                         OM::Ui::ControlText(network, IDC_PORT).empty(),
                     "port or gateway not at keep");
                const HWND access = Page(window, 1);
                look(::IsDlgButtonChecked(access, IDC_ASK_PASSWORD) == BST_INDETERMINATE &&
                         OM::Ui::ControlText(access, IDC_ADMIN_NAME).empty(),
                     "access page not at keep");
                const HWND sensors = Page(window, 2);
                look(::IsDlgButtonChecked(sensors, IDC_BEEP) == BST_INDETERMINATE &&
                         OM::Ui::ControlText(sensors, IDC_SENSOR_INVERSION_FIRST + 7) == L"не менять",
                     "sensors page not at keep");

                // Analog, then back to "не менять"; the buzzer off; the gateway as it showed.
                ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST, CB_SETCURSEL, 2, 0);
                ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST + 1, CB_SETCURSEL, 1, 0);
                ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST + 1, CB_SETCURSEL, 0, 0);
                Click(sensors, IDC_BEEP);
                Click(network, IDC_GATEWAY_KEEP);
                look(::IsWindowEnabled(::GetDlgItem(network, IDC_GATEWAY)), "gateway stays greyed");
                Type(network, IDC_PORT, L"0");
                Ok(window);
                ::Sleep(300);
                refusal = many.Refusal().Reason();
                Type(network, IDC_PORT, L"");
                Ok(window);
            }),
        "");
    EXPECT_TRUE(seen.empty()) << seen;
    EXPECT_EQ(refusal, Words::PortRange);
    ASSERT_EQ(result, IDOK);
    const ControllerSettings::SettingChanges& changes = many.ManyChanges();
    EXPECT_EQ(changes.keys, (std::set<std::wstring, std::less<>>{L"buzzer", L"gateway", L"sensor1"}));
    EXPECT_EQ(changes.values.sensorType[0], 1);
    EXPECT_FALSE(changes.values.buzzer);
    EXPECT_EQ(changes.values.gateway, 0u);
}
