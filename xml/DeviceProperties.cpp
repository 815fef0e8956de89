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

// How the document carries the record: each attribute's name, how a controller's value is read into the
// record (with the mark it earns) and how the record is written. An absent or empty attribute leaves its
// fields and marks alone, except "flag", which is read as 0 then. Read in this order.
struct AttributeRule
{
    DeviceAttribute attribute;
    const wchar_t* name;
    bool readWhenAbsent;
    void (*read)(std::wstring_view value, DeviceProperties& props);
    std::wstring (*write)(const DeviceProperties& props);
};

constexpr AttributeRule Rules[] = {
    {DeviceAttribute::Name, L"name", false,
     [](std::wstring_view value, DeviceProperties& props) {
         props.name = value;
         props.changed |= PropName;
     },
     [](const DeviceProperties& props) { return props.name; }},
    {DeviceAttribute::Ip, L"ip", false,
     [](std::wstring_view value, DeviceProperties& props) {
         props.ip = dottedQuad(value);
         props.changed |= PropMask;
     },
     [](const DeviceProperties& props) { return dottedQuadText(props.ip); }},
    {DeviceAttribute::TcpPort, L"tcp_port", false,
     [](std::wstring_view value, DeviceProperties& props) {
         props.tcpPort = static_cast<uint16_t>(decimalValue(value));
         props.changed |= PropMask;
     },
     [](const DeviceProperties& props) { return std::to_wstring(props.tcpPort); }},
    {DeviceAttribute::Mask, L"mask", false,
     [](std::wstring_view value, DeviceProperties& props) {
         props.mask = dottedQuad(value);
         props.changed |= PropMask;
     },
     [](const DeviceProperties& props) { return dottedQuadText(props.mask); }},
    {DeviceAttribute::Gate, L"gate", false,
     [](std::wstring_view value, DeviceProperties& props) {
         props.gateway = dottedQuad(value);
         props.changed |= PropGateway;
     },
     [](const DeviceProperties& props) { return dottedQuadText(props.gateway); }},
    {DeviceAttribute::SensorType, L"sentype", false,
     [](std::wstring_view value, DeviceProperties& props) {
         readBits(value, props.sensorType);
         props.changed |= PropSensors;
     },
     [](const DeviceProperties& props) { return bitsText(props.sensorType); }},
    {DeviceAttribute::SensorInversion, L"seninv", false,
     [](std::wstring_view value, DeviceProperties& props) {
         readBits(value, props.sensorInverted);
         props.changed |= PropSensors;
     },
     [](const DeviceProperties& props) { return bitsText(props.sensorInverted); }},
    {DeviceAttribute::Admin, L"admin", false,
     [](std::wstring_view value, DeviceProperties& props) {
         if (readCredentials(value, props.adminName, props.adminPassword))
             props.changed |= PropAdmin;
     },
     [](const DeviceProperties& props) { return props.adminName + L':' + props.adminPassword; }},
    {DeviceAttribute::User, L"user", false,
     [](std::wstring_view value, DeviceProperties& props) {
         if (readCredentials(value, props.userName, props.userPassword))
             props.changed |= PropUser;
     },
     [](const DeviceProperties& props) { return props.userName + L':' + props.userPassword; }},
    {DeviceAttribute::Mac, L"mac", false, readMac,
     [](const DeviceProperties& props) { return macAddressText(props.mac); }},
    // Absent or empty, the flags are 0: a document without them turns both off.
    {DeviceAttribute::Flag, L"flag", true,
     [](std::wstring_view value, DeviceProperties& props) {
         const auto flags = static_cast<uint8_t>(decimalValue(value));
         props.buzzer = (flags & 1) != 0;
         props.askPassword = (flags & 2) != 0;
         props.changed |= PropFlags;
     },
     [](const DeviceProperties& props) {
         return std::to_wstring((props.askPassword ? 2 : 0) + (props.buzzer ? 1 : 0));
     }},
};

// The program writes its documents under this root; a controller's answer may have another.
constexpr wchar_t WrittenRoot[] = L"om";
// A listing's root says that its passwords were left out.
constexpr wchar_t PasswordsOmitted[] = L"passwordsOmitted";

// Replaces the first `what` in `text`.
void replaceFirst(std::wstring& text, std::wstring_view what, std::wstring_view with)
{
    if (const size_t at = text.find(what); at != std::wstring::npos)
        text.replace(at, what.size(), with);
}

} // namespace

std::optional<DeviceAttribute> findDeviceAttribute(std::wstring_view name)
{
    for (const AttributeRule& rule : Rules)
    {
        if (name == rule.name)
            return rule.attribute;
    }
    return std::nullopt;
}

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
    for (const AttributeRule& rule : Rules)
    {
        const std::wstring* value = nets.front()->getAttribute(rule.name);
        const bool given = value != nullptr && !value->empty();
        if (given || rule.readWhenAbsent)
            rule.read(given ? std::wstring_view(*value) : std::wstring_view(), props);
    }
    return true;
}

std::wstring writeDeviceProperties(const DeviceProperties& props)
{
    ConfigDocument document(WrittenRoot);
    ConfigNode net(L"net");
    for (const AttributeRule& rule : Rules)
        net.setAttribute(rule.name, rule.write(props));
    document.root.addChild(net);
    return document.saveToString();
}

std::wstring writeDeviceListing(const DeviceProperties& props, bool withPasswords, bool utf8)
{
    DeviceProperties listed = props;
    if (!withPasswords)
    {
        listed.adminPassword.clear();
        listed.userPassword.clear();
    }
    std::wstring text = writeDeviceProperties(listed);
    if (utf8)
        replaceFirst(text, L"encoding=\"Windows-1251\"", L"encoding=\"UTF-8\"");
    // Written by hand: the writer puts a blank after every attribute, and a root that says so would read
    // "<om passwordsOmitted="yes" >".
    const std::wstring root = std::wstring(L"<") + WrittenRoot + L'>';
    if (!withPasswords)
        replaceFirst(text, root, root.substr(0, root.size() - 1) + L' ' + PasswordsOmitted + L"=\"yes\">");
    if (text.empty() || text.back() != L'\n')
        text += L'\n';
    return text;
}

bool isListingWithoutPasswords(const ConfigNode& root, bool passwordsEmpty)
{
    const std::wstring* omitted = root.getAttribute(PasswordsOmitted);
    return (omitted != nullptr && *omitted == L"yes") || (root.name == WrittenRoot && passwordsEmpty);
}

std::wstring macAddressText(const std::array<uint8_t, 6>& mac)
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
