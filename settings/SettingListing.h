#pragma once

#include "settings/SettingTable.h"
#include "xml/DeviceProperties.h"

#include <string>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// One controller's settings as "get" lists them. The passwords are shown as hidden (text) or left out
// (JSON, CSV) unless `showPasswords`.

// The value of one key as "set" takes it; the whole MAC address, of which "set" takes the last two bytes.
std::wstring SettingWord(const SettingKey& key, const Xml::DeviceProperties& properties);

// A Russian label and the value per line, the values aligned.
std::wstring SettingLines(const Xml::DeviceProperties& properties, bool showPasswords);

// An object with stable English names, ending in a line feed.
std::wstring SettingJson(const Xml::DeviceProperties& properties, bool showPasswords);

// The columns of a site's inventory after the controller's address: the keys of "set", and their values
// as "set" takes them, so that a column can be given back as it stands.
std::vector<std::wstring> SettingColumns(bool showPasswords);
std::vector<std::wstring> SettingFields(const Xml::DeviceProperties& properties, bool showPasswords);

} // namespace OM::Norvatessa::ControllerSettings
