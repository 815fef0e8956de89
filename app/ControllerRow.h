#pragma once

#include "common/AddressRange.h"
#include "common/DiscoveredController.h"

#include <cstdint>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// One controller as the device list holds it: what the list shows, sorts and saves is worked out from
// this, never read back from the list's cells.
struct ControllerRow
{
    std::uint32_t address = 0; // where it is reached, first dotted number in the top byte; the row's lParam
    std::uint16_t port = 0;    // its HTTP port
    std::wstring name;         // as the controller gives it, possibly empty
    // Its answer to the search carried no name (an older firmware): the list says so in place of the name,
    // while everything the row is written to (the saved list, the clipboard) gets the empty name. A name
    // read from the controller itself ends it, even an empty one.
    bool nameless = false;
    bool conflict = false; // two controllers answered from this address
    bool answered = true;  // false for a controller added by address that the search did not hear
    std::wstring unprobed; // why its probe could not even be sent, in words; empty when the probe went out
    // A remembered range from which no controller answered, shown as one row so that it can be forgotten:
    // it has no port, never answered, and `address` is its first address, where it sorts. No lookup by
    // address finds it.
    std::optional<AddressRange> range;
};

// The row of a controller that a search found or was told of. Why its probe could not be sent is left to
// the window program, which has the system's words for it (DescribeUnsentProbe).
ControllerRow RowOf(const DiscoveredController& controller);

} // namespace OM::Norvatessa
