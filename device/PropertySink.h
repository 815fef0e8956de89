#pragma once

#include "common/PropertyResults.h"
#include "common/RequestRefusal.h"

namespace OM::Norvatessa
{

// What reading and writing a controller's settings tells besides the course of its exchanges: the settings
// read back after a write, a controller that moved to a new address, and a read or a write that came to
// nothing. Called on the thread that reads and writes (the device manager's worker). Every operation does
// nothing unless overridden.
class PropertySink
{
public:
    virtual void OnDeviceAddressChanged(const AddressChange&) {}
    virtual void OnDeviceProperties(const DevicePropertiesResult&) {}
    virtual void OnRequestRefused(const RequestRefusal&) {}

protected:
    ~PropertySink() = default;
};

} // namespace OM::Norvatessa
