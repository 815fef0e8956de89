#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/Words.h"
#include "common/AddressText.h"
#include "settings/BackupFolder.h"
#include "settings/DocumentFile.h"

namespace OM::Norvatessa::Cli
{

using ControllerSettings::BackupFileName;
using ControllerSettings::PrepareBackupFolder;
using ControllerSettings::WriteDocumentFile;
using ControllerSettings::WriteNewDocumentFile;

namespace
{

ControllerOutcome BackUpOne(ControllerSession& session, const SiteTarget& target, const std::wstring& file,
                            bool replace, std::int32_t searchMs)
{
    ControllerOutcome outcome{target.address, ControllerOutcome::Result::Failed};
    outcome.file = file;
    // A backup already there may be the only copy of a site as it was: it is not read over by mistake.
    if (!replace && ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
    {
        outcome.text = Words::Fill(Words::FileExists, file);
        return outcome;
    }
    std::vector<std::wstring> problems;
    if (!ReadController(session, target, searchMs, problems))
    {
        ControllerOutcome failed = SiteRun::Failure(target.address, problems, session.Unanswered());
        failed.file = file;
        return failed;
    }
    const DWORD error =
        replace ? WriteDocumentFile(file, session.Answer()) : WriteNewDocumentFile(file, session.Answer());
    if (error == ERROR_FILE_EXISTS)
        outcome.text = Words::Fill(Words::FileExists, file);
    else if (error != ERROR_SUCCESS)
        outcome.text = Words::Fill(Words::FileNotWritten, file, error);
    else
        outcome = ControllerOutcome{target.address, ControllerOutcome::Result::Done,
                                    Words::Fill(Words::BackedUp, AddressText(target.address), file), file};
    return outcome;
}

ExitCode RunBackupSite(const CommandLine& line, Console& console)
{
    const std::wstring& folder = line.operands.back();
    std::optional<SiteTargets> targets = ReadSiteTargets(
        line, console, std::vector<std::wstring>(line.operands.begin(), line.operands.end() - 1));
    if (!targets)
        return ExitCode::BadUsage;
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(*targets));
    if (!run)
        return ExitCode::BadUsage;
    if (const DWORD error = PrepareBackupFolder(folder); error != ERROR_SUCCESS)
        return TellRefused(console, Words::Fill(Words::FolderNotWritable, folder, error));
    const bool replace = line.Has(L"--force");
    return run->Run([&](ControllerSession& session, const SiteTarget& target) {
        return BackUpOne(session, target, BackupFileName(folder, target.address), replace, run->SearchMs());
    });
}

// "backup ADDRESS FILE --format json": the outcome listed as a site's; FILE is written over, as without it.
ExitCode RunBackupListed(const CommandLine& line, Console& console)
{
    std::optional<SiteRun> run = SiteRun::PrepareOne(line, console);
    if (!run)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);
    return run->Run([&](ControllerSession& session, const SiteTarget& target) {
        return BackUpOne(session, target, file, true, run->SearchMs());
    });
}

} // namespace

ExitCode RunBackup(const CommandLine& line, Console& console)
{
    if (NamesSite(line, line.operands.size() - 1))
        return RunBackupSite(line, console);
    if (line.operands.size() < 2)
        return TellUsage(console, Words::MissingOperands, line.command);
    if (ListsOutcomes(line))
        return RunBackupListed(line, console);
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    if (!FindAndRead(session, console, *target))
        return ExitCode::Failed;
    // The controller's own document, passwords and whatever the program does not know included: a
    // controller with newer firmware is backed up whole.
    if (const DWORD error = WriteDocumentFile(file, session.Answer()); error != ERROR_SUCCESS)
    {
        console.err.WriteLine(Words::Fill(Words::FileNotWritten, file, error));
        return ExitCode::Failed;
    }
    console.out.WriteLine(Words::Fill(Words::BackedUp, AddressText(target->address), file));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
