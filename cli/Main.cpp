// The console program's entry point: Windows Sockets in scope, the command line taken apart, one command
// run on this thread.
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HelpText.h"
#include "common/Words.h"
#include "helpers/WinsockHandles.h"

namespace
{

using namespace OM::Norvatessa::Cli;

ExitCode Run(const CommandLine& line, Console& console)
{
    if (line.help)
    {
        console.out.Write(HelpText(line.command));
        return ExitCode::Done;
    }
    if (line.command == L"discover")
        return RunDiscover(line, console);
    if (line.command == L"get")
        return RunGet(line, console);
    if (line.command == L"set")
        return RunSet(line, console);
    if (line.command == L"backup")
        return RunBackup(line, console);
    return RunRestore(line, console);
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    Console console;
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.error)
        return static_cast<int>(TellUsage(console, parsed.error->text, parsed.error->command));
    const OM::Helpers::WinsockSession winsock;
    if (!winsock.ok())
    {
        console.err.WriteLine(OM::Norvatessa::Words::NoWinsock);
        return static_cast<int>(ExitCode::Failed);
    }
    ExitCode code = Run(parsed.line, console);
    // A script must not take a result that never reached it for one that did.
    if (const DWORD error = console.out.WriteError(); error != ERROR_SUCCESS)
    {
        console.err.WriteLine(OM::Norvatessa::Words::Fill(OM::Norvatessa::Words::OutputLost, error));
        if (code == ExitCode::Done)
            code = ExitCode::Failed;
    }
    return static_cast<int>(code);
}
