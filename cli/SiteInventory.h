#pragma once

#include "xml/DeviceProperties.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// One controller of "get" on a site: where it answered, and what it holds.
struct InventoryRow
{
    std::uint32_t address = 0;
    Xml::DeviceProperties properties;
};

// The site's settings, one row per controller, ending in a line feed. CSV: one header line, the
// controller's address and then the keys of "set" (the passwords last, and only with `showPasswords`),
// RFC 4180 quoting, the columns separated by `separator`. JSON: an array of the objects "get --format
// json" shows.
std::wstring InventoryCsv(const std::vector<InventoryRow>& rows, bool showPasswords, wchar_t separator);
std::wstring InventoryJson(const std::vector<InventoryRow>& rows, bool showPasswords);

} // namespace OM::Norvatessa::Cli
