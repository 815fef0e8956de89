#include "device/DeviceTable.h"

#include "device/HttpExchange.h"

namespace OM::Norvatessa
{

Device* DeviceTable::FindDevice(std::uint32_t address) const
{
    const auto found = devices.find(address);
    return found == devices.end() ? nullptr : found->second.get();
}

bool DeviceTable::AddDevice(const DiscoveredController& controller)
{
    auto device = std::make_unique<Device>(controller);
    if (!HttpExchange::OpenConnection(*device))
        return false;
    devices[controller.address] = std::move(device);
    return true;
}

void DeviceTable::RemoveDevice(std::uint32_t address)
{
    devices.erase(address);
}

void DeviceTable::ClearDevices()
{
    devices.clear();
}

std::size_t DeviceTable::GetDevices(std::vector<DiscoveredController>& controllers) const
{
    if (devices.empty())
        return 0;
    controllers.clear();
    for (const auto& [address, device] : devices)
    {
        const Xml::DeviceProperties& properties = device->properties;
        if (properties.changed & (Xml::PropIp | Xml::PropTcpPort))
            controllers.push_back(DiscoveredController{properties.ip, properties.tcpPort, properties.name,
                                                       device->conflict, device->answeredSearch,
                                                       device->probeError});
    }
    return controllers.size();
}

} // namespace OM::Norvatessa
