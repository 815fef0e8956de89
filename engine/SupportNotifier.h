#pragma once

#include "common/ConnectionSink.h"
#include "engine/Support.h"
#include "helpers/Notifier.h"

namespace OM::Norvatessa
{

// The device manager's observers (DeviceManager::SupportNotifier), and the translation of an exchange's
// progress into their notifications. Broadcasts run on the worker thread; Add and Remove on any thread.
class SupportNotifier : public ConnectionSink, public Helpers::Notifier<Support>
{
public:
    void OnConnectionEvent(const ConnectionEvent& event) override;
};

} // namespace OM::Norvatessa
