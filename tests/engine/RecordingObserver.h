#pragma once

#include "engine/DeviceManager.h"
#include "xml/Utf16File.h"

#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

std::string ReasonName(ExchangeFailureReason reason);
std::string ReasonName(RefusalReason reason);

// Writes down every notification of a device manager as a line ("searching", "started Авторизация",
// "failed NoAnswer 12029", "refused write AddressTaken", "properties 127.0.0.2 tag 32782", ...), so that a
// test compares the whole course of a request with what it expects. A batch's outcomes and end are lines
// too ("outcome 127.0.0.2 done", "batch 1 finished"); its exchanges are only counted. Notifications arrive
// on the worker; the test waits for them on its own thread, and may ask which threads they came from.
class RecordingObserver final : public Support
{
public:
    explicit RecordingObserver(DeviceManager& manager) : manager(manager) { manager.Add(this); }
    ~RecordingObserver() override { manager.Remove(this); }

    void OnDeviceAddressChanged(const AddressChange& change) override;
    void OnDeviceProperties(const DevicePropertiesResult& result) override;
    void OnExchangeAborted(const bool&) override { Record("aborted"); }
    void OnAuthorizationRetry(const bool&) override { Record("retry"); }
    void OnAuthorizationRequested(const bool&) override { Record("authorization"); }
    void OnExchangeCompleted(const bool&) override { Record("completed"); }
    void OnExchangeStarted(const std::wstring& label) override { Record("started " + Xml::utf8Text(label)); }
    void OnSearchFinished(const bool&) override;
    void OnSearchStarted(const bool&) override { Record("searching"); }
    void OnExchangeFailed(const ExchangeFailure& failure) override;
    void OnRequestRefused(const RequestRefusal& refusal) override;
    void OnSearchFailed(const std::int32_t& error) override
    {
        Record("search failed " + std::to_string(error));
    }

    void OnControllerFound(const DiscoveredController& controller) override;
    void OnAddressConflict(const AddressConflict& conflict) override;
    void OnBatchExchange(const BatchExchange& exchange) override;
    void OnBatchOutcome(const BatchOutcome& outcome) override;
    void OnBatchFinished(const BatchEnd& end) override;

    // Waits until a line equal to `line` has been recorded `count` times in all; false on time-out.
    bool WaitFor(const std::string& line, std::size_t count = 1, DWORD timeoutMs = 30000);
    std::vector<std::string> Events();
    std::size_t Count(const std::string& line);
    std::vector<DevicePropertiesResult> Results();
    std::vector<ExchangeFailure> Failures();
    std::vector<RequestRefusal> Refusals();
    std::vector<BatchOutcome> Outcomes();
    // The exchanges of the batch that have started on a lane.
    std::size_t ExchangesStarted(BatchId batch);
    // Every thread that told this observer something.
    std::set<DWORD> Threads();
    // What GetDevices gave at each "finished", called from inside the notification as the frame does.
    std::vector<std::vector<DiscoveredController>> Tables();
    void Clear();

private:
    void Record(std::string line);

    DeviceManager& manager;
    std::mutex lock;
    std::condition_variable recorded;
    std::vector<std::string> events;
    std::vector<DevicePropertiesResult> results;
    std::vector<ExchangeFailure> failures;
    std::vector<RequestRefusal> refusals;
    std::vector<BatchOutcome> outcomes;
    std::map<BatchId, std::size_t> started;
    std::set<DWORD> threads;
    std::vector<std::vector<DiscoveredController>> tables;
};

} // namespace OM::Norvatessa::Testing
