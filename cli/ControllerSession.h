#pragma once

#include "common/AddressText.h"
#include "device/AuthorizationPrompt.h"
#include "engine/DeviceManager.h"
#include "helpers/NotificationQueue.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// The device manager as the console program drives it, on one of two roads.
//
// One controller: the manager runs on the program's one thread instead of its worker. Every request is
// handled during the call that makes it, and so is every notification, which this observer collects into
// a result or into the problems to tell. Nothing of that is shared with another thread.
//
// A site: the manager's worker searches, as in the window program, and runs batches on its exchange lanes.
// The notifications then arrive on the worker: those of the search are kept for the program's thread,
// which reads them once the search has ended (Search waits for that), and those of batches are queued
// for it (NextNews). No program drives both roads at once.
class ControllerSession final : public DeviceManager::Support
{
public:
    // What the worker told of a batch, in its order.
    struct BatchNews
    {
        enum class Kind
        {
            Exchange, // `exchange`: an exchange of a controller began or ended on a lane
            Outcome,  // `outcome`: a controller is done
            Finished, // `end`: the batch has told every outcome
        };
        Kind kind = Kind::Finished;
        BatchExchange exchange;
        BatchOutcome outcome;
        BatchEnd end;
    };

    // What a write left behind: where the controller answers now, and its settings read back from there.
    struct Written
    {
        std::uint32_t address = 0;
        Xml::DeviceProperties properties;
    };

    // One controller: registers with the manager and makes `prompt` answer every demand for credentials.
    ControllerSession(DeviceManager& manager, AuthorizationPrompt& prompt);
    // A site: registers with the manager, whose worker this session starts and stops.
    explicit ControllerSession(DeviceManager& manager);
    ~ControllerSession() override;
    ControllerSession(const ControllerSession&) = delete;
    ControllerSession& operator=(const ControllerSession&) = delete;

    // One search as Settings() says, to its time or until it has what `goal` asks; the controllers that
    // answered, in address order, and those added by address that did not (`answered` false). On a site
    // it runs on the worker, which it begins.
    std::vector<DiscoveredController> Search(const SearchGoal& goal = {});

    // A site. Posts the batch, beginning the worker first if no search has; 0 when it cannot be begun.
    BatchId Post(const BatchRequest& request);
    // A site: waits for the next news of the batches posted.
    BatchNews NextNews();
    bool Knows(std::uint32_t address) const { return manager.FindDevice(address) != nullptr; }
    // Of the last search: the conflicts heard, worded for the user, and the adapters probed through.
    const std::vector<std::wstring>& Conflicts() const noexcept { return conflicts; }
    const std::vector<ProbedAdapter>& ProbedAdapters() const noexcept { return probedAdapters; }
    // Of the last search: the ranges it could not send every probe of the first round to.
    const std::vector<UnprobedRange>& UnprobedRanges() const noexcept { return unprobedRanges; }

    // Nothing when the read or the write did not succeed; Problems() then says why.
    std::optional<Xml::DeviceProperties> Read(std::uint32_t address);
    // Reads a controller that no search has found, at its address and port; it joins the table.
    std::optional<Xml::DeviceProperties> ReadAt(const ControllerEndpoint& endpoint);
    // A controller no request could go to: the last search did not hear it (it did not answer) or could
    // not run. Problems() and Unanswered() then say so, rather than what the last request said of another.
    void Missed(std::wstring problem);
    std::optional<Written> Write(std::uint32_t address, const Xml::DeviceProperties& properties);
    // The controller's document of the last successful Read, exactly as it arrived.
    const std::string& Answer() const noexcept { return received ? received->answer : noAnswer; }

    // What went wrong during the last Read or Write, worded as the window program words it.
    const std::vector<std::wstring>& Problems() const noexcept { return problems; }
    // Whether the last Read or Write failed because the controller did not take the connection or did
    // not answer, rather than answering with a refusal.
    bool Unanswered() const noexcept { return unanswered; }
    // Whether the controller confirmed the last Write, even when its check failed afterwards.
    bool WriteConfirmed() const noexcept { return writeConfirmed; }
    // Why the last search could not begin, or nothing when it ran.
    const std::optional<std::wstring>& SearchFailure() const noexcept { return searchFailure; }

private:
    void OnDeviceAddressChanged(const AddressChange& change) override;
    void OnDeviceProperties(const DevicePropertiesResult& result) override;
    void OnExchangeAborted(const bool&) override;
    void OnExchangeStarted(const std::wstring& label) override;
    void OnExchangeFailed(const ExchangeFailure& failure) override;
    void OnRequestRefused(const RequestRefusal& refusal) override;
    void OnSearchFailed(const std::int32_t& socketError) override;
    void OnAddressConflict(const AddressConflict& conflict) override;
    void OnAdapterProbed(const ProbedAdapter& adapter) override;
    void OnSearchFinished(const bool&) override;
    void OnBatchExchange(const BatchExchange& exchange) override;
    void OnBatchOutcome(const BatchOutcome& outcome) override;
    void OnBatchFinished(const BatchEnd& end) override;
    void OnRangeNotProbed(const UnprobedRange& range) override;

    void Begin(std::int32_t tag);
    bool StartWorker();
    std::optional<Xml::DeviceProperties> ReadResult() const;

    DeviceManager& manager;
    const bool onWorker; // the site's road
    bool workerStarted = false;
    std::vector<DiscoveredController> found;    // the worker's, until the search has ended
    Helpers::NotificationQueue<BatchNews> news; // from the worker to the program's thread
    std::int32_t expectedTag = 0;               // of the result the request in progress waits for
    std::optional<DevicePropertiesResult> received;
    std::optional<std::uint32_t> movedTo;
    bool writeConfirmed = false; // the manager reads a controller back only once it confirmed a write
    bool unanswered = false;
    std::vector<std::wstring> problems;
    std::optional<std::wstring> searchFailure;
    std::vector<std::wstring> conflicts;
    std::vector<ProbedAdapter> probedAdapters;
    std::vector<UnprobedRange> unprobedRanges;
    const std::string noAnswer;
};

} // namespace OM::Norvatessa::Cli
