#include "settings/BackupSettings.h"

#include "engine/FileText.h"
#include "settings/SettingKeys.h"
#include "settings/SettingText.h"
#include "settings/ValueChecks.h"
#include "xml/ConfigDocument.h"

#include <algorithm>
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
    AttributeReader(BackupSettings& settings, const CodePage& codePage)
        : settings(settings), codePage(codePage)
    {
    }

    // The value of "set"'s `key`.
    void Setting(const std::wstring& attribute, const std::wstring& value, const wchar_t* key)
    {
        if (const std::optional<Refusal> refusal = TakeSetting(settings.changes, key, value, codePage);
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
    const CodePage& codePage;
};

std::size_t SkipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    return at;
}

// Encoding names are told apart without regard to case: "UTF-8" and "utf-8" are one.
bool SameName(std::string_view name, std::string_view lowerCase)
{
    return name.size() == lowerCase.size() &&
           std::equal(name.begin(), name.end(), lowerCase.begin(), [](char character, char lower) {
               return (character >= 'A' && character <= 'Z' ? character - 'A' + 'a' : character) == lower;
           });
}

// The encoding the XML declaration at the start of the bytes names: nothing when there is no declaration
// or it names none, empty when its "encoding" cannot be read.
std::optional<std::string_view> DeclaredEncoding(std::string_view bytes)
{
    const std::size_t start = SkipBlanks(bytes, 0);
    if (bytes.substr(start, 5) != "<?xml")
        return std::nullopt;
    std::string_view declaration = bytes.substr(start + 5);
    declaration = declaration.substr(0, declaration.find("?>"));
    const std::size_t name = declaration.find("encoding");
    if (name == std::string_view::npos)
        return std::nullopt;
    const std::size_t equals = SkipBlanks(declaration, name + 8);
    if (equals >= declaration.size() || declaration[equals] != '=')
        return std::string_view();
    const std::size_t open = SkipBlanks(declaration, equals + 1);
    if (open >= declaration.size() || (declaration[open] != '"' && declaration[open] != '\''))
        return std::string_view();
    const std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos)
        return std::string_view();
    return declaration.substr(open + 1, close - open - 1);
}

// The document's text; nothing when its declaration names an encoding the program does not read.
std::optional<std::wstring> DocumentText(std::string_view bytes, const CodePage& codePage)
{
    if (const std::optional<ByteOrderMark> mark = FindByteOrderMark(bytes))
        return DecodeText(bytes.substr(mark->length), mark->encoding);
    const std::optional<std::string_view> declared = DeclaredEncoding(bytes);
    if (declared && SameName(*declared, "utf-8"))
        return DecodeText(bytes, TextEncoding::Utf8);
    if (!declared || SameName(*declared, "windows-1251"))
        return codePage.Decode(bytes);
    return std::nullopt;
}

bool EmptyOrAbsent(const std::optional<std::wstring>& password)
{
    return !password || password->empty();
}

// A listing without passwords gives the controller none of its empty ones.
void KeepListingPasswords(const Xml::ConfigNode& root, BackupSettings& settings)
{
    SettingChanges& changes = settings.changes;
    const std::wstring* omitted = root.getAttribute(L"passwordsOmitted");
    const bool listing =
        (omitted != nullptr && *omitted == L"yes") ||
        (root.name == L"om" && EmptyOrAbsent(changes.adminPassword) && EmptyOrAbsent(changes.userPassword));
    if (!listing)
        return;
    if (EmptyOrAbsent(changes.adminPassword))
        changes.adminPassword.reset();
    if (EmptyOrAbsent(changes.userPassword))
        changes.userPassword.reset();
    settings.passwordsKept = !changes.adminPassword && !changes.userPassword;
}

} // namespace

std::optional<BackupSettings> ReadBackupSettings(std::string_view bytes, const CodePage& codePage)
{
    const std::optional<std::wstring> document = DocumentText(bytes, codePage);
    Xml::ConfigDocument file(L"config");
    std::vector<const Xml::ConfigNode*> nets;
    if (document && (!file.loadFromString(*document) || file.root.findChildren(L"net", nets) == 0))
        return std::nullopt;

    using namespace SettingKeys;
    BackupSettings settings;
    if (!document)
    {
        settings.refusal = RecordRefusal{L"encoding", SettingText::FileEncoding};
        return settings;
    }
    AttributeReader reader(settings, codePage);
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
            return settings;
    }
    KeepListingPasswords(file.root, settings);
    return settings;
}

} // namespace OM::Norvatessa::ControllerSettings
