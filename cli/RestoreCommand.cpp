#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/AnsiText.h"
#include "settings/BackupSettings.h"
#include "settings/DocumentFile.h"

#include <algorithm>
#include <map>
#include <memory>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ApplySettingChanges;
using ControllerSettings::BackupSettings;
using ControllerSettings::ReadBackupSettings;
using ControllerSettings::ReadDocumentFile;
using ControllerSettings::SettingChanges;

namespace
{

// A backup file read and checked whole: what it gives back to which controller.
struct RestoreFile
{
    std::wstring path;
    BackupSettings settings;
};

// Nothing, once the user has been told why, when the file cannot be read or holds a malformed value.
std::optional<BackupSettings> ReadRestoreFile(const std::wstring& file, Console& console)
{
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, CliText::FileNotRead(file, error)), std::nullopt;
    std::optional<BackupSettings> fromFile = ReadBackupSettings(bytes, ThreadAnsiCodePage());
    if (!fromFile)
        return TellRefused(console, CliText::NotADocument(file)), std::nullopt;
    if (fromFile->refusal)
        return TellRefused(console, CliText::RefusedFileValue(file, fromFile->refusal->key,
                                                              fromFile->refusal->reason)),
               std::nullopt;
    return fromFile;
}

std::wstring RestoredText(std::uint32_t address, const std::wstring& file, const BackupSettings& settings)
{
    return settings.passwordsKept ? CliText::RestoredKeepingPasswords(address, file)
                                  : CliText::Restored(address, file);
}

// Gives each controller the settings of its file: read, write, and the read that checks the write. `files`
// outlives the run.
SiteRun::Work RestoreWork(const std::map<std::uint32_t, RestoreFile>& files)
{
    SiteRun::Work work;
    work.steps = std::make_shared<ChangeSteps>([&files](std::uint32_t address) -> const SettingChanges& {
        return files.at(address).settings.changes;
    });
    work.done = [&files](const SiteTarget& target, const BatchOutcome&) {
        const RestoreFile& file = files.at(target.address);
        ControllerOutcome done{target.address, ControllerOutcome::Result::Done,
                               RestoredText(target.address, file.path, file.settings), file.path};
        done.changed = true;
        return done;
    };
    work.file = [&files](std::uint32_t address) { return files.at(address).path; };
    return work;
}

// The files of the operands: each file named, and the *.xml files of each folder named, in name order.
std::vector<std::wstring> BackupFiles(const std::vector<std::wstring>& operands, Console& console)
{
    std::vector<std::wstring> files;
    for (const std::wstring& operand : operands)
    {
        const DWORD attributes = ::GetFileAttributesW(operand.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        {
            files.push_back(operand);
            continue;
        }
        std::wstring folder = operand;
        if (folder.back() != L'\\' && folder.back() != L'/')
            folder += L'\\';
        std::vector<std::wstring> found;
        WIN32_FIND_DATAW entry{};
        const HANDLE search = ::FindFirstFileW((folder + L"*.xml").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE)
        {
            do
            {
                if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    found.push_back(folder + entry.cFileName);
            } while (::FindNextFileW(search, &entry));
            ::FindClose(search);
        }
        if (found.empty())
        {
            TellRefused(console, CliText::NoBackupFiles(operand));
            return {};
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

ExitCode RunRestoreSite(const CommandLine& line, Console& console)
{
    if (line.Has(L"--to-address"))
        return TellUsage(console, CliText::ToAddressWithFiles, line.command);
    const std::vector<std::wstring> paths = BackupFiles(line.operands, console);
    if (paths.empty())
        return ExitCode::BadUsage;
    // Every file is read and checked before the search, so that a refused one sends nothing.
    std::map<std::uint32_t, RestoreFile> files;
    SiteTargets site;
    for (const std::wstring& path : paths)
    {
        std::optional<BackupSettings> read = ReadRestoreFile(path, console);
        if (!read)
            return ExitCode::BadUsage;
        SettingChanges& changes = read->changes;
        // The file's address names its controller, which keeps it; its port reaches a controller the
        // search does not hear.
        const std::optional<std::uint32_t> address = changes.Named(&Xml::DeviceProperties::ip);
        if (!address)
            return TellRefused(console, CliText::FileWithoutAddress(path));
        changes.Forget(&Xml::DeviceProperties::ip);
        const std::optional<std::uint16_t> port = changes.Named(&Xml::DeviceProperties::tcpPort);
        const auto [known, added] = files.emplace(*address, RestoreFile{path, std::move(*read)});
        if (!added)
            return TellRefused(console, CliText::RepeatedFileAddress(known->second.path, path, *address));
        site.targets.push_back(SiteTarget{*address, std::nullopt, port});
    }
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(site));
    if (!run)
        return ExitCode::BadUsage;
    return run->Run(RestoreWork(files));
}

// "restore ADDRESS FILE --format json", the file read and checked: the outcome listed as a site's.
ExitCode RestoreListed(const CommandLine& line, Console& console, std::uint32_t address, RestoreFile file)
{
    std::optional<SiteRun> run = SiteRun::PrepareOne(line, console);
    if (!run)
        return ExitCode::BadUsage;
    std::map<std::uint32_t, RestoreFile> files;
    files.emplace(address, std::move(file));
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
    SettingChanges& changes = fromFile->changes;
    // A file without an address claims no other controller. The port of this controller's own file
    // reaches it when the search does not hear it.
    const std::optional<std::uint32_t> fileAddress = changes.Named(&Xml::DeviceProperties::ip);
    if (!fileAddress || *fileAddress == target->address)
        target->knownPort = changes.Named(&Xml::DeviceProperties::tcpPort);
    if (fileAddress && *fileAddress != target->address)
    {
        if (!toAddress)
            return TellRefused(console, CliText::OtherControllersFile(file, *fileAddress, target->address));
        // The first four bytes of the MAC address are the device's in any case; another controller's
        // file leaves the whole address alone, so that no two controllers on the network share one.
        changes.Forget(&Xml::DeviceProperties::mac);
    }
    changes.Forget(&Xml::DeviceProperties::ip);
    if (ListsOutcomes(line))
        return RestoreListed(line, console, target->address, RestoreFile{file, std::move(*fromFile)});

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> current = FindAndRead(session, console, *target);
    if (!current)
        return ExitCode::Failed;
    const Xml::DeviceProperties restored = ApplySettingChanges(*current, changes);
    if (!WriteAndVerify(session, console, target->address, restored))
        return ExitCode::Failed;
    console.out.WriteLine(RestoredText(target->address, file, *fromFile));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
