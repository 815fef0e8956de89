#pragma once

#include "common/DiscoveredController.h"
#include "settings/SettingAssignments.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// The files the window program saves and opens for the list: the site's list as a spreadsheet reads it,
// and a controller's settings as the console program's backup writes them. What goes wrong with a file
// comes back in words, for a message box. User-interface thread only.

enum class FileKind
{
    List,     // *.csv
    Settings, // *.xml
};

// The standard save and open dialogs; nothing when the user cancels.
std::optional<std::wstring> AskFileToSave(HWND owner, FileKind kind, const std::wstring& suggestedName);
std::optional<std::wstring> AskFileToOpen(HWND owner, FileKind kind);

// The list as the console program's discover writes it ("address,port,name,conflict,answered", RFC 4180
// quoting, "yes" or "no"), in UTF-8 with a byte-order mark and CR LF line ends, so that a spreadsheet shows
// Cyrillic names, and with the workstation's list separator, so that it opens the file in columns.
std::string ControllerListFile(const std::vector<DiscoveredController>& controllers);

// Writes the bytes through a temporary file, so that a failure leaves the old file whole; empty when it
// worked, otherwise why not.
std::wstring SaveFile(const std::wstring& path, const std::string& bytes);

// A controller's settings read from a backup file and checked value by value: the changes to make, the
// address the file was saved from (when it names one), or why the file is refused.
struct SettingsFromFile
{
    ControllerSettings::SettingChanges changes;
    std::wstring problem; // empty when the file is taken
};
SettingsFromFile ReadSettingsFile(const std::wstring& path);

// The question before another controller's settings go to this one.
std::wstring OtherControllersFileQuestion(const std::wstring& path, std::uint32_t fileAddress,
                                          std::uint32_t address);

inline constexpr wchar_t FileProblemCaption[] = L"Файл не записан";
inline constexpr wchar_t FileRefusedCaption[] = L"Файл не загружен";

} // namespace OM::Norvatessa
