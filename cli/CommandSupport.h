#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/ControllerSession.h"
#include "cli/Credentials.h"
#include "cli/ExitCode.h"
#include "cli/SearchOptions.h"
#include "cli/SiteTargets.h"
#include "settings/ChangeSteps.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ChangeSteps;

// Tells a usage error, with the way to the command's help; always BadUsage.
ExitCode TellUsage(Console& console, std::wstring_view text, std::wstring_view command);
// Tells why a file or a value was refused before anything was sent; always BadUsage.
ExitCode TellRefused(Console& console, std::wstring_view text);
// Tells every problem of a failed read or write; always Failed.
ExitCode TellProblems(Console& console, const std::vector<std::wstring>& problems);

// The separator --separator names for a CSV listing; "," when it is not given.
wchar_t CsvSeparator(const CommandLine& line);

// One search of the site as the options say, with the progress line on a console. A search that could
// not begin is told on the error stream, and finds nothing.
std::vector<DiscoveredController> SearchSite(ControllerSession& session, Console& console,
                                             const SearchOptions& options);

// What a command that works on one controller takes from its command line: the controller's address
// (the first operand, "A.B.C.D" or "A.B.C.D:PORT"), how to search for it and the credentials.
struct ControllerTarget
{
    std::uint32_t address = 0;
    // Given with the address: the controller is reached there at once, without a search, which would not
    // find it behind a router anyway.
    std::optional<std::uint16_t> port;
    // Known from elsewhere (the backup file being restored): used when the search does not hear it.
    std::optional<std::uint16_t> knownPort;
    SearchOptions search;
    std::optional<Credentials> credentials;
};

// Nothing, once the usage error has been told, when the command line does not give a target.
std::optional<ControllerTarget> ReadTarget(const CommandLine& line, Console& console);

// Searches the site unless the target gives the port, and reads the controller's settings; nothing, once
// the user has been told why, when it did not answer the search or the read. A search that cannot run
// stops it only when no port is known.
std::optional<Xml::DeviceProperties> FindAndRead(ControllerSession& session, Console& console,
                                                 const ControllerTarget& target);

// Reads a controller of a site that has been searched already: at the port typed with its address, else
// at the port the search heard, else at the port a list or a file knows. Nothing when it did not answer
// the search or the read, and `problems` says why.
std::optional<Xml::DeviceProperties> ReadController(ControllerSession& session, const SiteTarget& target,
                                                    std::int32_t searchMs,
                                                    std::vector<std::wstring>& problems);

// A write checked by reading back: the address the controller answers at afterwards, or the problems.
struct CheckedWrite
{
    std::optional<std::uint32_t> address;
    std::vector<std::wstring> problems;
};
CheckedWrite WriteChecked(ControllerSession& session, std::uint32_t address,
                          const Xml::DeviceProperties& record);

// Writes the record, then compares the settings the controller reads back with what was sent, so that a
// controller which confirms a change it did not make is caught. The address it answers at afterwards;
// nothing, once the user has been told why, when the write failed or did not hold.
std::optional<std::uint32_t> WriteAndVerify(ControllerSession& session, Console& console,
                                            std::uint32_t address, const Xml::DeviceProperties& record);

} // namespace OM::Norvatessa::Cli
