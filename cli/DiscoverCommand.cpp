#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/ControllerListing.h"
#include "common/Words.h"
#include "common/AddressText.h"
#include "engine/DiscoveryReply.h"
#include "engine/FailureText.h"

#include <algorithm>

namespace OM::Norvatessa::Cli
{

namespace
{

// "Запрос поиска отправлен 5 раз: на 255.255.255.255 через адаптер, который выбрала система, и по адресу
// 10.1.0.5.": the broadcast the system routes (unless the search keeps to one adapter) and the probes to
// the addresses and ranges added, as the user wrote them; the probes through each adapter have lines of
// their own.
std::wstring ProbesSent(std::int32_t rounds, bool systemBroadcast, const std::vector<std::wstring>& added)
{
    // "1 раз", "2 раза", "5 раз", "12 раз", "22 раза".
    const bool few = rounds % 10 >= 2 && rounds % 10 <= 4 && (rounds % 100 < 12 || rounds % 100 > 14);
    const std::wstring times = Words::Fill(few ? Words::TimesFew : Words::Times, rounds);
    std::wstring addresses;
    for (const std::wstring& address : added)
        addresses += (addresses.empty() ? L"" : L", ") + address;
    // A single range is many addresses all the same.
    const bool one = added.size() == 1 && !LooksLikeRange(added.front());
    const std::wstring toAdded = Words::Fill(one ? Words::ToAddress : Words::ToAddresses, addresses);
    if (added.empty())
        return Words::Fill(systemBroadcast ? Words::ProbesSentBroadcast : Words::ProbesSent, times);
    return Words::Fill(systemBroadcast ? Words::ProbesSentBroadcastAndAdded : Words::ProbesSentAdded, times,
                       toAdded);
}

// Nothing answered: what went out, and what to check. A silent controller behind a firewall looks the
// same as no controller at all, so the user learns where the probes went.
void TellNoAnswer(Console& console, const ControllerSession& session, const SearchOptions& options)
{
    console.err.WriteLine(Words::Fill(Words::NoneAnswered, options.timeMs));
    std::vector<std::wstring> added;
    for (const ControllerEndpoint& endpoint : options.added)
        added.push_back(AddressText(endpoint.address));
    for (const AddressRange& range : options.addedRanges)
        added.push_back(RangeText(range));
    console.err.WriteLine(ProbesSent(options.probes, !options.adapter, added));
    for (const ProbedAdapter& adapter : session.ProbedAdapters())
        console.err.WriteLine(DescribeProbedAdapter(adapter));
    console.err.WriteLine(Words::Fill(Words::NoAnswerAdvice, DiscoveryReplyPort));
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
        {
            const std::wstring endpoint =
                EndpointText(ControllerEndpoint{controller.address, controller.port});
            console.err.WriteLine(controller.probeError == 0
                                      ? Words::Fill(Words::AddedNotAnswered, endpoint)
                                      : Words::Fill(Words::AddedNotProbed, endpoint,
                                                    DescribeUnsentProbe(controller.probeError)));
        }
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
