// Every window of the program at the screen's resolution: no text cut by its control, no control over
// another, and the list's pictures as large as its text. The program runs once per resolution
// (NORVATESSA_TEST_DPI); with NORVATESSA_WINDOW_PICTURES set to a folder, each window is saved there as a
// BMP file, named after the window and the resolution.
#include "tests/app/FrameTest.h"

#include "app/AboutDlg.h"
#include "app/AddControllerDlg.h"
#include "app/BatchWindow.h"
#include "app/RestorePreviewDlg.h"
#include "app/SiteFolderDlg.h"
#include "common/CodePage.h"
#include "res/resource.h"
#include "settings/AppPropSheet.h"
#include "ui/ControlText.h"
#include "ui/DeviceContexts.h"
#include "ui/Dpi.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

class WindowLayoutTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        if (const char* expected = std::getenv("NORVATESSA_TEST_DPI"))
        {
            ASSERT_EQ(OM::Ui::ScreenDpi(), std::atoi(expected)) << "the resolution did not reach the program";
        }
        Add("count=3");
        Open();
        ASSERT_TRUE(WaitForList(3));
    }

    // Reports every fault of the window, and saves its picture when asked to.
    static void Check(HWND window, const std::string& name)
    {
        ASSERT_NE(window, nullptr) << name << " did not open";
        for (const std::string& fault : LayoutFaults(window, name))
            ADD_FAILURE() << fault;
        if (const wchar_t* folder = ::_wgetenv(L"NORVATESSA_WINDOW_PICTURES"))
        {
            const std::wstring file = std::wstring(folder) + L"\\" + std::wstring(name.begin(), name.end()) +
                                      L"-" + std::to_wstring(OM::Ui::ScreenDpi()) + L".bmp";
            EXPECT_TRUE(SaveWindowPicture(window, file)) << name;
        }
    }

    // Opens a modal window with `open`, lets `look` check it once it has painted, and closes it with
    // `close`.
    static void LookWhileOpen(const std::function<void()>& open, const std::function<HWND()>& find,
                              const std::function<void(HWND)>& look, const std::function<void(HWND)>& close)
    {
        EXPECT_EQ(WhileModal(open, find,
                             [&](HWND window) {
                                 // Let it paint before it is measured and pictured.
                                 ::Sleep(300);
                                 look(window);
                                 close(window);
                             }),
                  "");
    }

    static void PressCancel(HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }
};

// The metrics of the window's font.
TEXTMETRICW FontMetrics(HWND window)
{
    const OM::Ui::WindowContext context(window);
    const OM::Ui::SelectedObject font(context.Context(),
                                      reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(context.Context(), &metrics);
    return metrics;
}

SIZE ImageSize(HIMAGELIST images)
{
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(images, &width, &height);
    return SIZE{width, height};
}

} // namespace

TEST_F(WindowLayoutTest, MainWindowHoldsItsBarsListAndLogApartAndItsPicturesAsLargeAsItsText)
{
    Pump(loop, 300);
    Check(frame->Handle(), "main-window");

    const HWND list = List();
    const int line = FontMetrics(list).tmHeight;
    const auto rowImages =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    EXPECT_GE(ImageSize(rowImages).cy, line) << "the list's image is smaller than its text";
    const auto toolImages =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(frame->ToolBarWindow(), TB_GETIMAGELIST, 0, 0));
    EXPECT_GE(ImageSize(toolImages).cy, line) << "the toolbar's images are smaller than the list's text";
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_GE(row.bottom - row.top, ImageSize(rowImages).cy) << "a row is lower than its image";

    // Each column shows its whole title, and so many characters of its cells as at 96 dots per inch.
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    ASSERT_EQ(columns, 4);
    const int characterWidth = FontMetrics(list).tmAveCharWidth;
    for (int column = 0; column < columns; ++column)
    {
        wchar_t title[64] = {};
        LVCOLUMNW description{};
        description.mask = LVCF_TEXT | LVCF_WIDTH;
        description.pszText = title;
        description.cchTextMax = 64;
        ::SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
        const int titleWidth =
            static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title)));
        EXPECT_GE(description.cx, titleWidth + 12) << "column " << column << " cuts its title";
        // The narrowest column is 100 pixels at 96 dots per inch, some 18 characters of the list's font.
        EXPECT_GE(description.cx, 16 * characterWidth)
            << "column " << column << " did not grow with the text";
    }
}

// With a filter and several rows selected, the filter box and each count of the status bar fit.
TEST_F(WindowLayoutTest, MainWindowHoldsTheFilterAndTheCountsOfTheStatusBar)
{
    ::SendMessageW(frame->FilterEdit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"controller"));
    Command(ID_SELECT_ALL);
    Pump(loop, 300);
    const HWND bar = frame->StatusBarWindow();
    ASSERT_EQ(StatusCounts(), (std::vector<std::wstring>{L"Показано 3 из 3", L"Выбрано: 3"}));
    for (int part = 1; part <= 2; ++part)
    {
        RECT box{};
        ::SendMessageW(bar, SB_GETRECT, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(&box));
        const std::wstring text = StatusCounts()[static_cast<std::size_t>(part - 1)];
        const SIZE needed = OM::Ui::LineSize(bar, text);
        EXPECT_GE(box.right - box.left, needed.cx) << "status part " << part << " cuts its text";
        EXPECT_GE(box.bottom - box.top, needed.cy) << "status part " << part << " cuts its text";
    }
    Check(frame->Handle(), "main-window-filtered");
}

TEST_F(WindowLayoutTest, WaitDialogHoldsItsLines)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        frame->OnExchangeStarted(L"Запрос настроек контроллера");
        HWND dialog = nullptr;
        for (int tries = 0; tries < 250 && (dialog = FindDialogWith(IDC_WAIT_DETAIL)) == nullptr; ++tries)
            ::Sleep(20);
        ::Sleep(300);
        Check(dialog, "wait-dialog");
        frame->OnExchangeCompleted(false);
        done = true;
    });
    Until([&] { return done.load(); }, 30000);
    worker.join();
}

TEST_F(WindowLayoutTest, SettingsSheetHoldsTheControlsOfEachPage)
{
    CAppPropSheet sheet{IDS_CONTROLLER_SETTINGS, 0, nullptr};
    LookWhileOpen([&] { sheet.DoModal(frame->Handle()); },
                  [] { return FindDialogTitled(L"Настройки контроллера"); },
                  [](HWND window) {
                      const char* names[] = {"network-page", "access-page", "sensors-page"};
                      for (int index = 0; index < 3; ++index)
                      {
                          ::SendMessageW(window, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
                          ::Sleep(200);
                          Check(reinterpret_cast<HWND>(::SendMessageW(window, PSM_INDEXTOHWND, index, 0)),
                                names[index]);
                          if (index == 0)
                              Check(window, "settings-sheet");
                      }
                  },
                  [](HWND window) { ::PostMessageW(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); });
}

TEST_F(WindowLayoutTest, AboutBoxHoldsItsLines)
{
    LookWhileOpen([] { ShowAbout(); }, [] { return FindDialogWith(IDC_ABOUT_DESCRIPTION); },
                  [](HWND window) { Check(window, "about-box"); }, &PressCancel);
}

TEST_F(WindowLayoutTest, AddDialogHoldsItsLabelsAndFields)
{
    CAddControllerDlg dialog;
    LookWhileOpen([&] { dialog.Run(frame->Handle()); }, [] { return FindDialogWith(IDC_ADD_PORT); },
                  [](HWND window) { Check(window, "add-dialog"); }, &PressCancel);
}

TEST_F(WindowLayoutTest, BatchWindowHoldsItsRowsSummaryAndButtons)
{
    BatchCommand command;
    command.title = L"Чтение настроек";
    AddTargets(command, frame->DeviceList().Rows().All());
    // One that does not answer, so that the summary is as long as it gets with two counts.
    command.request.targets.push_back(BatchTarget{0x7F0000FE, 80, std::nullopt});
    ASSERT_TRUE(StartBatch(frame->Handle(), command));
    const auto window = [] { return FindDialogWith(IDC_BATCH_ROWS); };
    ASSERT_TRUE(Until([&] { return !BatchRunning(); }));
    Pump(loop, 300);
    Check(window(), "batch-window");
    EXPECT_EQ(KeyboardFaults(window()), L"");
    // Made larger, as far as the screen allows, the rows take the room and the rest keeps apart below them.
    RECT frame{};
    ::GetWindowRect(window(), &frame);
    RECT screen{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
    RECT rows{};
    ::GetWindowRect(::GetDlgItem(window(), IDC_BATCH_ROWS), &rows);
    const int wider =
        std::min<int>(OM::Ui::ScaleToDpi(150), (screen.right - screen.left) - (frame.right - frame.left));
    const int taller =
        std::min<int>(OM::Ui::ScaleToDpi(150), (screen.bottom - screen.top) - (frame.bottom - frame.top));
    ::SetWindowPos(window(), nullptr, screen.left, screen.top, frame.right - frame.left + wider,
                   frame.bottom - frame.top + taller, SWP_NOZORDER);
    RECT grown{};
    ::GetWindowRect(::GetDlgItem(window(), IDC_BATCH_ROWS), &grown);
    EXPECT_EQ(grown.right - grown.left, rows.right - rows.left + wider);
    EXPECT_EQ(grown.bottom - grown.top, rows.bottom - rows.top + taller);
    Pump(loop, 300);
    Check(window(), "batch-window-larger");
    ::SendMessageW(window(), WM_COMMAND, IDC_BATCH_CLOSE, 0);
}

TEST_F(WindowLayoutTest, SiteFolderDialogsHoldTheirNotesAndTheirFields)
{
    CSiteFolderDlg backup(CSiteFolderDlg::Purpose::Backup, 300);
    LookWhileOpen([&] { backup.Run(frame->Handle()); }, [] { return FindDialogWith(IDC_SITE_FOLDER); },
                  [](HWND window) { Check(window, "backup-folder"); }, &PressCancel);
    CSiteFolderDlg restore(CSiteFolderDlg::Purpose::Restore, 0);
    LookWhileOpen([&] { restore.Run(frame->Handle()); }, [] { return FindDialogWith(IDC_SITE_FOLDER); },
                  [](HWND window) { Check(window, "restore-folder"); }, &PressCancel);

    // The preview as a restore shows it: a controller that changes, one that does not, a refused file.
    OM::Norvatessa::ControllerSettings::RestorePreview preview;
    const auto file = [](const std::string& net) {
        return "<?xml version=\"1.0\" encoding=\"Windows-1251\" ?>\n<om>\n\t<net " + net + " />\n</om>\n";
    };
    const OM::Norvatessa::CodePage& codePage = OM::Norvatessa::Windows1251();
    preview.TakeFile(L"D:\\Объект\\127.0.0.2.xml",
                     file("ip=\"127.0.0.2\" name=\"\xD1\xEA\xEB\xE0\xE4 1\" sentype=\"5\""), codePage);
    preview.TakeFile(L"D:\\Объект\\127.0.0.3.xml", file("ip=\"127.0.0.3\" name=\"Gate\""), codePage);
    preview.TakeFile(L"D:\\Объект\\127.0.0.4.xml", file("ip=\"127.0.0.4\" mask=\"255.255\""), codePage);
    OM::Xml::DeviceProperties current;
    current.name = L"Ворота";
    preview.TakeRead(0, current);
    current.name = L"Gate";
    preview.TakeRead(1, current);
    CRestorePreviewDlg dialog(preview, L"D:\\Объект");
    LookWhileOpen([&] { dialog.Run(frame->Handle()); }, [] { return FindDialogWith(IDC_RESTORE_LIST); },
                  [](HWND window) { Check(window, "restore-preview"); }, &PressCancel);
}
