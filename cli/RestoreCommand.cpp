#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "settings/BackupFolder.h"
#include "settings/BackupSettings.h"
#include "settings/DocumentFile.h"
#include "settings/RestoreFiles.h"

#include <map>
#include <memory>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ApplySettingChanges;
using ControllerSettings::BackupSettings;
using ControllerSettings::ReadBackupSettings;
using ControllerSettings::ReadDocumentFile;
using ControllerSettings::RestoreFile;
using ControllerSettings::SettingChanges;

namespace
{

// Nothing, once the user has been told why, when the file cannot be read or holds a malformed value.
std::optional<BackupSettings> ReadRestoreFile(const std::wstring& file, Console& console)
{
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, Words::Fill(Words::FileNotRead, file, error)), std::nullopt;
    std::optional<BackupSettings> fromFile = ReadBackupSettings(bytes, ThreadAnsiCodePage());
    if (!fromFile)
        return TellRefused(console, Words::Fill(Words::NotADocument, file)), std::nullopt;
    if (fromFile->refusal)
        return TellRefused(console, Words::Fill(Words::RefusedFileValue, file, fromFile->refusal->key,
                                                fromFile->refusal->reason)),
               std::nullopt;
    return fromFile;
}

std::wstring RestoredText(std::uint32_t address, const std::wstring& file, const BackupSettings& settings)
{
    return Words::Fill(settings.passwordsKept ? Words::RestoredKeepingPasswords : Words::Restored,
                       AddressText(address), file);
}

// Gives each controller the settings of its file: read, write, and the read that checks the write. `files`
// outlives the run.
SiteRun::Work RestoreWork(const std::map<std::uint32_t, const RestoreFile*>& files)
{
    SiteRun::Work work;
    work.steps = std::make_shared<ChangeSteps>([&files](std::uint32_t address) -> const SettingChanges& {
        return files.at(address)->settings.changes;
    });
    work.done = [&files](const SiteTarget& target, const BatchOutcome&) {
        const RestoreFile& file = *files.at(target.address);
        ControllerOutcome done{target.address, ControllerOutcome::Result::Done,
                               RestoredText(target.address, file.path, file.settings), file.path};
        done.changed = true;
        return done;
    };
    work.file = [&files](std::uint32_t address) { return files.at(address)->path; };
    return work;
}

ExitCode RunRestoreSite(const CommandLine& line, Console& console)
{
    if (line.Has(L"--to-address"))
        return TellUsage(console, Words::ToAddressWithFiles, line.command);
    const ControllerSettings::BackupFiles paths = ControllerSettings::FindBackupFiles(line.operands);
    if (!paths.refusal.empty())
        return TellRefused(console, paths.refusal);
    // Every file is read and checked before the search, so that a refused one sends nothing.
    ControllerSettings::SiteRestore restore;
    for (const std::wstring& path : paths.files)
    {
        std::optional<BackupSettings> settings = ReadRestoreFile(path, console);
        if (!settings)
            return ExitCode::BadUsage;
        if (const std::optional<std::wstring> refusal = restore.Take(RestoreFile{path, std::move(*settings)}))
            return TellRefused(console, *refusal);
    }
    // Each file's address names its controller; its port reaches a controller the search does not hear.
    std::map<std::uint32_t, const RestoreFile*> files;
    SiteTargets site;
    for (const ControllerSettings::SiteFile& file : restore.Files())
    {
        site.targets.push_back(SiteTarget{file.address, std::nullopt, file.knownPort});
        files.emplace(file.address, &file.file);
    }
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(site));
    if (!run)
        return ExitCode::BadUsage;
    return run->Run(RestoreWork(files));
}

// "restore ADDRESS FILE --format json", the file read and checked: the outcome listed as a site's.
ExitCode RestoreListed(const CommandLine& line, Console& console, std::uint32_t address,
                       const RestoreFile& file)
{
    std::optional<SiteRun> run = SiteRun::PrepareOne(line, console);
    if (!run)
        return ExitCode::BadUsage;
    const std::map<std::uint32_t, const RestoreFile*> files{{address, &file}};
    return run->Run(RestoreWork(files));
}

} // namespace

ExitCode RunRestore(const CommandLine& line, Console& console)
{
    // "restore ADDRESS FILE" names one controller; an address mistyped there is told as one, not taken
    // for a file.
    const bool oneController = line.operands.size() == 2 &&
                               line.operands[0].find_first_not_of(L"0123456789.:") == std::wstring::npos;
    if (!oneController)
        return RunRestoreSite(line, console);
    std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);
    const bool toAddress = line.Has(L"--to-address");

    std::optional<BackupSettings> fromFile = ReadRestoreFile(file, console);
    if (!fromFile)
        return ExitCode::BadUsage;
    ControllerSettings::ControllerRestore restore =
        ControllerSettings::RestoreToController(std::move(fromFile->changes), target->address);
    if (restore.othersAddress && !toAddress)
        return TellRefused(console,
                           Words::Fill(Words::OtherControllersFile, file, AddressText(*restore.othersAddress),
                                       AddressText(target->address)));
    // The port of this controller's own file reaches it when the search does not hear it.
    target->knownPort = restore.knownPort;
    fromFile->changes = std::move(restore.changes);
    if (ListsOutcomes(line))
        return RestoreListed(line, console, target->address, RestoreFile{file, std::move(*fromFile)});

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> current = FindAndRead(session, console, *target);
    if (!current)
        return ExitCode::Failed;
    const Xml::DeviceProperties restored = ApplySettingChanges(*current, fromFile->changes);
    if (!WriteAndVerify(session, console, target->address, restored))
        return ExitCode::Failed;
    console.out.WriteLine(RestoredText(target->address, file, *fromFile));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
