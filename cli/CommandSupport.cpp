#include "cli/CommandSupport.h"

#include "cli/CredentialsBook.h"
#include "cli/SearchProgress.h"
#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/FailureText.h"

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ReadBackProblem;

ExitCode TellUsage(Console& console, std::wstring_view text, std::wstring_view command)
{
    console.err.WriteLine(command.empty() ? Words::Fill(Words::UsageRefusal, text)
                                          : Words::Fill(Words::CommandUsageRefusal, text, command));
    return ExitCode::BadUsage;
}

ExitCode TellRefused(Console& console, std::wstring_view text)
{
    console.err.WriteLine(Words::Fill(Words::ProgramSays, text));
    return ExitCode::BadUsage;
}

ExitCode TellProblems(Console& console, const std::vector<std::wstring>& problems)
{
    for (const std::wstring& problem : problems)
        console.err.WriteLine(problem);
    return ExitCode::Failed;
}

wchar_t CsvSeparator(const CommandLine& line)
{
    const std::wstring separator = line.Value(L"--separator").value_or(L",");
    return separator == L"tab" ? L'\t' : separator.front();
}

std::vector<DiscoveredController> SearchSite(ControllerSession& session, Console& console,
                                             const SearchOptions& options)
{
    ApplySearchOptions(options);
    std::vector<DiscoveredController> found;
    {
        const SearchProgress progress(console.err);
        found = session.Search(options.goal);
    }
    if (session.SearchFailure())
        console.err.WriteLine(*session.SearchFailure());
    for (const UnprobedRange& unprobed : session.UnprobedRanges())
        console.err.WriteLine(Words::Fill(unprobed.unsent < unprobed.addresses ? Words::RangePartlyProbed
                                                                               : Words::RangeNotProbed,
                                          RangeText(unprobed.range), DescribeUnsentProbe(unprobed.error),
                                          unprobed.unsent, unprobed.addresses));
    return found;
}

std::optional<ControllerTarget> ReadTarget(const CommandLine& line, Console& console)
{
    const std::optional<SiteTarget> operand = ReadTargetOperand(line.operands.at(0), line, console);
    if (!operand)
        return std::nullopt;
    ControllerTarget target;
    target.address = operand->address;
    target.port = operand->port;
    SearchChoice search = ChooseSearch(line);
    if (search.error)
    {
        TellUsage(console, *search.error, line.command);
        return std::nullopt;
    }
    target.search = std::move(search.options);
    // The search is for this controller alone.
    target.search.goal.addresses = {target.address};
    const std::optional<CredentialsBook> book = CredentialsBook::Read(line, console);
    if (!book)
        return std::nullopt;
    target.credentials = book->For(target.address);
    return target;
}

std::optional<Xml::DeviceProperties> ReadController(ControllerSession& session, const SiteTarget& target,
                                                    std::int32_t searchMs,
                                                    std::vector<std::wstring>& problems)
{
    std::optional<std::uint16_t> port = target.port;
    if (!port && !session.Knows(target.address))
        port = target.knownPort;
    if (!port && !session.Knows(target.address))
    {
        session.Missed(session.SearchFailure()
                           ? Words::Fill(Words::NotSearched, AddressText(target.address))
                           : Words::Fill(Words::NotFound, AddressText(target.address), searchMs));
        problems = session.Problems();
        return std::nullopt;
    }
    std::optional<Xml::DeviceProperties> properties =
        port ? session.ReadAt(ControllerEndpoint{target.address, *port}) : session.Read(target.address);
    if (!properties)
        problems = session.Problems();
    return properties;
}

std::optional<Xml::DeviceProperties> FindAndRead(ControllerSession& session, Console& console,
                                                 const ControllerTarget& target)
{
    if (!target.port)
    {
        SearchSite(session, console, target.search);
        if (session.SearchFailure() && !target.knownPort)
            return std::nullopt;
    }
    std::vector<std::wstring> problems;
    std::optional<Xml::DeviceProperties> properties = ReadController(
        session, SiteTarget{target.address, target.port, target.knownPort}, target.search.timeMs, problems);
    if (!properties)
        TellProblems(console, problems);
    return properties;
}

CheckedWrite WriteChecked(ControllerSession& session, std::uint32_t address,
                          const Xml::DeviceProperties& record)
{
    const std::optional<ControllerSession::Written> written = session.Write(address, record);
    if (!written)
        return {std::nullopt, session.Problems()};
    if (std::optional<std::wstring> differs = ReadBackProblem(written->address, record, written->properties))
        return {std::nullopt, {std::move(*differs)}};
    return {written->address, {}};
}

std::optional<std::uint32_t> WriteAndVerify(ControllerSession& session, Console& console,
                                            std::uint32_t address, const Xml::DeviceProperties& record)
{
    const CheckedWrite written = WriteChecked(session, address, record);
    if (!written.address)
        TellProblems(console, written.problems);
    return written.address;
}

} // namespace OM::Norvatessa::Cli
