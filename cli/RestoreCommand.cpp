#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/SiteRun.h"
#include "common/Words.h"
#include "engine/AddressText.h"
#include "engine/AnsiText.h"
#include "settings/BackupSettings.h"
#include "settings/DocumentFile.h"

#include <algorithm>
#include <map>

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

// Gives one controller the settings of its file: read, write, and the read that checks the write.
ControllerOutcome RestoreOne(ControllerSession& session, const SiteTarget& target, const RestoreFile& file,
                             std::int32_t searchMs)
{
    std::vector<std::wstring> problems;
    const std::optional<Xml::DeviceProperties> current = ReadController(session, target, searchMs, problems);
    ControllerOutcome outcome;
    if (!current)
    {
        outcome = SiteRun::Failure(target.address, problems, session.Unanswered());
    }
    else if (const CheckedWrite written =
                 WriteChecked(session, target.address, ApplySettingChanges(*current, file.settings.changes));
             !written.address)
    {
        outcome = SiteRun::Failure(target.address, written.problems, session.Unanswered());
        outcome.changed = session.WriteConfirmed();
    }
    else
    {
        outcome = ControllerOutcome{target.address, ControllerOutcome::Result::Done,
                                    RestoredText(target.address, file.path, file.settings)};
        outcome.changed = true;
    }
    outcome.file = file.path;
    return outcome;
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
            TellRefused(console, Words::Fill(Words::NoBackupFiles, operand));
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
        return TellUsage(console, Words::ToAddressWithFiles, line.command);
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
            return TellRefused(console, Words::Fill(Words::FileWithoutAddress, path));
        changes.Forget(&Xml::DeviceProperties::ip);
        const std::optional<std::uint16_t> port = changes.Named(&Xml::DeviceProperties::tcpPort);
        const auto [known, added] = files.emplace(*address, RestoreFile{path, std::move(*read)});
        if (!added)
            return TellRefused(console, Words::Fill(Words::RepeatedFileAddress, known->second.path, path,
                                                    AddressText(*address)));
        site.targets.push_back(SiteTarget{*address, std::nullopt, port});
    }
    std::optional<SiteRun> run = SiteRun::Prepare(line, console, std::move(site));
    if (!run)
        return ExitCode::BadUsage;
    return run->Run([&](ControllerSession& session, const SiteTarget& target) {
        return RestoreOne(session, target, files.at(target.address), run->SearchMs());
    });
}

// "restore ADDRESS FILE --format json", the file read and checked: the outcome listed as a site's.
ExitCode RestoreListed(const CommandLine& line, Console& console, const RestoreFile& file)
{
    std::optional<SiteRun> run = SiteRun::PrepareOne(line, console);
    if (!run)
        return ExitCode::BadUsage;
    return run->Run([&](ControllerSession& session, const SiteTarget& target) {
        return RestoreOne(session, target, file, run->SearchMs());
    });
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
            return TellRefused(console, Words::Fill(Words::OtherControllersFile, file,
                                                    AddressText(*fileAddress), AddressText(target->address)));
        // The first four bytes of the MAC address are the device's in any case; another controller's
        // file leaves the whole address alone, so that no two controllers on the network share one.
        changes.Forget(&Xml::DeviceProperties::mac);
    }
    changes.Forget(&Xml::DeviceProperties::ip);
    if (ListsOutcomes(line))
        return RestoreListed(line, console, RestoreFile{file, std::move(*fromFile)});

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
