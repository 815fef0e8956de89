// The wait dialog as the worker drives it: the test's own thread plays the worker and calls the frame's
// Support notifications, while this thread runs the dialogs.
#include "tests/app/FrameTest.h"

#include "app/ReadPurpose.h"
#include "res/resource.h"
#include "ui/ControlText.h"

#include <gmock/gmock.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

using namespace OM::Norvatessa;
using namespace OM::Norvatessa::Testing;

namespace
{

class WaitDialogTest : public FrameTest
{
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        Open();
        ASSERT_TRUE(WaitForList(0));
    }

    // Runs `worker` on a thread of its own while this thread pumps its messages.
    void AsWorker(const std::function<void()>& worker)
    {
        std::atomic<bool> done{false};
        std::thread thread([&] {
            worker();
            done = true;
        });
        Until([&] { return done.load(); }, 60000);
        thread.join();
    }

    static HWND WaitForDialog(DWORD timeoutMs = 5000)
    {
        for (DWORD waited = 0; waited < timeoutMs; waited += 20)
        {
            if (HWND dialog = FindDialogWith(IDC_WAIT_DETAIL))
                return dialog;
            ::Sleep(20);
        }
        return nullptr;
    }

    static bool WaitForNoDialog(DWORD timeoutMs = 5000)
    {
        for (DWORD waited = 0; waited < timeoutMs; waited += 20)
        {
            if (!FindDialogWith(IDC_WAIT_DETAIL))
                return true;
            ::Sleep(20);
        }
        return false;
    }

    static bool WaitUntilCancelIs(HWND dialog, bool enabled)
    {
        const HWND cancel = ::GetDlgItem(dialog, IDCANCEL);
        for (int tries = 0; tries < 100 && (::IsWindowEnabled(cancel) != FALSE) != enabled; ++tries)
            ::Sleep(20);
        return (::IsWindowEnabled(cancel) != FALSE) == enabled;
    }
};

// Runs `action` once on this thread, from inside the creation of the next dialog window: what the worker
// does while a dialog is being created.
class WhileNextDialogIsCreated
{
public:
    explicit WhileNextDialogIsCreated(std::function<void()> action)
        : hook(::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId()))
    {
        pending = std::move(action);
    }
    ~WhileNextDialogIsCreated()
    {
        ::UnhookWindowsHookEx(hook);
        pending = nullptr;
    }
    WhileNextDialogIsCreated(const WhileNextDialogIsCreated&) = delete;
    WhileNextDialogIsCreated& operator=(const WhileNextDialogIsCreated&) = delete;

    bool Hooked() const { return hook != nullptr; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        wchar_t className[8] = {};
        if (code == HCBT_CREATEWND && pending &&
            ::GetClassNameW(reinterpret_cast<HWND>(wParam), className, 8) != 0 &&
            std::wstring(className) == L"#32770")
        {
            const std::function<void()> action = std::move(pending);
            pending = nullptr;
            action();
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline std::function<void()> pending;
    HHOOK hook;
};

} // namespace

TEST_F(WaitDialogTest, TwoStepExchangeShowsTwoDialogsOneAfterTheOther)
{
    std::vector<std::wstring> seen;
    AsWorker([&] {
        for (const wchar_t* label : {L"Авторизация", L"Запрос настроек контроллера"})
        {
            frame->OnExchangeStarted(label);
            if (HWND dialog = WaitForDialog())
            {
                seen.push_back(OM::Ui::ControlText(dialog, IDC_WAIT_MESSAGE) + L" / " +
                               OM::Ui::ControlText(dialog, IDC_WAIT_DETAIL));
                EXPECT_EQ(OM::Ui::ControlText(dialog, IDCANCEL), L"Отмена");
            }
            frame->OnExchangeCompleted(false);
            EXPECT_TRUE(WaitForNoDialog());
        }
    });
    EXPECT_EQ(seen,
              (std::vector<std::wstring>{L"Ожидание ответа контроллера / Авторизация",
                                         L"Ожидание ответа контроллера / Запрос настроек контроллера"}));
    EXPECT_EQ(Status(), L"Готово");
}

// The finish comes while the request to show the dialog still waits in the queue: no dialog may stay up.
TEST_F(WaitDialogTest, FinishBeforeTheDialogExistsLeavesNoDialog)
{
    frame->OnExchangeStarted(L"Авторизация");
    frame->OnExchangeCompleted(false);
    Pump(loop, 500);
    EXPECT_FALSE(FindDialogWith(IDC_WAIT_DETAIL));
    EXPECT_FALSE(frame->IsWaitPending());

    // And the next exchange shows its dialog as usual.
    bool shown = false;
    AsWorker([&] {
        frame->OnExchangeStarted(L"Запрос настроек контроллера");
        shown = WaitForDialog() != nullptr;
        frame->OnExchangeCompleted(false);
        EXPECT_TRUE(WaitForNoDialog());
    });
    EXPECT_TRUE(shown);
}

TEST_F(WaitDialogTest, LockedCancelCannotBeUsedButAFailureStillClosesTheDialog)
{
    AsWorker([&] {
        frame->OnExchangeStarted(L"Авторизация");
        const HWND dialog = WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        const HWND cancel = ::GetDlgItem(dialog, IDCANCEL);

        frame->OnAuthorizationRequested(false);
        for (int tries = 0; tries < 100 && ::IsWindowEnabled(cancel); ++tries)
            ::Sleep(20);
        EXPECT_FALSE(::IsWindowEnabled(cancel));
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ::Sleep(300);
        EXPECT_TRUE(::IsWindow(dialog) && ::IsWindowVisible(dialog)) << "a locked Cancel closed the dialog";

        frame->OnAuthorizationRetry(false);
        for (int tries = 0; tries < 100 && !::IsWindowEnabled(cancel); ++tries)
            ::Sleep(20);
        EXPECT_TRUE(::IsWindowEnabled(cancel));

        // Locked again, the exchange fails: the dialog must close all the same.
        frame->OnAuthorizationRequested(false);
        ::Sleep(200);
        frame->OnExchangeFailed(
            ExchangeFailure{0x7F000002, L"Авторизация", ExchangeFailureReason::CredentialsRejected, 0});
        EXPECT_TRUE(WaitForNoDialog());
        // The failure is told in words.
        HWND box = nullptr;
        for (int tries = 0; tries < 250 && !(box = FindDialogTitled(L"Ошибка")); ++tries)
            ::Sleep(20);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box),
                  L"Контроллер 127.0.0.2, Авторизация:\nКонтроллер не принял имя и пароль.");
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(Status(), L"Готово");

    // A fast controller's 401 locks Cancel before the dialog exists: the lock holds once it is there, and
    // the next exchange's dialog starts unlocked.
    frame->OnExchangeStarted(L"Авторизация");
    frame->OnAuthorizationRequested(false);
    AsWorker([&] {
        HWND dialog = WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(WaitUntilCancelIs(dialog, false)) << "the early lock was lost";
        frame->OnExchangeAborted(false);
        EXPECT_TRUE(WaitForNoDialog());

        frame->OnExchangeStarted(L"Запрос настроек контроллера");
        dialog = WaitForDialog();
        ASSERT_NE(dialog, nullptr);
        ::Sleep(200);
        EXPECT_TRUE(WaitUntilCancelIs(dialog, true));
        frame->OnExchangeCompleted(false);
        EXPECT_TRUE(WaitForNoDialog());
    });
}

// A fast controller's first opening: both exchanges and their result come while the first wait dialog is
// being created, so its own loop dispatches the result. The sheet must open after that dialog has ended,
// owned by the main window, which stays disabled under it; and a second opening while it is open shows
// no second sheet (OK in both would send two writes, the older one last).
TEST_F(WaitDialogTest, SheetOfAFastFirstOpeningOpensAloneOnceTheWaitDialogHasEnded)
{
    constexpr std::uint32_t controller = 0x7F000002;
    CAppView& list = frame->DeviceList();
    ASSERT_TRUE(list.Fill({{controller, 80, L"Склад"}}));
    OM::Xml::DeviceProperties properties;
    properties.name = L"Склад";
    properties.ip = controller;
    properties.tcpPort = 80;
    const WhileNextDialogIsCreated fastController([&] {
        frame->OnExchangeCompleted(false);
        frame->OnExchangeStarted(L"Запрос настроек контроллера");
        frame->OnExchangeCompleted(false);
        list.OnDeviceProperties(
            DevicePropertiesResult{controller, properties, ReadTag(ReadPurpose::OpenSheet)});
    });
    ASSERT_TRUE(fastController.Hooked());

    bool waitDialogGone = false;
    HWND owner = nullptr;
    bool frameEnabled = true;
    int sheets = 0;
    std::atomic<bool> done{false};
    std::thread user([&] {
        HWND sheet = WaitForDialogTitled(L"Настройки контроллера");
        if (sheet != nullptr)
        {
            waitDialogGone = FindDialogWith(IDC_WAIT_DETAIL) == nullptr;
            owner = ::GetWindow(sheet, GW_OWNER);
            ::Sleep(300); // the wait dialog, had it outlived the sheet's opening, would end now
            frameEnabled = ::IsWindowEnabled(frame->Handle()) != FALSE;
            // A second opening, as the result of a second double click would bring it.
            list.OnDeviceProperties(
                DevicePropertiesResult{controller, properties, ReadTag(ReadPurpose::OpenSheet)});
            ::Sleep(500);
            sheets = CountDialogsTitled(L"Настройки контроллера");
        }
        for (int tries = 0; tries < 250 && (sheet = FindDialogTitled(L"Настройки контроллера")); ++tries)
        {
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            ::Sleep(20);
        }
        done = true;
    });
    frame->OnExchangeStarted(L"Авторизация");
    Until([&] { return done.load(); }, 30000);
    user.join();

    EXPECT_TRUE(waitDialogGone) << "the sheet opened inside the wait dialog";
    EXPECT_EQ(owner, frame->Handle());
    EXPECT_FALSE(frameEnabled) << "the main window was enabled under the sheet";
    EXPECT_EQ(sheets, 1);
    EXPECT_TRUE(Until([&] { return ::IsWindowEnabled(frame->Handle()) != FALSE; }, 5000));
    EXPECT_TRUE(Requests("POST").empty());
}

TEST_F(WaitDialogTest, CancelClosesTheDialogAndAbortsTheExchangeInProgress)
{
    Add("http=stall");
    NewSearch();
    ASSERT_TRUE(WaitForList(1));
    ULONGLONG cancelledAt = 0;
    std::thread user([&] {
        if (HWND dialog = WaitForDialog(10000))
        {
            cancelledAt = ::GetTickCount64();
            ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    Command(ID_CONTROLLER_SETTINGS);
    Until([&] { return cancelledAt != 0 && !FindDialogWith(IDC_WAIT_DETAIL); }, 20000);
    user.join();
    ASSERT_NE(cancelledAt, 0u);
    // The aborted report puts the status back, long before the controller's time-out.
    ASSERT_TRUE(Until([&] { return Status() == L"Готово"; }, 3000));
    EXPECT_LT(::GetTickCount64() - cancelledAt, 3000u);
    EXPECT_FALSE(FindDialogTitled(L"Ошибка")) << "a cancel is no failure to report";
}
