#pragma once

#include "common/CodePage.h"
#include "xml/DeviceProperties.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

// The changes named on the command line of "set", each checked on its own: a value that is not named
// stays as the controller has it.
struct SettingChanges
{
    std::optional<std::wstring> name;
    std::optional<std::uint32_t> ip;
    std::optional<std::uint16_t> port;
    std::optional<std::uint32_t> mask;
    std::optional<std::uint32_t> gateway;
    std::optional<std::array<std::uint8_t, 2>> macTail;    // the last two bytes; the others are the device's
    std::array<std::optional<std::uint8_t>, 8> sensorType; // 0 digital, 1 analog
    std::array<std::optional<std::uint8_t>, 8> sensorInverted; // 1 normally open, 0 normally closed
    std::optional<bool> buzzer;
    std::optional<bool> askPassword;
    std::optional<std::wstring> adminLogin;
    std::optional<std::wstring> adminPassword;
    std::optional<std::wstring> userLogin;
    std::optional<std::wstring> userPassword;
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
std::optional<Refusal> TakeSetting(SettingChanges& changes, const std::wstring& key,
                                   const std::wstring& value, const CodePage& codePage);

// Reads "KEY=VALUE" words. Refuses an unknown or repeated key and every value the settings sheet would
// refuse, so that nothing is sent unless every word holds.
ParsedSettingChanges ParseSettingChanges(const std::vector<std::wstring>& words, const CodePage& codePage);

// The record read from the controller with the changes made, marked as the settings sheet marks it: a
// password that is named counts as changed even when it is the same.
Xml::DeviceProperties ApplySettingChanges(const Xml::DeviceProperties& original,
                                          const SettingChanges& changes);

} // namespace OM::Norvatessa::ControllerSettings
