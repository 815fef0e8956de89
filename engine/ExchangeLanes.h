#pragma once

#include "device/AcceptedCredentials.h"
#include "engine/BatchOutcome.h"
#include "engine/BatchRequest.h"
#include "engine/ProgramSettings.h"
#include "engine/PromptTurn.h"
#include "helpers/CriticalSection.h"
#include "helpers/UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace OM::Norvatessa
{

// What the lanes report, each on its own thread. The device manager posts every report to its worker,
// which tells the observers: no notification comes from a lane.
class LaneReports
{
public:
    virtual void OnLaneExchange(const BatchExchange& exchange) = 0;
    virtual void OnLaneOutcome(const BatchOutcome& outcome) = 0;

protected:
    ~LaneReports() = default;
};

// One controller of a batch as the worker hands it to the lanes, with the port it is reached at.
struct LaneJob
{
    BatchId batch = 0;
    std::size_t index = 0;
    std::uint32_t address = 0;
    std::optional<std::uint16_t> port; // nothing: no port is known, and the controller fails unreached
};

// What the controllers of one batch share.
struct LaneBatch
{
    std::shared_ptr<BatchWork> work;
    std::shared_ptr<BatchPrompts> prompts;
    bool stopOnFailure = false;
    // The controllers known when the batch began: a write must not move a controller onto one of them.
    std::set<std::uint32_t> knownAddresses;
};

// The exchange lanes: threads that work on the controllers of batches at the same time, each with an
// exchange of its own (its request slot, cancel event and deadlines), one controller at a time. A
// controller that stalls holds its own lane only.
//
// A lane touches no device table: it opens a connection of its own to its controller, reads and writes
// through it, and lets it go to the closer as soon as the controller is done, so that the lane is free
// at once and a site of a thousand controllers never holds a thousand connections. The worker, which owns
// the table, applies what the lanes report.
//
// Who runs what:
//  - The worker: Begin hands over a batch; Reserve and Release bracket an exchange of its own, so that
//    no lane works on that controller meanwhile and no two lanes ever share one.
//  - Any thread: CancelBatch.
//  - The device manager's owner thread: Reset before the worker starts, SignalStop and WaitForEnd.
//  - Each lane: takes the first queued controller that nobody has, works on it, reports.
// `lock` guards the queue, the batches, the controllers in use and the lanes themselves (their list,
// starting and stopping them, the batch each works for).
class ExchangeLanes
{
public:
    ExchangeLanes(LaneReports& reports, PromptTurn& turn, AcceptedCredentials& accepted);
    ~ExchangeLanes();
    ExchangeLanes(const ExchangeLanes&) = delete;
    ExchangeLanes& operator=(const ExchangeLanes&) = delete;

    // Worker. Queues the controllers of a new batch in their order, for at most `lanes` lanes at once
    // (taken as 1 to MostParallelExchanges), and begins the lanes that are not running yet.
    void Begin(BatchId id, std::shared_ptr<const LaneBatch> batch, std::vector<LaneJob> jobs, int lanes);
    // Worker, around an exchange of its own with the controller. False, reserving nothing, while a lane
    // works on it.
    bool Reserve(std::uint32_t address);
    void Release(std::uint32_t address);

    // Any thread. Ends the batch: its queued controllers are told as cancelled at once, its running ones
    // are cancelled as the user's cancel ends an exchange, and the lanes of other batches go on. A batch
    // that has not begun yet is cancelled as it begins.
    void CancelBatch(BatchId id) noexcept;

    // Owner thread, before the worker starts: forgets what a stopped run left.
    void Reset();
    // Owner thread. Cancels every lane and tells it to end; the queued controllers are dropped untold.
    void SignalStop() noexcept;
    // Owner thread. Waits until `deadline` (a tick count) for every lane to end; true once all have.
    bool WaitForEnd(ULONGLONG deadline) const;
    // Owner thread. Whether a lane still runs.
    bool Running() const;

private:
    class Lane;
    struct BatchState
    {
        std::shared_ptr<const LaneBatch> batch;
        std::size_t remaining = 0; // controllers not told yet
        bool stopped = false;      // a controller failed, and the batch stops on a failure
    };
    struct Taken
    {
        LaneJob job;
        std::shared_ptr<const LaneBatch> batch;
    };

    // A lane: the next controller it may start, if any.
    std::optional<Taken> Take(Lane& lane);
    // A lane, its controller done: frees it and tells its outcome, and those of the controllers that a
    // failure leaves unstarted.
    void Finish(Lane& lane, const LaneJob& job, BatchOutcome outcome);
    // Takes the queued controllers of the batch out of the queue, told as `result`.
    std::vector<BatchOutcome> Withdraw(BatchId id, BatchResult result);
    void Tell(const std::vector<BatchOutcome>& outcomes) noexcept;

    LaneReports& reports;
    PromptTurn& turn;
    AcceptedCredentials& accepted; // the manager's: what each controller accepted in this run, for every lane
    Helpers::UniqueHandle work;    // manual reset; set while a lane may find a controller to start
    mutable Helpers::CriticalSection lock;
    std::vector<std::unique_ptr<Lane>> lanes;
    std::deque<LaneJob> queue;
    std::map<BatchId, BatchState> batches;
    std::set<std::uint32_t> inUse;    // by a lane or the worker
    std::set<BatchId> cancelledAhead; // cancelled before they began
    BatchId lastBegun = 0;
    int allowed = DefaultParallelExchanges; // lanes at work at once
    int working = 0;
    bool stopping = false;
};

} // namespace OM::Norvatessa
