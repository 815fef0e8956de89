#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ControllerListing.h"
#include "engine/FailureText.h"

#include <algorithm>

namespace OM::Norvatessa::Cli
{

namespace
{

// Nothing answered: what went out, and what to check. A silent controller behind a firewall looks the
// same as no controller at all, so the user learns where the probes went.
void TellNoAnswer(Console& console, const ControllerSession& session, const SearchOptions& options)
{
    console.err.WriteLine(CliText::NoneAnswered(options.timeMs));
    std::vector<std::wstring> added;
    for (const ControllerEndpoint& endpoint : options.added)
        added.push_back(AddressText(endpoint.address));
    for (const AddressRange& range : options.addedRanges)
        added.push_back(RangeText(range));
    console.err.WriteLine(CliText::ProbesSent(options.probes, !options.adapter, added));
    for (const ProbedAdapter& adapter : session.ProbedAdapters())
        console.err.WriteLine(DescribeProbedAdapter(adapter));
    console.err.WriteLine(CliText::NoAnswerAdvice);
}

} // namespace

ExitCode RunDiscover(const CommandLine& line, Console& console)
{
    const SearchChoice search = ChooseSearch(line);
    if (search.error)
        return TellUsage(console, *search.error, line.command);
    const std::wstring format = line.Value(L"--format").value_or(L"table");
    const ListingFormat listing = format == L"csv"    ? ListingFormat::Csv
                                  : format == L"json" ? ListingFormat::Json
                                                      : ListingFormat::Table;

    // Discovery asks for no credentials, but the session wants a prompt all the same.
    GivenCredentialsPrompt prompt(std::nullopt);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::vector<DiscoveredController> found = SearchSite(session, console, search.options);
    if (session.SearchFailure())
        return ExitCode::Failed;
    console.out.Write(ControllerListing(found, listing, CsvSeparator(line)));
    // The notes go to the error stream, so that standard output stays the listing alone in every format.
    for (const std::wstring& conflict : session.Conflicts())
        console.err.WriteLine(conflict);
    for (const DiscoveredController& controller : found)
    {
        if (!controller.answered)
            console.err.WriteLine(controller.probeError == 0
                                      ? CliText::AddedNotAnswered(controller.address, controller.port)
                                      : CliText::AddedNotProbed(controller.address, controller.port,
                                                                DescribeUnsentProbe(controller.probeError)));
    }
    if (std::none_of(found.begin(), found.end(),
                     [](const DiscoveredController& controller) { return controller.answered; }))
    {
        TellNoAnswer(console, session, search.options);
        return ExitCode::Failed;
    }
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
