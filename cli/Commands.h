#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleStream.h"
#include "cli/ExitCode.h"

namespace OM::Norvatessa::Cli
{

// The program's commands, one file each. The command line has been checked against what the command
// accepts; the values are read and checked here, before anything goes to the network.
ExitCode RunDiscover(const CommandLine& line, Console& console);
ExitCode RunGet(const CommandLine& line, Console& console);
ExitCode RunSet(const CommandLine& line, Console& console);
ExitCode RunBackup(const CommandLine& line, Console& console);
ExitCode RunRestore(const CommandLine& line, Console& console);

} // namespace OM::Norvatessa::Cli
