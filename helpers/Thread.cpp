#include "helpers/Thread.h"

#include "helpers/FailureBoundary.h"

#include <process.h>

namespace OM::Helpers
{

namespace
{

constexpr wchar_t ThreadFailure[] = L"в рабочем потоке";

} // namespace

Thread::Thread() : stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Thread::~Thread() = default;

bool Thread::Start()
{
    if (!stopEvent || IsRunning())
        return false;
    ::ResetEvent(stopEvent.get());
    thread.reset();
    const uintptr_t handle = ::_beginthreadex(nullptr, 0, &Thread::ThreadProcedure, this, 0, nullptr);
    thread.reset(reinterpret_cast<HANDLE>(handle));
    return thread.valid();
}

DWORD Thread::Stop()
{
    if (!thread)
        return WAIT_FAILED;
    SignalStop();
    ::Sleep(StopGraceMs);
    return WaitForEnd(StopWaitMs);
}

void Thread::SignalStop() noexcept
{
    if (thread)
        ::SetEvent(stopEvent.get());
}

DWORD Thread::WaitForEnd(DWORD milliseconds) const
{
    if (!thread)
        return WAIT_FAILED;
    return ::WaitForSingleObject(thread.get(), milliseconds);
}

bool Thread::IsRunning() const
{
    return thread && ::WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT;
}

unsigned __stdcall Thread::ThreadProcedure(void* parameter)
{
    Thread& self = *static_cast<Thread*>(parameter);
    // A body ends the operations it runs itself; what reaches here is a failure of the thread's own
    // bookkeeping, after which nothing it owes could be trusted to happen.
    try
    {
        self.BeforeRun();
        self.Run();
        self.AfterRun();
    }
    catch (...)
    {
        EndOnCaught(ThreadFailure);
    }
    return 0;
}

} // namespace OM::Helpers
