#include "helpers/Thread.h"
#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

using namespace OM::Helpers;

namespace
{

// A body that runs until it is asked to stop, recording its course.
class Recorder : public Thread
{
public:
    ~Recorder() override { Stop(); }

    std::wstring trace;
    DWORD threadId = 0;
    std::atomic<int> runs{0};
    // How long the body keeps working after it has seen the stop event.
    DWORD lingerMs = 0;
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
        ::Sleep(lingerMs);
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

protected:
    void Run() override
    {
        ::WaitForSingleObject(release.get(), INFINITE);
        returned = true;
    }
};

} // namespace

TEST(Thread, StartRunsTheHooksInOrderOnANewThreadAndStopEndsThem)
{
    Recorder recorder;
    recorder.Start();
    EXPECT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(recorder.trace, L"BRA");
    EXPECT_NE(recorder.threadId, 0u);
    EXPECT_NE(recorder.threadId, ::GetCurrentThreadId());
}

TEST(Thread, StartAfterAFinishedRunBeginsAFreshRunThatStopWaitsFor)
{
    Recorder recorder;
    recorder.Start();
    ASSERT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));

    // The second body needs time after the stop event: Stop must wait for it, not take the finished mark
    // of the first run.
    recorder.lingerMs = 200;
    recorder.Start();
    EXPECT_EQ(recorder.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(recorder.returned);
    EXPECT_EQ(recorder.runs, 2);
    EXPECT_EQ(recorder.trace, L"BRABRA");
}

TEST(Thread, StopOfABodyThatNeverListensReturnsAfterItsBound)
{
    Deaf deaf;
    deaf.Start();
    const ULONGLONG started = ::GetTickCount64();
    const DWORD outcome = deaf.Stop();
    const ULONGLONG elapsed = ::GetTickCount64() - started;

    EXPECT_EQ(outcome, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_FALSE(deaf.returned);
    // The tick counter moves in steps of up to about 16 ms.
    EXPECT_GE(elapsed, Thread::StopGraceMs + Thread::StopWaitMs - 20);
    EXPECT_LT(elapsed, Thread::StopGraceMs + Thread::StopWaitMs + 2000);

    // Let the body end before the object goes away: the destructor does not wait for it.
    ::SetEvent(deaf.release.get());
    EXPECT_EQ(deaf.Stop(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(deaf.returned);
}
