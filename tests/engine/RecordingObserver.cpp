#include "tests/engine/RecordingObserver.h"

#include "common/AddressText.h"
#include "engine/FailureText.h"

#include <chrono>

namespace OM::Norvatessa::Testing
{

std::string ReasonName(ExchangeFailureReason reason)
{
    switch (reason)
    {
    case ExchangeFailureReason::NotConnected:
        return "NotConnected";
    case ExchangeFailureReason::RequestNotPrepared:
        return "RequestNotPrepared";
    case ExchangeFailureReason::NoAnswer:
        return "NoAnswer";
    case ExchangeFailureReason::AnswerCutOff:
        return "AnswerCutOff";
    case ExchangeFailureReason::AnswerTooLong:
        return "AnswerTooLong";
    case ExchangeFailureReason::AnswerTooSlow:
        return "AnswerTooSlow";
    case ExchangeFailureReason::AuthorizationFailed:
        return "AuthorizationFailed";
    case ExchangeFailureReason::CredentialsRequired:
        return "CredentialsRequired";
    case ExchangeFailureReason::CredentialsRejected:
        return "CredentialsRejected";
    case ExchangeFailureReason::NoConnection:
        return "NoConnection";
    case ExchangeFailureReason::NoAnswerInTime:
        return "NoAnswerInTime";
    case ExchangeFailureReason::ClosedWithoutAnswer:
        return "ClosedWithoutAnswer";
    case ExchangeFailureReason::Redirected:
        return "Redirected";
    case ExchangeFailureReason::CredentialsNotInCodePage:
        return "CredentialsNotInCodePage";
    }
    return "?";
}

std::string ReasonName(RefusalReason reason)
{
    switch (reason)
    {
    case RefusalReason::UnknownController:
        return "UnknownController";
    case RefusalReason::AddressTaken:
        return "AddressTaken";
    case RefusalReason::TextNotCarried:
        return "TextNotCarried";
    case RefusalReason::TextNotInCodePage:
        return "TextNotInCodePage";
    case RefusalReason::AnswerUnreadable:
        return "AnswerUnreadable";
    case RefusalReason::AnswerWithoutNet:
        return "AnswerWithoutNet";
    case RefusalReason::ChangeNotConfirmed:
        return "ChangeNotConfirmed";
    case RefusalReason::OtherAddress:
        return "OtherAddress";
    case RefusalReason::ReconnectFailed:
        return "ReconnectFailed";
    case RefusalReason::InternalFailure:
        return "InternalFailure";
    }
    return "?";
}

void RecordingObserver::OnDeviceAddressChanged(const AddressChange& change)
{
    Record("moved " + Xml::utf8Text(AddressText(change.oldAddress)) + " " +
           Xml::utf8Text(AddressText(change.newAddress)));
}

void RecordingObserver::OnDeviceProperties(const DevicePropertiesResult& result)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        results.push_back(result);
    }
    Record("properties " + Xml::utf8Text(AddressText(result.address)) + " tag " + std::to_string(result.tag));
}

void RecordingObserver::OnControllerFound(const DiscoveredController& controller)
{
    Record("found " + Xml::utf8Text(AddressText(controller.address)) + ":" + std::to_string(controller.port));
}

void RecordingObserver::OnAddressConflict(const AddressConflict& conflict)
{
    Record("conflict " + Xml::utf8Text(DescribeConflict(conflict)));
}

void RecordingObserver::OnSearchFinished(const bool&)
{
    std::vector<DiscoveredController> table;
    manager.GetDevices(table);
    {
        std::lock_guard<std::mutex> hold(lock);
        tables.push_back(std::move(table));
    }
    Record("finished");
}

void RecordingObserver::OnExchangeFailed(const ExchangeFailure& failure)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        failures.push_back(failure);
    }
    std::string line = "failed ";
    line += ReasonName(failure.reason);
    if (failure.systemError != 0)
    {
        line += ' ';
        line += std::to_string(failure.systemError);
    }
    Record(std::move(line));
}

void RecordingObserver::OnRequestRefused(const RequestRefusal& refusal)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        refusals.push_back(refusal);
    }
    std::string line = "refused ";
    line += refusal.operation == RefusedOperation::Read ? "read " : "write ";
    line += ReasonName(refusal.reason);
    Record(std::move(line));
}

void RecordingObserver::Record(std::string line)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        events.push_back(std::move(line));
    }
    recorded.notify_all();
}

bool RecordingObserver::WaitFor(const std::string& line, std::size_t count, DWORD timeoutMs)
{
    std::unique_lock<std::mutex> hold(lock);
    return recorded.wait_for(hold, std::chrono::milliseconds(timeoutMs), [&] {
        return static_cast<std::size_t>(std::count(events.begin(), events.end(), line)) >= count;
    });
}

std::vector<std::string> RecordingObserver::Events()
{
    std::lock_guard<std::mutex> hold(lock);
    return events;
}

std::size_t RecordingObserver::Count(const std::string& line)
{
    std::lock_guard<std::mutex> hold(lock);
    return static_cast<std::size_t>(std::count(events.begin(), events.end(), line));
}

std::vector<DevicePropertiesResult> RecordingObserver::Results()
{
    std::lock_guard<std::mutex> hold(lock);
    return results;
}

std::vector<ExchangeFailure> RecordingObserver::Failures()
{
    std::lock_guard<std::mutex> hold(lock);
    return failures;
}

std::vector<RequestRefusal> RecordingObserver::Refusals()
{
    std::lock_guard<std::mutex> hold(lock);
    return refusals;
}

std::vector<std::vector<DiscoveredController>> RecordingObserver::Tables()
{
    std::lock_guard<std::mutex> hold(lock);
    return tables;
}

void RecordingObserver::Clear()
{
    std::lock_guard<std::mutex> hold(lock);
    events.clear();
    results.clear();
    failures.clear();
    refusals.clear();
    tables.clear();
}

} // namespace OM::Norvatessa::Testing
