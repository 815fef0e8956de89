#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "settings/DocumentFile.h"

namespace OM::Norvatessa::Cli
{

ExitCode RunBackup(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    if (!FindAndRead(session, console, *target))
        return ExitCode::Failed;
    // The controller's own document, passwords and whatever the program does not know included: a
    // controller with newer firmware is backed up whole.
    if (const DWORD error = ControllerSettings::WriteDocumentFile(file, session.Answer());
        error != ERROR_SUCCESS)
    {
        console.err.WriteLine(CliText::FileNotWritten(file, error));
        return ExitCode::Failed;
    }
    console.out.WriteLine(CliText::BackedUp(target->address, file));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
