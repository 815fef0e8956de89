#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/DocumentFile.h"
#include "engine/AnsiText.h"

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
    const std::optional<Xml::DeviceProperties> properties = SearchAndRead(session, console, *target);
    if (!properties)
        return ExitCode::Failed;
    // The document with the passwords, as it would be sent: restoring it must give them back.
    const std::optional<std::string> bytes = ToThreadAnsi(Xml::writeDeviceProperties(*properties));
    if (!bytes)
    {
        console.err.WriteLine(CliText::NotInCodePage(file));
        return ExitCode::Failed;
    }
    if (const DWORD error = WriteDocumentFile(file, *bytes); error != ERROR_SUCCESS)
    {
        console.err.WriteLine(CliText::FileNotWritten(file, error));
        return ExitCode::Failed;
    }
    console.out.WriteLine(CliText::BackedUp(target->address, file));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
