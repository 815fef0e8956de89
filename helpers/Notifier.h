#pragma once

#include "helpers/CriticalSection.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace OM::Helpers
{

// An ordered list of observers, without duplicates, and a broadcast that calls one notification on
// each of them in registration order. The notifier does not own the observers.
//
// Observers are added and removed on the user-interface thread; broadcasts run on the worker. The lock
// is held for the whole of a broadcast, so Remove waits for a broadcast in progress: once Remove has
// returned, the observer is not being called and will not be called again, and its owner may destroy it.
// The price is that an observer must never wait for the thread that adds or removes observers (it posts
// window messages, it does not send them).
//
// The lock is re-entrant, so an observer may add or remove observers from inside a notification: the
// walk runs over a copy of the list and skips every entry that is no longer registered. An entry is a
// registration, not an address: an observer destroyed during the walk and replaced by a new one at the
// same address is a new registration, and the walk that was under way does not call it.
template <typename Observer>
class Notifier
{
public:
    // Appends the observer unless it is already registered.
    void Add(Observer* observer)
    {
        CriticalSectionLock hold(lock);
        if (Find(observer) == entries.end())
            entries.push_back(Entry{observer, ++registrations});
    }

    // Erases the observer if it is registered; waits for a broadcast that is running on another thread.
    void Remove(Observer* observer)
    {
        CriticalSectionLock hold(lock);
        const auto entry = Find(observer);
        if (entry != entries.end())
            entries.erase(entry);
    }

    // Calls `notification` with `argument` on every registered observer, first registered first.
    template <typename Parameter, typename Argument>
    void Broadcast(void (Observer::*notification)(Parameter), Argument&& argument)
    {
        CriticalSectionLock hold(lock);
        const std::vector<Entry> walk = entries;
        for (const Entry& entry : walk)
        {
            if (std::find(entries.begin(), entries.end(), entry) != entries.end())
                (entry.observer->*notification)(argument);
        }
    }

    // Calls `notification` on one observer, provided it is registered: an observer that has been removed,
    // and may be gone, is not called. False when it was not called.
    template <typename Parameter, typename Argument>
    bool Notify(Observer* observer, void (Observer::*notification)(Parameter), Argument&& argument)
    {
        CriticalSectionLock hold(lock);
        if (Find(observer) == entries.end())
            return false;
        (observer->*notification)(argument);
        return true;
    }

private:
    struct Entry
    {
        Observer* observer;
        std::uint64_t registration; // unique per Add that appended
        bool operator==(const Entry&) const = default;
    };

    typename std::vector<Entry>::iterator Find(Observer* observer)
    {
        return std::find_if(entries.begin(), entries.end(),
                            [observer](const Entry& entry) { return entry.observer == observer; });
    }

    CriticalSection lock; // guards entries and registrations; held across a broadcast
    std::vector<Entry> entries;
    std::uint64_t registrations = 0;
};

} // namespace OM::Helpers
