#pragma once

#include "settings/SettingAssignments.h"
#include "settings/SettingChecks.h"

#include <optional>
#include <string>

namespace OM::Norvatessa::ControllerSettings
{

// What "restore" takes from a backup file: the attributes of its "net" element that the program knows,
// each checked as "set" checks its value. An attribute the file lacks is no change, so that it stays as
// the controller has it; attributes the program does not know are not sent back.
struct BackupSettings
{
    SettingChanges changes;
    std::optional<RecordRefusal> refusal; // the first malformed value: its attribute and why
};

// Nothing when the text is no controller's document (no root element, or no "net" element in it).
std::optional<BackupSettings> ReadBackupSettings(const std::wstring& document);

} // namespace OM::Norvatessa::ControllerSettings
