#pragma once

namespace OM::Norvatessa::Cli
{

// What the program tells the script that ran it.
enum class ExitCode
{
    Done = 0,
    Failed = 1,   // a controller refused, did not answer or could not be found
    BadUsage = 2, // the command line, a value or a file was refused before anything was sent
    Broken = 3,   // the program itself failed (helpers/FailureBoundary.h); the error stream says how
};

} // namespace OM::Norvatessa::Cli
