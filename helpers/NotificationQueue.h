#pragma once

#include "helpers/CriticalSection.h"
#include "helpers/UniqueHandle.h"

#include <deque>
#include <utility>

namespace OM::Helpers
{

// A locked first-in-first-out queue whose arrivals are signalled by an auto-reset event.
//
// Push may be called from any thread. TryPop and the wait on Signal() belong to the one consumer thread.
// Because the event is auto-reset and every Push sets it, a push that the consumer has already taken
// during a drain leaves the event set; the next wake-up then finds the queue empty, which is harmless.
//
// Items still queued when the queue is destroyed are destroyed with it, unprocessed.
//
// A queue whose event could not be created cannot wake its consumer: Valid() says so, and the consumer
// must not start waiting on it.
template <typename T>
class NotificationQueue
{
public:
    NotificationQueue() : NotificationQueue(UniqueHandle(::CreateEventW(nullptr, FALSE, FALSE, nullptr))) {}
    // With an auto-reset event of the caller's, or an invalid one.
    explicit NotificationQueue(UniqueHandle signal) : signal(std::move(signal)) {}
    virtual ~NotificationQueue() = default;
    NotificationQueue(const NotificationQueue&) = delete;
    NotificationQueue& operator=(const NotificationQueue&) = delete;

    // Any thread. The event is set while the lock is held.
    void Push(T item)
    {
        CriticalSectionLock hold(lock);
        items.push_back(std::move(item));
        ::SetEvent(signal.get());
    }

    // Consumer thread. Moves the oldest item into `item`; false when the queue is empty.
    bool TryPop(T& item)
    {
        CriticalSectionLock hold(lock);
        if (items.empty())
            return false;
        item = std::move(items.front());
        items.pop_front();
        return true;
    }

    // The auto-reset event that Push sets, for the consumer to wait on.
    HANDLE Signal() const noexcept { return signal.get(); }
    bool Valid() const noexcept { return signal.valid(); }

private:
    CriticalSection lock; // guards items
    std::deque<T> items;
    UniqueHandle signal;
};

} // namespace OM::Helpers
