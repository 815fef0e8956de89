#include "engine/ExchangeLanes.h"

#include "common/AddressText.h"
#include "device/DeviceTable.h"
#include "device/ExchangeLabels.h"
#include "device/HttpExchange.h"
#include "device/PropertyAccess.h"
#include "helpers/FailureBoundary.h"
#include "helpers/Thread.h"

#include <algorithm>
#include <utility>

namespace OM::Norvatessa
{

using Helpers::CriticalSectionLock;

namespace
{

// Where a lane's work on a controller failed, as the failure is said.
constexpr wchar_t LaneFailure[] = L"при обмене с контроллером в одной из параллельных линий";

BatchProblem Refusal(RequestRefusal refusal)
{
    BatchProblem problem;
    problem.kind = BatchProblem::Kind::Refused;
    problem.refusal = std::move(refusal);
    return problem;
}

// A lane's prompt for the controller it works on: the batch's prompts, asked in turn with every other
// prompt of the program. Its batch and controller change only under the lanes' lock, by the lane itself,
// between controllers; Cancel comes under that lock from any thread.
class LanePrompt final : public AuthorizationPrompt
{
public:
    LanePrompt(PromptTurn& turn, HANDLE halt) : turn(turn), halt(halt) {}

    void Use(BatchPrompts* batchPrompts, std::uint32_t controller) noexcept
    {
        prompts = batchPrompts;
        address = controller;
    }

    Outcome Ask(HINTERNET request, int attempt) override
    {
        if (prompts == nullptr)
            return {Answer::Failed, ExchangeFailureReason::CredentialsRequired};
        return turn.Take(halt, [&] { return prompts->Ask(address, request, attempt); });
    }
    void Cancel() noexcept override
    {
        if (prompts != nullptr)
            prompts->Cancel();
    }

private:
    PromptTurn& turn;
    HANDLE halt;
    BatchPrompts* prompts = nullptr;
    std::uint32_t address = 0;
};

// Writes down one controller's course into its outcome, as the exchange and the reading and writing of
// its settings tell it. Lane thread only.
class JobRecord final : public PropertySink
{
public:
    explicit JobRecord(BatchOutcome& outcome) : outcome(outcome) {}

    void OnExchange(const ConnectionEvent& event)
    {
        if (event.kind == ExchangeFailedKind)
        {
            BatchProblem problem;
            problem.failure = event.failure;
            outcome.problems.push_back(std::move(problem));
            outcome.unanswered = outcome.unanswered || LeftUnanswered(event.failure.reason);
        }
        else if (event.kind == ExchangeAborted)
        {
            BatchProblem problem;
            problem.kind = BatchProblem::Kind::ExchangeAborted;
            outcome.problems.push_back(std::move(problem));
        }
        // The settings are read again only once the controller has confirmed the write.
        else if (event.kind == ExchangeStarted && writing && event.text == ReadPropertiesLabel)
        {
            outcome.writeConfirmed = true;
        }
    }

    void OnDeviceAddressChanged(const AddressChange& change) override
    {
        outcome.answersAt = change.newAddress;
    }
    void OnDeviceProperties(const DevicePropertiesResult& result) override
    {
        if (writing)
            outcome.readBack = result.properties;
    }
    void OnRequestRefused(const RequestRefusal& refusal) override
    {
        outcome.problems.push_back(Refusal(refusal));
    }

    void Fail(std::wstring words) { outcome.failure = std::move(words); }
    void Refuse(RefusedOperation operation, RefusalReason reason, std::wstring detail = {})
    {
        OnRequestRefused(RequestRefusal{outcome.address, operation, reason, 0, std::move(detail)});
    }
    bool Clean() const { return outcome.problems.empty() && outcome.failure.empty(); }

    bool writing = false; // the write has been sent
    BatchOutcome& outcome;
};

// One controller's work on a lane: read it, then write and read it back as the batch's work says. True
// when it is done; otherwise the record says why not.
bool WorkOn(const LaneJob& job, const LaneBatch& batch, HttpExchange& exchange, JobRecord& record)
{
    BatchWork* const work = batch.work.get();
    if (work != nullptr)
    {
        if (std::optional<std::wstring> refused = work->Before(job.address))
            return record.Fail(std::move(*refused)), false;
    }
    // A connection of its own, which goes to the closer with this table as soon as the controller is done.
    DeviceTable own;
    if (!job.port || !own.AddDevice(DiscoveredController{job.address, *job.port, {}}))
    {
        record.outcome.unanswered = true;
        return record.Refuse(RefusedOperation::Read, RefusalReason::UnknownController), false;
    }
    PropertyAccess access(exchange, own, record);
    own.FindDevice(job.address)->lastRequests = work == nullptr || !work->MayWrite();
    std::optional<DevicePropertiesResult> read = access.ReadProperties(own.FindDevice(job.address));
    if (!read)
    {
        // An exchange that the stop kept from starting says nothing of itself.
        if (record.Clean())
            record.OnExchange(ConnectionEvent{ExchangeAborted, job.address, {}, {}});
        return false;
    }
    record.outcome.read = std::move(*read);
    if (work == nullptr)
        return true;
    BatchWork::AfterReading next = work->AfterRead(job.address, *record.outcome.read);
    if (!next.failure.empty())
        return record.Fail(std::move(next.failure)), false;
    if (!next.write)
        return true;
    const Xml::DeviceProperties& written = *next.write;
    if ((written.changed & Xml::PropIp) && written.ip != job.address &&
        batch.knownAddresses.contains(written.ip))
        return record.Refuse(RefusedOperation::Write, RefusalReason::AddressTaken, AddressText(written.ip)),
               false;

    record.writing = true;
    own.FindDevice(job.address)->lastRequests = true;
    access.WriteProperties(own.FindDevice(job.address), written);
    if (!record.Clean() || !record.outcome.readBack)
    {
        if (record.Clean())
            record.OnExchange(ConnectionEvent{ExchangeAborted, job.address, {}, {}});
        return false;
    }
    if (std::optional<std::wstring> differs =
            work->AfterWrite(record.outcome.answersAt, written, *record.outcome.readBack))
        return record.Fail(std::move(*differs)), false;
    return true;
}

} // namespace

class ExchangeLanes::Lane final : private Helpers::Thread, private ConnectionSink
{
public:
    explicit Lane(ExchangeLanes& lanes)
        : lanes(lanes), halt(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), prompt(lanes.turn, halt.get()),
          exchange(*this, halt.get(), lanes.accepted)
    {
    }

    // Under the lanes' lock.
    using Thread::IsRunning;
    using Thread::SignalStop;
    using Thread::WaitForEnd;
    bool Begin() { return halt && Thread::Start(); }
    // Ends the controller in progress as the user's cancel ends an exchange, and keeps the lane from
    // sending anything more for it.
    void Cancel() noexcept
    {
        ::SetEvent(halt.get());
        exchange.CancelExchange();
        prompt.Cancel();
    }
    void Assign(const LaneJob& job, BatchPrompts* prompts) noexcept
    {
        batch = job.batch;
        index = job.index;
        ::ResetEvent(halt.get());
        prompt.Use(prompts, job.address);
    }
    void Unassign() noexcept
    {
        batch = 0;
        prompt.Use(nullptr, 0);
    }
    BatchId Batch() const noexcept { return batch; }
    bool Halted() const noexcept { return ::WaitForSingleObject(halt.get(), 0) == WAIT_OBJECT_0; }

private:
    void Run() override
    {
        const HANDLE events[] = {StopEvent(), lanes.work.get()};
        for (;;)
        {
            if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                return;
            if (std::optional<Taken> taken = lanes.Take(*this))
                lanes.Finish(*this, taken->job, Work(taken->job, *taken->batch));
        }
    }

    // Lane thread. The boundary of one controller's work: what it throws fails that controller alone.
    BatchOutcome Work(const LaneJob& job, const LaneBatch& work)
    {
        BatchOutcome outcome;
        outcome.batch = job.batch;
        outcome.index = job.index;
        outcome.address = job.address;
        outcome.answersAt = job.address;
        JobRecord record(outcome);
        exchange.SetAuthorizationPrompt(work.prompts ? &prompt : nullptr);
        current = &record;
        bool done = false;
        std::wstring what;
        const bool whole = Helpers::Guarded(
            LaneFailure, [&] { done = WorkOn(job, work, exchange, record); }, &what);
        current = nullptr;
        if (!whole)
            record.Refuse(RefusedOperation::Read, RefusalReason::InternalFailure, std::move(what));
        outcome.result = whole && done ? BatchResult::Done : BatchResult::Failed;
        return outcome;
    }

    void OnConnectionEvent(const ConnectionEvent& event) override
    {
        if (current != nullptr)
            current->OnExchange(event);
        lanes.reports.OnLaneExchange(BatchExchange{batch, index, event});
    }

    ExchangeLanes& lanes;
    Helpers::UniqueHandle halt; // manual reset; set by a cancel of its batch and by the stop
    LanePrompt prompt;
    HttpExchange exchange;
    BatchId batch = 0;            // the lanes' lock: the batch of the controller in progress, 0 between them
    std::size_t index = 0;        // the lanes' lock: its place in the batch
    JobRecord* current = nullptr; // lane thread: the record of the controller in progress
};

ExchangeLanes::ExchangeLanes(LaneReports& reports, PromptTurn& turn, AcceptedCredentials& accepted)
    : reports(reports), turn(turn), accepted(accepted), work(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

ExchangeLanes::~ExchangeLanes() = default;

void ExchangeLanes::Begin(BatchId id, std::shared_ptr<const LaneBatch> batch, std::vector<LaneJob> jobs,
                          int count)
{
    std::vector<BatchOutcome> untold;
    {
        CriticalSectionLock hold(lock);
        lastBegun = id;
        allowed = std::clamp(count, 1, MostParallelExchanges);
        if (cancelledAhead.erase(id) == 0 && !stopping)
        {
            batches[id] = BatchState{std::move(batch), jobs.size()};
            queue.insert(queue.end(), jobs.begin(), jobs.end());
            jobs.clear();
        }
        while (!stopping && lanes.size() < static_cast<std::size_t>(allowed))
            lanes.push_back(std::make_unique<Lane>(*this));
        bool anyLane = false;
        for (std::size_t index = 0; !stopping && index < lanes.size(); ++index)
            anyLane = (lanes[index]->IsRunning() || lanes[index]->Begin()) || anyLane;
        // Without a lane, or without the event that wakes them, the batch would never end: it fails whole.
        if ((!anyLane || !work) && !stopping)
        {
            untold = Withdraw(id, BatchResult::Failed);
            for (BatchOutcome& failed : untold)
                failed.problems.push_back(Refusal(RequestRefusal{
                    failed.address, RefusedOperation::Read, RefusalReason::InternalFailure, 0, {}}));
        }
        ::SetEvent(work.get());
    }
    for (const LaneJob& job : jobs)
    {
        BatchOutcome cancelled;
        cancelled.batch = id;
        cancelled.index = job.index;
        cancelled.address = cancelled.answersAt = job.address;
        cancelled.result = BatchResult::Cancelled;
        untold.push_back(std::move(cancelled));
    }
    Tell(untold);
}

bool ExchangeLanes::Reserve(std::uint32_t address)
{
    CriticalSectionLock hold(lock);
    return inUse.insert(address).second;
}

void ExchangeLanes::Release(std::uint32_t address)
{
    CriticalSectionLock hold(lock);
    inUse.erase(address);
    ::SetEvent(work.get());
}

void ExchangeLanes::CancelBatch(BatchId id) noexcept
{
    std::vector<BatchOutcome> cancelled;
    {
        CriticalSectionLock hold(lock);
        if (!batches.contains(id))
        {
            if (id > lastBegun)
            {
                try
                {
                    cancelledAhead.insert(id);
                }
                catch (...)
                {
                    // Without room to keep the cancel the batch runs: nothing is lost but the cancel.
                }
            }
            return;
        }
        try
        {
            cancelled = Withdraw(id, BatchResult::Cancelled);
        }
        catch (...)
        {
            // The queued controllers then start and end at once, their lane halted below.
        }
        for (const std::unique_ptr<Lane>& lane : lanes)
        {
            if (lane->Batch() == id)
                lane->Cancel();
        }
    }
    Tell(cancelled);
}

void ExchangeLanes::Reset()
{
    CriticalSectionLock hold(lock);
    stopping = false;
    queue.clear();
    batches.clear();
    inUse.clear();
    cancelledAhead.clear();
    working = 0;
}

void ExchangeLanes::SignalStop() noexcept
{
    CriticalSectionLock hold(lock);
    stopping = true;
    queue.clear();
    for (const std::unique_ptr<Lane>& lane : lanes)
    {
        lane->Cancel();
        lane->SignalStop();
    }
}

bool ExchangeLanes::WaitForEnd(ULONGLONG deadline) const
{
    for (const std::unique_ptr<Lane>& lane : lanes)
    {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (lane->IsRunning() && lane->WaitForEnd(remaining) != WAIT_OBJECT_0)
            return false;
    }
    return true;
}

bool ExchangeLanes::Running() const
{
    return std::any_of(lanes.begin(), lanes.end(),
                       [](const std::unique_ptr<Lane>& lane) { return lane->IsRunning(); });
}

std::optional<ExchangeLanes::Taken> ExchangeLanes::Take(Lane& lane)
{
    CriticalSectionLock hold(lock);
    const auto free = std::find_if(queue.begin(), queue.end(),
                                   [this](const LaneJob& job) { return !inUse.contains(job.address); });
    // Nothing to start until a controller is done or a batch comes: the lanes wait for that.
    if (stopping || working >= allowed || free == queue.end())
    {
        ::ResetEvent(work.get());
        return std::nullopt;
    }
    Taken taken{*free, batches.at(free->batch).batch};
    queue.erase(free);
    inUse.insert(taken.job.address);
    ++working;
    lane.Assign(taken.job, taken.batch->prompts.get());
    return taken;
}

void ExchangeLanes::Finish(Lane& lane, const LaneJob& job, BatchOutcome outcome)
{
    std::vector<BatchOutcome> outcomes;
    {
        CriticalSectionLock hold(lock);
        inUse.erase(job.address);
        --working;
        lane.Unassign();
        if (outcome.result != BatchResult::Done && lane.Halted())
            outcome.result = BatchResult::Cancelled;
        const bool failed = outcome.result == BatchResult::Failed;
        outcomes.push_back(std::move(outcome));
        const auto state = batches.find(job.batch);
        if (state != batches.end())
        {
            BatchState& batch = state->second;
            --batch.remaining;
            if (failed && batch.batch->stopOnFailure && !batch.stopped)
            {
                batch.stopped = true;
                std::vector<BatchOutcome> skipped = Withdraw(job.batch, BatchResult::Skipped);
                outcomes.insert(outcomes.end(), std::make_move_iterator(skipped.begin()),
                                std::make_move_iterator(skipped.end()));
            }
            else if (batch.remaining == 0)
            {
                batches.erase(state);
            }
        }
        ::SetEvent(work.get());
    }
    Tell(outcomes);
}

std::vector<BatchOutcome> ExchangeLanes::Withdraw(BatchId id, BatchResult result)
{
    std::vector<BatchOutcome> withdrawn;
    for (auto job = queue.begin(); job != queue.end();)
    {
        if (job->batch != id)
        {
            ++job;
            continue;
        }
        BatchOutcome outcome;
        outcome.batch = id;
        outcome.index = job->index;
        outcome.address = outcome.answersAt = job->address;
        outcome.result = result;
        withdrawn.push_back(std::move(outcome));
        job = queue.erase(job);
    }
    const auto state = batches.find(id);
    if (state != batches.end())
    {
        state->second.remaining -= std::min(state->second.remaining, withdrawn.size());
        if (state->second.remaining == 0)
            batches.erase(state);
    }
    return withdrawn;
}

void ExchangeLanes::Tell(const std::vector<BatchOutcome>& outcomes) noexcept
{
    for (const BatchOutcome& outcome : outcomes)
        Helpers::Guarded(LaneFailure, [&] { reports.OnLaneOutcome(outcome); });
}

} // namespace OM::Norvatessa
