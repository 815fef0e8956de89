#include "settings/RecordComparison.h"

#include "settings/SettingTable.h"

namespace OM::Norvatessa::ControllerSettings
{

std::uint32_t ChangeMarks(const Xml::DeviceProperties& edited, const Xml::DeviceProperties& original)
{
    std::uint32_t changed = 0;
    for (const SettingKey& key : AllSettingKeys())
    {
        if (!SameValue(key, edited, original))
            changed |= key.setting->mark;
    }
    return changed;
}

std::wstring DifferingKeys(const Xml::DeviceProperties& sent, const Xml::DeviceProperties& readBack)
{
    std::wstring text;
    for (const SettingKey& key : AllSettingKeys())
    {
        if (SameValue(key, sent, readBack))
            continue;
        if (!text.empty())
            text += L", ";
        text += key.key;
    }
    return text;
}

} // namespace OM::Norvatessa::ControllerSettings
