#include "cli/PropertiesListing.h"

#include "engine/JsonText.h"
#include "common/AddressText.h"
#include "settings/SettingListing.h"
#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

namespace OM::Norvatessa::Cli
{

std::wstring PropertiesListing(const Xml::DeviceProperties& properties, PropertiesFormat format,
                               bool showPasswords, bool utf8)
{
    switch (format)
    {
    case PropertiesFormat::Text:
        return ControllerSettings::SettingLines(properties, showPasswords);
    case PropertiesFormat::Json:
        return ControllerSettings::SettingJson(properties, showPasswords);
    case PropertiesFormat::Xml:
        return Xml::writeDeviceListing(properties, showPasswords, utf8);
    }
    return {};
}

} // namespace OM::Norvatessa::Cli
