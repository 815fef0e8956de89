#pragma once

#include "helpers/UniqueHandle.h"

#include <windows.h>

namespace OM::Helpers
{

// Base class of a worker thread with a stop signal.
//
// Who runs what:
//  - Start, Stop and IsRunning are called by the thread that owns the object (the user-interface thread
//    in the program), never from the worker itself.
//  - BeforeRun, Run and AfterRun run on the worker thread that Start begins, in that order.
// The body learns that it should end only through the stop event, so Run includes StopEvent() in its
// waits. Stop waits a bounded time and does not interrupt a body that is busy elsewhere.
//
// The worker has ended when its thread handle is signalled; that, not a flag the body sets, is what Stop
// and Start look at, so a body that outlived an earlier Stop is never mistaken for a finished one.
//
// The thread procedure is a boundary (helpers/FailureBoundary.h): what the body lets through is a failure
// of the thread's own bookkeeping, which is said and ends the program with FatalExitCode.
//
// The destructor neither stops nor waits: the owner stops the worker, and makes sure it has ended
// (IsRunning), before destroying the object.
class Thread
{
public:
    // How long Stop gives the body to notice the stop event before it starts waiting, and how long it
    // then waits for the body to return.
    static constexpr DWORD StopGraceMs = 50;
    static constexpr DWORD StopWaitMs = 10000;

    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Owner thread. Begins a new worker. Refused (false) while the worker of an earlier run is still
    // alive, since two bodies would then share one object, and when the thread cannot be begun.
    bool Start();

    // Owner thread. Signals the stop event and waits at most StopGraceMs + StopWaitMs for the worker to
    // end. Returns WAIT_OBJECT_0 when it has ended, WAIT_TIMEOUT when it is still busy, and WAIT_FAILED at
    // once when no worker was ever begun.
    DWORD Stop();
    // Owner thread: the two halves of Stop, for an owner that stops many threads within one bound. Signals
    // the stop event without waiting; then waits at most `milliseconds` for the worker to end, with the
    // results of Stop.
    void SignalStop() noexcept;
    DWORD WaitForEnd(DWORD milliseconds) const;

    // Owner thread. Whether a worker begun by Start has not ended yet.
    bool IsRunning() const;

protected:
    // Worker thread.
    virtual void Run() {}
    virtual void BeforeRun() {}
    virtual void AfterRun() {}

    // The manual-reset event that Stop signals; null when it could not be created.
    HANDLE StopEvent() const noexcept { return stopEvent.get(); }

private:
    static unsigned __stdcall ThreadProcedure(void* thread);

    UniqueHandle stopEvent; // set by Stop, reset by Start; read by the worker
    UniqueHandle thread;    // owner thread only; signalled once the worker has ended
};

} // namespace OM::Helpers
