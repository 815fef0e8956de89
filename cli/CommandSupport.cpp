#include "cli/CommandSupport.h"

#include "cli/CliText.h"
#include "cli/RecordComparison.h"
#include "cli/SearchProgress.h"
#include "engine/AddressText.h"
#include "engine/ProgramSettings.h"

namespace OM::Norvatessa::Cli
{

namespace
{

constexpr std::int32_t DefaultSearchTimeMs = 5000;
constexpr std::int32_t LongestSearchTimeMs = 600000;

} // namespace

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

std::optional<std::int32_t> SearchTime(const CommandLine& line)
{
    const std::optional<std::wstring> text = line.Value(L"--time");
    if (!text)
        return DefaultSearchTimeMs;
    if (text->empty() || text->size() > 6)
        return std::nullopt;
    std::int32_t milliseconds = 0;
    for (const wchar_t digit : *text)
    {
        if (digit < L'0' || digit > L'9')
            return std::nullopt;
        milliseconds = milliseconds * 10 + (digit - L'0');
    }
    if (milliseconds < 1 || milliseconds > LongestSearchTimeMs)
        return std::nullopt;
    return milliseconds;
}

std::vector<DiscoveredController> SearchSite(ControllerSession& session, Console& console,
                                             std::int32_t searchTimeMs)
{
    Settings().searchTimeout = searchTimeMs;
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
    const std::optional<std::uint32_t> address = ParseAddress(line.operands.at(0));
    if (!address)
    {
        TellUsage(console, CliText::BadAddress(line.operands[0]), line.command);
        return std::nullopt;
    }
    target.address = *address;
    const std::optional<std::int32_t> time = SearchTime(line);
    if (!time)
    {
        TellUsage(console, CliText::BadTime, line.command);
        return std::nullopt;
    }
    target.searchTimeMs = *time;
    CredentialsChoice choice = ChooseCredentials(line);
    if (choice.error)
    {
        TellUsage(console, *choice.error, line.command);
        return std::nullopt;
    }
    target.credentials = std::move(choice.credentials);
    return target;
}

std::optional<Xml::DeviceProperties> SearchAndRead(ControllerSession& session, Console& console,
                                                   const ControllerTarget& target)
{
    SearchSite(session, console, target.searchTimeMs);
    if (session.SearchFailure())
        return std::nullopt;
    if (!session.Knows(target.address))
    {
        console.err.WriteLine(CliText::NotFound(target.address, target.searchTimeMs));
        return std::nullopt;
    }
    std::optional<Xml::DeviceProperties> properties = session.Read(target.address);
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
    const std::wstring differing = DifferingKeys(record, written->properties);
    if (!differing.empty())
    {
        console.err.WriteLine(CliText::ReadBackDiffers(written->address, differing));
        return std::nullopt;
    }
    return written->address;
}

} // namespace OM::Norvatessa::Cli
