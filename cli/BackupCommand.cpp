#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/Words.h"
#include "common/AddressText.h"
#include "settings/BackupFolder.h"
#include "settings/DocumentFile.h"

#include <functional>
#include <memory>
#include <utility>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::BackupFileName;
using ControllerSettings::PrepareBackupFolder;
using ControllerSettings::WriteDocumentFile;
using ControllerSettings::WriteNewDocumentFile;

namespace
{

// Each controller's document to its file, on the lane that read it.
class BackupSteps final : public BatchWork
{
public:
    BackupSteps(std::function<std::wstring(std::uint32_t)> fileOf, bool replace)
        : fileOf(std::move(fileOf)), replace(replace)
    {
    }

    bool MayWrite() const override { return false; }

    // A backup already there may be the only copy of a site as it was: it is not read over by mistake.
    std::optional<std::wstring> Before(std::uint32_t address) override
    {
        const std::wstring file = fileOf(address);
        if (!replace && ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES)
            return Words::Fill(Words::FileExists, file);
        return std::nullopt;
    }

    AfterReading AfterRead(std::uint32_t address, const DevicePropertiesResult& read) override
    {
        const std::wstring file = fileOf(address);
        const DWORD error =
            replace ? WriteDocumentFile(file, read.answer) : WriteNewDocumentFile(file, read.answer);
        if (error == ERROR_FILE_EXISTS)
            return {std::nullopt, Words::Fill(Words::FileExists, file)};
        if (error != ERROR_SUCCESS)
            return {std::nullopt, Words::Fill(Words::FileNotWritten, file, error)};
        return {};
    }

private:
    const std::function<std::wstring(std::uint32_t)> fileOf;
    const bool replace;
};

SiteRun::Work BackupWork(std::function<std::wstring(std::uint32_t)> fileOf, bool replace)
{
    SiteRun::Work work;
    work.steps = std::make_shared<BackupSteps>(fileOf, replace);
    work.done = [fileOf](const SiteTarget& target, const BatchOutcome&) {
        const std::wstring file = fileOf(target.address);
        return ControllerOutcome{target.address, ControllerOutcome::Result::Done,
                                 Words::Fill(Words::BackedUp, AddressText(target.address), file), file};
    };
    work.file = std::move(fileOf);
    return work;
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
    return run->Run(BackupWork([folder](std::uint32_t address) { return BackupFileName(folder, address); },
                               line.Has(L"--force")));
}

// "backup ADDRESS FILE --format json": the outcome listed as a site's; FILE is written over, as without it.
ExitCode RunBackupListed(const CommandLine& line, Console& console)
{
    std::optional<SiteRun> run = SiteRun::PrepareOne(line, console);
    if (!run)
        return ExitCode::BadUsage;
    const std::wstring file = line.operands.at(1);
    return run->Run(BackupWork([file](std::uint32_t) { return file; }, true));
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
