#include "settings/BackupSettings.h"
#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "settings/DocumentFile.h"
#include "engine/AnsiText.h"

namespace OM::Norvatessa::Cli
{

ExitCode RunRestore(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);
    const bool toAddress = line.Has(L"--to-address");

    // The file is read and checked whole before the search, so that a refused one sends nothing.
    std::string bytes;
    if (const DWORD error = ControllerSettings::ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, CliText::FileNotRead(file, error));
    std::optional<ControllerSettings::BackupSettings> fromFile =
        ControllerSettings::ReadBackupSettings(FromThreadAnsi(bytes));
    if (!fromFile)
        return TellRefused(console, CliText::NotADocument(file));
    if (fromFile->refusal)
        return TellRefused(
            console, CliText::RefusedFileValue(file, fromFile->refusal->key, fromFile->refusal->reason));
    ControllerSettings::SettingChanges& changes = fromFile->changes;
    // A file without an address claims no other controller.
    if (changes.ip && *changes.ip != target->address)
    {
        if (!toAddress)
            return TellRefused(console, CliText::OtherControllersFile(file, *changes.ip, target->address));
        // The first four bytes of the MAC address are the device's in any case; another controller's
        // file leaves the whole address alone, so that no two controllers on the network share one.
        changes.macTail.reset();
    }
    changes.ip.reset();

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> current = FindAndRead(session, console, *target);
    if (!current)
        return ExitCode::Failed;
    const Xml::DeviceProperties restored = ControllerSettings::ApplySettingChanges(*current, changes);
    if (!WriteAndVerify(session, console, target->address, restored))
        return ExitCode::Failed;
    console.out.WriteLine(CliText::Restored(target->address, file));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
