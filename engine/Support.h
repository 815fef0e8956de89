#pragma once

#include "common/AddressConflict.h"
#include "common/AddressRange.h"
#include "common/DiscoveredController.h"
#include "common/ExchangeFailure.h"
#include "common/PropertyResults.h"
#include "common/RequestRefusal.h"
#include "engine/BatchOutcome.h"
#include "engine/NetworkAdapters.h"
#include "engine/ProgramSettings.h"

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// What the device manager tells its observers (DeviceManager::Support).
//
// Every notification is issued on the manager's worker thread and takes exactly one argument by reference;
// one without payload passes a boolean that is always false. Every body is empty here, so an observer
// overrides only what it uses. An observer that owns windows must hand the work over to its own thread
// by posting window messages, never by sending them (see Helpers::Notifier).
//
// The slots keep their order: OnExchangeFailed, OnRequestRefused and OnSearchFailed were added so that no
// exchange, read, write or search can end without the user learning of it; the next three tell the
// course of a search as it goes, the next where the settings went, the next the ranges a search could
// not probe whole, and the last three the course of a batch on the exchange lanes.
// What OnSearchFailed carries instead of a Windows Sockets error when a failure of the program itself
// broke the search off.
inline constexpr std::int32_t SearchBrokenOff = -1;

class Support
{
public:
    // Unregisters the observer from the device manager (creating the manager if need be).
    virtual ~Support();

    virtual void OnDeviceAddressChanged(const AddressChange&) {}
    virtual void OnDeviceProperties(const DevicePropertiesResult&) {}
    virtual void OnExchangeAborted(const bool&) {}
    virtual void OnAuthorizationRetry(const bool&) {}
    virtual void OnAuthorizationRequested(const bool&) {}
    virtual void OnExchangeCompleted(const bool&) {}
    virtual void OnExchangeStarted(const std::wstring& /*label*/) {}
    virtual void OnSearchFinished(const bool&) {}
    virtual void OnSearchStarted(const bool&) {}
    // The exchange failed: no answer, or none that could be read whole. Ends the exchange like a completion.
    virtual void OnExchangeFailed(const ExchangeFailure&) {}
    // A read whose answer cannot be used, or a write that was refused, before sending or by the controller.
    virtual void OnRequestRefused(const RequestRefusal&) {}
    // The search could not begin: a socket could not be made, bound (the reply port is taken) or sent on.
    // It ends with no controller found, which must not pass for an empty site.
    virtual void OnSearchFailed(const std::int32_t& /*socketError*/) {}
    // While a search runs: the first reply of a controller in this search, so that its row can show at
    // once. The table is filled at the end of the search, which stays the reference.
    virtual void OnControllerFound(const DiscoveredController&) {}
    // While a search runs: replies from one address disagree, once per address and search.
    virtual void OnAddressConflict(const AddressConflict&) {}
    // As a search begins: an adapter the probe went out through, or could not (its error).
    virtual void OnAdapterProbed(const ProbedAdapter&) {}
    // A controller was added by address or forgotten, and the settings were saved: where they went.
    virtual void OnSettingsSaved(const SettingsSave&) {}
    // As a search ends: a range of addresses to probe (knownControllers) that the probes of its first
    // round could not all be sent to; its other addresses, and the rest of the search, went on.
    virtual void OnRangeNotProbed(const UnprobedRange&) {}
    // A batch (engine/BatchRequest.h): an exchange of one of its controllers, on a lane. The single
    // exchange's notifications above never tell a lane's.
    virtual void OnBatchExchange(const BatchExchange&) {}
    // A batch: one controller's outcome, once it is done, in the order the controllers finish.
    virtual void OnBatchOutcome(const BatchOutcome&) {}
    // A batch has told the outcome of every controller.
    virtual void OnBatchFinished(const BatchEnd&) {}

protected:
    Support() = default;
    Support(const Support&) = default;
    Support& operator=(const Support&) = default;
};

} // namespace OM::Norvatessa
