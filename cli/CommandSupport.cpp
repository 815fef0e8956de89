#include "cli/CommandSupport.h"

#include "cli/CliText.h"
#include "settings/RecordComparison.h"
#include "cli/SearchProgress.h"
#include "engine/AddressText.h"

namespace OM::Norvatessa::Cli
{

ExitCode TellUsage(Console& console, std::wstring_view text, std::wstring_view command)
{
    console.err.WriteLine(CliText::UsageMessage(text, command));
    return ExitCode::BadUsage;
}

ExitCode TellRefused(Console& console, std::wstring_view text)
{
    std::wstring message = CliText::ProgramName;
    message += L": ";
    message += text;
    console.err.WriteLine(message);
    return ExitCode::BadUsage;
}

ExitCode TellProblems(Console& console, const std::vector<std::wstring>& problems)
{
    for (const std::wstring& problem : problems)
        console.err.WriteLine(problem);
    return ExitCode::Failed;
}

std::vector<DiscoveredController> SearchSite(ControllerSession& session, Console& console,
                                             const SearchOptions& options)
{
    ApplySearchOptions(options);
    std::vector<DiscoveredController> found;
    {
        const SearchProgress progress(console.err);
        found = session.Search();
    }
    if (session.SearchFailure())
        console.err.WriteLine(*session.SearchFailure());
    return found;
}

std::optional<ControllerTarget> ReadTarget(const CommandLine& line, Console& console)
{
    ControllerTarget target;
    const std::wstring& operand = line.operands.at(0);
    if (operand.find(L':') != std::wstring::npos)
    {
        const std::optional<ControllerEndpoint> endpoint = HostEndpoint(operand);
        if (!endpoint)
        {
            TellUsage(console, CliText::BadEndpoint(operand), line.command);
            return std::nullopt;
        }
        target.address = endpoint->address;
        target.port = endpoint->port;
    }
    else
    {
        const std::optional<std::uint32_t> address = ParseAddress(operand);
        if (!address)
        {
            TellUsage(console, CliText::BadAddress(operand), line.command);
            return std::nullopt;
        }
        target.address = *address;
    }
    SearchChoice search = ChooseSearch(line);
    if (search.error)
    {
        TellUsage(console, *search.error, line.command);
        return std::nullopt;
    }
    target.search = std::move(search.options);
    CredentialsChoice choice = ChooseCredentials(line);
    if (choice.error)
    {
        TellUsage(console, *choice.error, line.command);
        return std::nullopt;
    }
    target.credentials = std::move(choice.credentials);
    return target;
}

std::optional<Xml::DeviceProperties> FindAndRead(ControllerSession& session, Console& console,
                                                 const ControllerTarget& target)
{
    std::optional<Xml::DeviceProperties> properties;
    if (target.port)
    {
        properties = session.ReadAt(ControllerEndpoint{target.address, *target.port});
    }
    else
    {
        SearchSite(session, console, target.search);
        if (session.SearchFailure())
            return std::nullopt;
        if (!session.Knows(target.address))
        {
            console.err.WriteLine(CliText::NotFound(target.address, target.search.timeMs));
            return std::nullopt;
        }
        properties = session.Read(target.address);
    }
    if (!properties)
        TellProblems(console, session.Problems());
    return properties;
}

std::optional<std::uint32_t> WriteAndVerify(ControllerSession& session, Console& console,
                                            std::uint32_t address, const Xml::DeviceProperties& record)
{
    const std::optional<ControllerSession::Written> written = session.Write(address, record);
    if (!written)
    {
        TellProblems(console, session.Problems());
        return std::nullopt;
    }
    const std::wstring differing = ControllerSettings::DifferingKeys(record, written->properties);
    if (!differing.empty())
    {
        console.err.WriteLine(CliText::ReadBackDiffers(written->address, differing));
        return std::nullopt;
    }
    return written->address;
}

} // namespace OM::Norvatessa::Cli
