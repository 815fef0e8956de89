#include "device/ConnectionCloser.h"

#include <utility>

namespace OM::Norvatessa
{

using Helpers::CriticalSectionLock;
using Helpers::UniqueInternetHandle;

ConnectionCloser& ConnectionCloser::Instance()
{
    static ConnectionCloser* const closer = new ConnectionCloser();
    return *closer;
}

ConnectionCloser::ConnectionCloser() : handed(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    running = handed && Start();
}

void ConnectionCloser::Hand(UniqueInternetHandle connectHandle, UniqueInternetHandle internetHandle) noexcept
{
    // The entry is made before it takes the handles, so that a failure leaves them with this function.
    std::list<Waiting> entry;
    if (running)
    {
        try
        {
            entry.emplace_back();
        }
        catch (...)
        {
        }
    }
    if (entry.empty())
    {
        connectHandle.release();
        internetHandle.release();
        return;
    }
    entry.front().due = ::GetTickCount64() + GraceMs;
    entry.front().internetHandle = std::move(internetHandle);
    entry.front().connectHandle = std::move(connectHandle);
    {
        CriticalSectionLock hold(lock);
        waiting.splice(waiting.end(), entry);
    }
    ::SetEvent(handed.get());
}

void ConnectionCloser::Run()
{
    const HANDLE events[] = {StopEvent(), handed.get()};
    for (;;)
    {
        std::list<Waiting> due;
        DWORD untilNext = INFINITE;
        {
            CriticalSectionLock hold(lock);
            const ULONGLONG now = ::GetTickCount64();
            auto end = waiting.begin();
            while (end != waiting.end() && end->due <= now)
                ++end;
            due.splice(due.end(), waiting, waiting.begin(), end);
            if (!waiting.empty())
                untilNext = static_cast<DWORD>(waiting.front().due - now);
        }
        due.clear(); // closes them, outside the lock
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, untilNext);
        if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED)
            return;
    }
}

} // namespace OM::Norvatessa
