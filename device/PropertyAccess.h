#pragma once

#include "device/DeviceTable.h"
#include "device/HttpExchange.h"
#include "device/PropertySink.h"

#include <cstdint>
#include <optional>

namespace OM::Norvatessa
{

// Reading a controller's "config.xml" into a DeviceProperties record, and writing an edited record back
// and reading the controller again: what the device manager does for its read and write requests.
//
// Worker thread only. Every outcome is told: a read's result to the caller, the course of each exchange
// to the exchange's sink, and everything else (the settings read back after a write, a controller that
// moved, a refusal that says why a read or a write came to nothing) to this sink.
class PropertyAccess
{
public:
    PropertyAccess(HttpExchange& exchange, DeviceTable& devices, PropertySink& sink)
        : exchange(exchange), devices(devices), sink(sink)
    {
    }

    // Reads the controller; nothing when there is no result (the sink, or the exchange's, said why).
    std::optional<DevicePropertiesResult> ReadProperties(Device* device);
    // Reads the controller; the result goes to the sink with tag 0.
    void RefreshProperties(Device* device);
    // Sends the record (every value, whatever its marks), checks the controller's answer, follows an
    // address or port change and reads the controller again.
    void WriteProperties(Device* device, const Xml::DeviceProperties& properties);

    // Takes a record read from, or written to, the device. False, changing nothing, when the record
    // describes another address than the device's.
    static bool ApplyProperties(Device& device, const Xml::DeviceProperties& record);

private:
    // Whether the controller's answer to a write confirms it; refused (and false) when it does not.
    bool Confirmed(std::uint32_t address, const HttpRequest& write);
    // The controller answers at its new address after a write: it is a new device there.
    void Move(std::uint32_t address, const Xml::DeviceProperties& properties);
    void Refuse(std::uint32_t address, RefusedOperation operation, RefusalReason reason,
                std::uint32_t httpStatus = 0, std::wstring detail = {});

    HttpExchange& exchange;
    DeviceTable& devices;
    PropertySink& sink;
};

} // namespace OM::Norvatessa
