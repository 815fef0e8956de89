#include "settings/ManyFields.h"

#include "common/Words.h"

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// The sheet asks only for its own keys: one it does not know is refused under its name.
Refusal Take(SettingChanges& changes, std::wstring_view key, const std::wstring& value,
             const CodePage& codePage)
{
    const std::optional<Refusal> taken = TakeSetting(changes, key, value, codePage);
    return taken ? *taken : Refusal(Words::Fill(Words::UnknownKey, key));
}

} // namespace

Refusal ManyFields::Edit(std::wstring_view key, const std::wstring& text, const CodePage& codePage)
{
    Keep(key);
    return text.empty() ? Refusal() : Take(changes, key, text, codePage);
}

void ManyFields::Address(std::wstring_view key, bool keep, std::uint32_t address)
{
    Keep(key);
    const SettingKey* known = FindSettingKey(key);
    if (keep || known == nullptr)
        return;
    if (const auto* field = std::get_if<std::uint32_t Xml::DeviceProperties::*>(&known->setting->field))
    {
        changes.values.** field = address;
        changes.keys.insert(known->key);
    }
}

void ManyFields::Tick(std::wstring_view key, Check check)
{
    Keep(key);
    if (check != Check::Keep)
        Give(key, check == Check::On ? 1 : 0);
}

void ManyFields::Pick(std::wstring_view key, int entry)
{
    Keep(key);
    const SettingKey* known = FindSettingKey(key);
    if (entry <= 0 || entry > 2 || known == nullptr || known->setting->choice == nullptr)
        return;
    const Choice& choice = *known->setting->choice;
    Give(key, entry == 1 ? choice.first.state : choice.second.state);
}

Refusal ManyFields::Password(std::wstring_view key, bool change, const std::wstring& typed,
                             const std::wstring& confirmation, const CodePage& codePage)
{
    Keep(key);
    if (!change)
        return std::nullopt;
    if (typed != confirmation)
        return std::wstring(Words::PasswordMismatch);
    return Take(changes, key, typed, codePage);
}

void ManyFields::Keep(std::wstring_view key)
{
    if (const auto named = changes.keys.find(key); named != changes.keys.end())
        changes.keys.erase(named);
}

void ManyFields::Give(std::wstring_view key, std::uint8_t state)
{
    if (const SettingKey* known = FindSettingKey(key))
    {
        SetChoiceState(*known, changes.values, state);
        changes.keys.insert(known->key);
    }
}

} // namespace OM::Norvatessa::ControllerSettings
