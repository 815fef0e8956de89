#pragma once

#include "xml/DeviceProperties.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// A controller's settings as the programs name them: one row per key of "set". Everything that spells the
// settings out (the keys taken from words and from backup files, the change marks, the comparison of what
// was sent with what was read back, the listings of "get" and the key list of the usage) loops over the
// rows, so that a new setting is one more row.

// Where the record keeps a setting. A setting of the sensors holds one element per input.
using RecordField =
    std::variant<std::wstring Xml::DeviceProperties::*, std::uint32_t Xml::DeviceProperties::*,
                 std::uint16_t Xml::DeviceProperties::*, bool Xml::DeviceProperties::*,
                 std::array<std::uint8_t, 6> Xml::DeviceProperties::*,
                 std::array<std::uint8_t, 8> Xml::DeviceProperties::*>;

// What a value is, and so how it is typed, checked and shown.
enum class ValueKind
{
    Name,              // text, as long as the settings sheet's field takes
    Login,             // text without a colon, as long as the sheet's field takes
    Password,          // the same; named, it counts as changed even when it is the old one
    ControllerAddress, // A.B.C.D that a controller may be given
    Address,           // A.B.C.D
    Port,              // 1 to 65535
    MacTail,           // the last two bytes of the MAC address; the first four are the device's
    Choice,            // one of two states, each with its words
};

// One state of a choice and its words.
struct ChoiceWord
{
    std::uint8_t state;      // the value the record holds
    const wchar_t* words[2]; // what "set" takes: the first as the lists write it, or another
    const wchar_t* json;     // its JSON string; none for a JSON boolean
    const wchar_t* shown;    // the words of "get"'s text
};

// The two states in the order the usage names them, and why another word is refused.
struct Choice
{
    ChoiceWord first;
    ChoiceWord second;
    const wchar_t* refusal;
};

// How the document's attribute carries the value.
enum class Packing
{
    Whole,     // the attribute is the value
    MacTail,   // the last two of the six bytes the attribute holds
    Bits,      // one bit of the number the attribute holds: `position`, plus the input for the sensors
    ColonPair, // one side of "LOGIN:PASSWORD": `position` 0 or 1
};

struct DocumentPlace
{
    Xml::DeviceAttribute attribute;
    Packing packing = Packing::Whole;
    std::size_t position = 0;
};

struct Setting
{
    const wchar_t* key; // a sensor's key is followed by the input's number, 1 to 8: "sensor3"
    RecordField field;
    ValueKind kind;
    const Choice* choice = nullptr;
    DocumentPlace document;
    std::uint32_t mark = 0;         // the change mark a new value sets; none for the sensors
    bool ownValue = false;          // each controller has its own: never given to many at once
    bool secret = false;            // listed only when the passwords are asked for
    const wchar_t* label = nullptr; // "get"'s text; the sensor settings of one input share a line
    const wchar_t* json = nullptr;  // "get"'s JSON: a member, or "object.member" (an array, per input)
    std::size_t csvColumn = 0;      // place among the inventory's columns after the address; 0: none
    const wchar_t* usage = nullptr; // what the usage says of the key
};

std::span<const Setting> AllSettings();

// One key: the setting, and its input for a sensor's.
struct SettingKey
{
    const Setting* setting = nullptr;
    std::size_t input = 0;
    std::wstring key;
};

// Every key in the order the program lists the settings; the sensor settings go input by input
// (sensor1, contact1, sensor2, ...).
const std::vector<SettingKey>& AllSettingKeys();

// The key a word names; nothing when it names none.
const SettingKey* FindSettingKey(std::wstring_view key);

// How many keys the setting has: one, or one per sensor input.
std::size_t InputCount(const Setting& setting);
// The key of the setting for an input: "name", or "sensor3" for the third.
std::wstring KeyName(const Setting& setting, std::size_t input);

// The record's values of one key, compared, copied, and of a choice, its state.
bool SameValue(const SettingKey& key, const Xml::DeviceProperties& left, const Xml::DeviceProperties& right);
void CopyValue(const SettingKey& key, Xml::DeviceProperties& to, const Xml::DeviceProperties& from);
std::uint8_t ChoiceState(const SettingKey& key, const Xml::DeviceProperties& props);
void SetChoiceState(const SettingKey& key, Xml::DeviceProperties& props, std::uint8_t state);
// The words of the state a choice's record holds.
const ChoiceWord& ChoiceWordOf(const Setting& setting, std::uint8_t state);

// The key list of the usage of "set": a line per setting, "  name=ТЕКСТ   имя контроллера, ...".
std::wstring KeyListText();

} // namespace OM::Norvatessa::ControllerSettings
