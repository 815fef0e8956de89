#include "cli/ControllerSession.h"

#include "common/Words.h"
#include "device/ExchangeLabels.h"
#include "engine/FailureText.h"

#include <utility>

namespace OM::Norvatessa::Cli
{

namespace
{

// Our reads carry this tag; the read that follows a write is broadcast with tag 0.
constexpr std::int32_t ReadTag = 1;
constexpr std::int32_t ReadAfterWriteTag = 0;

} // namespace

ControllerSession::ControllerSession(DeviceManager& manager, AuthorizationPrompt& prompt)
    : manager(manager), onWorker(false)
{
    manager.SetAuthorizationPrompt(&prompt);
    manager.Add(this);
}

ControllerSession::ControllerSession(DeviceManager& manager) : manager(manager), onWorker(true)
{
    manager.Add(this);
}

ControllerSession::~ControllerSession()
{
    if (workerStarted)
        manager.Stop();
    manager.Remove(this);
    manager.SetAuthorizationPrompt(nullptr);
    manager.ClearDevices();
}

std::vector<DiscoveredController> ControllerSession::Search(const SearchGoal& goal)
{
    searchFailure.reset();
    conflicts.clear();
    probedAdapters.clear();
    unprobedRanges.clear();
    if (!onWorker)
    {
        manager.HandleRequest(NewSearchRequest{goal, std::nullopt});
        std::vector<DiscoveredController> table;
        manager.GetDevices(table);
        return table;
    }
    found.clear();
    // The worker begins without a search of its own, so that this one runs with its goal.
    if (!StartWorker())
    {
        searchFailure = DescribeSearchFailure(SearchBrokenOff);
        return {};
    }
    manager.Post(NewSearchRequest{goal, std::nullopt});
    // The worker runs requests in their order: a batch of no controllers ends once the search has, and
    // all it told is there to read.
    const BatchId marker = manager.Post(BatchRequest{});
    for (BatchNews next = NextNews(); next.kind != BatchNews::Kind::Finished || next.end.batch != marker;
         next = NextNews())
    {
    }
    return found;
}

bool ControllerSession::StartWorker()
{
    if (!workerStarted)
        workerStarted = manager.Start(false);
    return workerStarted;
}

BatchId ControllerSession::Post(const BatchRequest& request)
{
    return StartWorker() ? manager.Post(request) : 0;
}

ControllerSession::BatchNews ControllerSession::NextNews()
{
    BatchNews next;
    while (!news.TryPop(next))
        ::WaitForSingleObject(news.Signal(), INFINITE);
    return next;
}

std::optional<Xml::DeviceProperties> ControllerSession::Read(std::uint32_t address)
{
    Begin(ReadTag);
    manager.HandleRequest(GetDevicePropertiesRequest{address, this, ReadTag});
    return ReadResult();
}

std::optional<Xml::DeviceProperties> ControllerSession::ReadAt(const ControllerEndpoint& endpoint)
{
    Begin(ReadTag);
    manager.HandleRequest(AddControllerRequest{endpoint.address, endpoint.port, this, ReadTag});
    return ReadResult();
}

std::optional<Xml::DeviceProperties> ControllerSession::ReadResult() const
{
    if (!problems.empty() || !received)
        return std::nullopt;
    return received->properties;
}

std::optional<ControllerSession::Written> ControllerSession::Write(std::uint32_t address,
                                                                   const Xml::DeviceProperties& properties)
{
    Begin(ReadAfterWriteTag);
    manager.HandleRequest(SetDevicePropertiesRequest{address, properties});
    if (!problems.empty() && writeConfirmed)
        problems.push_back(Words::ChangedButNotReadBack);
    if (!problems.empty() || !received)
        return std::nullopt;
    return Written{movedTo.value_or(address), received->properties};
}

void ControllerSession::Missed(std::wstring problem)
{
    Begin(0);
    problems.push_back(std::move(problem));
    unanswered = !searchFailure;
}

void ControllerSession::Begin(std::int32_t tag)
{
    expectedTag = tag;
    received.reset();
    movedTo.reset();
    writeConfirmed = false;
    unanswered = false;
    problems.clear();
}

void ControllerSession::OnDeviceAddressChanged(const AddressChange& change)
{
    if (!onWorker)
        movedTo = change.newAddress;
}

void ControllerSession::OnDeviceProperties(const DevicePropertiesResult& result)
{
    if (!onWorker && result.tag == expectedTag)
        received = result;
}

void ControllerSession::OnExchangeAborted(const bool&)
{
    problems.push_back(Words::ExchangeAborted);
}

void ControllerSession::OnExchangeStarted(const std::wstring& label)
{
    if (expectedTag == ReadAfterWriteTag && label == ReadPropertiesLabel)
        writeConfirmed = true;
}

void ControllerSession::OnExchangeFailed(const ExchangeFailure& failure)
{
    unanswered = unanswered || LeftUnanswered(failure.reason);
    problems.push_back(DescribeControllerFailure(failure));
}

void ControllerSession::OnRequestRefused(const RequestRefusal& refusal)
{
    problems.push_back(DescribeControllerRefusal(refusal));
}

void ControllerSession::OnSearchFailed(const std::int32_t& socketError)
{
    searchFailure = DescribeSearchFailure(socketError);
}

void ControllerSession::OnAddressConflict(const AddressConflict& conflict)
{
    conflicts.push_back(DescribeConflict(conflict));
}

void ControllerSession::OnAdapterProbed(const ProbedAdapter& adapter)
{
    probedAdapters.push_back(adapter);
}

void ControllerSession::OnSearchFinished(const bool&)
{
    // The worker reports the end twice, before the table is filled and once it is: the last one counts.
    if (onWorker)
        manager.GetDevices(found);
}

void ControllerSession::OnBatchExchange(const BatchExchange& exchange)
{
    BatchNews told;
    told.kind = BatchNews::Kind::Exchange;
    told.exchange = exchange;
    news.Push(std::move(told));
}

void ControllerSession::OnBatchOutcome(const BatchOutcome& outcome)
{
    BatchNews told;
    told.kind = BatchNews::Kind::Outcome;
    told.outcome = outcome;
    news.Push(std::move(told));
}

void ControllerSession::OnBatchFinished(const BatchEnd& end)
{
    BatchNews told;
    told.end = end;
    news.Push(std::move(told));
}

void ControllerSession::OnRangeNotProbed(const UnprobedRange& range)
{
    unprobedRanges.push_back(range);
}

} // namespace OM::Norvatessa::Cli
