#pragma once

#include "common/DiscoveredController.h"
#include "device/Connection.h"
#include "xml/DeviceProperties.h"

namespace OM::Norvatessa
{

// One known controller (DeviceManager::Device): its connection and its last known settings. Worker thread
// only.
class Device : public Connection
{
public:
    // A controller as discovery found it: its address, port and name; the handles are not open yet.
    explicit Device(const DiscoveredController& controller)
        : Connection(controller.address, controller.port), conflict(controller.conflict),
          answeredSearch(controller.answered), probeError(controller.probeError)
    {
        properties.ip = controller.address;
        properties.tcpPort = controller.port;
        properties.name = controller.name;
        properties.changed = Xml::PropName | Xml::PropIp | Xml::PropTcpPort;
    }

    Xml::DeviceProperties properties;
    bool propertiesValid = false; // a read or a write has been applied
    bool conflict = false;        // the search that found it heard two controllers on its address
    bool answeredSearch = true;   // false for a controller added by address that did not answer
    std::int32_t probeError = 0;  // why it could not even be probed, as DiscoveredController says
};

} // namespace OM::Norvatessa
