#include "settings/BackupSettings.h"

#include "settings/SettingKeys.h"
#include "settings/SettingText.h"
#include "settings/ValueChecks.h"
#include "xml/ConfigDocument.h"

#include <vector>

namespace OM::Norvatessa::ControllerSettings
{

namespace
{

// A number of 0 to 255 in decimal digits, as the document writes a set of eight bits.
std::optional<std::uint8_t> ByteFromText(const std::wstring& text)
{
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    unsigned value = 0;
    for (const wchar_t digit : text)
    {
        if (digit < L'0' || digit > L'9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(digit - L'0');
    }
    if (value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// Reads the attributes one by one; the first that is refused ends the reading.
class AttributeReader
{
public:
    explicit AttributeReader(BackupSettings& settings) : settings(settings) {}

    // The value of "set"'s `key`.
    void Setting(const std::wstring& attribute, const std::wstring& value, const wchar_t* key)
    {
        if (const std::optional<Refusal> refusal = TakeSetting(settings.changes, key, value);
            refusal && *refusal)
            Refuse(attribute, **refusal);
    }

    // Six bytes, of which "restore" may take the last two: the first four are the device's.
    void Mac(const std::wstring& attribute, const std::wstring& value)
    {
        std::vector<std::wstring> parts;
        std::size_t start = 0;
        for (std::size_t dash; (dash = value.find(L'-', start)) != std::wstring::npos; start = dash + 1)
            parts.push_back(value.substr(start, dash - start));
        parts.push_back(value.substr(start));
        std::array<std::uint8_t, 6> bytes{};
        for (std::size_t index = 0; index < parts.size(); ++index)
        {
            const std::optional<std::uint8_t> byte = MacByteFromText(parts[index]);
            if (!byte || parts.size() != bytes.size())
                return Refuse(attribute, SettingText::MacAddress);
            bytes[index] = *byte;
        }
        settings.changes.macTail = std::array<std::uint8_t, 2>{bytes[4], bytes[5]};
    }

    // One bit per input, input 1 in bit 0.
    void Sensors(const std::wstring& attribute, const std::wstring& value,
                 std::array<std::optional<std::uint8_t>, 8>& inputs)
    {
        const std::optional<std::uint8_t> bits = ByteFromText(value);
        if (!bits)
            return Refuse(attribute, SettingText::ByteValue);
        for (std::size_t input = 0; input < inputs.size(); ++input)
            inputs[input] = static_cast<std::uint8_t>(*bits >> input & 1);
    }

    // "LOGIN:PASSWORD".
    void Credentials(const std::wstring& attribute, const std::wstring& value, const wchar_t* loginKey,
                     const wchar_t* passwordKey)
    {
        const std::size_t colon = value.find(L':');
        if (colon == std::wstring::npos || value.find(L':', colon + 1) != std::wstring::npos)
            return Refuse(attribute, SettingText::CredentialsPair);
        Setting(attribute, value.substr(0, colon), loginKey);
        Setting(attribute, value.substr(colon + 1), passwordKey);
    }

    // Bit 0 the buzzer, bit 1 the demand for a password.
    void Flags(const std::wstring& attribute, const std::wstring& value)
    {
        const std::optional<std::uint8_t> flags = ByteFromText(value);
        if (!flags)
            return Refuse(attribute, SettingText::ByteValue);
        settings.changes.buzzer = (*flags & 1) != 0;
        settings.changes.askPassword = (*flags & 2) != 0;
    }

    bool Refused() const noexcept { return settings.refusal.has_value(); }

private:
    void Refuse(const std::wstring& attribute, std::wstring reason)
    {
        if (!settings.refusal)
            settings.refusal = RecordRefusal{attribute, std::move(reason)};
    }

    BackupSettings& settings;
};

} // namespace

std::optional<BackupSettings> ReadBackupSettings(const std::wstring& document)
{
    Xml::ConfigDocument file(L"config");
    std::vector<const Xml::ConfigNode*> nets;
    if (!file.loadFromString(document) || file.root.findChildren(L"net", nets) == 0)
        return std::nullopt;

    using namespace SettingKeys;
    BackupSettings settings;
    AttributeReader reader(settings);
    for (const auto& [attribute, value] : nets.front()->attributes)
    {
        if (attribute == L"name")
            reader.Setting(attribute, value, Name);
        else if (attribute == L"ip")
            reader.Setting(attribute, value, Ip);
        else if (attribute == L"tcp_port")
            reader.Setting(attribute, value, Port);
        else if (attribute == L"mask")
            reader.Setting(attribute, value, Mask);
        else if (attribute == L"gate")
            reader.Setting(attribute, value, Gateway);
        else if (attribute == L"mac")
            reader.Mac(attribute, value);
        else if (attribute == L"sentype")
            reader.Sensors(attribute, value, settings.changes.sensorType);
        else if (attribute == L"seninv")
            reader.Sensors(attribute, value, settings.changes.sensorInverted);
        else if (attribute == L"admin")
            reader.Credentials(attribute, value, AdminLogin, AdminPassword);
        else if (attribute == L"user")
            reader.Credentials(attribute, value, UserLogin, UserPassword);
        else if (attribute == L"flag")
            reader.Flags(attribute, value);
        if (reader.Refused())
            break;
    }
    return settings;
}

} // namespace OM::Norvatessa::ControllerSettings
