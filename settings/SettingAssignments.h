#pragma once

#include "common/CodePage.h"
#include "settings/SettingTable.h"
#include "xml/DeviceProperties.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// The changes named on the command line of "set" or in a backup file, each checked on its own: a value
// that is not named stays as the controller has it.
struct SettingChanges
{
    Xml::DeviceProperties values;             // the values of the keys named; the others mean nothing
    std::set<std::wstring, std::less<>> keys; // the keys named: "name", "sensor3"

    bool Names(std::wstring_view key) const { return keys.find(key) != keys.end(); }
    // Whether a key of the field is named.
    bool Names(const RecordField& field) const;
    // The value named for a field of one key; nothing when it is not named.
    template <typename Value>
    std::optional<Value> Named(Value Xml::DeviceProperties::*field) const
    {
        if (!Names(RecordField(field)))
            return std::nullopt;
        return values.*field;
    }
    // Leaves the field as the controller has it.
    void Forget(const RecordField& field);
};

struct ParsedSettingChanges
{
    SettingChanges changes;
    std::optional<std::wstring> error; // a usage error: what is wrong with which word
};

// A value's reason for refusal, or nothing when it was taken.
using Refusal = std::optional<std::wstring>;

// Takes the value of one key of "set" into `changes`, checked as the settings sheet checks it (its texts
// against the code page the controller's document goes out in); nothing when the key is unknown.
std::optional<Refusal> TakeSetting(SettingChanges& changes, std::wstring_view key, const std::wstring& value,
                                   const CodePage& codePage);

// Reads "KEY=VALUE" words. Refuses an unknown or repeated key and every value the settings sheet would
// refuse, so that nothing is sent unless every word holds.
ParsedSettingChanges ParseSettingChanges(const std::vector<std::wstring>& words, const CodePage& codePage);

// The changes that give one controller a new address, and the mask and the gateway given for all (nothing:
// it keeps its own).
SettingChanges AddressChanges(std::uint32_t ip, std::optional<std::uint32_t> mask,
                              std::optional<std::uint32_t> gateway);

// The record read from the controller with the changes made, marked as the settings sheet marks it: a
// password that is named counts as changed even when it is the same.
Xml::DeviceProperties ApplySettingChanges(const Xml::DeviceProperties& original,
                                          const SettingChanges& changes);

} // namespace OM::Norvatessa::ControllerSettings
