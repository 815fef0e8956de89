#pragma once

#include "device/DeviceTable.h"
#include "device/HttpExchange.h"
#include "engine/SupportNotifier.h"

#include <cstdint>

namespace OM::Norvatessa
{

// Reading a controller's "config.xml" into a DeviceProperties record, and writing an edited record back
// and reading the controller again: what the device manager does for its read and write requests.
//
// Worker thread only. Every outcome reaches the observers: a result, an exchange report, or a refusal
// that says why a read or a write came to nothing.
class PropertyAccess
{
public:
    PropertyAccess(HttpExchange& exchange, DeviceTable& devices, SupportNotifier& observers)
        : exchange(exchange), devices(devices), observers(observers)
    {
    }

    // Reads the controller; the result goes to `requester` alone, if it is still registered. True when there
    // was a result.
    bool ReadProperties(Device* device, Support* requester, std::int32_t tag);
    // Reads the controller; the result is broadcast with tag 0.
    void RefreshProperties(Device* device);
    // Sends the record (every value, whatever its marks), checks the controller's answer, follows an
    // address or port change and reads the controller again.
    void WriteProperties(Device* device, const Xml::DeviceProperties& properties);

    // Takes a record read from, or written to, the device. False, changing nothing, when the record
    // describes another address than the device's.
    static bool ApplyProperties(Device& device, const Xml::DeviceProperties& record);

private:
    // The read shared by ReadProperties and RefreshProperties; false when there is no result.
    bool Read(Device* device, DevicePropertiesResult& result);
    void Refuse(std::uint32_t address, RefusedOperation operation, RefusalReason reason,
                std::uint32_t httpStatus = 0, std::wstring detail = {});

    HttpExchange& exchange;
    DeviceTable& devices;
    SupportNotifier& observers;
};

} // namespace OM::Norvatessa
