#include "helpers/RequestDispatcher.h"
#include "helpers/UniqueHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace OM::Helpers;

namespace
{

// Counts the live copies of a request value, to see when holders destroy theirs.
struct Tracked
{
    static inline std::atomic<int> live{0};
    int id;
    explicit Tracked(int id) : id(id) { ++live; }
    Tracked(const Tracked& other) : id(other.id) { ++live; }
    ~Tracked() { --live; }
    Tracked& operator=(const Tracked&) = delete;
};

struct Record
{
    int id;
};

// Asks the handler to post another request while it executes.
struct Repost
{
    int id;
    int follower;
};

// Blocks the handler until the test lets it go, so that the test can act while it runs.
struct Blocking
{
    int id;
    HANDLE entered;
    HANDLE release;
};

class Worker
{
public:
    Worker() : dispatcher(queue) {}

    void HandleRequest(const Record& request) { executed.push_back(request.id); }
    void HandleRequest(const Repost& request)
    {
        executed.push_back(request.id);
        dispatcher.Post(Record{request.follower});
    }
    void HandleRequest(const Tracked& request)
    {
        executed.push_back(request.id);
        liveDuringExecution.push_back(Tracked::live);
    }
    void HandleRequest(const Blocking& request)
    {
        executed.push_back(request.id);
        ::SetEvent(request.entered);
        ::WaitForSingleObject(request.release, INFINITE);
    }

    RequestDispatcher<Worker>::Queue queue;
    RequestDispatcher<Worker> dispatcher;
    std::vector<int> executed;
    std::vector<int> liveDuringExecution;
};

bool IsSignalled(HANDLE event)
{
    return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

} // namespace

TEST(RequestDispatcher, DrainOfAnEmptyQueueCallsNothing)
{
    Worker worker;
    worker.dispatcher.DispatchAll(worker);
    EXPECT_TRUE(worker.executed.empty());
}

TEST(RequestDispatcher, RequestsRunInPostingOrder)
{
    Worker worker;
    for (int id : {1, 2, 3})
        worker.dispatcher.Post(Record{id});
    worker.dispatcher.DispatchAll(worker);
    EXPECT_EQ(worker.executed, (std::vector<int>{1, 2, 3}));
}

TEST(RequestDispatcher, RequestPostedByAHandlerRunsAfterTheQueuedOnesInTheSameDrain)
{
    Worker worker;
    worker.dispatcher.Post(Repost{1, 4});
    worker.dispatcher.Post(Record{2});
    worker.dispatcher.Post(Record{3});
    worker.dispatcher.DispatchAll(worker);
    EXPECT_EQ(worker.executed, (std::vector<int>{1, 2, 3, 4}));
}

// The worker drains on its own thread exactly as the device manager does: wait for the signal, drain.
// The test posts from its own thread while the first request executes; Post must not wait for it.
TEST(RequestDispatcher, PostsFromAnotherThreadDuringADrainRunInTheSameDrainAndInOrder)
{
    Worker worker;
    UniqueHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    worker.dispatcher.Post(Blocking{1, entered.get(), release.get()});

    int drains = 0;
    std::thread consumer([&] {
        ::WaitForSingleObject(worker.queue.Signal(), INFINITE);
        worker.dispatcher.DispatchAll(worker);
        ++drains;
    });
    ASSERT_EQ(::WaitForSingleObject(entered.get(), 5000), WAIT_OBJECT_0);
    worker.dispatcher.Post(Record{2});
    worker.dispatcher.Post(Record{3});
    ::SetEvent(release.get());
    consumer.join();

    EXPECT_EQ(drains, 1);
    EXPECT_EQ(worker.executed, (std::vector<int>{1, 2, 3}));
    // The pushes during the drain left the auto-reset signal set; the wake-up it causes finds nothing.
    EXPECT_TRUE(IsSignalled(worker.queue.Signal()));
    EXPECT_FALSE(IsSignalled(worker.queue.Signal()));
    worker.dispatcher.DispatchAll(worker);
    EXPECT_EQ(worker.executed.size(), 3u);
}

// A worker asked to stop must not first work through what is queued: each request may wait on a
// controller for seconds.
TEST(RequestDispatcher, DrainEndsBeforeTheNextRequestOnceTheStopEventIsSet)
{
    Worker worker;
    UniqueHandle entered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    worker.dispatcher.Post(Blocking{1, entered.get(), release.get()});
    worker.dispatcher.Post(Record{2});

    std::thread consumer([&] { worker.dispatcher.DispatchAll(worker, stop.get()); });
    ASSERT_EQ(::WaitForSingleObject(entered.get(), 5000), WAIT_OBJECT_0);
    ::SetEvent(stop.get());
    ::SetEvent(release.get());
    consumer.join();
    EXPECT_EQ(worker.executed, (std::vector<int>{1}));

    // The request left behind is still queued; without the stop it runs.
    ::ResetEvent(stop.get());
    worker.dispatcher.DispatchAll(worker, stop.get());
    EXPECT_EQ(worker.executed, (std::vector<int>{1, 2}));
}

TEST(RequestDispatcher, HolderKeepsItsOwnCopyAndDropsItRightAfterExecuting)
{
    Worker worker;
    {
        const Tracked first(1);
        const Tracked second(2);
        worker.dispatcher.Post(first);
        worker.dispatcher.Post(second);
    }
    EXPECT_EQ(Tracked::live, 2); // the callers' values are gone, the holders' copies are not
    worker.dispatcher.DispatchAll(worker);
    EXPECT_EQ(worker.executed, (std::vector<int>{1, 2}));
    // While the second request ran, the first holder and its copy had already been destroyed.
    EXPECT_EQ(worker.liveDuringExecution, (std::vector<int>{2, 1}));
    EXPECT_EQ(Tracked::live, 0);
}

TEST(RequestDispatcher, QueueDestroyedWithHoldersInItDestroysThemUnexecuted)
{
    std::vector<int> executed;
    {
        Worker worker;
        for (int id : {1, 2, 3})
            worker.dispatcher.Post(Tracked(id));
        EXPECT_EQ(Tracked::live, 3);
        executed = worker.executed;
    }
    EXPECT_TRUE(executed.empty());
    EXPECT_EQ(Tracked::live, 0);
}

TEST(NotificationQueue, EveryPushSetsTheAutoResetSignal)
{
    NotificationQueue<int> queue;
    EXPECT_FALSE(IsSignalled(queue.Signal()));
    queue.Push(7);
    EXPECT_TRUE(IsSignalled(queue.Signal()));
    EXPECT_FALSE(IsSignalled(queue.Signal())); // the wait itself reset it

    int item = 0;
    ASSERT_TRUE(queue.TryPop(item));
    EXPECT_EQ(item, 7);
    EXPECT_FALSE(queue.TryPop(item));
}
