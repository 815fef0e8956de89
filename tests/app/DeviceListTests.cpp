// The device list's rows as notifications change them, its filter, and the road from a read to the
// settings sheet.
#include "tests/app/FrameTest.h"

#include "app/ReadPurpose.h"
#include "res/resource.h"
#include "ui/ControlText.h"
#include "xml/Utf16File.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <atomic>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using OM::Xml::DeviceProperties;

namespace
{

class DeviceListTest : public FrameTest
{
protected:
    static DeviceProperties Properties(const wchar_t* name, std::uint32_t ip, std::uint16_t port)
    {
        DeviceProperties properties;
        properties.name = name;
        properties.ip = ip;
        properties.tcpPort = port;
        return properties;
    }

    LPARAM ItemData(int row)
    {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ::SendMessageW(List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return item.lParam;
    }

    // A click on a column's header, as the mouse makes it.
    void ClickHeader(int column)
    {
        const HWND header = Header();
        RECT box{};
        ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&box));
        const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageW(header, WM_LBUTTONUP, 0, at);
        Pump(loop, 50);
    }

    HWND Header() { return reinterpret_cast<HWND>(::SendMessageW(List(), LVM_GETHEADER, 0, 0)); }

    int SortArrow(int column)
    {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ::SendMessageW(Header(), HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
    }

    // The addresses of the selected items, top to bottom, as the control has them.
    std::vector<LPARAM> SelectedItems()
    {
        std::vector<LPARAM> selected;
        for (int item = -1; (item = static_cast<int>(::SendMessageW(
                                 List(), LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_SELECTED))) >= 0;)
            selected.push_back(ItemData(item));
        return selected;
    }

    std::vector<std::wstring> Column(int column)
    {
        std::vector<std::wstring> texts;
        for (int row = 0; row < RowCount(List()); ++row)
            texts.push_back(CellText(List(), row, column));
        return texts;
    }
};

using Texts = std::vector<std::wstring>;

std::wstring TemporaryPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

constexpr std::uint32_t First = 0x7F000002;
constexpr std::uint32_t Second = 0x7F000003;

// Wine writes the locale of every program it starts into the user's settings, which all programs of the
// prefix share: a test program started meanwhile in another locale changes the list separator under this
// one. The separator is the Russian workstation's again, and the list saved again, until no program did.
std::string ListSavedWithSemicolons(CAppView& list, const std::wstring& path)
{
    for (int attempt = 0; attempt < 20; ++attempt)
    {
        ::SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, L";");
        if (!list.Files().SaveListTo(path, list.Rows().All()).empty())
            return "not saved";
        wchar_t separator[8] = {};
        ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SLIST, separator, 8);
        if (std::wstring_view(separator) == L";")
            return FileBytes(path);
    }
    return "the list separator kept changing";
}

} // namespace

TEST_F(DeviceListTest, HeaderClickSortsAndTheOrderHoldsThroughUpdatesLiveRowsAndSearches)
{
    Open();
    ASSERT_TRUE(WaitForList(0));
    CAppView& list = frame->DeviceList();
    constexpr std::uint32_t Ninth = 0x7F000009;
    constexpr std::uint32_t Tenth = 0x7F00000A;
    ASSERT_TRUE(list.Fill({{Tenth, 8080, L"в"}, {First, 443, L"Б"}, {Ninth, 80, L"а"}}));

    // Addresses and ports by their numbers, not their texts; the second click reverses.
    ClickHeader(1);
    EXPECT_EQ(Column(1), (Texts{L"127.0.0.2", L"127.0.0.9", L"127.0.0.10"}));
    EXPECT_EQ(SortArrow(1), HDF_SORTUP);
    ClickHeader(1);
    EXPECT_EQ(Column(1), (Texts{L"127.0.0.10", L"127.0.0.9", L"127.0.0.2"}));
    EXPECT_EQ(SortArrow(1), HDF_SORTDOWN);
    // Rows found by their addresses still, and each in its place as it comes or moves.
    list.ShowFound({{0x7F000005, 80, L"г"}, {Ninth, 80, L"а"}});
    EXPECT_EQ(Column(1), (Texts{L"127.0.0.10", L"127.0.0.9", L"127.0.0.5", L"127.0.0.2"}));
    list.OnDeviceAddressChanged(AddressChange{First, 0x7F00000B});
    Pump(loop, 200);
    EXPECT_EQ(Column(1), (Texts{L"127.0.0.11", L"127.0.0.10", L"127.0.0.9", L"127.0.0.5"}));
    EXPECT_EQ(ItemData(0), 0x7F00000B);
    EXPECT_EQ(ItemData(3), 0x7F000005);
    ClickHeader(2);
    EXPECT_EQ(Column(2), (Texts{L"80", L"80", L"443", L"8080"}));
    EXPECT_EQ(SortArrow(1), 0);

    // Names in the workstation's collation: lower and upper case together, not by code.
    ClickHeader(0);
    EXPECT_EQ(Column(0), (Texts{L"а", L"Б", L"в", L"г"}));
    EXPECT_EQ(SortArrow(0), HDF_SORTUP);
    list.OnDeviceProperties(DevicePropertiesResult{Ninth, Properties(L"д", Ninth, 80), 0});
    Pump(loop, 200);
    EXPECT_EQ(Column(0), (Texts{L"Б", L"в", L"г", L"д"}));

    // A new search's list comes in the chosen order, its first row selected.
    ASSERT_TRUE(list.Fill({{Tenth, 80, L"я"}, {First, 80, L""}, {Ninth, 80, L"ю"}}));
    EXPECT_EQ(Column(0), (Texts{L"Старая прошивка", L"ю", L"я"}));
    EXPECT_EQ(::SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    DiscoveredController conflict{Tenth, 80, L"я", true};
    DiscoveredController silent{First, 80, L"ю", false, false};
    ASSERT_TRUE(list.Fill({silent, conflict, {Ninth, 80, L"э"}}));
    ClickHeader(3);
    EXPECT_EQ(Column(3), (Texts{L"", L"Два контроллера на этом адресе", L"Не отвечает"}));

    // Selected rows stay selected, in the control as in the rows, wherever a sort or a new address takes
    // them; under Wine the control deselects an item it deletes, and the row that comes into its place
    // must not lose its selection with it.
    ClickRow(0);
    ClickRow(1, MK_CONTROL);
    ClickHeader(1);
    EXPECT_EQ(SelectedItems(), (std::vector<LPARAM>{Ninth, Tenth}));
    list.OnDeviceAddressChanged(AddressChange{Ninth, 0x7F00000C});
    Pump(loop, 200);
    EXPECT_EQ(Column(1), (Texts{L"127.0.0.2", L"127.0.0.10", L"127.0.0.12"}));
    EXPECT_EQ(SelectedItems(), (std::vector<LPARAM>{Tenth, 0x7F00000C}));
    EXPECT_EQ(list.Rows().SelectedCount(), 2u);
}

// A result for another controller arrives between the read that opens the sheet and the sheet itself:
// the sheet shows that result, and OK writes it to that result's controller, never one controller's
// edited settings to another.
TEST_F(DeviceListTest, ResultBetweenAReadAndItsSheetIsWhatTheSheetShowsAndWrites)
{
    Add("name=Первый");
    Add("name=Второй");
    Open();
    ASSERT_TRUE(WaitForList(2));
    CAppView& list = frame->DeviceList();

    std::wstring shownName;
    std::atomic<bool> renamed{false};
    // The sheet opens from the messages that this thread pumps, and returns to the pump once it closes.
    const auto open = [&] {
        list.OnDeviceProperties(
            DevicePropertiesResult{First, Properties(L"Первый", First, 80), ReadTag(ReadPurpose::OpenSheet)});
        list.OnDeviceProperties(DevicePropertiesResult{Second, Properties(L"Второй", Second, 80), 0});
        Until([&] { return renamed.load(); });
    };
    const auto rename = [&](HWND sheet) {
        const HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_INDEXTOHWND, 0, 0));
        shownName = OM::Ui::ControlText(page, IDC_SERVER_NAME);
        ::SendMessageW(::GetDlgItem(page, IDC_SERVER_NAME), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"Переименован"));
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
        renamed = true;
    };
    const auto sheet = [] { return FindDialogTitled(L"Настройки контроллера"); };
    ASSERT_EQ(WhileModal(open, sheet, rename), "");
    Until([&] { return Requests("POST").size() == 1; });

    EXPECT_EQ(shownName, L"Второй");
    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].controller, "127.0.0.3:80");
}

// The saved list is what the console program's discover lists, in a file a spreadsheet reads: UTF-8 with
// a byte-order mark, CR LF, quoted fields, and the columns split at the workstation's list separator (";"
// on a Russian one); the list's own words for a nameless or silent row stay out, and a controller really
// named as the list calls a nameless one keeps its name.
TEST_F(DeviceListTest, SavedListHoldsEveryRowAsTheConsoleListsIt)
{
    Open();
    ASSERT_TRUE(WaitForList(0));
    CAppView& list = frame->DeviceList();
    ASSERT_TRUE(list.Fill({{Second, 8080, L"Склад;1, \"главный\""},
                           {First, 80, L"", true},
                           {0x7F00000A, 81, L"Ворота, север", false, false},
                           {0x7F000009, 80, L"Старая прошивка"}}));
    const std::wstring path = TemporaryPath(L"список контроллеров.csv");
    ::DeleteFileW(path.c_str());
    EXPECT_EQ(ListSavedWithSemicolons(list, path),
              "\xEF\xBB\xBF" + OM::Xml::utf8Text(L"address;port;name;conflict;answered\r\n"
                                                 L"127.0.0.3;8080;\"Склад;1, \"\"главный\"\"\";no;yes\r\n"
                                                 L"127.0.0.2;80;;yes;yes\r\n"
                                                 L"127.0.0.10;81;Ворота, север;no;no\r\n"
                                                 L"127.0.0.9;80;Старая прошивка;no;yes\r\n"));
    ::DeleteFileW(path.c_str());

    // A folder that is not there: said in words, and no file left behind.
    const std::wstring nowhere = TemporaryPath(L"нет такой папки\\список.csv");
    EXPECT_THAT(list.Files().SaveListTo(nowhere, list.Rows().All()),
                ::testing::HasSubstr(L"нет такого файла или папки"));
    EXPECT_EQ(::GetFileAttributesW((nowhere + L".part").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A settings file is checked whole before anything is read from the controller: a broken or foreign file
// is refused with the reason, and nothing goes out.
TEST_F(DeviceListTest, BrokenSettingsFileIsRefusedBeforeTheControllerIsRead)
{
    Add("name=Склад");
    Open();
    ASSERT_TRUE(WaitForList(1));
    CAppView& list = frame->DeviceList();
    ASSERT_NE(list.Selected(), nullptr);
    const auto load = [&](const std::wstring& file) {
        return list.Files().LoadSettingsFrom(frame->Handle(), file, list.Selected()->address);
    };
    const std::wstring path = TemporaryPath(L"настройки склада.xml");

    PutFile(path, "<config><net name=\"\xD1\xEA\xEB\xE0\xE4\" mac=\"00-1A-2B-3C-4D\"/></config>");
    EXPECT_EQ(load(path),
              L"В файле «" + path +
                  L"» испорчено значение «mac»: MAC-адрес записывается шестью байтами через дефис, например "
                  L"00-1A-2B-3C-4D-5E. Ничего не изменено.");
    PutFile(path, "<html><body/></html>");
    EXPECT_THAT(load(path), ::testing::HasSubstr(L"не является файлом настроек контроллера"));
    ::DeleteFileW(path.c_str());
    EXPECT_THAT(load(path), ::testing::HasSubstr(L"нет такого файла или папки"));
    Pump(loop, 1000);
    EXPECT_TRUE(Requests("GET").empty());
    EXPECT_EQ(FindDialogTitled(L"Настройки контроллера"), nullptr);
}

// Ctrl+F puts the cursor in the filter box; what is typed there keeps the rows whose name or address has
// it, in any case, and the status bar counts them. Keys that edit text are the box's own; Ctrl+A in the
// list and "Сохранить список..." take the rows shown; the filter holds through a new search; Esc clears
// the box, and once more goes back to the list.
TEST_F(DeviceListTest, FilterBoxKeepsTheMatchingRowsForTheListsCommands)
{
    Add("count=3 name=Склад%20{n}");
    Add("name=Ворота");
    Open();
    ASSERT_TRUE(WaitForList(4));
    const HWND filter = frame->FilterEdit();
    PressKey(loop, frame->Handle(), 'F', true);
    EXPECT_EQ(::GetFocus(), filter);
    for (const wchar_t character : std::wstring(L"СКЛАД"))
        ::SendMessageW(filter, WM_CHAR, character, 1);
    Pump(loop, 100);
    EXPECT_EQ(Column(0), (Texts{L"Склад 1", L"Склад 2", L"Склад 3"}));
    EXPECT_EQ(StatusCounts(), (Texts{L"Показано 3 из 4"}));

    PressKey(loop, filter, 'A', true);
    DWORD start = 1;
    DWORD end = 0;
    ::SendMessageW(filter, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 5u);
    PressKey(loop, filter, VK_RETURN);
    EXPECT_EQ(::GetFocus(), List());
    PressKey(loop, List(), 'A', true);
    Pump(loop, 50);
    EXPECT_EQ(StatusCounts(), (Texts{L"Показано 3 из 4", L"Выбрано: 3"}));

    const std::wstring path = TemporaryPath(L"склады.csv");
    ::DeleteFileW(path.c_str());
    const auto saveAs = [&](HWND dialog) {
        ::SendDlgItemMessageW(dialog, 1148, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(WhileModal([&] { Command(ID_SAVE_LIST); }, [] { return FindDialogWith(1148); }, saveAs), "");
    const std::string saved = FileBytes(path);
    EXPECT_THAT(saved, ::testing::HasSubstr(OM::Xml::utf8Text(L"Склад 3")));
    EXPECT_THAT(saved, ::testing::Not(::testing::HasSubstr(OM::Xml::utf8Text(L"Ворота"))));
    ::DeleteFileW(path.c_str());

    // Esc clears the box and shows every row, the selected ones still selected.
    PressKey(loop, frame->Handle(), 'F', true);
    PressKey(loop, filter, VK_ESCAPE);
    Pump(loop, 50);
    EXPECT_EQ(OM::Ui::WindowText(filter), L"");
    EXPECT_EQ(RowCount(List()), 4);
    EXPECT_EQ(StatusCounts(), (Texts{L"Выбрано: 3"}));
    EXPECT_EQ(::GetFocus(), filter);
    PressKey(loop, filter, VK_ESCAPE);
    EXPECT_EQ(::GetFocus(), List());

    ::SendMessageW(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"127.0.0.5"));
    NewSearch();
    ASSERT_TRUE(WaitForList(1));
    EXPECT_EQ(Column(0), (Texts{L"Ворота"}));
    EXPECT_EQ(StatusCounts(), (Texts{L"Показано 1 из 4"}));
}
