#pragma once

#include "helpers/UniqueHandle.h"

#include <windows.h>

namespace OM::Helpers
{

// Base class of a worker thread with a stop signal.
//
// Who runs what:
//  - Start and Stop are called by the thread that owns the object (the user-interface thread in the
//    program), never from the worker itself.
//  - BeforeRun, Run and AfterRun run on the worker thread that Start begins, in that order.
// The body learns that it should end only through the stop event, so Run includes StopEvent() in its
// waits. Stop waits a bounded time and does not interrupt a body that is busy elsewhere.
//
// The destructor neither stops nor waits: the owner stops the worker before destroying the object.
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

    // Owner thread. Begins a new worker; a handle left from an earlier run is closed first.
    void Start();

    // Owner thread. Signals the stop event and waits at most StopGraceMs + StopWaitMs for the body to
    // return. Returns the outcome of that wait: WAIT_OBJECT_0 when the body has returned, WAIT_TIMEOUT
    // when it is still busy, WAIT_FAILED when the thread could not be prepared.
    DWORD Stop();

protected:
    // Worker thread.
    virtual void Run() {}
    virtual void BeforeRun() {}
    virtual void AfterRun() {}

    // The manual-reset event that Stop signals; null when it could not be created.
    HANDLE StopEvent() const noexcept { return stopEvent.get(); }

private:
    static unsigned __stdcall ThreadProcedure(void* thread);

    UniqueHandle stopEvent;     // set by Stop, reset by Start; read by the worker
    UniqueHandle finishedEvent; // set by the worker when the body has returned
    UniqueHandle thread;        // owner thread only
};

} // namespace OM::Helpers
