#pragma once

#include "xml/DeviceProperties.h"

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// A controller that moved to a new address after a write.
struct AddressChange
{
    std::uint32_t oldAddress = 0;
    std::uint32_t newAddress = 0;
};

// The settings read from one controller.
struct DevicePropertiesResult
{
    std::uint32_t address = 0;
    Xml::DeviceProperties properties;
    std::int32_t tag = 0; // the request's tag for its requester; 0 when broadcast after a write
    std::string answer{}; // the controller's document exactly as it arrived, in its own code page
};

} // namespace OM::Norvatessa
