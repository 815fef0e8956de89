// A site's settings to a folder and back from the main window, in this process against the simulated site:
// the question about files already there, and the restore preview's ticks.
#include "tests/app/FrameTest.h"

#include "app/BatchWindow.h"
#include "app/RestorePreviewDlg.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <string>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

// A folder of the test's own under the temporary folder, with a Cyrillic name, emptied and removed after.
class TestFolder
{
public:
    explicit TestFolder(const wchar_t* name)
    {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        path = std::wstring(base) + name + std::to_wstring(::GetCurrentProcessId());
        Clear();
        ::CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TestFolder()
    {
        Clear();
        ::RemoveDirectoryW(path.c_str());
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::wstring File(const std::wstring& name) const { return path + L"\\" + name; }
    int Count() const
    {
        int count = 0;
        WIN32_FIND_DATAW entry{};
        const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return 0;
        do
            count += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        while (::FindNextFileW(search, &entry));
        ::FindClose(search);
        return count;
    }

    std::wstring path;

private:
    void Clear()
    {
        WIN32_FIND_DATAW entry{};
        const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do
            ::DeleteFileW((path + L"\\" + entry.cFileName).c_str());
        while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
};

UINT CheckState(HWND list, int row)
{
    return static_cast<UINT>(::SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK)) >> 12;
}

void SetCheck(HWND list, int row, UINT state)
{
    LVITEMW item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(state);
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

class SiteFolderTest : public FrameTest
{
protected:
    // The whole list selected and backed up to `folder`, the question about the files there answered
    // `answer` (0: no question is expected); the batch window closed once the batch is over.
    bool BackUp(const std::wstring& folder, int answer = 0)
    {
        Command(ID_SELECT_ALL);
        bool started = false;
        const auto backUp = [&] {
            started =
                frame->Folders().BackupTo(frame->Handle(), folder, frame->DeviceList().Rows().SelectedRows());
        };
        question.clear();
        if (answer == 0)
            backUp();
        else if (const std::string modal = WhileModal(
                     backUp, [] { return FindDialogTitled(L"Сохранение настроек в папку"); },
                     [&](HWND box) {
                         question = MessageBoxText(box);
                         ::PostMessageW(box, WM_COMMAND, answer, 0);
                     });
                 !modal.empty())
            ADD_FAILURE() << modal;
        const bool over = started && Until([] { return !BatchRunning(); });
        Pump(loop, 200);
        rows = BatchRows();
        CloseBatchWindow();
        return over;
    }

    // The batch window's rows, then the window closed.
    std::vector<std::wstring> BatchRows()
    {
        std::vector<std::wstring> rows;
        if (const HWND window = FindDialogWith(IDC_BATCH_ROWS))
        {
            const HWND list = ::GetDlgItem(window, IDC_BATCH_ROWS);
            for (int row = 0; row < RowCount(list); ++row)
                rows.push_back(CellText(list, row, 2));
        }
        return rows;
    }

    void CloseBatchWindow()
    {
        if (const HWND window = FindDialogWith(IDC_BATCH_ROWS))
            ::SendMessageW(window, WM_COMMAND, IDC_BATCH_CLOSE, 0);
    }

    std::wstring question;
    std::vector<std::wstring> rows; // the last batch's words, row by row
};

} // namespace

TEST_F(SiteFolderTest, FilesAlreadyThereAreAskedAboutOnceAndReplacedOrKeptAsAnswered)
{
    const std::uint32_t first = Add("count=3 name=Склад");
    Open();
    ASSERT_TRUE(WaitForList(3));
    TestFolder folder(L"объект-");
    ASSERT_EQ(Text(first), "127.0.0.2");
    const std::wstring kept = folder.File(L"127.0.0.2.xml");
    PutFile(kept, "old");

    // Cancel: nothing read, nothing written.
    const std::size_t requestsBefore = Requests().size();
    EXPECT_FALSE(BackUp(folder.path, IDCANCEL));
    EXPECT_EQ(question,
              L"В папке «" + folder.path +
                  L"» уже есть файлы 1 из 3 выбранных контроллеров: 127.0.0.2.xml.\n\nДа — заменить все "
                  L"эти файлы.\nНет — оставить их как есть и сохранить только остальные.\nОтмена — "
                  L"ничего не сохранять.");
    EXPECT_EQ(Requests().size(), requestsBefore);
    EXPECT_EQ(folder.Count(), 1);

    // Keep: the others are written as the controllers sent them, the file there stays.
    ASSERT_TRUE(BackUp(folder.path, IDNO));
    EXPECT_EQ(FileBytes(kept), "old");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], L"Файл «" + kept + L"» уже есть и оставлен как был.");
    EXPECT_EQ(rows[1], L"Сохранены в файл «" + folder.File(L"127.0.0.3.xml") + L"».");
    EXPECT_EQ(folder.Count(), 3);
    const std::string second = FileBytes(folder.File(L"127.0.0.3.xml"));
    EXPECT_NE(second.find("<net "), std::string::npos) << second;

    // Replace: the file there becomes the controller's document too.
    ASSERT_TRUE(BackUp(folder.path, IDYES));
    EXPECT_NE(FileBytes(kept).find("<net "), std::string::npos);
    EXPECT_EQ(folder.Count(), 3) << "a temporary file was left behind";

    // A folder that cannot be made (a file stands where its parent would be): every controller says why,
    // and none is read.
    const std::size_t readsBefore = Requests("GET").size();
    const std::wstring unmade = kept + L"\\папка";
    ASSERT_TRUE(BackUp(unmade));
    ASSERT_EQ(rows.size(), 3u);
    for (const std::wstring& words : rows)
        EXPECT_EQ(words.rfind(L"Не удалось создать папку «" + unmade + L"» или записать в неё файл: ", 0), 0u)
            << words;
    EXPECT_EQ(Requests("GET").size(), readsBefore);
}

TEST_F(SiteFolderTest, PreviewTicksTheControllersTheFilesChangeAndOnlyTheTickedAreWritten)
{
    const std::uint32_t first = Add("count=3 name=Склад sentype=5");
    const std::uint32_t second = first + 1;
    Open();
    ASSERT_TRUE(WaitForList(3));
    TestFolder folder(L"восстановление-");
    ASSERT_TRUE(BackUp(folder.path));
    ASSERT_EQ(folder.Count(), 3);
    PutFile(folder.File(L"испорчен.xml"),
            "<?xml version=\"1.0\"?>\n<om>\n\t<net ip=\"127.0.0.9\" mask=\"255.0\" />\n</om>\n");
    Set(first, "name=Ворота");
    Set(second, "sentype=0");
    const std::size_t postsBefore = Requests("POST").size();

    std::atomic<bool> closed = false;
    std::wstring changes[4];
    UINT boxes[4] = {};
    UINT refusedAfterClick = 9;
    const std::string modal = WhileModal(
        [&] {
            ASSERT_TRUE(
                frame->Folders().RestoreFrom(frame->Handle(), folder.path, frame->DeviceList().Rows().All()));
            Until([&] { return closed.load(); }, 30000);
        },
        [] { return FindDialogWith(IDC_RESTORE_LIST); },
        [&](HWND dialog) {
            const HWND list = ::GetDlgItem(dialog, IDC_RESTORE_LIST);
            for (int row = 0; row < 4 && row < RowCount(list); ++row)
            {
                changes[row] = CellText(list, row, 2);
                boxes[row] = CheckState(list, row);
            }
            SetCheck(list, 3, 2);
            refusedAfterClick = CheckState(list, 3);
            SetCheck(list, 1, 1);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            closed = true;
        },
        40000);
    ASSERT_EQ(modal, "");
    // The files in name order: the three controllers', then the spoilt one.
    EXPECT_EQ(changes[0], L"name: Ворота → Склад");
    EXPECT_EQ(changes[1].rfind(L"sensor1: digital → analog", 0), 0u) << changes[1];
    EXPECT_EQ(changes[2], L"без изменений");
    EXPECT_NE(changes[3].find(L"недопустимое значение «mask»"), std::wstring::npos) << changes[3];
    EXPECT_EQ(boxes[0], 2u);
    EXPECT_EQ(boxes[1], 2u);
    EXPECT_EQ(boxes[2], 1u);
    EXPECT_EQ(boxes[3], 0u);
    EXPECT_EQ(refusedAfterClick, 0u) << "a refused file took a tick";

    ASSERT_TRUE(Until([&] { return Requests("POST").size() > postsBefore && !BatchRunning(); }, 30000));
    const std::vector<HttpRecord> posts = Requests("POST");
    ASSERT_EQ(posts.size(), postsBefore + 1);
    EXPECT_EQ(posts.back().controller, Text(first) + ":80");
    EXPECT_EQ(Show(first)["name"], "Склад");
    EXPECT_EQ(Show(second)["sentype"], "0") << "the unticked controller was written";
}
