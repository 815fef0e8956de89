#pragma once

#include "common/DiscoveredController.h"

#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// The controllers a search found, one per row: address, port, name; in the machine-readable formats also
// whether two controllers answer from that address and whether it answered at all (a controller added by
// address keeps its row when it does not). The table leaves those two to the notes on standard error.
enum class ListingFormat
{
    Table, // aligned columns under a Russian header, for people
    Csv,   // header "address,port,name,conflict,answered", RFC 4180 quoting, "yes" or "no"
    Json,  // an array of {"address", "port", "name", "conflict", "answered"}, the last two booleans
};

// The whole listing, ending in a line feed; an empty site gives the header alone (CSV, its columns
// separated by `separator`), "[]" (JSON), or nothing (table).
std::wstring ControllerListing(const std::vector<DiscoveredController>& controllers, ListingFormat format,
                               wchar_t separator);

} // namespace OM::Norvatessa::Cli
