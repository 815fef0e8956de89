#pragma once

#include "xml/ConfigNode.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace OM::Xml
{

// Marks in DeviceProperties::changed. After a read they tell which values the controller's document
// held; after an edit, or a comparison of two records, which values differ.
enum PropMark : uint32_t
{
    PropName = 0x001,
    PropIp = 0x002,
    PropTcpPort = 0x004,
    PropMask = 0x010, // a read sets it for the address, the port and the mask
    PropGateway = 0x020,
    PropSensors = 0x040, // a read sets it for the sensors' types and their contacts
    PropSensorInversion = 0x080,
    PropAdmin = 0x100,
    PropUser = 0x200,
    PropMac = 0x400,
    PropFlags = 0x800, // every read sets it
};

// The configurable values of one controller, as its "config.xml" carries them. Addresses hold the first
// number of the dotted form in the most significant byte.
struct DeviceProperties
{
    uint32_t changed = 0;
    std::wstring name;
    uint32_t ip = 0;
    uint16_t tcpPort = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    std::array<uint8_t, 6> mac{};            // mac[0] is written first
    std::array<uint8_t, 8> sensorType{};     // per input 1 to 8: 0 digital (2 states), 1 analog (4 states)
    std::array<uint8_t, 8> sensorInverted{}; // per input: 1 normally open, 0 normally closed
    std::wstring adminName;
    std::wstring adminPassword;
    std::wstring userName;
    std::wstring userPassword;
    bool askPassword = false;
    bool buzzer = false;

    bool operator==(const DeviceProperties&) const = default;
};

// The attributes of the document's "net" element, each of which carries one or more fields of the record.
// Their names are the controller's; the rest of the program speaks of them through this list.
enum class DeviceAttribute
{
    Name,
    Ip,
    TcpPort,
    Mask,
    Gate,
    SensorType,
    SensorInversion,
    Admin,
    User,
    Mac,
    Flag,
};

// The attribute a document calls `name`; nothing for one the program does not know.
std::optional<DeviceAttribute> findDeviceAttribute(std::wstring_view name);

// Fills `props` from a controller's document: the attributes of the first "net" child of the root,
// whatever the root is called. False when the text has no root element (props untouched) or the root
// has no "net" child (after the name and network fields have been reset). Values that the document
// lacks keep what `props` held, except the flags, which a document without them turns off.
bool readDeviceProperties(const std::wstring& text, DeviceProperties& props);

// The document sent to a controller: every value, every time, exactly as held.
std::wstring writeDeviceProperties(const DeviceProperties& props);

// The document as a listing for people and files rather than for a controller. Without `withPasswords`
// both passwords are blank and the root says so, so that a restore of it leaves
// the controller its own. Its declaration names UTF-8 when `utf8`, the encoding a file or a pipe gets;
// it ends in a line feed.
std::wstring writeDeviceListing(const DeviceProperties& props, bool withPasswords, bool utf8);

// Whether the root of a document read from a file is that of a listing without passwords: it says so, or,
// as listings written before the mark have it, it is the root the program writes and `passwordsEmpty`.
bool isListingWithoutPasswords(const ConfigNode& root, bool passwordsEmpty);

// Six bytes as the document writes them, "00-1A-2B-3C-4D-5E".
std::wstring macAddressText(const std::array<uint8_t, 6>& mac);

// The texts of the record, for canCarryText.
enum class PropertyText
{
    Name,
    Login,
    Password,
};

// Whether the document carries `text` unchanged in a field of that kind. The document goes out as the
// texts are typed, without references, so it cannot carry a double quote (it ends the value, and lets the
// rest inject attributes), a backslash (the controller takes it as an escape), a "<" (the document is no
// longer well-formed), an "&" (bare, the same; as the start of any reference, "&lt;" or "&#34;" alike,
// the controller reads the character it stands for), or a zero character (it ends the text); nor a colon
// in a login or password (the pair would no longer split into two).
bool canCarryText(PropertyText field, std::wstring_view text);
// Whether the document carries every text of the record unchanged.
bool canCarryTexts(const DeviceProperties& props);

} // namespace OM::Xml
