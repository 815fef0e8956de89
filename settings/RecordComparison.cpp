#include "settings/RecordComparison.h"

#include "settings/SettingKeys.h"

#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

using Xml::DeviceProperties;

std::uint32_t ChangeMarks(const DeviceProperties& edited, const DeviceProperties& original)
{
    const std::pair<bool, std::uint32_t> marks[] = {
        {edited.name != original.name, Xml::PropName},
        {edited.ip != original.ip, Xml::PropIp},
        {edited.mask != original.mask, Xml::PropMask},
        {edited.gateway != original.gateway, Xml::PropGateway},
        {edited.tcpPort != original.tcpPort, Xml::PropTcpPort},
        {edited.mac != original.mac, Xml::PropMac},
        {edited.adminName != original.adminName || edited.adminPassword != original.adminPassword,
         Xml::PropAdmin},
        {edited.userName != original.userName || edited.userPassword != original.userPassword, Xml::PropUser},
        {edited.askPassword != original.askPassword || edited.buzzer != original.buzzer, Xml::PropFlags},
    };
    std::uint32_t changed = 0;
    for (const auto& [differs, mark] : marks)
    {
        if (differs)
            changed |= mark;
    }
    return changed;
}

std::wstring DifferingKeys(const DeviceProperties& sent, const DeviceProperties& readBack)
{
    using namespace SettingKeys;
    std::vector<std::wstring> keys;
    const auto check = [&keys](bool differs, std::wstring key) {
        if (differs)
            keys.push_back(std::move(key));
    };
    check(sent.name != readBack.name, Name);
    check(sent.ip != readBack.ip, Ip);
    check(sent.tcpPort != readBack.tcpPort, Port);
    check(sent.mask != readBack.mask, Mask);
    check(sent.gateway != readBack.gateway, Gateway);
    check(sent.mac != readBack.mac, Mac);
    for (std::size_t input = 0; input < sent.sensorType.size(); ++input)
    {
        check(sent.sensorType[input] != readBack.sensorType[input], ForInput(Sensor, input));
        check(sent.sensorInverted[input] != readBack.sensorInverted[input], ForInput(Contact, input));
    }
    check(sent.buzzer != readBack.buzzer, Buzzer);
    check(sent.askPassword != readBack.askPassword, AskPassword);
    check(sent.adminName != readBack.adminName, AdminLogin);
    check(sent.adminPassword != readBack.adminPassword, AdminPassword);
    check(sent.userName != readBack.userName, UserLogin);
    check(sent.userPassword != readBack.userPassword, UserPassword);

    std::wstring text;
    for (const std::wstring& key : keys)
    {
        if (!text.empty())
            text += L", ";
        text += key;
    }
    return text;
}

} // namespace OM::Norvatessa::ControllerSettings
