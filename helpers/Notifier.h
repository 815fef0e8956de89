#pragma once

#include "helpers/CriticalSection.h"

#include <algorithm>
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
// walk runs over a copy of the list and skips any observer that is no longer registered.
template <typename Observer>
class Notifier
{
public:
    // Appends the observer unless it is already registered.
    void Add(Observer* observer)
    {
        CriticalSectionLock hold(lock);
        if (!IsRegistered(observer))
            observers.push_back(observer);
    }

    // Erases the observer if it is registered; waits for a broadcast that is running on another thread.
    void Remove(Observer* observer)
    {
        CriticalSectionLock hold(lock);
        std::erase(observers, observer);
    }

    // Calls `notification` with `argument` on every registered observer, first registered first.
    template <typename Parameter, typename Argument>
    void Broadcast(void (Observer::*notification)(Parameter), Argument&& argument)
    {
        CriticalSectionLock hold(lock);
        const std::vector<Observer*> walk = observers;
        for (Observer* observer : walk)
        {
            if (IsRegistered(observer))
                (observer->*notification)(argument);
        }
    }

private:
    bool IsRegistered(Observer* observer) const
    {
        return std::find(observers.begin(), observers.end(), observer) != observers.end();
    }

    CriticalSection lock; // guards observers; held across a broadcast
    std::vector<Observer*> observers;
};

} // namespace OM::Helpers
