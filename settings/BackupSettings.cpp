#include "settings/BackupSettings.h"

#include "common/Words.h"
#include "engine/FileText.h"
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

// The parts of `text` between separators, empty ones included.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(separator, start)) != std::wstring::npos; start = found + 1)
        parts.push_back(text.substr(start, found - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The value of a key as "set" takes it, taken from the text of the attribute that carries it, or why that
// text is malformed.
struct Unpacked
{
    std::wstring value;
    const wchar_t* malformed = nullptr;
};

Unpacked Unpack(const SettingKey& key, const std::wstring& text)
{
    const DocumentPlace& place = key.setting->document;
    switch (place.packing)
    {
    case Packing::Whole:
        return {text};
    case Packing::MacTail: {
        // Six bytes, of which "restore" may take the last two: the first four are the device's.
        const std::vector<std::wstring> parts = Split(text, L'-');
        const auto isByte = [](const std::wstring& part) { return MacByteFromText(part).has_value(); };
        if (parts.size() != 6 || !std::all_of(parts.begin(), parts.end(), isByte))
            return {L"", Words::MacAddress};
        return {parts[4] + L'-' + parts[5]};
    }
    case Packing::Bits: {
        const std::optional<std::uint8_t> bits = ByteFromText(text);
        if (!bits)
            return {L"", Words::ByteValue};
        const auto state = static_cast<std::uint8_t>(*bits >> (place.position + key.input) & 1);
        return {ChoiceWordOf(*key.setting, state).words[0]};
    }
    case Packing::ColonPair: {
        const std::vector<std::wstring> sides = Split(text, L':');
        if (sides.size() != 2)
            return {L"", Words::CredentialsPair};
        return {sides[place.position]};
    }
    }
    return {text};
}

// Takes every key the attribute carries, each checked as "set" checks it; why the attribute is refused,
// or nothing.
Refusal TakeAttribute(Xml::DeviceAttribute attribute, const std::wstring& text, SettingChanges& changes,
                      const CodePage& codePage)
{
    for (const SettingKey& key : AllSettingKeys())
    {
        if (key.setting->document.attribute != attribute)
            continue;
        const Unpacked unpacked = Unpack(key, text);
        if (unpacked.malformed != nullptr)
            return std::wstring(unpacked.malformed);
        if (const std::optional<Refusal> refusal = TakeSetting(changes, key.key, unpacked.value, codePage);
            refusal && *refusal)
            return *refusal;
    }
    return std::nullopt;
}

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

// A listing without passwords gives the controller none of its empty ones.
void KeepListingPasswords(const Xml::ConfigNode& root, BackupSettings& settings)
{
    SettingChanges& changes = settings.changes;
    std::vector<const SettingKey*> passwords;
    for (const SettingKey& key : AllSettingKeys())
    {
        if (key.setting->kind == ValueKind::Password)
            passwords.push_back(&key);
    }
    const auto emptyOrAbsent = [&changes](const SettingKey* key) {
        return !changes.Names(key->key) ||
               changes.values.*std::get<std::wstring Xml::DeviceProperties::*>(key->setting->field) == L"";
    };
    if (!Xml::isListingWithoutPasswords(root, std::all_of(passwords.begin(), passwords.end(), emptyOrAbsent)))
        return;
    bool anyTaken = false;
    for (const SettingKey* key : passwords)
    {
        if (emptyOrAbsent(key))
            changes.Forget(key->setting->field);
        else
            anyTaken = true;
    }
    settings.passwordsKept = !anyTaken;
}

} // namespace

std::optional<BackupSettings> ReadBackupSettings(std::string_view bytes, const CodePage& codePage)
{
    const std::optional<std::wstring> document = DocumentText(bytes, codePage);
    Xml::ConfigDocument file(L"config");
    std::vector<const Xml::ConfigNode*> nets;
    if (document && (!file.loadFromString(*document) || file.root.findChildren(L"net", nets) == 0))
        return std::nullopt;

    BackupSettings settings;
    if (!document)
    {
        settings.refusal = RecordRefusal{L"encoding", Words::FileEncoding};
        return settings;
    }
    // The first refused value ends the reading; attributes the program does not know are not sent back.
    for (const auto& [attribute, value] : nets.front()->attributes)
    {
        const std::optional<Xml::DeviceAttribute> known = Xml::findDeviceAttribute(attribute);
        if (!known)
            continue;
        if (Refusal reason = TakeAttribute(*known, value, settings.changes, codePage))
        {
            settings.refusal = RecordRefusal{attribute, std::move(*reason)};
            return settings;
        }
    }
    KeepListingPasswords(file.root, settings);
    return settings;
}

} // namespace OM::Norvatessa::ControllerSettings
