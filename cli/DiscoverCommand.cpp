#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ControllerListing.h"

namespace OM::Norvatessa::Cli
{

ExitCode RunDiscover(const CommandLine& line, Console& console)
{
    const std::optional<std::int32_t> time = SearchTime(line);
    if (!time)
        return TellUsage(console, CliText::BadTime, line.command);
    const std::wstring format = line.Value(L"--format").value_or(L"table");
    const ListingFormat listing = format == L"csv"    ? ListingFormat::Csv
                                  : format == L"json" ? ListingFormat::Json
                                                      : ListingFormat::Table;

    // Discovery asks for no credentials, but the session wants a prompt all the same.
    GivenCredentialsPrompt prompt(std::nullopt);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::vector<DiscoveredController> found = SearchSite(session, console, *time);
    if (session.SearchFailure())
        return ExitCode::Failed;
    console.out.Write(ControllerListing(found, listing));
    if (found.empty())
    {
        console.err.WriteLine(CliText::NoneAnswered(*time));
        return ExitCode::Failed;
    }
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
