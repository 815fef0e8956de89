#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/DocumentFile.h"
#include "cli/RecordComparison.h"
#include "cli/SettingChecks.h"
#include "engine/AnsiText.h"

namespace OM::Norvatessa::Cli
{

namespace
{

// The controller's own part of its MAC address: the first four bytes are the device's and no command
// changes them; another controller's file leaves the whole address alone, so that no two controllers on
// the network share one.
void KeepOwnMac(Xml::DeviceProperties& restored, const Xml::DeviceProperties& current, bool otherControllers)
{
    const std::size_t own = otherControllers ? restored.mac.size() : 4;
    for (std::size_t index = 0; index < own; ++index)
        restored.mac[index] = current.mac[index];
}

} // namespace

ExitCode RunRestore(const CommandLine& line, Console& console)
{
    const std::optional<ControllerTarget> target = ReadTarget(line, console);
    if (!target)
        return ExitCode::BadUsage;
    const std::wstring& file = line.operands.at(1);
    const bool toAddress = line.Has(L"--to-address");

    // The file is read and checked whole before the search, so that a refused one sends nothing.
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, CliText::FileNotRead(file, error));
    const std::wstring document = FromThreadAnsi(bytes);
    Xml::DeviceProperties fromFile;
    if (!Xml::readDeviceProperties(document, fromFile))
        return TellRefused(console, CliText::NotADocument(file));
    const bool otherControllers = fromFile.ip != target->address;
    if (otherControllers)
    {
        if (!toAddress)
            return TellRefused(console, CliText::OtherControllersFile(file, fromFile.ip, target->address));
        fromFile.ip = target->address;
    }
    if (const std::optional<RecordRefusal> refusal = RefuseRecord(fromFile))
        return TellRefused(console, CliText::RefusedFileValue(file, refusal->key, refusal->reason));

    GivenCredentialsPrompt prompt(target->credentials);
    ControllerSession session(DeviceManager::Instance(), prompt);
    const std::optional<Xml::DeviceProperties> current = SearchAndRead(session, console, *target);
    if (!current)
        return ExitCode::Failed;
    // A value the file lacks stays as the controller has it.
    Xml::DeviceProperties restored = *current;
    Xml::readDeviceProperties(document, restored);
    restored.ip = target->address;
    KeepOwnMac(restored, *current, otherControllers);
    restored.changed = ChangeMarks(restored, *current);
    if (!WriteAndVerify(session, console, target->address, restored))
        return ExitCode::Failed;
    console.out.WriteLine(CliText::Restored(target->address, file));
    return ExitCode::Done;
}

} // namespace OM::Norvatessa::Cli
