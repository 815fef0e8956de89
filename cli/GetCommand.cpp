#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PropertiesListing.h"

namespace OM::Norvatessa::Cli
{

ExitCode RunGet(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring format = line.Value(L"--format").value_or(L"text");
    const PropertiesFormat listing = format == L"json"  ? PropertiesFormat::Json
                                     : format == L"xml" ? PropertiesFormat::Xml
                                                        : PropertiesFormat::Text;

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> properties = FindAndRead(session, console, *target);
    if (!properties)
        return ExitCode::Failed;
    console.out.Write(PropertiesListing(*properties, listing, line.Has(L"--show-passwords")));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
