#pragma once

#include "common/AddressRange.h"
#include "engine/SearchGoal.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>

namespace OM::Norvatessa
{

class Support;

// The requests that the user interface posts to the device manager. Each is copied into its queued holder,
// so the poster may let its value go as soon as Post returns.

// Forget the known controllers and search again: the whole search time, or until it has what `goal` asks.
struct NewSearchRequest
{
    SearchGoal goal;
    // A range that joins the settings' knownControllers first, so that this search and every later one
    // probes it.
    std::optional<AddressRange> addedRange;
};

// Read one controller's settings; the result goes to `requester` only, carrying `tag`.
struct GetDevicePropertiesRequest
{
    std::uint32_t address = 0; // the controller, as it is known in the device table
    Support* requester = nullptr;
    std::int32_t tag = 0;
};

// Read a controller by its address, one that no search finds (behind a router, say): the manager takes it
// into its table, unless it is there already at that port, and reads it as GetDevicePropertiesRequest does.
struct AddControllerRequest
{
    std::uint32_t address = 0;
    std::uint16_t port = 80; // its HTTP port
    Support* requester = nullptr;
    std::int32_t tag = 0;
    // Once read, the controller joins the settings' knownControllers: every later search probes it.
    bool remember = false;
};

// No longer probe a controller added by address (knownControllers), or with `range` that range.
struct ForgetControllerRequest
{
    std::uint32_t address = 0;
    std::optional<AddressRange> range;
};

// Write an edited record to one controller, then read it back.
struct SetDevicePropertiesRequest
{
    std::uint32_t address = 0; // the controller, as it is known in the device table
    Xml::DeviceProperties properties;
};

} // namespace OM::Norvatessa
