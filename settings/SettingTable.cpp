#include "settings/SettingTable.h"

#include "common/Words.h"

#include <algorithm>
#include <type_traits>

// Data and plain lookups only: the help file's build compiles this file on its own, with the build
// machine's compiler, to print the key list of the usage.

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

using Xml::DeviceAttribute;
using Xml::DeviceProperties;
using PerInput = std::array<std::uint8_t, 8> DeviceProperties::*;
using MacAddress = std::array<std::uint8_t, 6> DeviceProperties::*;

// The words of the window program's sensors page, and of the switches.
constexpr Choice SensorTypes{
    {0, {L"digital"}, L"digital", L"Цифровой (2 состояния)"},
    {1, {L"analog"}, L"analog", L"Аналоговый (4 состояния)"},
    Words::SensorType,
};
constexpr Choice Contacts{
    {1, {L"open", L"normally-open"}, L"normally-open", L"нормально разомкнутый"},
    {0, {L"closed", L"normally-closed"}, L"normally-closed", L"нормально замкнутый"},
    Words::SensorContact,
};
constexpr Choice BuzzerStates{
    {1, {L"on"}, nullptr, L"включён"}, {0, {L"off"}, nullptr, L"выключен"}, Words::OnOff};
constexpr Choice AskStates{{1, {L"on"}, nullptr, L"да"}, {0, {L"off"}, nullptr, L"нет"}, Words::OnOff};

constexpr Setting Table[] = {
    {.key = L"name",
     .field = &DeviceProperties::name,
     .kind = ValueKind::Name,
     .document = {DeviceAttribute::Name},
     .mark = Xml::PropName,
     .ownValue = true,
     .label = L"Имя сервера",
     .json = L"name",
     .csvColumn = 2,
     .usage = L"имя контроллера, до 16 символов"},
    {.key = L"ip",
     .field = &DeviceProperties::ip,
     .kind = ValueKind::ControllerAddress,
     .document = {DeviceAttribute::Ip},
     .mark = Xml::PropIp,
     .ownValue = true,
     .label = L"IP адрес",
     .json = L"ip",
     .usage = L"IP-адрес"},
    {.key = L"port",
     .field = &DeviceProperties::tcpPort,
     .kind = ValueKind::Port,
     .document = {DeviceAttribute::TcpPort},
     .mark = Xml::PropTcpPort,
     .label = L"Порт",
     .json = L"port",
     .csvColumn = 1,
     .usage = L"HTTP-порт, 1–65535"},
    {.key = L"mask",
     .field = &DeviceProperties::mask,
     .kind = ValueKind::Address,
     .document = {DeviceAttribute::Mask},
     .mark = Xml::PropMask,
     .label = L"Маска",
     .json = L"mask",
     .csvColumn = 3,
     .usage = L"маска сети"},
    {.key = L"gateway",
     .field = &DeviceProperties::gateway,
     .kind = ValueKind::Address,
     .document = {DeviceAttribute::Gate},
     .mark = Xml::PropGateway,
     .label = L"Шлюз",
     .json = L"gateway",
     .csvColumn = 4,
     .usage = L"шлюз"},
    {.key = L"mac",
     .field = &DeviceProperties::mac,
     .kind = ValueKind::MacTail,
     .document = {DeviceAttribute::Mac, Packing::MacTail},
     .mark = Xml::PropMac,
     .ownValue = true,
     .label = L"MAC адрес",
     .json = L"mac",
     .csvColumn = 5,
     .usage = L"два последних байта MAC-адреса"},
    {.key = L"sensor",
     .field = &DeviceProperties::sensorType,
     .kind = ValueKind::Choice,
     .choice = &SensorTypes,
     .document = {DeviceAttribute::SensorType, Packing::Bits},
     .label = L"Датчик",
     .json = L"sensors.type",
     .csvColumn = 6,
     .usage = L"тип датчика N (1–8)"},
    {.key = L"contact",
     .field = &DeviceProperties::sensorInverted,
     .kind = ValueKind::Choice,
     .choice = &Contacts,
     .document = {DeviceAttribute::SensorInversion, Packing::Bits},
     .label = L"Датчик",
     .json = L"sensors.contact",
     .csvColumn = 7,
     .usage = L"контакт датчика N: нормально разомкнутый или замкнутый"},
    {.key = L"buzzer",
     .field = &DeviceProperties::buzzer,
     .kind = ValueKind::Choice,
     .choice = &BuzzerStates,
     .document = {DeviceAttribute::Flag, Packing::Bits, 0},
     .mark = Xml::PropFlags,
     .label = L"Гудок",
     .json = L"buzzer",
     .csvColumn = 8,
     .usage = L"гудок"},
    {.key = L"ask-password",
     .field = &DeviceProperties::askPassword,
     .kind = ValueKind::Choice,
     .choice = &AskStates,
     .document = {DeviceAttribute::Flag, Packing::Bits, 1},
     .mark = Xml::PropFlags,
     .label = L"Запрашивать пароль",
     .json = L"askPassword",
     .csvColumn = 9,
     .usage = L"запрашивать пароль"},
    {.key = L"admin-login",
     .field = &DeviceProperties::adminName,
     .kind = ValueKind::Login,
     .document = {DeviceAttribute::Admin, Packing::ColonPair, 0},
     .mark = Xml::PropAdmin,
     .label = L"Администратор",
     .json = L"admin.login",
     .csvColumn = 10,
     .usage = L"имя администратора, до 15 символов"},
    {.key = L"admin-password",
     .field = &DeviceProperties::adminPassword,
     .kind = ValueKind::Password,
     .document = {DeviceAttribute::Admin, Packing::ColonPair, 1},
     .mark = Xml::PropAdmin,
     .secret = true,
     .label = L"Пароль администратора",
     .json = L"admin.password",
     .csvColumn = 12,
     .usage = L"пароль администратора, до 15 символов"},
    {.key = L"user-login",
     .field = &DeviceProperties::userName,
     .kind = ValueKind::Login,
     .document = {DeviceAttribute::User, Packing::ColonPair, 0},
     .mark = Xml::PropUser,
     .label = L"Пользователь",
     .json = L"user.login",
     .csvColumn = 11,
     .usage = L"имя пользователя"},
    {.key = L"user-password",
     .field = &DeviceProperties::userPassword,
     .kind = ValueKind::Password,
     .document = {DeviceAttribute::User, Packing::ColonPair, 1},
     .mark = Xml::PropUser,
     .secret = true,
     .label = L"Пароль пользователя",
     .json = L"user.password",
     .csvColumn = 13,
     .usage = L"пароль пользователя"},
};

// What the usage writes for a value.
std::wstring Placeholder(const Setting& setting)
{
    switch (setting.kind)
    {
    case ValueKind::Name:
        return L"ТЕКСТ";
    case ValueKind::Login:
        return L"ИМЯ";
    case ValueKind::Password:
        return L"ПАРОЛЬ";
    case ValueKind::ControllerAddress:
    case ValueKind::Address:
        return L"A.B.C.D";
    case ValueKind::Port:
        return L"N";
    case ValueKind::MacTail:
        return L"XX-XX";
    case ValueKind::Choice:
        return std::wstring(setting.choice->first.words[0]) + L'|' + setting.choice->second.words[0];
    }
    return L"";
}

std::vector<SettingKey> ListKeys()
{
    std::vector<SettingKey> keys;
    const std::span<const Setting> settings = AllSettings();
    for (auto group = settings.begin(); group != settings.end();)
    {
        // The run of settings kept per input, or a single other one.
        const std::size_t inputs = InputCount(*group);
        const auto end =
            inputs == 1 ? group + 1 : std::find_if(group, settings.end(), [](const Setting& setting) {
                return InputCount(setting) == 1;
            });
        for (std::size_t input = 0; input < inputs; ++input)
        {
            for (auto setting = group; setting != end; ++setting)
                keys.push_back({&*setting, input, KeyName(*setting, input)});
        }
        group = end;
    }
    return keys;
}

} // namespace

std::span<const Setting> AllSettings()
{
    return Table;
}

const std::vector<SettingKey>& AllSettingKeys()
{
    static const std::vector<SettingKey> keys = ListKeys();
    return keys;
}

const SettingKey* FindSettingKey(std::wstring_view key)
{
    const std::vector<SettingKey>& keys = AllSettingKeys();
    const auto found =
        std::find_if(keys.begin(), keys.end(), [key](const SettingKey& known) { return known.key == key; });
    return found != keys.end() ? &*found : nullptr;
}

std::size_t InputCount(const Setting& setting)
{
    return std::holds_alternative<PerInput>(setting.field)
               ? std::tuple_size_v<decltype(DeviceProperties::sensorType)>
               : 1;
}

std::wstring KeyName(const Setting& setting, std::size_t input)
{
    return InputCount(setting) == 1 ? std::wstring(setting.key) : setting.key + std::to_wstring(input + 1);
}

bool SameValue(const SettingKey& key, const DeviceProperties& left, const DeviceProperties& right)
{
    return std::visit(
        [&](auto field) {
            if constexpr (std::is_same_v<decltype(field), PerInput>)
                return (left.*field)[key.input] == (right.*field)[key.input];
            else
                return left.*field == right.*field;
        },
        key.setting->field);
}

void CopyValue(const SettingKey& key, DeviceProperties& to, const DeviceProperties& from)
{
    std::visit(
        [&](auto field) {
            using Field = decltype(field);
            if constexpr (std::is_same_v<Field, PerInput>)
            {
                (to.*field)[key.input] = (from.*field)[key.input];
            }
            else if constexpr (std::is_same_v<Field, MacAddress>)
            {
                // Its key gives the last two bytes: the first four are the device's.
                (to.*field)[4] = (from.*field)[4];
                (to.*field)[5] = (from.*field)[5];
            }
            else
            {
                to.*field = from.*field;
            }
        },
        key.setting->field);
}

std::uint8_t ChoiceState(const SettingKey& key, const DeviceProperties& props)
{
    if (const auto* input = std::get_if<PerInput>(&key.setting->field))
        return (props.**input)[key.input];
    if (const auto* flag = std::get_if<bool DeviceProperties::*>(&key.setting->field))
        return props.**flag ? 1 : 0;
    return 0;
}

void SetChoiceState(const SettingKey& key, DeviceProperties& props, std::uint8_t state)
{
    if (const auto* input = std::get_if<PerInput>(&key.setting->field))
        (props.**input)[key.input] = state;
    else if (const auto* flag = std::get_if<bool DeviceProperties::*>(&key.setting->field))
        props.** flag = state == 1;
}

const ChoiceWord& ChoiceWordOf(const Setting& setting, std::uint8_t state)
{
    // Whatever is not 1 reads as 0, as the document writes it.
    const Choice& choice = *setting.choice;
    return (choice.first.state == 1) == (state == 1) ? choice.first : choice.second;
}

std::wstring KeyListText()
{
    std::vector<std::pair<std::wstring, const wchar_t*>> lines;
    std::size_t width = 0;
    for (const Setting& setting : AllSettings())
    {
        std::wstring assignment = setting.key;
        if (InputCount(setting) > 1)
            assignment += L'N';
        assignment += L'=' + Placeholder(setting);
        width = std::max(width, assignment.size());
        lines.emplace_back(std::move(assignment), setting.usage);
    }
    std::wstring text;
    for (const auto& [assignment, usage] : lines)
    {
        text += L"  " + assignment;
        text.append(width + 3 - assignment.size(), L' ');
        text += usage;
        text += L'\n';
    }
    return text;
}

} // namespace OM::Norvatessa::ControllerSettings
