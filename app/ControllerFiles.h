#pragma once

#include "app/ControllerRow.h"
#include "common/DiscoveredController.h"
#include "settings/SettingAssignments.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The files the window program saves and opens for the list: the site's list as a spreadsheet reads it,
// and a controller's settings as the console program's backup writes them. A controller's settings are
// read from it first; each such read carries its own number in its tag (ReadPurpose), by which its file,
// or the file's values, are found when its result comes back. What goes wrong with a file is told in a
// message box owned by `owner`. User-interface thread only.
class ControllerFiles
{
public:
    // Asks the controller at `address` for its settings, with this tag on the read.
    using ReadSettings = std::function<void(std::uint32_t address, std::int32_t tag)>;

    explicit ControllerFiles(ReadSettings read) : read(std::move(read)) {}

    // "Сохранить список...": asks for a file and saves the rows in it.
    void SaveList(HWND owner, const std::vector<ControllerRow>& rows);
    // The rows as the saved list (ListColumns), in that file: UTF-8 with a byte-order mark and CR LF line
    // ends, so that a spreadsheet shows Cyrillic names, split at the workstation's list separator, so that
    // it opens the file in columns. Empty when it is written, otherwise why not.
    std::wstring SaveListTo(const std::wstring& path, const std::vector<ControllerRow>& rows) const;

    // "Сохранить настройки в файл...": asks for a file, then reads the controller.
    void SaveSettings(HWND owner, const ControllerRow& row);
    // The read for a file has come back: its document goes to the file exactly as it came, passwords and
    // whatever the program does not know included.
    void WriteSettings(HWND owner, std::int32_t tag, const std::string& answer);

    // "Загрузить настройки из файла...": asks for a backup file and loads it, as LoadSettingsFrom.
    void LoadSettings(HWND owner, std::uint32_t address);
    // Checks the file as the console program's restore does, then reads the controller at `address`,
    // whose settings sheet shows the file's values (TakeFileValues) for the user to confirm; the file's
    // address and, from another controller's file, its MAC address are not taken. Empty when the file was
    // taken (or the user declined another controller's file), otherwise why it was refused: nothing is
    // read or sent then.
    std::wstring LoadSettingsFrom(HWND owner, const std::wstring& path, std::uint32_t address);
    // The file's values for the read with this tag; nothing for a read that no file waits for.
    std::optional<ControllerSettings::SettingChanges> TakeFileValues(std::int32_t tag);

private:
    ReadSettings read;
    std::int32_t readsAsked = 0;
    std::map<std::int32_t, std::wstring> settingsFiles;                         // by the tag of their read
    std::map<std::int32_t, ControllerSettings::SettingChanges> valuesFromFiles; // by the tag of their read
};

} // namespace OM::Norvatessa
