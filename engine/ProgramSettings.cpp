#include "engine/ProgramSettings.h"

#include "engine/SettingsFile.h"
#include "helpers/ExecutablePath.h"
#include "xml/ConfigDocument.h"
#include "xml/Utf16File.h"
#include "xml/WholeFileWrite.h"

#include <windows.h>

namespace OM::Norvatessa
{

namespace
{

constexpr wchar_t perUserFolder[] = L"Norvatessa";
constexpr wchar_t perUserFile[] = L"norvatessa.config";

// What the last load found, for the saves that follow it. The worker saves while the program runs, the
// user-interface thread at its exit, after the worker has stopped: never both at once.
struct LoadedSettings
{
    // The values that the file beside the program gave (the defaults for what it did not give), and those
    // in effect once the per-user copy was applied: the file beside the program gets its own values back,
    // and those this copy changed since, so that the values of one user's copy never reach the others.
    ProgramSettings beside;
    ProgramSettings inEffect;
    // knownControllers and its ranges as last read or written: what this copy changed since is what it
    // writes.
    std::vector<ControllerEndpoint> known;
    std::vector<AddressRange> knownRanges;
    // The file beside the program is there but could not be read (an editor saved it as UTF-8, say): it
    // holds the user's edit, and is left as it is rather than overwritten with defaults.
    bool keepBeside = false;
};

LoadedSettings& Loaded()
{
    static LoadedSettings loaded;
    return loaded;
}

enum class FileState
{
    Missing,
    Read,
    Unreadable, // it cannot be opened, or it is no settings file
};

FileState ReadContent(const std::wstring& path, SettingsFileContent& content)
{
    std::string bytes;
    switch (Xml::readFileBytes(path, bytes))
    {
    case Xml::TextFileStatus::Missing:
        return FileState::Missing;
    case Xml::TextFileStatus::Read:
        break;
    default:
        return FileState::Unreadable;
    }
    std::optional<SettingsFileContent> read = ReadSettingsFile(bytes);
    if (!read)
        return FileState::Unreadable;
    content = std::move(*read);
    return FileState::Read;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    std::wstring value(::GetEnvironmentVariableW(name, nullptr, 0), L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// The values the file beside the program gets: its own, but for those changed since the load.
ProgramSettings BesideValues(const LoadedSettings& loaded, const ProgramSettings& now)
{
    ProgramSettings values = loaded.beside;
    for (int32_t ProgramSettings::*number : {&ProgramSettings::udpSendPort, &ProgramSettings::udpRecvPort,
                                             &ProgramSettings::searchTimeout, &ProgramSettings::probeCount})
    {
        if (now.*number != loaded.inEffect.*number)
            values.*number = now.*number;
    }
    if (now.adapter != loaded.inEffect.adapter)
        values.adapter = now.adapter;
    return values;
}

// Writes the file beside the program over what it holds now; false when it is kept or cannot be written.
bool SaveBeside(const std::wstring& path, const KnownControllerChanges& changes, SettingsSave& save)
{
    const LoadedSettings& loaded = Loaded();
    SettingsFileContent onDisk;
    // A file that became unreadable since the start is somebody's edit as well.
    if (loaded.keepBeside || ReadContent(path, onDisk) == FileState::Unreadable)
    {
        save.besideUnreadable = true;
        return false;
    }
    return Xml::writeFileWhole(path,
                               BesideSettingsBytes(onDisk, BesideValues(loaded, Settings()), changes)) == 0;
}

// Writes the per-user copy over what it holds now: always when the file beside the program was not
// written, otherwise only when it exists and knownControllers changed.
bool SavePerUser(const std::wstring& path, const KnownControllerChanges& changes, bool besideWritten)
{
    if (path.empty())
        return false;
    SettingsFileContent onDisk;
    const FileState state = ReadContent(path, onDisk);
    if (state == FileState::Unreadable || (besideWritten && (state == FileState::Missing || changes.empty())))
        return false;
    ::CreateDirectoryW(path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
    return Xml::writeFileWhole(path, PerUserSettingsBytes(onDisk, changes)) == 0;
}

} // namespace

ProgramSettings& Settings()
{
    static ProgramSettings settings;
    return settings;
}

std::wstring SettingsFilePath()
{
    const std::wstring executable = Helpers::ExecutablePath();
    return executable.empty() ? std::wstring() : Xml::withConfigExtension(executable);
}

std::wstring PerUserSettingsPath()
{
    const std::wstring folder = EnvironmentValue(L"LOCALAPPDATA");
    return folder.empty() ? std::wstring() : folder + L"\\" + perUserFolder + L"\\" + perUserFile;
}

bool LoadSettings()
{
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return false;
    ProgramSettings& settings = Settings();
    settings.knownControllers.clear();
    settings.knownRanges.clear();
    settings.skippedKnownControllers.clear();
    LoadedSettings& loaded = Loaded();
    SettingsFileContent beside;
    const FileState besideState = ReadContent(path, beside);
    if (besideState == FileState::Read)
        ApplySettingsFile(beside, settings);
    else if (besideState == FileState::Missing)
        // Created where it is looked for, so that it can be found and edited by hand.
        Xml::writeFileWhole(path, SettingsFileBytes({}));
    loaded.keepBeside = besideState == FileState::Unreadable;
    loaded.beside = settings;

    SettingsFileContent perUser;
    if (ReadContent(PerUserSettingsPath(), perUser) == FileState::Read)
        ApplySettingsFile(perUser, settings);
    loaded.inEffect = settings;
    loaded.known = settings.knownControllers;
    loaded.knownRanges = settings.knownRanges;
    return true;
}

SettingsSave SaveSettings()
{
    SettingsSave save;
    save.besidePath = SettingsFilePath();
    if (save.besidePath.empty())
        return save;
    save.perUserPath = PerUserSettingsPath();
    LoadedSettings& loaded = Loaded();
    const ProgramSettings& now = Settings();
    const KnownControllerChanges changes =
        ChangesBetween(loaded.known, now.knownControllers, loaded.knownRanges, now.knownRanges);

    const bool besideWritten = SaveBeside(save.besidePath, changes, save);
    const bool perUserWritten = SavePerUser(save.perUserPath, changes, besideWritten);
    save.store = besideWritten    ? SettingsStore::Beside
                 : perUserWritten ? SettingsStore::PerUser
                                  : SettingsStore::Nowhere;
    if (besideWritten || perUserWritten)
    {
        loaded.known = now.knownControllers;
        loaded.knownRanges = now.knownRanges;
    }
    return save;
}

} // namespace OM::Norvatessa
