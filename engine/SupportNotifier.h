#pragma once

#include "common/ConnectionSink.h"
#include "device/PropertySink.h"
#include "engine/Support.h"
#include "helpers/Notifier.h"

namespace OM::Norvatessa
{

// The device manager's observers (DeviceManager::SupportNotifier), and the translation of what the device
// layer reports (an exchange's progress, the settings read back after a write, a moved controller, a
// refusal) into their notifications. Broadcasts run on the worker thread; Add and Remove on any thread.
class SupportNotifier : public ConnectionSink, public PropertySink, public Helpers::Notifier<Support>
{
public:
    void OnConnectionEvent(const ConnectionEvent& event) override;
    void OnDeviceAddressChanged(const AddressChange& change) override;
    void OnDeviceProperties(const DevicePropertiesResult& result) override;
    void OnRequestRefused(const RequestRefusal& refusal) override;
};

} // namespace OM::Norvatessa
