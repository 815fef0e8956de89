#pragma once

#include "common/ConnectionSink.h"
#include "device/AuthorizationPrompt.h"
#include "device/Connection.h"
#include "device/Device.h"
#include "device/DeviceTable.h"
#include "device/HttpExchange.h"
#include "device/PropertyAccess.h"
#include "engine/BatchOutcome.h"
#include "engine/BatchRequest.h"
#include "engine/DeviceEngine.h"
#include "engine/DeviceRequests.h"
#include "engine/DeviceSearcher.h"
#include "engine/ExchangeLanes.h"
#include "engine/PromptTurn.h"
#include "engine/Support.h"
#include "engine/SupportNotifier.h"
#include "helpers/RequestDispatcher.h"
#include "helpers/Thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace OM::Norvatessa
{

// The engine of the program: one worker thread that searches for controllers, keeps the table of those
// found with their open connections, and reads and writes their settings on request, telling its
// observers everything that happens. The windows know it only as a DeviceEngine (engine/DeviceEngine.h).
//
// Who runs what:
//  - The user-interface thread: Start, Stop, Post, Add, Remove, CancelExchange, CancelBatch,
//    SetAuthorizationPrompt and RememberCredentials before Start, and ClearDevices once the worker has
//    stopped.
//  - The worker thread: Run, every HandleRequest, the search and its sink calls, every exchange of a
//    single controller and every notification, so every observer call, including the observers' calls of
//    GetDevices and FindDevice.
//  - The exchange lanes (engine/ExchangeLanes.h): the controllers of batches, several at once, each lane
//    with an exchange and a connection of its own. A lane touches neither the table nor an observer: it
//    posts what it learns to the worker's queue, and the worker applies it and tells the observers.
//  - A program without the worker (the console program on one controller) may call HandleRequest,
//    GetDevices and ClearDevices on its one thread instead; it must never Start the worker as well.
// The device table has no lock: while the worker runs, only the worker touches it. The same holds for the
// settings' knownControllers, which requests change; the worker saves each change at once, so that an
// address the user added is kept even when the program does not end normally.
//
// While a batch runs a search waits: it begins once the last batch has ended, so that what the lanes
// report always finds the table it was read for. A read or a write of one controller that a lane works on
// waits until the lane is done with it; no lane starts on a controller the worker reads or writes.
class DeviceManager final : public DeviceEngine,
                            public Helpers::Thread,
                            public DeviceSearcher::NotificationSink,
                            private LaneReports
{
public:
    using Support = Norvatessa::Support;
    using ConnectionSink = Norvatessa::ConnectionSink;
    using SupportNotifier = Norvatessa::SupportNotifier;
    using Connection = Norvatessa::Connection;
    using Device = Norvatessa::Device;
    using NewSearchRequest = Norvatessa::NewSearchRequest;
    using GetDevicePropertiesRequest = Norvatessa::GetDevicePropertiesRequest;
    using SetDevicePropertiesRequest = Norvatessa::SetDevicePropertiesRequest;
    using AddControllerRequest = Norvatessa::AddControllerRequest;
    using ForgetControllerRequest = Norvatessa::ForgetControllerRequest;

    // Posted by the manager itself: a batch with the number Post gave it, and what the lanes report.
    struct PostedBatch
    {
        BatchId id = 0;
        BatchRequest request;
    };
    struct LaneExchangeReport
    {
        BatchExchange exchange;
    };
    struct LaneOutcomeReport
    {
        BatchOutcome outcome;
    };

    // The one manager, made on first use. It is destroyed at process exit, unless its worker is still
    // busy then: the process ends around it rather than free what the worker uses.
    static DeviceManager& Instance();

    DeviceManager();
    ~DeviceManager() override;

    // User-interface thread. Begins the worker, which starts with a search. False when a worker of an
    // earlier run still lives or the worker cannot be begun.
    bool Start() override { return Start(true); }
    // The same; without `searchFirst` the worker waits for requests at once (the console program on
    // controllers it reaches by their ports).
    bool Start(bool searchFirst);
    // User-interface thread. Signals the stop, then cancels a running search, exchange, batches and
    // credentials prompts (as if the user had cancelled them), keeps queued requests from running, and
    // waits a bounded time for the worker and the lanes to end (Thread::Stop's bound for all of them).
    DWORD Stop() override;
    // User-interface thread, once Stop has returned: whether a lane outlived it.
    bool LanesRunning() const { return lanes.Running(); }

    // Any thread.
    void Post(const NewSearchRequest& request) override { dispatcher.Post(request); }
    void Post(const GetDevicePropertiesRequest& request) override { dispatcher.Post(request); }
    void Post(const SetDevicePropertiesRequest& request) override { dispatcher.Post(request); }
    void Post(const AddControllerRequest& request) override { dispatcher.Post(request); }
    void Post(const ForgetControllerRequest& request) override { dispatcher.Post(request); }
    BatchId Post(const BatchRequest& request) override;

    // Any thread; Remove waits for a notification in progress on the worker.
    void Add(Support* observer) override { observers.Add(observer); }
    void Remove(Support* observer) override { observers.Remove(observer); }

    // User-interface thread. Ends the exchange in progress without an answer.
    void CancelExchange() noexcept override { exchange.CancelExchange(); }
    // Any thread.
    void CancelBatch(BatchId batch) noexcept override { lanes.CancelBatch(batch); }

    // Worker thread.
    Device* FindDevice(std::uint32_t address) const { return devices.FindDevice(address); }
    std::size_t GetDevices(std::vector<DiscoveredController>& controllers) const override
    {
        return devices.GetDevices(controllers);
    }
    // Forgets every controller; their connections go to the closer. From the user-interface thread only
    // once the worker has stopped: while it may still run this does nothing rather than race it.
    void ClearDevices() override;

    // Worker thread while no exchange runs, or before Start. Null: a demand for credentials fails the
    // exchange.
    void SetAuthorizationPrompt(AuthorizationPrompt* prompt) noexcept override
    {
        workerPrompt.Use(prompt);
        exchange.SetAuthorizationPrompt(prompt != nullptr ? &workerPrompt : nullptr);
    }
    // Before Start, or on the one thread of a program without the worker.
    void RememberCredentials(const CredentialStore* store) noexcept override { accepted.Remember(store); }

    // Worker thread: the holders of posted requests call these. Each is a boundary: what its handling
    // throws is said (helpers/FailureBoundary.h) and ends that request as a failure, a refusal of the read
    // or the write, or a search that failed.
    void HandleRequest(const NewSearchRequest& request);
    void HandleRequest(const GetDevicePropertiesRequest& request);
    void HandleRequest(const SetDevicePropertiesRequest& request);
    void HandleRequest(const AddControllerRequest& request);
    void HandleRequest(const ForgetControllerRequest& request);
    void HandleRequest(const PostedBatch& posted);
    void HandleRequest(const LaneExchangeReport& report);
    void HandleRequest(const LaneOutcomeReport& report);

private:
    // What the worker keeps of a running batch.
    struct RunningBatch
    {
        std::vector<std::optional<std::uint16_t>> ports; // where each target was reached, by its index
        std::size_t remaining = 0;                       // outcomes not told yet
        bool cancelled = false;
    };

    void Run() override;
    // The boundary of one request: `failed` is what the observers learn when its handling throws.
    template <typename Body>
    void Bounded(std::optional<RequestRefusal> failed, Body&& body);
    void Read(const GetDevicePropertiesRequest& request);
    void Write(const SetDevicePropertiesRequest& request);
    void ReadAdded(const AddControllerRequest& request);
    void Forget(const ForgetControllerRequest& request);
    // A range joins knownControllers, and the settings are saved.
    void Remember(const AddressRange& range);
    void NewSearch(const SearchGoal& goal);
    void OnSearchBegin() override;
    void OnSearchEnd() override;
    void OnReply(const SearchReply& reply) override;
    void OnSocketError(std::int32_t error) override;
    void OnAdapterProbed(const ProbedAdapter& adapter) override;
    // Reads the controller; the result goes to `requester` alone, if it is still registered. True when there
    // was a result.
    bool ReadFor(Device* device, Support* requester, std::int32_t tag);
    void RefuseUnknown(std::uint32_t address, RefusedOperation operation);
    void SaveKnownControllers();
    // A request for one controller that a lane works on waits for it: true when it was put aside. One that
    // runs keeps the lanes off its controller until Release.
    template <typename Request>
    bool PutAside(const Request& request);
    void RunPutAside();
    void BeginBatch(const PostedBatch& posted);
    // What a lane learnt of a controller, applied to the table.
    void Apply(const BatchOutcome& outcome, const std::optional<std::uint16_t>& port);
    void OnLaneExchange(const BatchExchange& exchange) override;
    void OnLaneOutcome(const BatchOutcome& outcome) override;

    DeviceSearcher searcher;
    SupportNotifier observers;
    AcceptedCredentials accepted; // what each controller accepted in this run, for every exchange
    PromptTurn promptTurn;        // one credentials prompt at a time, whoever asks
    TurnTakingPrompt workerPrompt{promptTurn}; // the worker's exchange asks the program's prompt through it
    HttpExchange exchange;                     // holds the request in progress, which CancelExchange ends
    DeviceTable devices;
    PropertyAccess access;
    Helpers::RequestDispatcher<DeviceManager>::Queue requests;
    Helpers::RequestDispatcher<DeviceManager> dispatcher;
    // The running search's first reply from each address, and the addresses heard in conflict.
    std::map<std::uint32_t, SearchReply> firstReplies;
    std::set<std::uint32_t> conflicts;
    ExchangeLanes lanes{*this, promptTurn, accepted};
    std::atomic<BatchId> lastBatch{0}; // any thread: the number of the last batch posted
    bool searchFirst = true;           // read by the worker as it starts
    // The worker's: the batches not ended, a search that waits for them, requests put aside.
    std::map<BatchId, RunningBatch> batches;
    std::optional<NewSearchRequest> waitingSearch;
    std::vector<std::function<void()>> putAside;
};

} // namespace OM::Norvatessa
