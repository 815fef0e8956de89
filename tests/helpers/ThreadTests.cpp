#include "helpers/FailureBoundary.h"
#include "helpers/Thread.h"
#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace OM::Helpers;

namespace
{

// Every new thread of this program passes through this callback before its thread function runs; while
// `holdNewThreads` is set it waits there for `releaseNewThreads`. That lets a test look at the moment
// between Start and the first instruction of the new thread.
std::atomic<bool> holdNewThreads{false};
HANDLE releaseNewThreads = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

void NTAPI HoldNewThread(PVOID, DWORD reason, PVOID)
{
    if (reason == DLL_THREAD_ATTACH && holdNewThreads)
        ::WaitForSingleObject(releaseNewThreads, INFINITE);
}

extern "C" __attribute__((section(".CRT$XLB"), used)) const PIMAGE_TLS_CALLBACK holdNewThreadCallback =
    HoldNewThread;

// A body that runs until it is asked to stop, recording its course.
class Recorder : public Thread
{
public:
    ~Recorder() override { Stop(); }

    std::wstring trace;
    DWORD threadId = 0;
    std::atomic<int> runs{0};
    std::atomic<bool> returned{false};

protected:
    void BeforeRun() override
    {
        returned = false;
        trace += L"B";
        threadId = ::GetCurrentThreadId();
    }
    void Run() override
    {
        trace += L"R";
        ++runs;
        ::WaitForSingleObject(StopEvent(), INFINITE);
    }
    void AfterRun() override
    {
        trace += L"A";
        returned = true;
    }
};

// A body that ignores the stop event and waits for the test instead.
class Deaf : public Thread
{
public:
    Deaf() : release(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

    UniqueHandle release;
    std::atomic<bool> returned{false};
    std::atomic<int> runs{0};

protected:
    void Run() override
    {
        ++runs;
        ::WaitForSingleObject(release.get(), INFINITE);
        // Still busy a moment after the last look at its events, as a body that is tidying up.
        ::Sleep(200);
        returned = true;
    }
};

} // namespace

TEST(Thread, StartRunsTheHooksInOrderOnANewThreadAndStopEndsThem)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    EXPECT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(recorder.trace, L"BRA");
    EXPECT_NE(recorder.threadId, 0u);
    EXPECT_NE(recorder.threadId, ::GetCurrentThreadId());
}

TEST(Thread, StartAfterAFinishedRunBeginsAFreshRunThatStopWaitsFor)
{
    Recorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));

    // The new thread is held before it runs at all, and let go only while Stop waits: Stop must wait for
    // the second run, not take the finished mark that the first run left. The releasing thread is running
    // before the hold begins, or it would be held too.
    UniqueHandle running(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle armed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread releaser([&running, &armed] {
        ::SetEvent(running.get());
        ::WaitForSingleObject(armed.get(), INFINITE);
        ::Sleep(300);
        holdNewThreads = false;
        ::SetEvent(releaseNewThreads);
    });
    ::WaitForSingleObject(running.get(), INFINITE);
    ::ResetEvent(releaseNewThreads);
    recorder.returned = false;
    holdNewThreads = true;
    EXPECT_TRUE(recorder.Start());
    ::SetEvent(armed.get());
    EXPECT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(recorder.returned);
    releaser.join();
    EXPECT_EQ(recorder.runs, 2);
    EXPECT_EQ(recorder.trace, L"BRABRA");
}

TEST(Thread, StopOfABodyThatNeverListensReturnsAfterItsBoundAndNoSecondBodyStartsMeanwhile)
{
    Deaf deaf;
    ASSERT_TRUE(deaf.Start());
    const ULONGLONG started = ::GetTickCount64();
    const DWORD outcome = deaf.Stop();
    const ULONGLONG elapsed = ::GetTickCount64() - started;

    EXPECT_EQ(outcome, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(deaf.returned);
    EXPECT_TRUE(deaf.IsRunning());
    // The tick counter moves in steps of up to about 16 ms.
    EXPECT_GE(elapsed, Thread::StopGraceMs + Thread::StopWaitMs - 20);
    EXPECT_LT(elapsed, Thread::StopGraceMs + Thread::StopWaitMs + 2000);

    // The first body still runs: a second one would serve the same object beside it.
    EXPECT_FALSE(deaf.Start());

    // Stop reports the end only once the body itself has returned, not when it merely let go of its
    // waits; the destructor does not wait for it.
    ::SetEvent(deaf.release.get());
    EXPECT_EQ(deaf.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(deaf.returned);
    EXPECT_FALSE(deaf.IsRunning());
    EXPECT_EQ(deaf.runs, 1);
}

TEST(Thread, StopWithoutAStartedWorkerFailsAtOnce)
{
    Recorder never;
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(never.Stop(), static_cast<DWORD>(WAIT_FAILED));
    EXPECT_LT(::GetTickCount64() - started, 1000u);
    EXPECT_FALSE(never.IsRunning());
}

// A body that lets an exception through: the thread's own bookkeeping has failed, and nothing it owes
// could be trusted to happen any more.
class Broken : public Thread
{
protected:
    void Run() override { throw std::runtime_error("queue broken"); }
};

// Writes what a boundary says on the standard error that the death test reads.
class ToStandardError final : public FailureListener
{
public:
    void OnFailure(const std::wstring& sentence, bool fatal) noexcept override
    {
        std::string bytes(3 * sentence.size(), '\0');
        bytes.resize(static_cast<std::size_t>(
            ::WideCharToMultiByte(CP_UTF8, 0, sentence.data(), static_cast<int>(sentence.size()),
                                  bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr)));
        std::fprintf(stderr, "%s: %s\n", fatal ? "fatal" : "said", bytes.c_str());
        std::fflush(stderr);
    }
};

TEST(ThreadDeathTest, BodyThatThrowsIsSaidAndEndsTheProgramWithExitCodeThree)
{
    ToStandardError listener;
    EXPECT_EXIT(
        {
            SetFailureListener(&listener);
            Broken broken;
            broken.Start();
            ::Sleep(10000);
        },
        ::testing::ExitedWithCode(FatalExitCode), "fatal: .*queue broken");
    SetFailureListener(nullptr);
}

TEST(FailureBoundary, GuardedBodyThatThrowsIsSaidEndedAndNamedAndOneThatReturnsIsNot)
{
    struct : FailureListener
    {
        void OnFailure(const std::wstring& sentence, bool fatal) noexcept override
        {
            said.push_back(sentence);
            anyFatal = anyFatal || fatal;
        }
        std::vector<std::wstring> said;
        bool anyFatal = false;
    } listener;
    SetFailureListener(&listener);
    std::wstring what;
    EXPECT_FALSE(Guarded(
        L"при проверке", [] { throw std::out_of_range("index 9"); }, &what));
    EXPECT_TRUE(Guarded(L"при проверке", [] {}));
    EXPECT_FALSE(Guarded(L"при проверке", [] { throw 42; }));
    SetFailureListener(nullptr);

    EXPECT_EQ(what, L"index 9");
    ASSERT_EQ(listener.said.size(), 2u);
    EXPECT_EQ(listener.said[0], L"Внутренняя ошибка программы при проверке: index 9. Это действие прервано.");
    EXPECT_EQ(listener.said[1],
              L"Внутренняя ошибка программы при проверке: неизвестное исключение. Это действие прервано.");
    EXPECT_FALSE(listener.anyFatal);
}
