// The search's progress line on a console whose writes block, as they do while the user selects text in
// the console window.
#include "cli/SearchProgress.h"

#include "helpers/Thread.h"
#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>

using OM::Helpers::UniqueHandle;
using OM::Norvatessa::Cli::ConsoleStream;
using OM::Norvatessa::Cli::SearchProgress;

namespace
{

// A console, so that the progress draws, which holds every write of another thread than the test's for
// longer than the progress thread is given to stop. It keeps a handle of the thread that wrote.
class HeldConsole final : public ConsoleStream
{
public:
    static constexpr DWORD HoldMs = OM::Helpers::Thread::StopGraceMs + OM::Helpers::Thread::StopWaitMs + 950;

    HeldConsole() : ConsoleStream(STD_ERROR_HANDLE) {}
    // A progress thread that outlived its object must not write into this one once it is gone as well.
    ~HeldConsole() override
    {
        if (writer)
            ::WaitForSingleObject(writer.get(), HoldMs * 2);
    }

    void Write(std::wstring_view) override
    {
        if (::GetCurrentThreadId() == testThread)
            return;
        if (!writer)
        {
            HANDLE thread = nullptr;
            ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &thread,
                              SYNCHRONIZE, FALSE, 0);
            writer.reset(thread);
            ::SetEvent(held.get());
        }
        ++writing;
        ::Sleep(HoldMs);
        --writing;
    }
    bool IsConsole() const noexcept override { return true; }

    bool WaitHeld() const { return ::WaitForSingleObject(held.get(), 10000) == WAIT_OBJECT_0; }
    int WritesUnderWay() const { return writing; }
    HANDLE Writer() const { return writer.get(); }

private:
    const DWORD testThread = ::GetCurrentThreadId();
    UniqueHandle held{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle writer; // set by the first held write, before `held`
    std::atomic<int> writing{0};
};

} // namespace

TEST(SearchProgressTest, EndsOnlyAfterItsThreadThoughTheConsoleHoldsAWritePastTheStopWait)
{
    HeldConsole console;
    {
        const SearchProgress progress(console);
        ASSERT_TRUE(console.WaitHeld()) << "the progress never drew";
    }
    EXPECT_EQ(console.WritesUnderWay(), 0) << "the progress thread still writes after its object is gone";
    ASSERT_NE(console.Writer(), nullptr);
    EXPECT_EQ(::WaitForSingleObject(console.Writer(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the progress thread still runs after its object is gone";
}
