#pragma once

#include "engine/DiscoveredController.h"

#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// The controllers a search found, one per row: address, port, name.
enum class ListingFormat
{
    Table, // aligned columns under a Russian header, for people
    Csv,   // header "address,port,name", RFC 4180 quoting
    Json,  // an array of {"address", "port", "name"}
};

// The whole listing, ending in a line feed; an empty site gives the header alone (CSV), "[]" (JSON), or
// nothing (table).
std::wstring ControllerListing(const std::vector<DiscoveredController>& controllers, ListingFormat format);

} // namespace OM::Norvatessa::Cli
