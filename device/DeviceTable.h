#pragma once

#include "common/DiscoveredController.h"
#include "device/Device.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace OM::Norvatessa
{

// The known controllers by address, in ascending address order, at most one per address. The worker
// thread alone touches it while the worker runs.
class DeviceTable
{
public:
    // The controller known under the address, or null.
    Device* FindDevice(std::uint32_t address) const;

    // Creates a device for the controller and opens its connection; stored under its address in place of
    // any device there. False, with nothing stored, when the connection cannot be opened.
    bool AddDevice(const DiscoveredController& controller);

    // Forgets the device under the address; its connection goes to the closer.
    void RemoveDevice(std::uint32_t address);

    // Forgets every device; their connections go to the closer.
    void ClearDevices();

    // When the table is empty: 0, and `controllers` is left as it is. Otherwise `controllers` becomes the
    // devices whose address or port is known, in address order, and its size is returned.
    std::size_t GetDevices(std::vector<DiscoveredController>& controllers) const;

    bool Empty() const noexcept { return devices.empty(); }

private:
    std::map<std::uint32_t, std::unique_ptr<Device>> devices;
};

} // namespace OM::Norvatessa
