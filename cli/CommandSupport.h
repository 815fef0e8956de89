#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/ControllerSession.h"
#include "cli/Credentials.h"
#include "cli/ExitCode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::Cli
{

// Tells a usage error, with the way to the command's help; always BadUsage.
ExitCode TellUsage(Console& console, std::wstring_view text, std::wstring_view command);
// Tells why a file or a value was refused before anything was sent; always BadUsage.
ExitCode TellRefused(Console& console, std::wstring_view text);
// Tells every problem of a failed read or write; always Failed.
ExitCode TellProblems(Console& console, const std::vector<std::wstring>& problems);

// The search time of --time, 5000 ms when it is not given; nothing when it is not a number of
// milliseconds from 1 to 600000.
std::optional<std::int32_t> SearchTime(const CommandLine& line);

// One search of the whole site, with the progress line on a console. A search that could not begin is
// told on the error stream, and finds nothing.
std::vector<DiscoveredController> SearchSite(ControllerSession& session, Console& console,
                                             std::int32_t searchTimeMs);

// What a command that works on one controller takes from its command line: the controller's address
// (the first operand), the search time and the credentials.
struct ControllerTarget
{
    std::uint32_t address = 0;
    std::int32_t searchTimeMs = 0;
    std::optional<Credentials> credentials;
};

// Nothing, once the usage error has been told, when the command line does not give a target.
std::optional<ControllerTarget> ReadTarget(const CommandLine& line, Console& console);

// Searches the site and reads the controller's settings; nothing, once the user has been told why, when
// it did not answer the search or the read.
std::optional<Xml::DeviceProperties> SearchAndRead(ControllerSession& session, Console& console,
                                                   const ControllerTarget& target);

// Writes the record, then compares the settings the controller reads back with what was sent, so that a
// controller which confirms a change it did not make is caught. The address it answers at afterwards;
// nothing, once the user has been told why, when the write failed or did not hold.
std::optional<std::uint32_t> WriteAndVerify(ControllerSession& session, Console& console,
                                            std::uint32_t address, const Xml::DeviceProperties& record);

} // namespace OM::Norvatessa::Cli
