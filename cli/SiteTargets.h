#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "engine/SearchGoal.h"
#include "settings/ControllerListFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// One controller a command works on: "A.B.C.D", found by the search, or "A.B.C.D:PORT", reached at once;
// one that a list or a backup file gives with its port is searched for, and reached at that port when
// the search does not hear it.
using SiteTarget = ControllerSettings::ListedController;

// The controllers of a command line: its address operands and the list of --from, or every controller the
// search finds (--all). Nothing, once the user has been told why, when an address or the list is refused
// or names a controller twice.
struct SiteTargets
{
    bool all = false;
    std::vector<SiteTarget> targets; // empty with `all`
};
std::optional<SiteTargets> ReadSiteTargets(const CommandLine& line, Console& console,
                                           const std::vector<std::wstring>& addresses);

// An operand "A.B.C.D" or "A.B.C.D:PORT"; nothing, once the usage error has been told, when it is neither.
std::optional<SiteTarget> ReadTargetOperand(const std::wstring& operand, const CommandLine& line,
                                            Console& console);

// Whether the word is "A.B.C.D" or "A.B.C.D:PORT" of a controller.
bool IsTargetText(const std::wstring& word);

// What the site's search is for: every target whose port only a search can tell (one typed with its
// port is reached there). Nothing with --all, whose search listens its whole time.
SearchGoal SearchGoalOf(const SiteTargets& site);

// Whether the command line works on a site rather than on one controller: --all, --from, or more than
// one address.
bool NamesSite(const CommandLine& line, std::size_t addresses);

} // namespace OM::Norvatessa::Cli
