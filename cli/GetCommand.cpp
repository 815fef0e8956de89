#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/PropertiesListing.h"
#include "cli/SiteInventory.h"
#include "cli/SiteRun.h"
#include "common/Words.h"
#include "common/AddressText.h"

#include <map>

namespace OM::Norvatessa::Cli
{

namespace
{

// "get" on a site: the inventory on standard output, the outcome lines on the error stream.
ExitCode RunGetSite(const CommandLine& line, Console& console)
{
    if (line.Value(L"--format") == L"xml")
        return TellUsage(console, Words::Fill(Words::BadChoice, L"--format", L"xml", L"csv, json"),
                         line.command);
    std::optional<SiteTargets> targets = ReadSiteTargets(line, console, line.operands);
    if (!targets)
        return ExitCode::BadUsage;
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(*targets));
    if (!run)
        return ExitCode::BadUsage;
    run->KeepOutputForListing();
    // The inventory keeps the targets' order, whatever order they finish in.
    std::map<std::size_t, InventoryRow> read;
    SiteRun::Work work;
    work.done = [&read](const SiteTarget& target, const BatchOutcome& outcome) {
        read.emplace(outcome.index, InventoryRow{target.address, outcome.read->properties});
        return ControllerOutcome{target.address, ControllerOutcome::Result::Done,
                                 Words::Fill(Words::ControllerRead, AddressText(target.address))};
    };
    const ExitCode code = run->Run(work);
    std::vector<InventoryRow> rows;
    for (auto& [index, row] : read)
        rows.push_back(std::move(row));
    const bool showPasswords = line.Has(L"--show-passwords");
    if (line.Value(L"--format") == L"json")
    {
        console.out.Write(InventoryJson(rows, showPasswords));
    }
    else
    {
        // A spreadsheet opens a file with the mark as UTF-8, and one without it in the ANSI code page.
        if (console.out.IsFile())
            console.out.Write(L"\xFEFF");
        console.out.Write(InventoryCsv(rows, showPasswords, CsvSeparator(line)));
    }
    return code;
}

} // namespace

ExitCode RunGet(const CommandLine& line, Console& console)
{
    if (NamesSite(line, line.operands.size()) || line.Value(L"--format") == L"csv")
        return RunGetSite(line, console);
    if (line.operands.empty())
        return TellUsage(console, Words::MissingOperands, line.command);
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
    console.out.Write(
        PropertiesListing(*properties, listing, line.Has(L"--show-passwords"), !console.out.IsConsole()));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
