#pragma once

#include "helpers/NotificationQueue.h"

#include <memory>

namespace OM::Helpers
{

// A queued request, executed once on the owner's worker thread.
template <typename Owner>
class RequestHolder
{
public:
    virtual ~RequestHolder() = default;
    virtual void Execute(Owner& owner) = 0;
};

// Holds a copy of one request value and hands it to the owner's handler for its type,
// Owner::HandleRequest(const Request&).
template <typename Owner, typename Request>
class TypedRequestHolder final : public RequestHolder<Owner>
{
public:
    explicit TypedRequestHolder(const Request& request) : request(request) {}
    void Execute(Owner& owner) override { owner.HandleRequest(request); }

private:
    Request request;
};

// Turns typed request values into holders on the owner's queue and executes them strictly in posting
// order, one at a time, on the owner's worker thread.
//
// Post may be called from any thread and never waits for a running request: the queue's lock is held
// only to push or take a holder. A posted request cannot be withdrawn; it runs when its turn comes or is
// destroyed unexecuted with the queue.
template <typename Owner>
class RequestDispatcher
{
public:
    using RequestHolder = Helpers::RequestHolder<Owner>;
    template <typename Request>
    using TypedRequestHolder = Helpers::TypedRequestHolder<Owner, Request>;
    using Queue = NotificationQueue<std::unique_ptr<RequestHolder>>;

    explicit RequestDispatcher(Queue& queue) noexcept : queue(queue) {}

    // Any thread. The caller's value may be destroyed as soon as Post returns.
    template <typename Request>
    void Post(const Request& request)
    {
        queue.Push(std::make_unique<TypedRequestHolder<Request>>(request));
    }

    // Worker thread. Executes every queued request, including those that are posted while the drain
    // runs, and returns when the queue is empty. Each holder is destroyed as soon as it has executed.
    // Once `stop` (a manual-reset event, or null for none) is set, the drain returns before the next
    // request: a worker asked to stop does not work through a long queue first.
    void DispatchAll(Owner& owner, HANDLE stop = nullptr)
    {
        std::unique_ptr<RequestHolder> holder;
        while (!IsSet(stop) && queue.TryPop(holder))
        {
            holder->Execute(owner);
            holder.reset();
        }
    }

private:
    static bool IsSet(HANDLE event)
    {
        return event != nullptr && ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
    }

    Queue& queue;
};

} // namespace OM::Helpers
