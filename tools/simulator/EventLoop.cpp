#include "EventLoop.h"

#include <poll.h>

#include <cerrno>
#include <vector>

namespace Simulator
{

void EventLoop::Watch(int descriptor, Handler onReadable)
{
    watched[descriptor] = std::move(onReadable);
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
        for (const auto& entry : watched)
            descriptors.push_back(pollfd{entry.first, POLLIN, 0});
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
            if (!running)
                break;
            // A handler that ran before may have closed this descriptor.
            const auto handler = watched.find(descriptor.fd);
            if ((descriptor.revents & (POLLIN | POLLHUP | POLLERR)) && handler != watched.end())
            {
                Handler copy = handler->second;
                copy();
            }
        }
    }
    return true;
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
