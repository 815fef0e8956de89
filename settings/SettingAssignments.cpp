#include "settings/SettingAssignments.h"

#include "common/AddressText.h"
#include "common/Words.h"
#include "settings/RecordComparison.h"
#include "settings/SettingChecks.h"
#include "settings/ValueChecks.h"

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

using Xml::DeviceProperties;

template <typename Value>
Value& FieldOf(const SettingKey& key, DeviceProperties& props)
{
    return props.*std::get<Value DeviceProperties::*>(key.setting->field);
}

Refusal TakeText(const SettingKey& key, DeviceProperties& values, const std::wstring& value,
                 const CodePage& codePage)
{
    const auto refusal = key.setting->kind == ValueKind::Name    ? NameRefusal
                         : key.setting->kind == ValueKind::Login ? LoginRefusal
                                                                 : PasswordRefusal;
    if (auto reason = refusal(value, codePage))
        return reason;
    FieldOf<std::wstring>(key, values) = value;
    return std::nullopt;
}

Refusal TakeAddress(const SettingKey& key, DeviceProperties& values, const std::wstring& value)
{
    const std::optional<std::uint32_t> address = ParseAddress(value);
    if (!address)
        return std::wstring(Words::NotAnAddress);
    if (key.setting->kind == ValueKind::ControllerAddress && !IsUsableControllerAddress(*address))
        return std::wstring(Words::AddressCutsOff);
    FieldOf<std::uint32_t>(key, values) = *address;
    return std::nullopt;
}

Refusal TakePort(const SettingKey& key, DeviceProperties& values, const std::wstring& value)
{
    const std::optional<std::uint16_t> port = PortFromText(value);
    if (!port)
        return std::wstring(Words::PortRange);
    FieldOf<std::uint16_t>(key, values) = *port;
    return std::nullopt;
}

// "1A-2B", or "1A:2B" as MAC addresses are also written.
Refusal TakeMacTail(const SettingKey& key, DeviceProperties& values, const std::wstring& value)
{
    const std::size_t separator = value.find_first_of(L"-:");
    if (separator == std::wstring::npos || value.find_first_of(L"-:", separator + 1) != std::wstring::npos)
        return std::wstring(Words::MacPair);
    const std::optional<std::uint8_t> fifth = MacByteFromText(value.substr(0, separator));
    const std::optional<std::uint8_t> sixth = MacByteFromText(value.substr(separator + 1));
    if (!fifth || !sixth)
        return std::wstring(Words::MacByte);
    std::array<std::uint8_t, 6>& mac = FieldOf<std::array<std::uint8_t, 6>>(key, values);
    mac[4] = *fifth;
    mac[5] = *sixth;
    return std::nullopt;
}

Refusal TakeChoice(const SettingKey& key, DeviceProperties& values, const std::wstring& value)
{
    const Choice& choice = *key.setting->choice;
    for (const ChoiceWord* state : {&choice.first, &choice.second})
    {
        for (const wchar_t* word : state->words)
        {
            if (word != nullptr && value == word)
            {
                SetChoiceState(key, values, state->state);
                return std::nullopt;
            }
        }
    }
    return std::wstring(choice.refusal);
}

Refusal TakeValue(const SettingKey& key, DeviceProperties& values, const std::wstring& value,
                  const CodePage& codePage)
{
    switch (key.setting->kind)
    {
    case ValueKind::Name:
    case ValueKind::Login:
    case ValueKind::Password:
        return TakeText(key, values, value, codePage);
    case ValueKind::ControllerAddress:
    case ValueKind::Address:
        return TakeAddress(key, values, value);
    case ValueKind::Port:
        return TakePort(key, values, value);
    case ValueKind::MacTail:
        return TakeMacTail(key, values, value);
    case ValueKind::Choice:
        return TakeChoice(key, values, value);
    }
    return std::nullopt;
}

} // namespace

bool SettingChanges::Names(const RecordField& field) const
{
    for (const SettingKey& key : AllSettingKeys())
    {
        if (key.setting->field == field && Names(key.key))
            return true;
    }
    return false;
}

void SettingChanges::Forget(const RecordField& field)
{
    for (const SettingKey& key : AllSettingKeys())
    {
        if (key.setting->field == field)
            keys.erase(key.key);
    }
}

std::optional<Refusal> TakeSetting(SettingChanges& changes, std::wstring_view key, const std::wstring& value,
                                   const CodePage& codePage)
{
    const SettingKey* known = FindSettingKey(key);
    if (known == nullptr)
        return std::nullopt;
    if (Refusal refusal = TakeValue(*known, changes.values, value, codePage))
        return refusal;
    changes.keys.insert(known->key);
    return Refusal();
}

ParsedSettingChanges ParseSettingChanges(const std::vector<std::wstring>& words, const CodePage& codePage)
{
    ParsedSettingChanges parsed;
    if (words.empty())
    {
        parsed.error = Words::NoAssignment;
        return parsed;
    }
    for (const std::wstring& word : words)
    {
        const std::size_t equals = word.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
        {
            parsed.error = Words::Fill(Words::NotAssignment, word);
            return parsed;
        }
        const std::wstring key = word.substr(0, equals);
        if (parsed.changes.Names(key))
        {
            parsed.error = Words::Fill(Words::RepeatedKey, key);
            return parsed;
        }
        const std::optional<Refusal> refusal =
            TakeSetting(parsed.changes, key, word.substr(equals + 1), codePage);
        if (!refusal)
        {
            parsed.error = Words::Fill(Words::UnknownKey, key);
            return parsed;
        }
        if (*refusal)
        {
            parsed.error = Words::Fill(Words::RefusedValue, key, **refusal);
            return parsed;
        }
    }
    return parsed;
}

Xml::DeviceProperties ApplySettingChanges(const Xml::DeviceProperties& original,
                                          const SettingChanges& changes)
{
    DeviceProperties edited = original;
    for (const SettingKey& key : AllSettingKeys())
    {
        if (changes.Names(key.key))
            CopyValue(key, edited, changes.values);
    }
    edited.changed = ChangeMarks(edited, original);
    for (const SettingKey& key : AllSettingKeys())
    {
        if (key.setting->kind == ValueKind::Password && changes.Names(key.key))
            edited.changed |= key.setting->mark;
    }
    return edited;
}

SettingChanges AddressChanges(std::uint32_t ip, std::optional<std::uint32_t> mask,
                              std::optional<std::uint32_t> gateway)
{
    SettingChanges changes;
    changes.values.ip = ip;
    changes.keys.insert(L"ip");
    if (mask)
    {
        changes.values.mask = *mask;
        changes.keys.insert(L"mask");
    }
    if (gateway)
    {
        changes.values.gateway = *gateway;
        changes.keys.insert(L"gateway");
    }
    return changes;
}

} // namespace OM::Norvatessa::ControllerSettings
