#include "settings/SettingListing.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "engine/JsonText.h"
#include "settings/SettingTable.h"

#include <algorithm>
#include <cwchar>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

using Xml::DeviceProperties;

bool Listed(const Setting& setting, bool showPasswords)
{
    return showPasswords || !setting.secret;
}

} // namespace

std::wstring SettingWord(const SettingKey& key, const DeviceProperties& properties)
{
    const RecordField& field = key.setting->field;
    switch (key.setting->kind)
    {
    case ValueKind::Name:
    case ValueKind::Login:
    case ValueKind::Password:
        return properties.*std::get<std::wstring DeviceProperties::*>(field);
    case ValueKind::ControllerAddress:
    case ValueKind::Address:
        return AddressText(properties.*std::get<std::uint32_t DeviceProperties::*>(field));
    case ValueKind::Port:
        return std::to_wstring(properties.*std::get<std::uint16_t DeviceProperties::*>(field));
    case ValueKind::MacTail:
        return Xml::macAddressText(properties.*
                                   std::get<std::array<std::uint8_t, 6> DeviceProperties::*>(field));
    case ValueKind::Choice:
        return ChoiceWordOf(*key.setting, ChoiceState(key, properties)).words[0];
    }
    return L"";
}

namespace
{

std::wstring Shown(const SettingKey& key, const DeviceProperties& properties)
{
    if (key.setting->kind == ValueKind::Choice)
        return ChoiceWordOf(*key.setting, ChoiceState(key, properties)).shown;
    return SettingWord(key, properties);
}

std::wstring JsonValue(const SettingKey& key, const DeviceProperties& properties)
{
    switch (key.setting->kind)
    {
    case ValueKind::Port:
        return SettingWord(key, properties);
    case ValueKind::Choice: {
        const std::uint8_t state = ChoiceState(key, properties);
        const wchar_t* json = ChoiceWordOf(*key.setting, state).json;
        return json != nullptr ? JsonString(json) : JsonBool(state == 1);
    }
    default:
        return JsonString(SettingWord(key, properties));
    }
}

// The object of "object.member", empty for a member of its own.
std::wstring_view JsonObject(const Setting& setting)
{
    const std::wstring_view name = setting.json;
    const std::size_t dot = name.find(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : name.substr(0, dot);
}

std::wstring JsonMember(const SettingKey& key, const DeviceProperties& properties)
{
    std::wstring_view name = key.setting->json;
    if (const std::size_t dot = name.find(L'.'); dot != std::wstring_view::npos)
        name.remove_prefix(dot + 1);
    return JsonString(name) + L": " + JsonValue(key, properties);
}

// The members of an object, "{"login": "boss", "password": "secret"}".
std::wstring JsonInline(const std::vector<const SettingKey*>& keys, const DeviceProperties& properties)
{
    std::wstring json = L"{";
    for (const SettingKey* key : keys)
    {
        if (json.size() > 1)
            json += L", ";
        json += JsonMember(*key, properties);
    }
    return json + L'}';
}

// An object's keys kept per input make an array of objects, one a line, one per input.
std::wstring JsonGroup(const std::vector<const SettingKey*>& keys, const DeviceProperties& properties)
{
    if (InputCount(*keys.front()->setting) == 1)
        return JsonInline(keys, properties);
    std::wstring json = L"[\n";
    for (auto input = keys.begin(); input != keys.end();)
    {
        const auto next = std::find_if(input, keys.end(),
                                       [&](const SettingKey* key) { return key->input != (*input)->input; });
        if (json.size() > 2)
            json += L",\n";
        json += L"    " + JsonInline(std::vector<const SettingKey*>(input, next), properties);
        input = next;
    }
    return json + L"\n  ]";
}

// The keys of the inventory's columns in their order, each setting's inputs together (sensor1, sensor2, ...).
std::vector<SettingKey> InventoryKeys(bool showPasswords)
{
    std::vector<const Setting*> settings;
    for (const Setting& setting : AllSettings())
    {
        if (setting.csvColumn != 0 && Listed(setting, showPasswords))
            settings.push_back(&setting);
    }
    std::sort(settings.begin(), settings.end(),
              [](const Setting* left, const Setting* right) { return left->csvColumn < right->csvColumn; });
    std::vector<SettingKey> keys;
    for (const Setting* setting : settings)
    {
        for (std::size_t input = 0; input < InputCount(*setting); ++input)
            keys.push_back({setting, input, KeyName(*setting, input)});
    }
    return keys;
}

} // namespace

std::wstring SettingLines(const DeviceProperties& properties, bool showPasswords)
{
    // The settings of one input share its line: "Датчик 1: Цифровой (2 состояния), нормально замкнутый".
    std::vector<std::pair<std::wstring, std::wstring>> lines;
    for (const SettingKey& key : AllSettingKeys())
    {
        std::wstring label = key.setting->label;
        if (InputCount(*key.setting) > 1)
            label += L' ' + std::to_wstring(key.input + 1);
        const std::wstring value =
            Listed(*key.setting, showPasswords) ? Shown(key, properties) : Words::PasswordHidden;
        if (!lines.empty() && lines.back().first == label)
            lines.back().second += L", " + value;
        else
            lines.emplace_back(std::move(label), value);
    }

    std::size_t width = 0;
    for (const auto& line : lines)
        width = std::max(width, line.first.size());
    std::wstring text;
    for (const auto& [label, value] : lines)
    {
        text += label;
        text += L':';
        text.append(width - label.size() + 2, L' ');
        text += value;
        text += L'\n';
    }
    return text;
}

std::wstring SettingJson(const DeviceProperties& properties, bool showPasswords)
{
    std::vector<const SettingKey*> listed;
    for (const SettingKey& key : AllSettingKeys())
    {
        if (Listed(*key.setting, showPasswords))
            listed.push_back(&key);
    }
    std::wstring json = L"{\n";
    for (auto member = listed.begin(); member != listed.end();)
    {
        if (json.size() > 2)
            json += L",\n";
        const std::wstring_view object = JsonObject(*(*member)->setting);
        if (object.empty())
        {
            json += L"  " + JsonMember(**member, properties);
            ++member;
            continue;
        }
        const auto next = std::find_if(member, listed.end(), [object](const SettingKey* key) {
            return JsonObject(*key->setting) != object;
        });
        json += L"  " + JsonString(object) + L": " +
                JsonGroup(std::vector<const SettingKey*>(member, next), properties);
        member = next;
    }
    return json + L"\n}\n";
}

std::vector<std::wstring> SettingColumns(bool showPasswords)
{
    std::vector<std::wstring> columns;
    for (const SettingKey& key : InventoryKeys(showPasswords))
        columns.push_back(key.key);
    return columns;
}

std::vector<std::wstring> SettingFields(const DeviceProperties& properties, bool showPasswords)
{
    std::vector<std::wstring> fields;
    for (const SettingKey& key : InventoryKeys(showPasswords))
        fields.push_back(SettingWord(key, properties));
    return fields;
}

} // namespace OM::Norvatessa::ControllerSettings
