#pragma once

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

    // One whole search, for Settings().searchTimeout; the controllers that answered, in address order.
    std::vector<DiscoveredController> Search();
    bool Knows(std::uint32_t address) const { return manager.FindDevice(address) != nullptr; }

    // Nothing when the read or the write did not succeed; Problems() then says why.
    std::optional<Xml::DeviceProperties> Read(std::uint32_t address);
    std::optional<Written> Write(std::uint32_t address, const Xml::DeviceProperties& properties);
    // The controller's document of the last successful Read, exactly as it arrived.
    const std::string& Answer() const noexcept { return received ? received->answer : noAnswer; }

    // What went wrong during the last Read or Write, worded as the window program words it.
    const std::vector<std::wstring>& Problems() const noexcept { return problems; }
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

    void Begin(std::int32_t tag);

    DeviceManager& manager;
    std::int32_t expectedTag = 0; // of the result the request in progress waits for
    std::optional<DevicePropertiesResult> received;
    std::optional<std::uint32_t> movedTo;
    bool writeConfirmed = false; // the manager reads a controller back only once it confirmed a write
    std::vector<std::wstring> problems;
    std::optional<std::wstring> searchFailure;
    const std::string noAnswer;
};

} // namespace OM::Norvatessa::Cli
