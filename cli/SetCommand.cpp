#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "settings/SettingAssignments.h"
#include "settings/SettingTable.h"

#include <algorithm>
#include <memory>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ApplySettingChanges;
using ControllerSettings::ParsedSettingChanges;
using ControllerSettings::ParseSettingChanges;
using ControllerSettings::SettingChanges;

namespace
{

// A key whose value must differ from one controller to the next: given to many, it would make twins on
// the network.
std::optional<std::wstring> OneControllerKey(const SettingChanges& changes)
{
    for (const ControllerSettings::SettingKey& key : ControllerSettings::AllSettingKeys())
    {
        if (key.setting->ownValue && changes.Names(key.key))
            return key.key;
    }
    return std::nullopt;
}

SiteRun::Work SetWork(const SettingChanges& changes)
{
    SiteRun::Work work;
    work.steps =
        std::make_shared<ChangeSteps>([&changes](std::uint32_t) -> const SettingChanges& { return changes; });
    // Only one controller may be given `ip`: it then answers at its new address.
    work.done = [](const SiteTarget& target, const BatchOutcome& outcome) {
        ControllerOutcome done{
            target.address, ControllerOutcome::Result::Done,
            outcome.answersAt == target.address
                ? Words::Fill(Words::Changed, AddressText(target.address))
                : Words::Fill(Words::Moved, AddressText(target.address), AddressText(outcome.answersAt))};
        done.changed = true;
        return done;
    };
    return work;
}

// "set ADDRESS KEY=VALUE..." with its outcome in words.
ExitCode SetOneController(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    // Every word is checked before the search, so that a refused one sends nothing at all.
    const ParsedSettingChanges parsed = ParseSettingChanges(
        std::vector<std::wstring>(line.operands.begin() + 1, line.operands.end()), ThreadAnsiCodePage());
    if (parsed.error)
        return TellUsage(console, *parsed.error, line.command);

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> original = FindAndRead(session, console, *target);
    if (!original)
        return ExitCode::Failed;
    const Xml::DeviceProperties edited = ApplySettingChanges(*original, parsed.changes);
    const std::optional<std::uint32_t> now = WriteAndVerify(session, console, target->address, edited);
    if (!now)
        return ExitCode::Failed;
    console.out.WriteLine(*now == target->address
                              ? Words::Fill(Words::Changed, AddressText(target->address))
                              : Words::Fill(Words::Moved, AddressText(target->address), AddressText(*now)));
    return ExitCode::Done;
}

} // namespace

ExitCode RunSet(const CommandLine& line, Console& console)
{
    // The addresses come first, the changes after them.
    const auto firstChange = std::find_if_not(line.operands.begin(), line.operands.end(), IsTargetText);
    std::vector<std::wstring> addresses(line.operands.begin(), firstChange);
    const bool site = NamesSite(line, addresses.size());
    if (!site && !ListsOutcomes(line))
        return SetOneController(line, console);
    // One controller whose outcome a script reads: the site's run, on that one.
    if (!site)
        addresses = {line.operands.front()};
    const std::vector<std::wstring> words(
        line.operands.begin() + static_cast<std::ptrdiff_t>(addresses.size()), line.operands.end());

    const ParsedSettingChanges parsed = ParseSettingChanges(words, ThreadAnsiCodePage());
    if (parsed.error)
        return TellUsage(console, *parsed.error, line.command);
    if (const std::optional<std::wstring> key = OneControllerKey(parsed.changes); key && site)
        return TellUsage(console, Words::Fill(Words::OneControllerKey, *key), line.command);
    std::optional<SiteTargets> targets = ReadSiteTargets(line, console, addresses);
    if (!targets)
        return ExitCode::BadUsage;
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(*targets));
    if (!run)
        return ExitCode::BadUsage;
    return run->Run(SetWork(parsed.changes));
}

} // namespace OM::Norvatessa::Cli
