#include "cli/SiteTargets.h"

#include "cli/CommandSupport.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "settings/ControllerListFile.h"
#include "settings/DocumentFile.h"

#include <set>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ControllerList;
using ControllerSettings::ParseListedController;
using ControllerSettings::ReadControllerList;
using ControllerSettings::ReadDocumentFile;

namespace
{

bool ReadList(const std::wstring& file, Console& console, std::vector<SiteTarget>& targets)
{
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, Words::Fill(Words::FileNotRead, file, error)), false;
    const ControllerList list = ReadControllerList(bytes, ThreadAnsiCodePage());
    if (list.badLine != 0)
        return TellRefused(console, Words::Fill(Words::BadListLine, file, list.badLine)), false;
    if (list.controllers.empty())
        return TellRefused(console, Words::Fill(Words::EmptyList, file)), false;
    targets.insert(targets.end(), list.controllers.begin(), list.controllers.end());
    return true;
}

} // namespace

bool IsTargetText(const std::wstring& word)
{
    return ParseListedController(word).has_value();
}

SearchGoal SearchGoalOf(const SiteTargets& site)
{
    SearchGoal goal;
    for (const SiteTarget& target : site.targets)
    {
        if (!site.all && !target.port)
            goal.addresses.push_back(target.address);
    }
    return goal;
}

bool NamesSite(const CommandLine& line, std::size_t addresses)
{
    return line.Has(L"--all") || line.Has(L"--from") || addresses > 1;
}

std::optional<SiteTarget> ReadTargetOperand(const std::wstring& operand, const CommandLine& line,
                                            Console& console)
{
    const std::optional<SiteTarget> target = ParseListedController(operand);
    if (!target)
        TellUsage(
            console,
            Words::Fill(operand.find(L':') != std::wstring::npos ? Words::BadEndpoint : Words::BadAddress,
                        operand),
            line.command);
    return target;
}

std::optional<SiteTargets> ReadSiteTargets(const CommandLine& line, Console& console,
                                           const std::vector<std::wstring>& addresses)
{
    SiteTargets site;
    site.all = line.Has(L"--all");
    if (site.all && (line.Has(L"--from") || !addresses.empty()))
        return TellUsage(console, Words::TargetsTwice, line.command), std::nullopt;
    if (site.all)
        return site;
    for (const std::wstring& operand : addresses)
    {
        const std::optional<SiteTarget> target = ReadTargetOperand(operand, line, console);
        if (!target)
            return std::nullopt;
        site.targets.push_back(*target);
    }
    if (const std::optional<std::wstring> file = line.Value(L"--from"))
    {
        if (!ReadList(*file, console, site.targets))
            return std::nullopt;
    }
    if (site.targets.empty())
        return TellUsage(console, Words::MissingOperands, line.command), std::nullopt;
    // Twice the same controller is a mistake in the list: it would be changed twice, or backed up once
    // over itself.
    std::set<std::uint32_t> seen;
    for (const SiteTarget& target : site.targets)
    {
        if (!seen.insert(target.address).second)
            return TellRefused(console, Words::Fill(Words::RepeatedTarget, AddressText(target.address))),
                   std::nullopt;
    }
    return site;
}

} // namespace OM::Norvatessa::Cli
