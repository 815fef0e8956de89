#include "settings/SettingAssignments.h"

#include "common/AddressText.h"
#include "settings/RecordComparison.h"
#include "settings/RefusalText.h"
#include "settings/SettingChecks.h"
#include "settings/SettingKeys.h"
#include "settings/SettingText.h"
#include "settings/ValueChecks.h"

#include <set>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

Refusal TakeText(std::optional<std::wstring>& field, const std::wstring& value, const CodePage& codePage,
                 std::optional<std::wstring> (*refusal)(std::wstring_view, const CodePage&))
{
    if (auto reason = refusal(value, codePage))
        return reason;
    field = value;
    return std::nullopt;
}

Refusal TakeAddress(std::optional<std::uint32_t>& field, const std::wstring& value)
{
    const std::optional<std::uint32_t> address = ParseAddress(value);
    if (!address)
        return std::wstring(SettingText::NotAnAddress);
    field = *address;
    return std::nullopt;
}

Refusal TakeControllerAddress(std::optional<std::uint32_t>& field, const std::wstring& value)
{
    if (auto reason = TakeAddress(field, value))
        return reason;
    if (!IsUsableControllerAddress(*field))
        return std::wstring(RefusalText::Address);
    return std::nullopt;
}

Refusal TakePort(std::optional<std::uint16_t>& field, const std::wstring& value)
{
    field = PortFromText(value);
    if (!field)
        return std::wstring(RefusalText::Port);
    return std::nullopt;
}

// "1A-2B", or "1A:2B" as MAC addresses are also written.
Refusal TakeMacTail(std::optional<std::array<std::uint8_t, 2>>& field, const std::wstring& value)
{
    const std::size_t separator = value.find_first_of(L"-:");
    if (separator == std::wstring::npos || value.find_first_of(L"-:", separator + 1) != std::wstring::npos)
        return std::wstring(SettingText::MacPair);
    const std::optional<std::uint8_t> fifth = MacByteFromText(value.substr(0, separator));
    const std::optional<std::uint8_t> sixth = MacByteFromText(value.substr(separator + 1));
    if (!fifth || !sixth)
        return std::wstring(RefusalText::MacByte);
    field = std::array<std::uint8_t, 2>{*fifth, *sixth};
    return std::nullopt;
}

// One of two words; `first` gives `firstValue`, `second` the other.
Refusal TakeChoice(std::optional<std::uint8_t>& field, const std::wstring& value,
                   std::initializer_list<const wchar_t*> first, std::initializer_list<const wchar_t*> second,
                   std::uint8_t firstValue, const wchar_t* refusal)
{
    for (const wchar_t* word : first)
    {
        if (value == word)
        {
            field = firstValue;
            return std::nullopt;
        }
    }
    for (const wchar_t* word : second)
    {
        if (value == word)
        {
            field = static_cast<std::uint8_t>(firstValue == 0 ? 1 : 0);
            return std::nullopt;
        }
    }
    return std::wstring(refusal);
}

Refusal TakeSwitch(std::optional<bool>& field, const std::wstring& value)
{
    std::optional<std::uint8_t> on;
    if (auto reason = TakeChoice(on, value, {L"on"}, {L"off"}, 1, SettingText::OnOff))
        return reason;
    field = *on == 1;
    return std::nullopt;
}

// The input of "sensor3" or "contact3" as an index, 0 to 7; nothing when the key is not of that form.
std::optional<std::size_t> InputIndex(const std::wstring& key, const wchar_t* prefix)
{
    const std::wstring_view start(prefix);
    if (key.size() != start.size() + 1 || key.compare(0, start.size(), start) != 0)
        return std::nullopt;
    const wchar_t digit = key.back();
    if (digit < L'1' || digit > L'8')
        return std::nullopt;
    return static_cast<std::size_t>(digit - L'1');
}

template <typename Value, typename Field>
void Apply(const std::optional<Value>& change, Field& field)
{
    if (change)
        field = *change;
}

} // namespace

std::optional<Refusal> TakeSetting(SettingChanges& changes, const std::wstring& key,
                                   const std::wstring& value, const CodePage& codePage)
{
    using namespace SettingKeys;
    if (key == Name)
        return TakeText(changes.name, value, codePage, NameRefusal);
    if (key == Ip)
        return TakeControllerAddress(changes.ip, value);
    if (key == Port)
        return TakePort(changes.port, value);
    if (key == Mask)
        return TakeAddress(changes.mask, value);
    if (key == Gateway)
        return TakeAddress(changes.gateway, value);
    if (key == Mac)
        return TakeMacTail(changes.macTail, value);
    if (const auto input = InputIndex(key, Sensor))
        return TakeChoice(changes.sensorType[*input], value, {L"digital"}, {L"analog"}, 0,
                          SettingText::SensorType);
    if (const auto input = InputIndex(key, Contact))
        return TakeChoice(changes.sensorInverted[*input], value, {L"open", L"normally-open"},
                          {L"closed", L"normally-closed"}, 1, SettingText::SensorContact);
    if (key == Buzzer)
        return TakeSwitch(changes.buzzer, value);
    if (key == AskPassword)
        return TakeSwitch(changes.askPassword, value);
    if (key == AdminLogin)
        return TakeText(changes.adminLogin, value, codePage, LoginRefusal);
    if (key == AdminPassword)
        return TakeText(changes.adminPassword, value, codePage, PasswordRefusal);
    if (key == UserLogin)
        return TakeText(changes.userLogin, value, codePage, LoginRefusal);
    if (key == UserPassword)
        return TakeText(changes.userPassword, value, codePage, PasswordRefusal);
    return std::nullopt;
}

ParsedSettingChanges ParseSettingChanges(const std::vector<std::wstring>& words, const CodePage& codePage)
{
    ParsedSettingChanges parsed;
    if (words.empty())
    {
        parsed.error = SettingText::NoAssignment;
        return parsed;
    }
    std::set<std::wstring> seen;
    for (const std::wstring& word : words)
    {
        const std::size_t equals = word.find(L'=');
        if (equals == std::wstring::npos || equals == 0)
        {
            parsed.error = SettingText::NotAssignment(word);
            return parsed;
        }
        const std::wstring key = word.substr(0, equals);
        if (!seen.insert(key).second)
        {
            parsed.error = SettingText::RepeatedKey(key);
            return parsed;
        }
        const std::optional<Refusal> refusal =
            TakeSetting(parsed.changes, key, word.substr(equals + 1), codePage);
        if (!refusal)
        {
            parsed.error = SettingText::UnknownKey(key);
            return parsed;
        }
        if (*refusal)
        {
            parsed.error = SettingText::RefusedValue(key, **refusal);
            return parsed;
        }
    }
    return parsed;
}

Xml::DeviceProperties ApplySettingChanges(const Xml::DeviceProperties& original,
                                          const SettingChanges& changes)
{
    Xml::DeviceProperties edited = original;
    Apply(changes.name, edited.name);
    Apply(changes.ip, edited.ip);
    Apply(changes.port, edited.tcpPort);
    Apply(changes.mask, edited.mask);
    Apply(changes.gateway, edited.gateway);
    if (changes.macTail)
    {
        edited.mac[4] = (*changes.macTail)[0];
        edited.mac[5] = (*changes.macTail)[1];
    }
    for (std::size_t input = 0; input < edited.sensorType.size(); ++input)
    {
        Apply(changes.sensorType[input], edited.sensorType[input]);
        Apply(changes.sensorInverted[input], edited.sensorInverted[input]);
    }
    Apply(changes.buzzer, edited.buzzer);
    Apply(changes.askPassword, edited.askPassword);
    Apply(changes.adminLogin, edited.adminName);
    Apply(changes.adminPassword, edited.adminPassword);
    Apply(changes.userLogin, edited.userName);
    Apply(changes.userPassword, edited.userPassword);

    edited.changed = ChangeMarks(edited, original);
    if (changes.adminPassword)
        edited.changed |= Xml::PropAdmin;
    if (changes.userPassword)
        edited.changed |= Xml::PropUser;
    return edited;
}

} // namespace OM::Norvatessa::ControllerSettings
