#pragma once

#include "helpers/CriticalSection.h"
#include "helpers/InternetHandles.h"
#include "helpers/Thread.h"
#include "helpers/UniqueHandle.h"

#include <windows.h>

#include <list>

namespace OM::Norvatessa
{

// Closes controllers' connections on a thread of its own, a while after the last user of each let go.
//
// Why: the system's HTTP code (Wine's, at least) keeps the requests of a connection in a list that no lock
// guards. Closing the connection walks that list; the system's own thread takes a request out of it and
// frees it when it has finished the request, just after reporting INTERNET_STATUS_HANDLE_CLOSING. Closing
// a connection at that moment made the console program crash inside the system's code. So a connection
// comes here only once every request opened under it has reported closing (ConnectionHandles), and is
// closed GraceMs later, when the system's thread is long done with the list.
//
// Who runs what: Hand runs on any thread (the worker, or the system's thread inside the status callback)
// and only queues; the closer's own thread closes. Nobody waits for it: not Stop, not a cancel, not a bound.
class ConnectionCloser final : private Helpers::Thread
{
public:
    // From the hand-over to the close.
    static constexpr DWORD GraceMs = 1000;

    // The process's one closer, begun on first use. It is never destroyed, and what still waits at the end
    // of the process is freed with it, deliberately: a request the system still runs then keeps its
    // connection to the end, and closing any connection during the exit could meet the system's thread
    // as well.
    static ConnectionCloser& Instance();

    // Any thread. Takes one controller's handles: the connection is closed first, then the session. When
    // the closer could not begin, or the hand-over cannot be queued, they are left open to the process end
    // rather than closed in place.
    void Hand(Helpers::UniqueInternetHandle connectHandle,
              Helpers::UniqueInternetHandle internetHandle) noexcept;

private:
    struct Waiting
    {
        ULONGLONG due = 0;
        Helpers::UniqueInternetHandle internetHandle;
        Helpers::UniqueInternetHandle connectHandle; // closed before the session (member order)
    };

    ConnectionCloser();
    void Run() override;

    bool running = false;          // set once by the constructor
    Helpers::UniqueHandle handed;  // auto-reset; set by Hand to wake the closer's thread
    Helpers::CriticalSection lock; // guards `waiting`
    std::list<Waiting> waiting;    // in the order of their due time
};

} // namespace OM::Norvatessa
