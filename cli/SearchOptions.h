#pragma once

#include "cli/CommandLine.h"
#include "common/AddressRange.h"
#include "common/AddressText.h"
#include "engine/ProgramSettings.h"
#include "engine/SearchGoal.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::Cli
{

// How a command searches, from its command line: the search time (--time), the probe rounds
// (--probes), the one adapter to search through (--adapter) and the controllers and ranges probed by
// address as well (--add); and how many controllers of a site it works on at once (--parallel). Each
// takes the place of the window program's setting for this run alone, and what is not given is the
// setting's default: the console program reads no settings file. The goal says when the search may end
// before its time: once the controllers a command names have answered (the command sets it), or as many
// as --expect says (discover).
struct SearchOptions
{
    std::int32_t timeMs = ProgramSettings{}.searchTimeout;
    std::int32_t probes = ProgramSettings{}.probeCount;
    std::int32_t parallel = ProgramSettings{}.parallelExchanges;
    std::optional<std::uint32_t> adapter;
    std::vector<ControllerEndpoint> added;
    std::vector<AddressRange> addedRanges;
    SearchGoal goal;
};

// Nothing when the search options are fine; otherwise `error` says which is not, for a usage message.
struct SearchChoice
{
    SearchOptions options;
    std::optional<std::wstring> error;
};
SearchChoice ChooseSearch(const CommandLine& line);

// Puts the options into Settings(), which the device manager reads as each search begins.
void ApplySearchOptions(const SearchOptions& options);

// "A.B.C.D:PORT", or "A.B.C.D" for port 80, of a controller that could be there: neither 0.0.0.0 nor
// 255.255.255.255, which no host has. Nothing otherwise.
std::optional<ControllerEndpoint> HostEndpoint(std::wstring_view text);

} // namespace OM::Norvatessa::Cli
