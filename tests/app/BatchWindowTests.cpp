// The batch window over the main window, with the real engine's lanes against the simulated site: each
// controller's row and the summary, the report, a cancel, and the commands that a running batch keeps out.
#include "tests/app/FrameTest.h"

#include "app/BatchWindow.h"
#include "engine/ProgramSettings.h"
#include "res/resource.h"
#include "ui/ControlText.h"

#include <gmock/gmock.h>

#include <set>
#include <string>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;
using ::testing::HasSubstr;
using ::testing::Not;

namespace
{

// Renames every controller of the batch "Written" and moves the one at `from` to `to`.
class RenamingWork final : public BatchWork
{
public:
    RenamingWork(std::uint32_t from, std::uint32_t to) : from(from), to(to) {}

    AfterReading AfterRead(std::uint32_t address, const DevicePropertiesResult& read) override
    {
        AfterReading after{read.properties, {}};
        after.write->changed = OM::Xml::PropName;
        after.write->name = L"Written";
        if (address == from)
        {
            after.write->ip = to;
            after.write->changed |= OM::Xml::PropIp;
        }
        return after;
    }

private:
    const std::uint32_t from;
    const std::uint32_t to;
};

class BatchWindowTest : public FrameTest
{
protected:
    // A batch that only reads every controller the list shows, in its order.
    BatchCommand ReadingAll() const
    {
        BatchCommand command;
        command.title = L"Чтение настроек";
        AddTargets(command, frame->DeviceList().Rows().All());
        return command;
    }

    static HWND Window() { return FindDialogWith(IDC_BATCH_ROWS); }
    static std::wstring State(int row) { return CellText(::GetDlgItem(Window(), IDC_BATCH_ROWS), row, 2); }
    static std::wstring Summary() { return OM::Ui::WindowText(::GetDlgItem(Window(), IDC_BATCH_SUMMARY)); }
    bool WaitForEnd()
    {
        return Until([] { return !BatchRunning() && Window() != nullptr && !Summary().empty(); });
    }

    // The controllers that received a request since the first `since` requests of the test.
    std::set<std::string> Reached(std::size_t since)
    {
        std::set<std::string> reached;
        for (const HttpRecord& request : RequestsSince(since))
            reached.insert(request.controller);
        return reached;
    }
};

} // namespace

// Slow controllers read as one batch: the rows go from waiting to done, the one that refuses the connection
// says why, and the summary and the report are the console's. Meanwhile the main window stays usable but
// starts no search and opens no sheet, not even from the keyboard, and no wait dialog opens.
TEST_F(BatchWindowTest, ReadingBatchTellsEachRowAndSumsUpWhileSearchAndSheetWait)
{
    const std::uint32_t first = Add("count=4 answer-delay=1500");
    const std::uint32_t silent = Add("http=refuse");
    // A range where nothing answers is a row of the list, but no controller of a batch.
    Settings().knownRanges = {{0x7F000100, 0x7F000105, -1}};
    Open();
    ASSERT_TRUE(WaitForList(6));
    // Renamed after the search: only the batch's read brings the new name to the main list.
    Set(first, "name=Renamed");
    ClickRow(0);

    ASSERT_TRUE(StartBatch(frame->Handle(), ReadingAll()));
    EXPECT_FALSE(StartBatch(frame->Handle(), ReadingAll())) << "a second batch while one runs";
    ASSERT_NE(Window(), nullptr);
    EXPECT_EQ(OM::Ui::WindowText(Window()), L"Чтение настроек");
    EXPECT_EQ(State(0), L"ждёт");
    EXPECT_EQ(RowCount(::GetDlgItem(Window(), IDC_BATCH_ROWS)), 5);
    for (const UINT id : {ID_NEW_SEARCH, ID_ADD_CONTROLLER, ID_CONTROLLER_SETTINGS, ID_LOAD_SETTINGS})
        EXPECT_FALSE(MenuItemEnabled(0, id)) << id;
    EXPECT_TRUE(MenuItemEnabled(0, ID_COPY));
    Command(ID_REFRESH);
    PressKey(loop, List(), 'N', true);
    PressKey(loop, List(), VK_F2);
    Command(ID_NEW_SEARCH);
    EXPECT_TRUE(Until([] { return State(0) == L"читается"; }, 5000)) << State(0);

    bool waitDialog = false;
    EXPECT_TRUE(Until([&] {
        waitDialog = waitDialog || FindDialogWith(IDC_WAIT_MESSAGE) != nullptr;
        return !BatchRunning() && !Summary().empty();
    }));
    EXPECT_FALSE(waitDialog);
    EXPECT_EQ(Log(), L"") << "a search ran during the batch";
    // The selected controller's sheet would have read it once more.
    const auto reaching = [this](std::uint32_t address) {
        std::size_t count = 0;
        for (const HttpRecord& request : Requests())
            count += request.controller == Text(address) + ":80";
        return count;
    };
    EXPECT_EQ(reaching(first), reaching(first + 1));

    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(State(row), L"готово") << row;
    const std::string silentText = Text(silent);
    EXPECT_THAT(State(4), HasSubstr(std::wstring(silentText.begin(), silentText.end())));
    EXPECT_THAT(State(4), Not(HasSubstr(L"\n")));
    EXPECT_EQ(Summary(), L"Готово: 4 из 5; не ответили: 1");
    EXPECT_EQ(::SendDlgItemMessageW(Window(), IDC_BATCH_PROGRESS, PBM_GETPOS, 0, 0), 5);
    EXPECT_EQ(CellText(::GetDlgItem(Window(), IDC_BATCH_ROWS), 0, 1), L"Renamed");
    EXPECT_TRUE(Until([&] { return CellText(List(), 0, 0) == L"Renamed"; }, 3000)) << CellText(List(), 0, 0);

    ::SendMessageW(Window(), WM_COMMAND, IDC_BATCH_COPY, 0);
    const std::wstring report = ClipboardText();
    EXPECT_THAT(report, HasSubstr(L"Чтение настроек\r\n127.0.0.2\tRenamed\tготово\r\n"));
    EXPECT_THAT(report, HasSubstr(L"\t" + State(4) + L"\r\nГотово: 4 из 5; не ответили: 1\r\n"));

    EXPECT_TRUE(MenuItemEnabled(0, ID_NEW_SEARCH));
    // Esc, which cancelled while the batch ran, now closes the window.
    PressKey(loop, ::GetDlgItem(Window(), IDC_BATCH_ROWS), VK_ESCAPE);
    EXPECT_EQ(Window(), nullptr);
}

// "Отмена" half-way: no controller starts after it and those not done say so; closing the window of a
// running batch cancels it as well, and so does the program's end.
TEST_F(BatchWindowTest, CancelStartsNoControllerAfterItAndClosingTheWindowCancelsToo)
{
    Settings().parallelExchanges = 2;
    Add("count=6 answer-delay=800");
    Open();
    ASSERT_TRUE(WaitForList(6));

    ASSERT_TRUE(StartBatch(frame->Handle(), ReadingAll()));
    // The first two done, each lane has taken the next controller.
    const auto startedRows = [] {
        std::set<std::string> started;
        for (int row = 0; row < 6; ++row)
        {
            if (State(row) != L"ждёт")
                started.insert(Text(0x7F000002 + row) + ":80");
        }
        return started;
    };
    ASSERT_TRUE(Until([&] { return startedRows().size() == 4; }));
    const std::set<std::string> started = startedRows();
    ::SendMessageW(Window(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Reached(0), started);
    EXPECT_EQ(State(5), L"отменено");
    EXPECT_THAT(Summary(), HasSubstr(L"; отменены: "));
    EXPECT_THAT(Summary(), HasSubstr(L"Готово: 2 из 6"));

    // Closed while it runs: the window goes once the batch has ended, and no other controller starts.
    const std::size_t before = Requests().size();
    ASSERT_TRUE(StartBatch(frame->Handle(), ReadingAll()));
    ASSERT_TRUE(Until([] { return State(0) == L"читается"; }));
    ::PostMessageW(Window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(Until([] { return !BatchRunning() && Window() == nullptr; }));
    EXPECT_EQ(Reached(before).size(), 2u);

    // The program closed during a batch ends it.
    ASSERT_TRUE(StartBatch(frame->Handle(), ReadingAll()));
    ::DestroyWindow(frame->Handle());
    EXPECT_FALSE(BatchRunning());
    EXPECT_EQ(Window(), nullptr);
}

// A batch that writes: its rows pass through "записывается" to the caller's own words, the caller hears
// each outcome, and the main list follows each controller to its new name and address.
TEST_F(BatchWindowTest, WritingBatchShowsTheWriteAndTheListFollowsTheMovedController)
{
    const std::uint32_t first = Add("count=2 answer-delay=600");
    const std::uint32_t moved = first + 0x10;
    Open();
    ASSERT_TRUE(WaitForList(2));

    BatchCommand command = ReadingAll();
    command.request.work = std::make_shared<RenamingWork>(first, moved);
    command.doneText = [](const BatchOutcome& outcome) {
        return L"записан в " + std::to_wstring(outcome.index);
    };
    std::vector<std::size_t> heard;
    command.onOutcome = [&](const BatchOutcome& outcome) { heard.push_back(outcome.index); };
    ASSERT_TRUE(StartBatch(frame->Handle(), std::move(command)));
    EXPECT_TRUE(Until([] { return State(0) == L"записывается"; })) << State(0);
    ASSERT_TRUE(WaitForEnd());

    EXPECT_EQ(State(0), L"записан в 0");
    EXPECT_EQ(State(1), L"записан в 1");
    EXPECT_EQ(Summary(), L"Готово: 2 из 2");
    EXPECT_EQ(heard.size(), 2u);
    EXPECT_EQ(Show(moved)["name"], "Written");
    const std::string movedText = Text(moved);
    EXPECT_TRUE(Until(
        [&] {
            return RowCount(List()) == 2 && CellText(List(), 0, 0) == L"Written" &&
                   CellText(List(), 1, 0) == L"Written" &&
                   CellText(List(), 1, 1) == std::wstring(movedText.begin(), movedText.end());
        },
        3000))
        << CellText(List(), 1, 1);
}
