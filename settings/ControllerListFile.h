#pragma once

#include "common/CodePage.h"
#include "common/DiscoveredController.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// A list of controllers as the console program's --from reads it: the lists both programs save (the saved
// list of ListColumns), the console program's inventory, or one address a line.

// A controller a list names.
struct ListedController
{
    std::uint32_t address = 0;
    std::optional<std::uint16_t> port; // typed after the address ("A.B.C.D:PORT"): reached there at once
    // The port it had when the list was written (its column "port"), or when its backup was made: the
    // search looks for it all the same, since the port may have changed, and this port reaches it when the
    // search does not hear it (a controller behind a router) or cannot run.
    std::optional<std::uint16_t> knownPort;
};

// "A.B.C.D" or "A.B.C.D:PORT" of a controller; nothing for anything else.
std::optional<ListedController> ParseListedController(std::wstring_view text);

struct ControllerList
{
    std::vector<ListedController> controllers;
    std::size_t badLine = 0; // the first line that names no controller; 0 when none is bad
};

// The controllers a file names: one address a line, or a listing of "discover" or "get", whose first
// column is the address under the header "address" and whose column "port" gives the port. Its columns
// are separated by ",", ";" or tab, the first of them on the header line or, without a header, after the
// address on the first line. Its text is UTF-16 or UTF-8 with a byte-order mark, UTF-8, or in `codePage`.
ControllerList ReadControllerList(std::string_view bytes, const CodePage& codePage);

} // namespace OM::Norvatessa::ControllerSettings
