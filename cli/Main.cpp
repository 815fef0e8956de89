// The console program's entry point: Windows Sockets in scope, the command line taken apart, one command
// run on this thread.
#include "cli/CommandLine.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HelpText.h"
#include "common/Words.h"
#include "helpers/FailureBoundary.h"
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

// Says on the error stream, as every other message of the program, what a boundary of any thread caught.
class ErrorStreamListener final : public OM::Helpers::FailureListener
{
public:
    explicit ErrorStreamListener(ConsoleStream& stream) : stream(stream)
    {
        OM::Helpers::SetFailureListener(this);
    }
    ~ErrorStreamListener() { OM::Helpers::SetFailureListener(nullptr); }
    ErrorStreamListener(const ErrorStreamListener&) = delete;
    ErrorStreamListener& operator=(const ErrorStreamListener&) = delete;

    void OnFailure(const std::wstring& sentence, bool) noexcept override
    {
        try
        {
            stream.WriteLine(L"norvatessa-cli: " + sentence);
        }
        catch (...)
        {
            // Without room for the line the stream loses it; the exit code still tells.
        }
    }

private:
    ConsoleStream& stream;
};

ExitCode RunCommandLine(int argc, wchar_t* argv[], Console& console)
{
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.error)
        return TellUsage(console, parsed.error->text, parsed.error->command);
    const OM::Helpers::WinsockSession winsock;
    if (!winsock.ok())
    {
        console.err.WriteLine(OM::Norvatessa::Words::NoWinsock);
        return ExitCode::Failed;
    }
    ExitCode code = Run(parsed.line, console);
    // A script must not take a result that never reached it for one that did.
    if (const DWORD error = console.out.WriteError(); error != ERROR_SUCCESS)
    {
        console.err.WriteLine(OM::Norvatessa::Words::Fill(OM::Norvatessa::Words::OutputLost, error));
        if (code == ExitCode::Done)
            code = ExitCode::Failed;
    }
    return code;
}

} // namespace

int wmain(int argc, wchar_t* argv[])
{
    Console console;
    const ErrorStreamListener listener(console.err);
    // The command is a boundary as well: what it lets through is said, and the script learns it by the
    // exit code.
    ExitCode code = ExitCode::Broken;
    OM::Helpers::Guarded(L"при выполнении команды", [&] { code = RunCommandLine(argc, argv, console); });
    return static_cast<int>(code);
}
