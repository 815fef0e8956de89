#include "engine/DeviceManager.h"

#include "common/AddressText.h"
#include "engine/DiscoveryReply.h"
#include "engine/ProgramSettings.h"
#include "helpers/FailureBoundary.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace OM::Norvatessa
{

namespace
{

// Where a request failed, as the failure is said.
constexpr wchar_t RequestFailure[] = L"при выполнении запроса к контроллеру";

// How a read or a write that the program itself failed ends for its requester.
RequestRefusal Failed(std::uint32_t address, RefusedOperation operation)
{
    return RequestRefusal{address, operation, RefusalReason::InternalFailure, 0, {}};
}

// Owns the one manager until process exit. A worker that outlived the stop wait still uses the manager,
// so it is then left alone: the process ends around it.
class ManagerOwner
{
public:
    ManagerOwner() : manager(std::make_unique<DeviceManager>()) {}
    ~ManagerOwner()
    {
        if (manager->IsRunning() || manager->LanesRunning())
            manager.release();
    }
    ManagerOwner(const ManagerOwner&) = delete;
    ManagerOwner& operator=(const ManagerOwner&) = delete;

    std::unique_ptr<DeviceManager> manager;
};

} // namespace

DeviceManager& DeviceManager::Instance()
{
    static ManagerOwner owner;
    return *owner.manager;
}

DeviceEngine& DeviceEngine::Instance()
{
    return DeviceManager::Instance();
}

DeviceManager::DeviceManager()
    : exchange(observers, StopEvent(), accepted), access(exchange, devices, observers), dispatcher(requests)
{
}

DeviceManager::~DeviceManager() = default;

bool DeviceManager::Start(bool search)
{
    // A queue without its event could never wake the worker.
    if (IsRunning() || lanes.Running() || !requests.Valid())
        return false;
    // A cancel left by the last Stop must not end the first search of this run, nor its first prompt.
    searcher.ResetCancel();
    workerPrompt.Reset();
    lanes.Reset();
    batches.clear();
    waitingSearch.reset();
    putAside.clear();
    searchFirst = search;
    return Thread::Start();
}

DWORD DeviceManager::Stop()
{
    const ULONGLONG deadline = ::GetTickCount64() + StopGraceMs + StopWaitMs;
    // The stop event also keeps queued requests and new exchanges from starting (see Run and HttpExchange),
    // so it is set before the cancels: the worker, freed by a cancel, then finds it set and starts nothing
    // that could run to its own time limit past the wait.
    if (const HANDLE stop = StopEvent())
        ::SetEvent(stop);
    // The credentials dialog would hold the worker until the user answers it.
    exchange.CancelPrompt();
    searcher.Cancel();
    exchange.CancelExchange();
    lanes.SignalStop();
    const DWORD worker = Thread::Stop();
    // The lanes were cancelled with the worker, and end within the same bound.
    if (!lanes.WaitForEnd(deadline) && worker == WAIT_OBJECT_0)
        return WAIT_TIMEOUT;
    return worker;
}

void DeviceManager::ClearDevices()
{
    if (IsRunning())
        return;
    devices.ClearDevices();
}

void DeviceManager::Run()
{
    if (searchFirst)
        HandleRequest(NewSearchRequest{});
    const HANDLE events[] = {StopEvent(), requests.Signal()};
    for (;;)
    {
        // The stop event comes first, so it wins when both are set.
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0)
            return;
        if (woken == WAIT_OBJECT_0 + 1)
            dispatcher.DispatchAll(*this, StopEvent());
        else if (woken == WAIT_FAILED)
            return; // a wait that fails once fails again: going on would spin
    }
}

void DeviceManager::HandleRequest(const NewSearchRequest& request)
{
    // The search would empty the table that the running batches' outcomes are applied to.
    if (!batches.empty())
    {
        waitingSearch = request;
        return;
    }
    if (Helpers::Guarded(RequestFailure, [this, &request] {
            if (request.addedRange)
                Remember(*request.addedRange);
            NewSearch(request.goal);
        }))
        return;
    // A search broken off must not pass for an empty site, nor leave the windows waiting for its end.
    observers.Broadcast(&Support::OnSearchFailed, SearchBrokenOff);
    observers.Broadcast(&Support::OnSearchFinished, false);
}

void DeviceManager::HandleRequest(const GetDevicePropertiesRequest& request)
{
    if (PutAside(request))
        return;
    Bounded(Failed(request.address, RefusedOperation::Read), [&] { Read(request); });
    lanes.Release(request.address);
}

void DeviceManager::HandleRequest(const SetDevicePropertiesRequest& request)
{
    if (PutAside(request))
        return;
    Bounded(Failed(request.address, RefusedOperation::Write), [&] { Write(request); });
    lanes.Release(request.address);
}

void DeviceManager::HandleRequest(const AddControllerRequest& request)
{
    if (PutAside(request))
        return;
    Bounded(Failed(request.address, RefusedOperation::Read), [&] { ReadAdded(request); });
    lanes.Release(request.address);
}

void DeviceManager::HandleRequest(const ForgetControllerRequest& request)
{
    Bounded(std::nullopt, [&] { Forget(request); });
}

BatchId DeviceManager::Post(const BatchRequest& request)
{
    const BatchId id = ++lastBatch;
    dispatcher.Post(PostedBatch{id, request});
    return id;
}

void DeviceManager::HandleRequest(const PostedBatch& posted)
{
    if (Helpers::Guarded(RequestFailure, [&] { BeginBatch(posted); }))
        return;
    // A batch that could not begin ends at once, rather than leave its poster waiting for it; what a lane
    // may still tell of it is dropped.
    batches.erase(posted.id);
    observers.Broadcast(&Support::OnBatchFinished, BatchEnd{posted.id, 0, false});
}

void DeviceManager::BeginBatch(const PostedBatch& posted)
{
    const std::vector<BatchTarget>& targets = posted.request.targets;
    if (targets.empty())
        return observers.Broadcast(&Support::OnBatchFinished, BatchEnd{posted.id, 0, false});
    auto shared = std::make_shared<LaneBatch>();
    shared->work = posted.request.work;
    shared->prompts = posted.request.prompts;
    shared->stopOnFailure = posted.request.stopOnFailure;
    std::vector<DiscoveredController> known;
    devices.GetDevices(known);
    for (const DiscoveredController& controller : known)
        shared->knownAddresses.insert(controller.address);
    // Each controller is reached at the port typed with it, else at the one the search heard, else at the
    // one a list or a file gives.
    RunningBatch& running = batches[posted.id];
    std::vector<LaneJob> jobs;
    for (std::size_t index = 0; index < targets.size(); ++index)
    {
        const BatchTarget& target = targets[index];
        std::optional<std::uint16_t> port = target.port;
        if (!port)
        {
            const Device* device = devices.FindDevice(target.address);
            port = device != nullptr ? std::optional<std::uint16_t>(device->port) : target.knownPort;
        }
        running.ports.push_back(port);
        jobs.push_back(LaneJob{posted.id, index, target.address, port});
    }
    running.remaining = jobs.size();
    lanes.Begin(posted.id, std::move(shared), std::move(jobs), Settings().parallelExchanges);
}

void DeviceManager::HandleRequest(const LaneExchangeReport& report)
{
    observers.Broadcast(&Support::OnBatchExchange, report.exchange);
}

void DeviceManager::HandleRequest(const LaneOutcomeReport& report)
{
    const BatchOutcome& outcome = report.outcome;
    const auto running = batches.find(outcome.batch);
    if (running == batches.end())
        return;
    if (outcome.index < running->second.ports.size())
        Helpers::Guarded(RequestFailure, [&] { Apply(outcome, running->second.ports[outcome.index]); });
    observers.Broadcast(&Support::OnBatchOutcome, outcome);
    running->second.cancelled = running->second.cancelled || outcome.result == BatchResult::Cancelled;
    if (--running->second.remaining == 0)
    {
        const BatchEnd end{outcome.batch, running->second.ports.size(), running->second.cancelled};
        batches.erase(running);
        observers.Broadcast(&Support::OnBatchFinished, end);
    }
    RunPutAside();
    if (batches.empty() && waitingSearch)
    {
        const NewSearchRequest search = *waitingSearch;
        waitingSearch.reset();
        HandleRequest(search);
    }
}

void DeviceManager::Apply(const BatchOutcome& outcome, const std::optional<std::uint16_t>& port)
{
    if (!outcome.read)
        return;
    // A controller reached at a port the table does not know joins it there, as a controller added by
    // address does.
    Device* device = devices.FindDevice(outcome.address);
    if (port && (device == nullptr || device->port != *port) &&
        devices.AddDevice(DiscoveredController{outcome.address, *port, {}}))
        device = devices.FindDevice(outcome.address);
    if (device != nullptr)
        PropertyAccess::ApplyProperties(*device, outcome.read->properties);
    if (!outcome.readBack)
        return;
    const Xml::DeviceProperties& written = *outcome.readBack;
    if (outcome.answersAt != outcome.address)
    {
        devices.RemoveDevice(outcome.address);
        devices.AddDevice(DiscoveredController{outcome.answersAt, written.tcpPort, {}});
        observers.Broadcast(&Support::OnDeviceAddressChanged,
                            AddressChange{outcome.address, outcome.answersAt});
    }
    device = devices.FindDevice(outcome.answersAt);
    if (device == nullptr)
        return;
    const std::uint16_t before = device->port;
    PropertyAccess::ApplyProperties(*device, written);
    if (device->port != before)
        HttpExchange::OpenConnection(*device);
    observers.Broadcast(&Support::OnDeviceProperties,
                        DevicePropertiesResult{outcome.answersAt, written, 0, {}});
}

void DeviceManager::OnLaneExchange(const BatchExchange& report)
{
    dispatcher.Post(LaneExchangeReport{report});
}

void DeviceManager::OnLaneOutcome(const BatchOutcome& outcome)
{
    dispatcher.Post(LaneOutcomeReport{outcome});
}

template <typename Request>
bool DeviceManager::PutAside(const Request& request)
{
    if (lanes.Reserve(request.address))
        return false;
    putAside.push_back([this, request] { HandleRequest(request); });
    return true;
}

void DeviceManager::RunPutAside()
{
    // Each runs now, or is put aside again while its controller is still taken.
    std::vector<std::function<void()>> waiting;
    waiting.swap(putAside);
    for (const std::function<void()>& request : waiting)
        request();
}

template <typename Body>
void DeviceManager::Bounded(std::optional<RequestRefusal> failed, Body&& body)
{
    std::wstring what;
    if (Helpers::Guarded(RequestFailure, std::forward<Body>(body), &what) || !failed)
        return;
    failed->detail = std::move(what);
    observers.Broadcast(&Support::OnRequestRefused, *failed);
}

void DeviceManager::Read(const GetDevicePropertiesRequest& request)
{
    Device* const device = devices.FindDevice(request.address);
    if (device == nullptr)
        return RefuseUnknown(request.address, RefusedOperation::Read);
    ReadFor(device, request.requester, request.tag);
}

void DeviceManager::Write(const SetDevicePropertiesRequest& request)
{
    const Xml::DeviceProperties& properties = request.properties;
    if ((properties.changed & Xml::PropIp) && properties.ip != request.address &&
        devices.FindDevice(properties.ip))
    {
        observers.Broadcast(&Support::OnRequestRefused,
                            RequestRefusal{request.address, RefusedOperation::Write,
                                           RefusalReason::AddressTaken, 0, AddressText(properties.ip)});
        return;
    }
    Device* const device = devices.FindDevice(request.address);
    if (device == nullptr)
        return RefuseUnknown(request.address, RefusedOperation::Write);
    access.WriteProperties(device, properties);
}

void DeviceManager::ReadAdded(const AddControllerRequest& request)
{
    Device* device = devices.FindDevice(request.address);
    // The port asked for wins over the one a search heard: the user named it.
    if ((device == nullptr || device->port != request.port) &&
        devices.AddDevice(DiscoveredController{request.address, request.port, {}}))
        device = devices.FindDevice(request.address);
    if (device == nullptr)
        return RefuseUnknown(request.address, RefusedOperation::Read);
    const bool read = ReadFor(device, request.requester, request.tag);
    std::vector<ControllerEndpoint>& known = Settings().knownControllers;
    const ControllerEndpoint endpoint{request.address, device->port};
    if (read && request.remember && std::find(known.begin(), known.end(), endpoint) == known.end())
    {
        known.push_back(endpoint);
        SaveKnownControllers();
    }
}

void DeviceManager::Remember(const AddressRange& range)
{
    std::vector<AddressRange>& known = Settings().knownRanges;
    if (std::find(known.begin(), known.end(), range) != known.end())
        return;
    known.push_back(range);
    SaveKnownControllers();
}

void DeviceManager::Forget(const ForgetControllerRequest& request)
{
    if (request.range)
    {
        if (std::erase(Settings().knownRanges, *request.range) > 0)
            SaveKnownControllers();
        return;
    }
    if (std::erase_if(Settings().knownControllers, [&request](const ControllerEndpoint& known) {
            return known.address == request.address;
        }) > 0)
        SaveKnownControllers();
}

bool DeviceManager::ReadFor(Device* device, Support* requester, std::int32_t tag)
{
    std::optional<DevicePropertiesResult> result = access.ReadProperties(device);
    if (!result)
        return false;
    result->tag = tag;
    observers.Notify(requester, &Support::OnDeviceProperties, *result);
    return true;
}

void DeviceManager::SaveKnownControllers()
{
    observers.Broadcast(&Support::OnSettingsSaved, SaveSettings());
}

void DeviceManager::NewSearch(const SearchGoal& goal)
{
    devices.ClearDevices();
    const ProgramSettings& settings = Settings();
    searcher.sink = this;
    searcher.timeoutMs = static_cast<DWORD>(settings.searchTimeout);
    searcher.sendPort = static_cast<u_short>(settings.udpSendPort);
    // Searches always receive on the reply port, whatever the settings file says.
    searcher.recvPort = DiscoveryReplyPort;
    searcher.probeRounds = std::max(settings.probeCount, 1);
    // An adapter setting that names no address names no adapter either: the search says so.
    searcher.adapterAddress =
        settings.adapter.empty() ? 0 : ParseAddress(settings.adapter).value_or(INADDR_NONE);
    searcher.unicastTargets.clear();
    for (const ControllerEndpoint& known : settings.knownControllers)
        searcher.unicastTargets.push_back(known.address);
    searcher.unicastRanges = settings.knownRanges;
    searcher.goal = goal;
    searcher.Search();
    observers.Broadcast(&Support::OnSearchFinished, false);
}

void DeviceManager::OnSearchBegin()
{
    devices.ClearDevices();
    firstReplies.clear();
    conflicts.clear();
    observers.Broadcast(&Support::OnSearchStarted, false);
}

void DeviceManager::OnSearchEnd()
{
    observers.Broadcast(&Support::OnSearchFinished, false);
    // Every round makes every controller answer again: the last reply from each address is the one kept.
    std::map<std::uint32_t, DiscoveredController> found;
    for (const DiscoveredController& controller : searcher.Found())
        found[controller.address] = controller;
    for (auto& [address, controller] : found)
    {
        controller.conflict = conflicts.contains(address);
        devices.AddDevice(controller);
    }
    // A controller added by address keeps its row when it does not answer, so that it can still be opened
    // or forgotten; the row says why when its probe could not even be sent.
    const std::vector<DeviceSearcher::UnsentProbe>& unsent = searcher.UnsentProbes();
    for (const ControllerEndpoint& known : Settings().knownControllers)
    {
        if (devices.FindDevice(known.address) != nullptr)
            continue;
        DiscoveredController silent{known.address, known.port, {}, false, false};
        const auto refused = std::find_if(unsent.begin(), unsent.end(), [&known](const auto& probe) {
            return probe.address == known.address;
        });
        if (refused != unsent.end())
            silent.probeError = refused->error;
        devices.AddDevice(silent);
    }
    // The addresses of a range that do not answer are no controllers: only what could not be probed is told.
    for (const UnprobedRange& range : searcher.UnprobedRanges())
        observers.Broadcast(&Support::OnRangeNotProbed, range);
}

void DeviceManager::OnReply(const SearchReply& reply)
{
    const auto [first, isNew] = firstReplies.try_emplace(reply.address, reply);
    if (isNew)
        observers.Broadcast(&Support::OnControllerFound,
                            DiscoveredController{reply.address, reply.port, reply.name});
    else if (AddressConflict::Between(first->second, reply) && conflicts.insert(reply.address).second)
        observers.Broadcast(&Support::OnAddressConflict, AddressConflict{first->second, reply});
}

void DeviceManager::OnAdapterProbed(const ProbedAdapter& adapter)
{
    observers.Broadcast(&Support::OnAdapterProbed, adapter);
}

void DeviceManager::OnSocketError(std::int32_t error)
{
    observers.Broadcast(&Support::OnSearchFailed, error);
}

void DeviceManager::RefuseUnknown(std::uint32_t address, RefusedOperation operation)
{
    observers.Broadcast(&Support::OnRequestRefused,
                        RequestRefusal{address, operation, RefusalReason::UnknownController, 0, {}});
}

} // namespace OM::Norvatessa
