#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

namespace Simulator
{

// The simulator's one thread: it waits for readable descriptors and for timers, and runs their handlers
// one at a time, so nothing in the simulator needs a lock. A handler may watch, unwatch and schedule.
class EventLoop
{
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void()>;

    void Watch(int descriptor, Handler onReadable);
    void Unwatch(int descriptor);
    void At(Clock::time_point when, Handler handler);

    // Runs until Stop; false when waiting failed.
    bool Run();
    void Stop() { running = false; }

private:
    void RunDueTimers();

    std::map<int, Handler> watched;
    std::multimap<Clock::time_point, Handler> timers; // equal times run in the order they were set
    bool running = false;
};

} // namespace Simulator
