#include "xml/DeviceProperties.h"

#include "xml/ConfigDocument.h"
#include "xml/DecimalText.h"
#include "xml/WhiteSpace.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace OM::Xml
{

namespace
{

// Every part between separators, empty ones included.
std::vector<std::wstring_view> split(std::wstring_view text, wchar_t separator)
{
    std::vector<std::wstring_view> parts;
    size_t start = 0;
    for (size_t found; (found = text.find(separator, start)) != std::wstring_view::npos; start = found + 1)
        parts.push_back(text.substr(start, found - start));
    parts.push_back(text.substr(start));
    return parts;
}

// Four dotted numbers; anything else is 0. Parts are not range-checked: one above 255 spills into the
// next higher byte, as the controllers have always seen it.
uint32_t dottedQuad(std::wstring_view text)
{
    const std::vector<std::wstring_view> parts = split(text, L'.');
    if (parts.size() != 4)
        return 0;
    uint32_t address = 0;
    for (const std::wstring_view part : parts)
        address = address << 8 | static_cast<uint32_t>(decimalValue(part));
    return address;
}

std::wstring dottedQuadText(uint32_t address)
{
    return std::to_wstring(address >> 24) + L'.' + std::to_wstring(address >> 16 & 0xFF) + L'.' +
           std::to_wstring(address >> 8 & 0xFF) + L'.' + std::to_wstring(address & 0xFF);
}

// A hexadecimal number of at most two characters after optional white space, a sign counting as one of
// them; nothing when no digit is there.
std::optional<uint8_t> macByte(std::wstring_view text)
{
    size_t position = 0;
    while (position < text.size() && isWhiteSpace(text[position]))
        ++position;
    const size_t fieldEnd = std::min(text.size(), position + 2);
    const bool negative = position < fieldEnd && text[position] == L'-';
    if (position < fieldEnd && (text[position] == L'-' || text[position] == L'+'))
        ++position;
    int value = 0;
    bool digits = false;
    for (; position < fieldEnd && hexDigitValue(text[position]) >= 0; ++position)
    {
        value = value * 16 + hexDigitValue(text[position]);
        digits = true;
    }
    if (!digits)
        return std::nullopt;
    return static_cast<uint8_t>(negative ? -value : value);
}

std::wstring macText(const std::array<uint8_t, 6>& mac)
{
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (const uint8_t byte : mac)
    {
        if (!text.empty())
            text += L'-';
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

// Sensor values travel as a bit set: bit i for input i + 1.
void readBits(std::wstring_view text, std::array<uint8_t, 8>& sensors)
{
    const auto bits = static_cast<uint32_t>(decimalValue(text));
    for (size_t input = 0; input < sensors.size(); ++input)
        sensors[input] = static_cast<uint8_t>(bits >> input & 1);
}

std::wstring bitsText(const std::array<uint8_t, 8>& sensors)
{
    uint32_t bits = 0;
    for (size_t input = 0; input < sensors.size(); ++input)
        bits |= (sensors[input] == 1 ? 1u : 0u) << input;
    return std::to_wstring(bits);
}

// "login:password"; anything but exactly two parts changes nothing.
bool readCredentials(std::wstring_view text, std::wstring& login, std::wstring& password)
{
    const std::vector<std::wstring_view> parts = split(text, L':');
    if (parts.size() != 2)
        return false;
    login = parts[0];
    password = parts[1];
    return true;
}

void readMac(std::wstring_view text, DeviceProperties& props)
{
    const std::vector<std::wstring_view> parts = split(text, L'-');
    if (parts.size() != props.mac.size())
        return;
    for (size_t index = 0; index < parts.size(); ++index)
    {
        const std::optional<uint8_t> byte = macByte(parts[index]);
        if (!byte)
            return; // the bytes before it stay stored
        props.mac[index] = *byte;
    }
    props.changed |= PropMac;
}

} // namespace

bool readDeviceProperties(const std::wstring& text, DeviceProperties& props)
{
    ConfigDocument document(L"config");
    if (!document.loadFromString(text))
        return false;

    props.changed = 0;
    props.name.clear();
    props.ip = 0;
    props.tcpPort = 0;
    props.mask = 0;
    props.gateway = 0;

    std::vector<const ConfigNode*> nets;
    if (document.root.findChildren(L"net", nets) == 0)
        return false;
    const ConfigNode& net = *nets.front();

    // An absent and an empty attribute both leave their fields and marks alone.
    const auto given = [&net](const wchar_t* key) -> std::optional<std::wstring_view> {
        const std::wstring* value = net.getAttribute(key);
        if (!value || value->empty())
            return std::nullopt;
        return *value;
    };
    if (const auto value = given(L"name"))
    {
        props.name = *value;
        props.changed |= PropName;
    }
    if (const auto value = given(L"ip"))
    {
        props.ip = dottedQuad(*value);
        props.changed |= PropMask;
    }
    if (const auto value = given(L"tcp_port"))
    {
        props.tcpPort = static_cast<uint16_t>(decimalValue(*value));
        props.changed |= PropMask;
    }
    if (const auto value = given(L"mask"))
    {
        props.mask = dottedQuad(*value);
        props.changed |= PropMask;
    }
    if (const auto value = given(L"gate"))
    {
        props.gateway = dottedQuad(*value);
        props.changed |= PropGateway;
    }
    if (const auto value = given(L"sentype"))
    {
        readBits(*value, props.sensorType);
        props.changed |= PropSensors;
    }
    if (const auto value = given(L"seninv"))
    {
        readBits(*value, props.sensorInverted);
        props.changed |= PropSensors;
    }
    if (const auto value = given(L"admin");
        value && readCredentials(*value, props.adminName, props.adminPassword))
        props.changed |= PropAdmin;
    if (const auto value = given(L"user");
        value && readCredentials(*value, props.userName, props.userPassword))
        props.changed |= PropUser;
    if (const auto value = given(L"mac"))
        readMac(*value, props);

    const auto flag = given(L"flag");
    const auto flags = static_cast<uint8_t>(flag ? decimalValue(*flag) : 0);
    props.buzzer = (flags & 1) != 0;
    props.askPassword = (flags & 2) != 0;
    props.changed |= PropFlags;
    return true;
}

std::wstring writeDeviceProperties(const DeviceProperties& props)
{
    ConfigDocument document(L"om");
    ConfigNode net(L"net");
    net.setAttribute(L"name", props.name);
    net.setAttribute(L"ip", dottedQuadText(props.ip));
    net.setAttribute(L"tcp_port", std::to_wstring(props.tcpPort));
    net.setAttribute(L"mask", dottedQuadText(props.mask));
    net.setAttribute(L"gate", dottedQuadText(props.gateway));
    net.setAttribute(L"mac", macText(props.mac));
    net.setAttribute(L"sentype", bitsText(props.sensorType));
    net.setAttribute(L"seninv", bitsText(props.sensorInverted));
    net.setAttribute(L"admin", props.adminName + L':' + props.adminPassword);
    net.setAttribute(L"user", props.userName + L':' + props.userPassword);
    net.setAttribute(L"flag", std::to_wstring((props.askPassword ? 2 : 0) + (props.buzzer ? 1 : 0)));
    document.root.addChild(net);
    return document.saveToString();
}

bool canCarryTexts(const DeviceProperties& props)
{
    return canCarryText(PropertyText::Name, props.name) &&
           canCarryText(PropertyText::Login, props.adminName) &&
           canCarryText(PropertyText::Password, props.adminPassword) &&
           canCarryText(PropertyText::Login, props.userName) &&
           canCarryText(PropertyText::Password, props.userPassword);
}

bool canCarryText(PropertyText field, std::wstring_view text)
{
    return std::none_of(text.begin(), text.end(), [field](wchar_t character) {
        return character == L'"' || character == L'\\' || character == L'<' || character == L'&' ||
               character == L'\0' || (character == L':' && field != PropertyText::Name);
    });
}

} // namespace OM::Xml
