#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "settings/SettingAssignments.h"

namespace OM::Norvatessa::Cli
{

ExitCode RunSet(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    // Every word is checked before the search, so that a refused one sends nothing at all.
    const ControllerSettings::ParsedSettingChanges parsed = ControllerSettings::ParseSettingChanges(
        std::vector<std::wstring>(line.operands.begin() + 1, line.operands.end()));
    if (parsed.error)
        return TellUsage(console, *parsed.error, line.command);

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> original = FindAndRead(session, console, *target);
    if (!original)
        return ExitCode::Failed;
    const Xml::DeviceProperties edited = ControllerSettings::ApplySettingChanges(*original, parsed.changes);
    const std::optional<std::uint32_t> now = WriteAndVerify(session, console, target->address, edited);
    if (!now)
        return ExitCode::Failed;
    console.out.WriteLine(*now == target->address ? CliText::Changed(target->address)
                                                  : CliText::Moved(target->address, *now));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
