#include "app/BatchWindow.h"

#include "app/Clipboard.h"
#include "app/PrivateMessages.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/BatchOutcomeText.h"
#include "engine/DeviceEngine.h"
#include "helpers/CriticalSection.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/DialogImpl.h"
#include "ui/Dpi.h"
#include "ui/MessageLoop.h"
#include "ui/Module.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <memory>
#include <utility>
#include <variant>

namespace OM::Norvatessa
{

// The prompts of a batch whose caller left them null. Null for now: a controller that demands credentials
// then fails with the reason.
std::shared_ptr<BatchPrompts> DefaultBatchPrompts(HWND /*owner*/)
{
    return nullptr;
}

namespace
{

constexpr UINT_PTR ClockTimer = 1;
constexpr UINT ClockPeriodMs = 200;

// The rows' columns, left to right, with their widths in pixels at 96 dots per inch; the last takes what
// is left.
struct BatchColumn
{
    const wchar_t* title;
    int width;
};
constexpr BatchColumn Columns[] = {{L"IP адрес", 100}, {L"Имя сервера", 150}, {L"Состояние", 0}};

// How each control follows the window's size: the rows take what it grows by, the lines below them move
// down with its bottom and widen with it, and the buttons keep to its bottom right corner.
enum class Follows
{
    Both,   // grows and widens
    Bottom, // moves down and widens
    Corner, // moves down and right
};
struct Anchor
{
    int id;
    Follows follows;
};
constexpr Anchor Anchors[] = {
    {IDC_BATCH_ROWS, Follows::Both},    {IDC_BATCH_PROGRESS, Follows::Bottom},
    {IDC_BATCH_TIME, Follows::Bottom},  {IDC_BATCH_SUMMARY, Follows::Bottom},
    {IDC_BATCH_COPY, Follows::Corner},  {IDCANCEL, Follows::Corner},
    {IDC_BATCH_CLOSE, Follows::Corner},
};

// How a row's controller stands.
enum class RowState
{
    Waiting,
    Reading,
    Writing,
    Done,
    Unanswered,
    Failed,
    Skipped,
    Cancelled,
};

class BatchWindow final : public Ui::DialogImpl<BatchWindow>, public Support, public Ui::MessageFilter
{
public:
    explicit BatchWindow(BatchCommand command) : command(std::move(command)) {}

    // Creates the window over `owner` and posts the batch; false when the window could not be created.
    bool Open(HWND owner);
    bool Running() const noexcept { return !over; }

    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    bool PreTranslateMessage(MSG& message) override;

    // Worker thread: queued, and handled on the user-interface thread in their order.
    void OnBatchExchange(const BatchExchange& exchange) override { Queue(exchange); }
    void OnBatchOutcome(const BatchOutcome& outcome) override { Queue(outcome); }
    void OnBatchFinished(const BatchEnd& end) override { Queue(end); }

private:
    using News = std::variant<BatchExchange, BatchOutcome, BatchEnd>;
    struct Row
    {
        std::uint32_t address = 0;
        std::wstring name;
        RowState state = RowState::Waiting;
        std::wstring words; // of its state
    };

    template <typename Told>
    void Queue(const Told& told)
    {
        bool first = false;
        {
            Helpers::CriticalSectionLock hold(lock);
            first = news.empty();
            news.emplace_back(told);
        }
        // One message drains what is queued until it is handled: a large batch tells in bursts.
        if (first)
            ::PostMessageW(window, WM_BATCHNEWS, 0, 0);
    }

    void OnInitDialog();
    // The sizes and places the template gave, which resizing starts from.
    void RememberLayout();
    void FitControls(int width, int height);
    void AddColumns();
    void OnNews();
    void OnExchange(const BatchExchange& exchange);
    void OnOutcome(const BatchOutcome& outcome);
    void OnEnd();
    void SetRow(std::size_t index, RowState state, std::wstring words);
    void ShowWholeState(NMLVGETINFOTIPW& tip) const;
    void ShowProgress();
    void ShowTime();
    void Cancel();
    void Close();
    std::wstring Report() const;
    void OnDestroy();
    void OnFinalMessage() override;

    BatchCommand command;
    Helpers::CriticalSection lock; // guards `news`
    std::deque<News> news;

    // User-interface thread only.
    BatchId id = 0;
    std::vector<Row> rows;
    std::size_t told = 0; // outcomes
    bool over = false;
    bool cancelled = false;
    bool closeWhenOver = false; // closed while the batch ran: the window goes with its end
    ULONGLONG started = 0;
    ULONGLONG ended = 0;
    POINT smallest{};         // the window's size as the template made it
    RECT laidOut{};           // its client area then
    std::vector<RECT> places; // of the Anchors' controls then
    int stateWidth = 0;       // of the state column then
};

// Every batch window open, and those closed while their batch ends. User-interface thread only.
std::vector<std::unique_ptr<BatchWindow>>& Windows()
{
    static std::vector<std::unique_ptr<BatchWindow>> windows;
    return windows;
}

bool BatchWindow::Open(HWND owner)
{
    rows.reserve(command.request.targets.size());
    for (std::size_t index = 0; index < command.request.targets.size(); ++index)
    {
        Row row;
        row.address = command.request.targets[index].address;
        row.name = index < command.names.size() ? command.names[index] : std::wstring();
        row.words = Words::BatchWaiting;
        rows.push_back(std::move(row));
    }
    started = ::GetTickCount64();
    if (Create(owner, IDD_BATCH) == nullptr)
        return false;
    if (!command.request.prompts)
        command.request.prompts = DefaultBatchPrompts(owner);
    // The observer comes first, so that no news of the batch is missed; news of other batches is dropped
    // once the batch's number is known, on this thread.
    DeviceEngine& engine = DeviceEngine::Instance();
    engine.Add(this);
    id = engine.Post(command.request);
    ::ShowWindow(window, SW_SHOW);
    return true;
}

bool BatchWindow::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_BATCHNEWS:
        OnNews();
        return true;
    case WM_TIMER:
        if (wParam != ClockTimer)
            return false;
        ShowTime();
        return true;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDCANCEL:
            // "Отмена" and Esc while the batch runs; Esc closes the window once it is over.
            if (over)
                Close();
            else
                Cancel();
            return true;
        case IDC_BATCH_CLOSE:
            Close();
            return true;
        case IDC_BATCH_COPY:
            PutOnClipboard(window, Report());
            return true;
        default:
            return false;
        }
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            FitControls(LOWORD(lParam), HIWORD(lParam));
        return true;
    case WM_GETMINMAXINFO:
        // Never smaller than the template made it.
        if (smallest.x > 0)
            reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = smallest;
        return true;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code != LVN_GETINFOTIPW)
            return false;
        ShowWholeState(*reinterpret_cast<NMLVGETINFOTIPW*>(lParam));
        return true;
    case WM_CLOSE:
        Close();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    default:
        return false;
    }
}

bool BatchWindow::PreTranslateMessage(MSG& message)
{
    // Tab, Esc and the mnemonics of a modeless dialog; the main window's accelerators stay out of it.
    return window != nullptr && ::IsDialogMessageW(window, &message);
}

void BatchWindow::OnInitDialog()
{
    ::SetWindowTextW(window, command.title.c_str());
    AddColumns();
    const HWND list = ::GetDlgItem(window, IDC_BATCH_ROWS);
    ::SendMessageW(list, LVM_SETITEMCOUNT, rows.size(), 0);
    for (std::size_t index = 0; index < rows.size(); ++index)
    {
        const std::wstring address = AddressText(rows[index].address);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(index);
        item.pszText = const_cast<wchar_t*>(address.c_str());
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetRow(index, RowState::Waiting, Words::BatchWaiting);
    }
    ::SendDlgItemMessageW(window, IDC_BATCH_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(rows.size()));
    ::EnableWindow(::GetDlgItem(window, IDC_BATCH_COPY), FALSE);
    ShowTime();
    ::SetTimer(window, ClockTimer, ClockPeriodMs, nullptr);
    if (Ui::MessageLoop* loop = Ui::Module::Instance().CurrentMessageLoop())
        loop->AddMessageFilter(this);
    Ui::CenterWindow(window, ::GetWindow(window, GW_OWNER));
    RememberLayout();
}

void BatchWindow::RememberLayout()
{
    RECT frame{};
    ::GetWindowRect(window, &frame);
    smallest = POINT{frame.right - frame.left, frame.bottom - frame.top};
    ::GetClientRect(window, &laidOut);
    for (const Anchor& anchor : Anchors)
    {
        RECT box{};
        ::GetWindowRect(::GetDlgItem(window, anchor.id), &box);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
        places.push_back(box);
    }
}

void BatchWindow::FitControls(int width, int height)
{
    if (places.size() != std::size(Anchors))
        return; // before the dialog has been laid out
    const int wider = width - (laidOut.right - laidOut.left);
    const int taller = height - (laidOut.bottom - laidOut.top);
    for (std::size_t index = 0; index < places.size(); ++index)
    {
        RECT box = places[index];
        switch (Anchors[index].follows)
        {
        case Follows::Both:
            box.right += wider;
            box.bottom += taller;
            break;
        case Follows::Bottom:
            box.right += wider;
            ::OffsetRect(&box, 0, taller);
            break;
        case Follows::Corner:
            ::OffsetRect(&box, wider, taller);
            break;
        }
        ::SetWindowPos(::GetDlgItem(window, Anchors[index].id), nullptr, box.left, box.top,
                       box.right - box.left, box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The state column takes the width the rows gained.
    constexpr int StateColumn = static_cast<int>(std::size(Columns)) - 1;
    ::SendDlgItemMessageW(window, IDC_BATCH_ROWS, LVM_SETCOLUMNWIDTH, StateColumn,
                          MAKELPARAM(std::max(stateWidth + wider, stateWidth), 0));
    ::RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void BatchWindow::AddColumns()
{
    const HWND list = ::GetDlgItem(window, IDC_BATCH_ROWS);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                   LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    RECT client{};
    ::GetClientRect(list, &client);
    int left = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
    int index = 0;
    for (const BatchColumn& column : Columns)
    {
        const int width =
            column.width > 0 ? Ui::ScaleToDpi(column.width) : std::max(left, Ui::ScaleToDpi(100));
        left -= width;
        stateWidth = width; // the last column's, in the end
        LVCOLUMNW heading{};
        heading.mask = LVCF_TEXT | LVCF_WIDTH;
        heading.pszText = const_cast<wchar_t*>(column.title);
        heading.cx = width;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, index++, reinterpret_cast<LPARAM>(&heading));
    }
}

void BatchWindow::OnNews()
{
    std::deque<News> arrived;
    {
        Helpers::CriticalSectionLock hold(lock);
        arrived.swap(news);
    }
    for (const News& told : arrived)
    {
        if (const auto* exchange = std::get_if<BatchExchange>(&told); exchange && exchange->batch == id)
            OnExchange(*exchange);
        else if (const auto* outcome = std::get_if<BatchOutcome>(&told); outcome && outcome->batch == id)
            OnOutcome(*outcome);
        else if (const auto* end = std::get_if<BatchEnd>(&told); end && end->batch == id)
            OnEnd();
    }
}

void BatchWindow::OnExchange(const BatchExchange& exchange)
{
    if (exchange.index >= rows.size() || exchange.event.kind != ExchangeStarted)
        return;
    // The exchanges tell their step by its label. Everything up to the write reads (the authorisation
    // first), and the read that checks a write is still the write's.
    if (exchange.event.text == Words::WritePropertiesLabel)
        SetRow(exchange.index, RowState::Writing, Words::BatchWriting);
    else if (rows[exchange.index].state == RowState::Waiting)
        SetRow(exchange.index, RowState::Reading, Words::BatchReading);
}

void BatchWindow::OnOutcome(const BatchOutcome& outcome)
{
    if (outcome.index >= rows.size())
        return;
    Row& row = rows[outcome.index];
    if (outcome.read)
        row.name = outcome.readBack ? outcome.readBack->name : outcome.read->properties.name;
    std::vector<std::wstring> problems = ProblemWords(outcome);
    if (!outcome.failure.empty())
        problems.push_back(outcome.failure);
    switch (outcome.result)
    {
    case BatchResult::Done: {
        std::wstring words = command.doneText ? command.doneText(outcome) : std::wstring();
        SetRow(outcome.index, RowState::Done, words.empty() ? Words::BatchDone : std::move(words));
        break;
    }
    case BatchResult::Failed:
        SetRow(outcome.index, outcome.unanswered ? RowState::Unanswered : RowState::Failed,
               problems.empty() ? std::wstring(Words::ExchangeAborted) : OutcomeLine(problems));
        break;
    case BatchResult::Skipped:
        SetRow(outcome.index, RowState::Skipped, Words::BatchSkipped);
        break;
    case BatchResult::Cancelled:
        // Said as it was left: an exchange broken off, a write not checked; nothing begun, "отменено".
        SetRow(outcome.index, RowState::Cancelled,
               problems.empty() ? std::wstring(Words::BatchCancelled) : OutcomeLine(problems));
        break;
    }
    ++told;
    ShowProgress();
    if (command.onOutcome)
        command.onOutcome(outcome);
}

void BatchWindow::OnEnd()
{
    over = true;
    ended = ::GetTickCount64();
    ::KillTimer(window, ClockTimer);
    ShowTime();
    if (closeWhenOver)
    {
        // Not here: the window's object goes with it, and this message is still being handled.
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    OutcomeCounts counts;
    counts.total = rows.size();
    for (const Row& row : rows)
    {
        switch (row.state)
        {
        case RowState::Done:
            ++counts.done;
            break;
        case RowState::Unanswered:
            ++counts.unanswered;
            break;
        case RowState::Failed:
            ++counts.failed;
            break;
        case RowState::Skipped:
            ++counts.skipped;
            break;
        default:
            // A row the end found waiting or working was cancelled with the batch.
            ++counts.cancelled;
            break;
        }
    }
    ::SetDlgItemTextW(window, IDC_BATCH_SUMMARY, SummaryLine(counts).c_str());
    ::EnableWindow(::GetDlgItem(window, IDC_BATCH_COPY), TRUE);
    // Focus first, so that a disabled "Отмена" never holds it.
    ::SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(window, IDC_BATCH_CLOSE)),
                   TRUE);
    ::EnableWindow(::GetDlgItem(window, IDCANCEL), FALSE);
}

void BatchWindow::SetRow(std::size_t index, RowState state, std::wstring words)
{
    Row& row = rows[index];
    row.state = state;
    row.words = std::move(words);
    const HWND list = ::GetDlgItem(window, IDC_BATCH_ROWS);
    for (const auto& [column, text] : {std::pair{1, &row.name}, std::pair{2, &row.words}})
    {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = const_cast<wchar_t*>(text->c_str());
        ::SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    }
}

void BatchWindow::ShowWholeState(NMLVGETINFOTIPW& tip) const
{
    // A failure's words are longer than the column: the row's tip shows them whole.
    const std::size_t index = static_cast<std::size_t>(tip.iItem);
    if (index >= rows.size() || tip.pszText == nullptr || tip.cchTextMax <= 0)
        return;
    const std::wstring& words = rows[index].words;
    const std::size_t room = static_cast<std::size_t>(tip.cchTextMax) - 1;
    const std::size_t length = std::min(words.size(), room);
    words.copy(tip.pszText, length);
    tip.pszText[length] = L'\0';
}

void BatchWindow::ShowProgress()
{
    ::SendDlgItemMessageW(window, IDC_BATCH_PROGRESS, PBM_SETPOS, told, 0);
}

void BatchWindow::ShowTime()
{
    const ULONGLONG tenths = ((over ? ended : ::GetTickCount64()) - started) / 100;
    ::SetDlgItemTextW(window, IDC_BATCH_TIME,
                      Words::Fill(Words::BatchTime, tenths / 10, tenths % 10).c_str());
}

void BatchWindow::Cancel()
{
    if (over || cancelled)
        return;
    cancelled = true;
    DeviceEngine::Instance().CancelBatch(id);
    ::SetDlgItemTextW(window, IDC_BATCH_SUMMARY, Words::BatchCancelling);
    ::EnableWindow(::GetDlgItem(window, IDCANCEL), FALSE);
}

void BatchWindow::Close()
{
    if (over)
    {
        ::DestroyWindow(window);
        return;
    }
    // The batch ends first: the window hides now and goes with the end, so that BatchRunning holds until
    // then and every outcome still reaches the main list.
    Cancel();
    closeWhenOver = true;
    ::ShowWindow(window, SW_HIDE);
}

std::wstring BatchWindow::Report() const
{
    std::wstring text = command.title + L"\r\n";
    for (const Row& row : rows)
        text += AddressText(row.address) + L"\t" + row.name + L"\t" + row.words + L"\r\n";
    wchar_t summary[512] = {};
    ::GetDlgItemTextW(window, IDC_BATCH_SUMMARY, summary, static_cast<int>(std::size(summary)));
    return text + summary + L"\r\n";
}

void BatchWindow::OnDestroy()
{
    // Also when the main window goes with the program: the batch is cancelled, and the engine's Stop ends
    // what still runs within its bounds.
    DeviceEngine& engine = DeviceEngine::Instance();
    engine.Remove(this);
    if (!over)
        engine.CancelBatch(id);
    over = true;
    ::KillTimer(window, ClockTimer);
    if (Ui::MessageLoop* loop = Ui::Module::Instance().CurrentMessageLoop())
        loop->RemoveMessageFilter(this);
}

void BatchWindow::OnFinalMessage()
{
    // The last thing the window does: its object goes.
    std::vector<std::unique_ptr<BatchWindow>>& windows = Windows();
    const auto self =
        std::find_if(windows.begin(), windows.end(),
                     [this](const std::unique_ptr<BatchWindow>& open) { return open.get() == this; });
    if (self == windows.end())
        return;
    std::unique_ptr<BatchWindow> going = std::move(*self);
    windows.erase(self);
}

} // namespace

void AddTargets(BatchCommand& command, const std::vector<ControllerRow>& rows)
{
    for (const ControllerRow& row : rows)
    {
        if (row.range)
            continue;
        command.request.targets.push_back(BatchTarget{row.address, std::nullopt, row.port});
        command.names.push_back(row.name);
    }
}

bool StartBatch(HWND mainWindow, BatchCommand command)
{
    if (BatchRunning())
        return false;
    // A finished batch's window gives way to the new one.
    std::vector<HWND> finished;
    for (const std::unique_ptr<BatchWindow>& open : Windows())
        finished.push_back(open->Handle());
    for (const HWND old : finished)
        ::DestroyWindow(old);
    auto batchWindow = std::make_unique<BatchWindow>(std::move(command));
    BatchWindow& opened = *batchWindow;
    Windows().push_back(std::move(batchWindow));
    if (opened.Open(mainWindow))
        return true;
    // Not created: no final message removed it.
    if (!Windows().empty() && Windows().back().get() == &opened)
        Windows().pop_back();
    return false;
}

bool BatchRunning() noexcept
{
    const std::vector<std::unique_ptr<BatchWindow>>& windows = Windows();
    return std::any_of(windows.begin(), windows.end(),
                       [](const std::unique_ptr<BatchWindow>& open) { return open->Running(); });
}

} // namespace OM::Norvatessa
