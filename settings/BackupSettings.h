#pragma once

#include "common/CodePage.h"
#include "settings/SettingAssignments.h"
#include "settings/SettingChecks.h"

#include <optional>
#include <string>
#include <string_view>

namespace OM::Norvatessa::ControllerSettings
{

// What "restore" takes from a backup file: the attributes of its "net" element that the program knows,
// each checked as "set" checks its value. An attribute the file lacks is no change, so that it stays as
// the controller has it; attributes the program does not know are not sent back.
struct BackupSettings
{
    SettingChanges changes;
    std::optional<RecordRefusal> refusal; // the first malformed value: its attribute and why
    // A listing of "get" without the passwords says so on its root, and so do the root the program writes
    // and empty passwords, as the listings written before that have them (Xml::isListingWithoutPasswords).
    // An empty password there is no password at all: the controller keeps its own. True when it keeps both.
    bool passwordsKept = false;
};

// Reads a file's bytes. A byte-order mark tells their encoding; without one a declaration of UTF-8 does,
// and one of Windows-1251, or none, means `codePage`, the workstation's, in which the controller sent its
// document; any other encoding is refused as a malformed "encoding". Nothing when the text is no
// controller's document (no root element, or no "net" element in it).
std::optional<BackupSettings> ReadBackupSettings(std::string_view bytes, const CodePage& codePage);

} // namespace OM::Norvatessa::ControllerSettings
