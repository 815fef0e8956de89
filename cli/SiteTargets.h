#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Cli
{

// One controller a command works on: "A.B.C.D", found by the search, or "A.B.C.D:PORT", reached at once.
struct SiteTarget
{
    std::uint32_t address = 0;
    std::optional<std::uint16_t> port;
};

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

// Whether the command line works on a site rather than on one controller: --all, --from, or more than
// one address.
bool NamesSite(const CommandLine& line, std::size_t addresses);

// A text file as a script or a spreadsheet writes it: UTF-8 with or without a byte-order mark, or, when
// it is no UTF-8, the workstation's ANSI code page; split into lines without their line ends.
DWORD ReadTextLines(const std::wstring& path, std::vector<std::wstring>& lines);

} // namespace OM::Norvatessa::Cli
