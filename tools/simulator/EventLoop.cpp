#include "EventLoop.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace Simulator
{

void EventLoop::Watch(int descriptor, Handler handler, Readiness readiness)
{
    Handlers& handlers = watched[descriptor];
    (readiness == Readiness::Readable ? handlers.onReadable : handlers.onWritable) = std::move(handler);
}

void EventLoop::Unwatch(int descriptor, Readiness readiness)
{
    const auto found = watched.find(descriptor);
    if (found == watched.end())
        return;
    (readiness == Readiness::Readable ? found->second.onReadable : found->second.onWritable) = nullptr;
    if (!found->second.onReadable && !found->second.onWritable)
        watched.erase(found);
}

void EventLoop::Unwatch(int descriptor)
{
    watched.erase(descriptor);
}

void EventLoop::At(Clock::time_point when, Handler handler)
{
    timers.emplace(when, std::move(handler));
}

bool EventLoop::Run()
{
    running = true;
    while (running)
    {
        std::vector<pollfd> descriptors;
        descriptors.reserve(watched.size());
        for (const auto& [descriptor, handlers] : watched)
        {
            const short events =
                static_cast<short>((handlers.onReadable ? POLLIN : 0) | (handlers.onWritable ? POLLOUT : 0));
            descriptors.push_back(pollfd{descriptor, events, 0});
        }
        int timeout = -1;
        if (!timers.empty())
        {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(timers.begin()->first - Clock::now());
            timeout = wait.count() < 0 ? 0 : static_cast<int>(wait.count());
        }
        const int ready = ::poll(descriptors.data(), descriptors.size(), timeout);
        if (ready < 0 && errno != EINTR)
            return false;
        RunDueTimers();
        for (const pollfd& descriptor : descriptors)
        {
            if (running && (descriptor.revents & (POLLIN | POLLHUP | POLLERR)))
                Dispatch(descriptor.fd, Readiness::Readable);
            if (running && (descriptor.revents & (POLLOUT | POLLHUP | POLLERR)))
                Dispatch(descriptor.fd, Readiness::Writable);
        }
    }
    return true;
}

void EventLoop::Dispatch(int descriptor, Readiness readiness)
{
    // A handler that ran before may have closed this descriptor, or stopped watching it.
    const auto found = watched.find(descriptor);
    if (found == watched.end())
        return;
    Handler copy = readiness == Readiness::Readable ? found->second.onReadable : found->second.onWritable;
    if (copy)
        copy();
}

void EventLoop::RunDueTimers()
{
    const Clock::time_point now = Clock::now();
    while (running && !timers.empty() && timers.begin()->first <= now)
    {
        Handler handler = std::move(timers.begin()->second);
        timers.erase(timers.begin());
        handler();
    }
}

} // namespace Simulator
