#pragma once

#include "common/AddressText.h"
#include "device/AuthorizationPrompt.h"
#include "engine/DeviceManager.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// The device manager, driven on the program's one thread instead of its worker: every request is
// handled during the call that makes it, and so is every notification, which this observer collects
// into a result or into the problems to tell. Nothing here is shared with another thread.
class ControllerSession final : public DeviceManager::Support
{
public:
    // What a write left behind: where the controller answers now, and its settings read back from there.
    struct Written
    {
        std::uint32_t address = 0;
        Xml::DeviceProperties properties;
    };

    // Registers with the manager and makes `prompt` answer every demand for credentials.
    ControllerSession(DeviceManager& manager, AuthorizationPrompt& prompt);
    ~ControllerSession() override;
    ControllerSession(const ControllerSession&) = delete;
    ControllerSession& operator=(const ControllerSession&) = delete;

    // One search as Settings() says, to its time or until it has what `goal` asks; the controllers that
    // answered, in address order, and those added by address that did not (`answered` false).
    std::vector<DiscoveredController> Search(const SearchGoal& goal = {});
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
    void OnRangeNotProbed(const UnprobedRange& range) override;

    void Begin(std::int32_t tag);
    std::optional<Xml::DeviceProperties> ReadResult() const;

    DeviceManager& manager;
    std::int32_t expectedTag = 0; // of the result the request in progress waits for
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
