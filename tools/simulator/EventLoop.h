#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>

namespace Simulator
{

// The simulator's one thread: it waits for descriptors that are ready and for timers, and runs their
// handlers one at a time, so nothing in the simulator needs a lock. A handler may watch, unwatch and
// schedule.
class EventLoop
{
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void()>;

    enum class Readiness
    {
        Readable,
        Writable,
    };

    // A descriptor has at most one handler for each readiness; a hang-up or an error runs both.
    void Watch(int descriptor, Handler handler, Readiness readiness = Readiness::Readable);
    void Unwatch(int descriptor, Readiness readiness);
    void Unwatch(int descriptor);
    void At(Clock::time_point when, Handler handler);

    // Runs until Stop; false when waiting failed.
    bool Run();
    void Stop() { running = false; }

private:
    struct Handlers
    {
        Handler onReadable;
        Handler onWritable;
    };

    void RunDueTimers();
    void Dispatch(int descriptor, Readiness readiness);

    std::map<int, Handlers> watched;
    std::multimap<Clock::time_point, Handler> timers; // equal times run in the order they were set
    bool running = false;
};

} // namespace Simulator
