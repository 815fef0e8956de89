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

ControllerSession::ControllerSession(DeviceManager& manager, AuthorizationPrompt& prompt) : manager(manager)
{
    manager.SetAuthorizationPrompt(&prompt);
    manager.Add(this);
}

ControllerSession::~ControllerSession()
{
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
    manager.HandleRequest(NewSearchRequest{goal, std::nullopt});
    std::vector<DiscoveredController> found;
    manager.GetDevices(found);
    return found;
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
    movedTo = change.newAddress;
}

void ControllerSession::OnDeviceProperties(const DevicePropertiesResult& result)
{
    if (result.tag == expectedTag)
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
    switch (failure.reason)
    {
    case ExchangeFailureReason::NotConnected:
    case ExchangeFailureReason::NoAnswer:
    case ExchangeFailureReason::AnswerTooSlow:
    case ExchangeFailureReason::NoConnection:
    case ExchangeFailureReason::NoAnswerInTime:
    case ExchangeFailureReason::ClosedWithoutAnswer:
        unanswered = true;
        break;
    default:
        break;
    }
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

void ControllerSession::OnRangeNotProbed(const UnprobedRange& range)
{
    unprobedRanges.push_back(range);
}

} // namespace OM::Norvatessa::Cli
