#include "helpers/Thread.h"

#include <process.h>

namespace OM::Helpers
{

Thread::Thread()
    : stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      finishedEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

Thread::~Thread() = default;

void Thread::Start()
{
    if (!stopEvent || !finishedEvent)
        return;
    ::ResetEvent(stopEvent.get());
    // Reset before the thread begins, not on it: a Stop that follows a second Start at once must not see
    // the finished mark of the earlier run before the new thread has been scheduled.
    ::ResetEvent(finishedEvent.get());
    thread.reset();
    const uintptr_t handle = ::_beginthreadex(nullptr, 0, &Thread::ThreadProcedure, this, 0, nullptr);
    thread.reset(reinterpret_cast<HANDLE>(handle));
}

DWORD Thread::Stop()
{
    ::SetEvent(stopEvent.get());
    ::Sleep(StopGraceMs);
    return ::WaitForSingleObject(finishedEvent.get(), StopWaitMs);
}

unsigned __stdcall Thread::ThreadProcedure(void* parameter)
{
    Thread& self = *static_cast<Thread*>(parameter);
    self.BeforeRun();
    self.Run();
    self.AfterRun();
    ::SetEvent(self.finishedEvent.get());
    return 0;
}

} // namespace OM::Helpers
