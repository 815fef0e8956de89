// The main window, its commands and its list in this process, against a simulated site.
#include "tests/app/FrameTest.h"

#include "res/resource.h"
#include "engine/ProgramSettings.h"
#include "ui/ControlText.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;

namespace
{

class MainFrameTest : public FrameTest
{
};

int Count(const std::wstring& text, const std::wstring& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// The popup menu that this process shows next, looked for from another thread; null when none shows.
HWND NextPopupMenu()
{
    for (int tries = 0; tries < 200; ++tries)
    {
        const HWND found = ::FindWindowW(L"#32768", nullptr);
        if (found != nullptr && ::IsWindowVisible(found))
            return found;
        ::Sleep(25);
    }
    return nullptr;
}

// The top-left corner of the popup menu that this process shows next, read from another thread, which then
// closes it with Esc as the user would.
POINT MenuCorner()
{
    const HWND menu = NextPopupMenu();
    RECT box{-1000, -1000, 0, 0};
    if (menu != nullptr)
    {
        ::GetWindowRect(menu, &box);
        ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return POINT{box.left, box.top};
}

// Chooses the last item of the popup menu that this process shows next, from another thread, with the
// keys the user would press.
void ChooseLastMenuItem()
{
    const HWND menu = NextPopupMenu();
    ::PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

void PutOnClipboard(const std::wstring& text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
    ::GlobalUnlock(memory);
    ::OpenClipboard(nullptr);
    ::EmptyClipboard();
    ::SetClipboardData(CF_UNICODETEXT, memory);
    ::CloseClipboard();
}

} // namespace

TEST_F(MainFrameTest, CommandsAreOffDuringASearchAndFollowTheListAfterIt)
{
    Add("count=2");
    Settings().searchTimeout = 1500;
    Open();
    // Each controller shows as its first reply arrives, long before the search ends; the list stays off.
    ASSERT_TRUE(Until([&] { return Status() == L"Поиск контроллеров... найдено 2"; }));
    EXPECT_EQ(RowCount(List()), 2);
    EXPECT_EQ(CellText(List(), 1, 1), L"127.0.0.3");
    EXPECT_FALSE(::IsWindowEnabled(List()));
    EXPECT_FALSE(ToolBarButtonEnabled(ID_NEW_SEARCH));
    EXPECT_FALSE(ToolBarButtonEnabled(ID_CONTROLLER_SETTINGS));
    EXPECT_FALSE(MenuItemEnabled(0, ID_NEW_SEARCH));
    EXPECT_FALSE(MenuItemEnabled(0, ID_CONTROLLER_SETTINGS));
    EXPECT_FALSE(MenuItemEnabled(0, ID_COPY));
    EXPECT_FALSE(MenuItemEnabled(0, ID_OPEN_WEB_PAGE));
    EXPECT_FALSE(MenuItemEnabled(0, ID_SAVE_SETTINGS));
    EXPECT_FALSE(MenuItemEnabled(0, ID_SAVE_LIST));
    EXPECT_FALSE(MenuItemEnabled(0, ID_SELECT_ALL));
    // Ctrl+N is grayed on the menu, so the key does nothing; F5 is on no menu and always clears the log.
    PressKey(loop, frame->Handle(), 'N', true);
    PressKey(loop, frame->Handle(), VK_F5);
    EXPECT_EQ(Log(), L"");

    ASSERT_TRUE(WaitForList(2));
    EXPECT_TRUE(ToolBarButtonEnabled(ID_NEW_SEARCH));
    EXPECT_TRUE(ToolBarButtonEnabled(ID_CONTROLLER_SETTINGS));
    EXPECT_TRUE(MenuItemEnabled(0, ID_CONTROLLER_SETTINGS));
    EXPECT_THAT(Log(), HasSubstr(L"DeviceFound at http://127.0.0.3:80\r\n"));
    // A search that runs to its end reports twice: first with the table still empty.
    EXPECT_EQ(Count(Log(), L"Готово\r\n"), 2);
    Pump(loop, 2000);
    EXPECT_EQ(Count(Log(), L"Поиск контроллеров..."), 0) << "Ctrl+N started a search during a search";

    // Without a selected row the settings command is off and does nothing.
    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    Pump(loop, 200);
    EXPECT_FALSE(ToolBarButtonEnabled(ID_CONTROLLER_SETTINGS));
    Command(ID_CONTROLLER_SETTINGS);
    Pump(loop, 1000);
    EXPECT_TRUE(Requests().empty());
}

TEST_F(MainFrameTest, NewSearchEmptiesTheListAndFindsTheSiteAsItIsNow)
{
    Add("name=Склад port=8080");
    Add("name=");
    Open();
    ASSERT_TRUE(WaitForList(2));
    EXPECT_EQ(CellText(List(), 0, 0), L"Склад");
    EXPECT_EQ(CellText(List(), 0, 1), L"127.0.0.2");
    EXPECT_EQ(CellText(List(), 0, 2), L"8080");
    EXPECT_EQ(CellText(List(), 1, 0), L"Старая прошивка");

    ASSERT_EQ(simulator.Command("reset"), "ok");
    Add("count=3 name=Пост%20{n}");
    PressKey(loop, frame->Handle(), VK_F5);
    PressKey(loop, frame->Handle(), 'N', true);
    EXPECT_EQ(RowCount(List()), 0);
    ASSERT_TRUE(WaitForList(3));
    EXPECT_EQ(CellText(List(), 2, 0), L"Пост 3");

    // A search that finds nothing leaves the list empty and only the new search enabled, and says what to
    // check.
    ASSERT_EQ(simulator.Command("reset"), "ok");
    NewSearch();
    ASSERT_TRUE(WaitForList(0));
    EXPECT_THAT(Log(),
                HasSubstr(L"Ни один контроллер не ответил. Запрос поиска ушёл на адрес 255.255.255.255."));
    Pump(loop, 100);
    EXPECT_TRUE(ToolBarButtonEnabled(ID_NEW_SEARCH));
    EXPECT_FALSE(ToolBarButtonEnabled(ID_CONTROLLER_SETTINGS));
}

TEST_F(MainFrameTest, RowCommandsTakeTheSelectedRowFromMenusAndKeysAndAreOffWithoutOne)
{
    Add("name=Склад port=8080");
    Open();
    ASSERT_TRUE(WaitForList(1));
    EXPECT_TRUE(MenuItemEnabled(0, ID_COPY));
    EXPECT_TRUE(MenuItemEnabled(0, ID_OPEN_WEB_PAGE));
    EXPECT_TRUE(MenuItemEnabled(0, ID_SAVE_SETTINGS));
    EXPECT_TRUE(MenuItemEnabled(0, ID_LOAD_SETTINGS));
    EXPECT_TRUE(MenuItemEnabled(0, ID_SAVE_LIST));
    PutOnClipboard(L"прежнее");
    PressKey(loop, frame->Handle(), 'C', true);
    EXPECT_EQ(ClipboardText(), L"Склад\t127.0.0.2\t8080");
    EXPECT_EQ(frame->DeviceList().SelectedWebPage(), L"http://127.0.0.2:8080/");

    // The menu key and Shift+F10 (a context menu without a position) open the menu at the selected row.
    RECT row{};
    row.left = LVIR_LABEL;
    ::SendMessageW(List(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    POINT expected{row.left, row.bottom};
    ::ClientToScreen(List(), &expected);
    POINT corner{};
    std::thread reader([&] { corner = MenuCorner(); });
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), -1);
    reader.join();
    EXPECT_EQ(corner.x, expected.x);
    EXPECT_EQ(corner.y, expected.y);

    // Enter opens the selected controller, as a double click does, in a sheet centred on the main window
    // wherever the user has put it.
    ::SetWindowPos(frame->Handle(), nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    std::atomic<bool> sheetShown{false};
    RECT sheetPlace{};
    std::thread user([&] {
        if (const HWND sheet = WaitForDialogTitled(L"Настройки контроллера"))
        {
            ::GetWindowRect(sheet, &sheetPlace);
            sheetShown = true;
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        }
    });
    PressKey(loop, List(), VK_RETURN);
    Until([&] { return sheetShown.load(); });
    user.join();
    EXPECT_TRUE(sheetShown);
    EXPECT_FALSE(Requests("GET").empty());
    RECT framePlace{};
    ::GetWindowRect(frame->Handle(), &framePlace);
    EXPECT_NEAR((sheetPlace.left + sheetPlace.right) / 2, (framePlace.left + framePlace.right) / 2, 2);
    EXPECT_NEAR((sheetPlace.top + sheetPlace.bottom) / 2, (framePlace.top + framePlace.bottom) / 2, 2);

    LVITEMW none{};
    none.stateMask = LVIS_SELECTED;
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    Pump(loop, 100);
    EXPECT_FALSE(MenuItemEnabled(0, ID_COPY));
    EXPECT_FALSE(MenuItemEnabled(0, ID_OPEN_WEB_PAGE));
    EXPECT_FALSE(MenuItemEnabled(0, ID_SAVE_SETTINGS));
    EXPECT_FALSE(MenuItemEnabled(0, ID_LOAD_SETTINGS));
    EXPECT_TRUE(MenuItemEnabled(0, ID_SAVE_LIST));
    EXPECT_EQ(frame->DeviceList().SelectedWebPage(), L"");
    PutOnClipboard(L"прежнее");
    Command(ID_COPY);
    EXPECT_EQ(ClipboardText(), L"прежнее");

    // The name of a controller whose firmware gives none is empty there, as in the saved list: the list's
    // "Старая прошивка" is no name.
    ASSERT_TRUE(frame->DeviceList().Fill({{0x7F000002, 8080, L""}}));
    Pump(loop, 100);
    PressKey(loop, frame->Handle(), 'C', true);
    EXPECT_EQ(ClipboardText(), L"\t127.0.0.2\t8080");
}

// A click with Shift or Ctrl, and Ctrl+A, select several rows; the status bar counts them, Ctrl+C copies
// them all, and the commands for one controller are off until a single row is selected again.
TEST_F(MainFrameTest, SeveralSelectedRowsAreCountedCopiedAndKeptFromOneControllerCommands)
{
    Add("count=4 name=Склад%20{n}");
    Open();
    ASSERT_TRUE(WaitForList(4));
    EXPECT_TRUE(StatusCounts().empty()) << "one selected row shows as it always did";

    ClickRow(0);
    ClickRow(2, MK_SHIFT);
    EXPECT_EQ(StatusCounts(), (std::vector<std::wstring>{L"Выбрано: 3"}));
    for (const UINT id : {ID_CONTROLLER_SETTINGS, ID_OPEN_WEB_PAGE, ID_SAVE_SETTINGS, ID_LOAD_SETTINGS})
        EXPECT_FALSE(MenuItemEnabled(0, id)) << id;
    EXPECT_TRUE(MenuItemEnabled(0, ID_COPY));
    Pump(loop, 50);
    EXPECT_FALSE(ToolBarButtonEnabled(ID_CONTROLLER_SETTINGS));
    PutOnClipboard(L"прежнее");
    PressKey(loop, frame->Handle(), 'C', true);
    EXPECT_EQ(ClipboardText(), L"Склад 1\t127.0.0.2\t80\r\nСклад 2\t127.0.0.3\t80\r\nСклад 3\t127.0.0.4\t80");
    PressKey(loop, List(), VK_RETURN);
    PressKey(loop, frame->Handle(), VK_F2);
    Pump(loop, 500);
    EXPECT_TRUE(Requests().empty()) << "a controller was read with several rows selected";

    ClickRow(1, MK_CONTROL);
    EXPECT_EQ(StatusCounts(), (std::vector<std::wstring>{L"Выбрано: 2"}));
    PressKey(loop, List(), 'A', true);
    Pump(loop, 50);
    EXPECT_EQ(StatusCounts(), (std::vector<std::wstring>{L"Выбрано: 4"}));
    ClickRow(3);
    EXPECT_TRUE(StatusCounts().empty());
    EXPECT_TRUE(MenuItemEnabled(0, ID_CONTROLLER_SETTINGS));
    EXPECT_EQ(frame->DeviceList().SelectedWebPage(), L"http://127.0.0.5:80/");
}

TEST_F(MainFrameTest, ControllerAddedByAddressIsListedAndKeptByEverySearch)
{
    // It never answers a search, as behind a router; it serves HTTP.
    Add("loss=100 name=Behind");
    Settings().searchTimeout = 800;
    Open();
    ASSERT_TRUE(WaitForList(0));

    std::atomic<int> refusedOpen{0};
    std::atomic<bool> portGreyed{false};
    std::thread user([&] {
        HWND dialog = WaitForDialogTitled(L"Добавить по адресу");
        if (dialog == nullptr)
            return;
        const HWND address = ::GetDlgItem(dialog, IDC_ADD_ADDRESS);
        const HWND port = ::GetDlgItem(dialog, IDC_ADD_PORT);
        // A blank address, "127._.0.2" (a part left empty is no 0), then a port out of range: each
        // refused, the dialog stays.
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        refusedOpen += ::IsWindowVisible(dialog) != FALSE;
        ::SendMessageW(address, IPM_SETADDRESS, 0, 0x7F000002);
        HWND part = ::FindWindowExW(address, nullptr, L"Edit", nullptr);
        while (part != nullptr && OM::Ui::WindowText(part) != L"0")
            part = ::FindWindowExW(address, part, L"Edit", nullptr);
        ::SendMessageW(part, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        refusedOpen += ::IsWindowVisible(dialog) != FALSE;
        ::SendMessageW(address, IPM_SETADDRESS, 0, 0x7F000002);
        ::SendMessageW(port, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"70000"));
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
        refusedOpen += ::IsWindowVisible(dialog) != FALSE;
        ::SendMessageW(port, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"80"));
        // The end of a range below its start, one past 4,096 addresses, and one left partial: each refused.
        // The port is off while there is an end: each controller of a range tells its own.
        const HWND end = ::GetDlgItem(dialog, IDC_ADD_RANGE_END);
        for (const LPARAM last : {0x7F000001, 0x7F001002, 0x7F000009})
        {
            ::SendMessageW(end, IPM_SETADDRESS, 0, last);
            if (last == 0x7F000009)
                ::SendMessageW(::FindWindowExW(end, nullptr, L"Edit", nullptr), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(L""));
            ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
            refusedOpen += ::IsWindowVisible(dialog) != FALSE;
        }
        portGreyed = ::IsWindowEnabled(port) == FALSE;
        ::SendMessageW(end, IPM_CLEARADDRESS, 0, 0);
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    Command(ID_ADD_CONTROLLER);
    user.join();
    EXPECT_EQ(refusedOpen.load(), 6);
    EXPECT_TRUE(portGreyed);
    EXPECT_TRUE(Settings().knownRanges.empty());
    ASSERT_TRUE(Until([&] { return RowCount(List()) == 1; }));
    EXPECT_EQ(CellText(List(), 0, 0), L"Behind");
    EXPECT_EQ(CellText(List(), 0, 1), L"127.0.0.2");

    // Remembered: the next search probes it and keeps its row, marked, though it does not answer.
    NewSearch();
    ASSERT_TRUE(WaitForList(1));
    EXPECT_EQ(CellText(List(), 0, 1), L"127.0.0.2");
    EXPECT_EQ(CellText(List(), 0, 3), L"Не отвечает");
    EXPECT_EQ(Settings().knownControllers, (std::vector<ControllerEndpoint>{{0x7F000002, 80}}));

    // Forgotten from its row's context menu, whose last item that is: the row goes with the address, as
    // only the address kept it.
    std::thread chooser([] { ChooseLastMenuItem(); });
    ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), -1);
    chooser.join();
    EXPECT_TRUE(Until([&] { return RowCount(List()) == 0 && Settings().knownControllers.empty(); }, 5000));
}

TEST_F(MainFrameTest, LogKeepsEveryLineOfALargeSite)
{
    Add("count=1000 spread=400");
    // Five rounds make each of them answer five times: the search gets the time a site this large needs.
    Settings().searchTimeout = 3000;
    Open();
    ASSERT_TRUE(WaitForList(1000, 60000)) << RowCount(List()) << " rows";
    const std::wstring last = L"DeviceFound at http://" + CellText(List(), 999, 1) + L":80\r\n";
    EXPECT_THAT(Log(), HasSubstr(last));
    EXPECT_EQ(Count(Log(), L"DeviceFound at"), 1000);
}

TEST_F(MainFrameTest, FailedExchangeClosesTheWaitDialogAndSaysWhatFailed)
{
    Add("http=stall");
    Open();
    ASSERT_TRUE(WaitForList(1));
    std::wstring told;
    std::atomic<bool> dialogSeen{false};
    std::thread user([&] {
        for (int tries = 0; tries < 400 && !FindDialogWith(IDC_WAIT_DETAIL); ++tries)
            ::Sleep(25);
        dialogSeen = FindDialogWith(IDC_WAIT_DETAIL) != nullptr;
        HWND box = nullptr;
        for (int tries = 0; tries < 800 && !(box = FindDialogTitled(L"Ошибка")); ++tries)
            ::Sleep(25);
        if (box != nullptr)
        {
            told = MessageBoxText(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    PressKey(loop, frame->Handle(), VK_F2);
    Until([&] { return !told.empty(); }, 30000);
    user.join();

    EXPECT_TRUE(dialogSeen);
    EXPECT_THAT(told, HasSubstr(L"Контроллер 127.0.0.2, Авторизация:"));
    EXPECT_FALSE(FindDialogWith(IDC_WAIT_DETAIL)) << "the wait dialog stayed";
    EXPECT_EQ(Status(), L"Готово");
    EXPECT_FALSE(frame->IsWaitPending());
}

// The add dialog, the about box and the wait dialog without a mouse: fields after their labels, Tab in
// reading order, a label's letter to its field, Esc as their Cancel.
TEST_F(MainFrameTest, DialogsNameTheirFieldsAndEscClosesEachOne)
{
    Add("http=stall");
    Open();
    ASSERT_TRUE(WaitForList(1));
    struct Seen
    {
        std::wstring faults;
        bool mnemonicLed = true;
        bool escaped = false;
    };
    // Plays the user on `dialog`; a dialog that Esc leaves open is cancelled, so that the test goes on.
    const auto use = [](HWND dialog, Seen& seen, wchar_t letter = 0, int field = 0) {
        if (dialog == nullptr)
            return;
        seen.faults = KeyboardFaults(dialog);
        if (letter != 0)
        {
            PostMnemonicInDialog(dialog, letter);
            seen.mnemonicLed = Eventually([&] { return FocusIn(dialog) == ::GetDlgItem(dialog, field); });
        }
        PostKeyInDialog(dialog, VK_ESCAPE);
        seen.escaped = Eventually([dialog] { return ::IsWindowVisible(dialog) == FALSE; }, 10000);
        if (!seen.escaped)
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };

    Seen add;
    std::thread user([&] { use(WaitForDialogTitled(L"Добавить по адресу"), add, L'П', IDC_ADD_PORT); });
    Command(ID_ADD_CONTROLLER);
    user.join();
    EXPECT_TRUE(add.faults.empty()) << add.faults;
    EXPECT_TRUE(add.mnemonicLed) << "Alt+П did not reach the port";
    EXPECT_TRUE(add.escaped) << "Esc left the add dialog open";
    EXPECT_TRUE(Settings().knownControllers.empty());

    Seen about;
    user = std::thread([&] { use(WaitForDialogTitled(L"О программе"), about); });
    Command(ID_ABOUT);
    user.join();
    EXPECT_TRUE(about.faults.empty()) << about.faults;
    EXPECT_TRUE(about.escaped) << "Esc left the about box open";

    Seen wait;
    std::atomic<bool> done{false};
    user = std::thread([&] {
        HWND dialog = nullptr;
        for (int tries = 0; tries < 400 && !(dialog = FindDialogWith(IDC_WAIT_DETAIL)); ++tries)
            ::Sleep(25);
        use(dialog, wait);
        done = true;
    });
    PressKey(loop, frame->Handle(), VK_F2);
    Until([&] { return done.load() && !FindDialogWith(IDC_WAIT_DETAIL); });
    user.join();
    EXPECT_TRUE(wait.faults.empty()) << wait.faults;
    EXPECT_TRUE(wait.escaped) << "Esc left the wait dialog open";
    EXPECT_TRUE(Until([&] { return Status() == L"Готово"; }, 5000));
}
