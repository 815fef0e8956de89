#include "engine/SettingsFile.h"

#include "xml/ConfigDocument.h"
#include "xml/DecimalText.h"
#include "xml/XmlEntities.h"
#include "xml/Utf16File.h"

#include <algorithm>

namespace OM::Norvatessa
{

namespace
{

constexpr wchar_t rootName[] = L"config";
constexpr wchar_t sendPortKey[] = L"udpSendPort";
constexpr wchar_t recvPortKey[] = L"udpRecvPort";
constexpr wchar_t timeoutKey[] = L"searchTimeout";
constexpr wchar_t probeCountKey[] = L"probeCount";
constexpr wchar_t parallelKey[] = L"parallelExchanges";
constexpr wchar_t adapterKey[] = L"adapter";
constexpr wchar_t knownKey[] = L"knownControllers";
constexpr wchar_t forgottenKey[] = L"forgottenControllers";

template <typename Entry>
bool Holds(const std::vector<Entry>& entries, const Entry& entry)
{
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

// "A.B.C.D:PORT" entries separated by white space, and with `ranges` the ranges among them; an entry that
// is neither is set aside, and one given twice counts once.
void ReadEndpoints(const Xml::ConfigNode::Map& attributes, const wchar_t* key,
                   std::vector<ControllerEndpoint>& endpoints, std::vector<std::wstring>& skipped,
                   std::vector<AddressRange>* ranges = nullptr)
{
    const auto found = attributes.find(key);
    if (found == attributes.end())
        return;
    const std::wstring& text = found->second;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(L" \t\r\n", at)) != std::wstring::npos)
    {
        const std::size_t end = std::min(text.find_first_of(L" \t\r\n", at), text.size());
        const std::wstring entry = text.substr(at, end - at);
        at = end;
        if (ranges && LooksLikeRange(entry))
        {
            const auto range = ParseAddressRange(entry);
            if (!std::holds_alternative<AddressRange>(range))
                skipped.push_back(entry);
            else if (!Holds(*ranges, std::get<AddressRange>(range)))
                ranges->push_back(std::get<AddressRange>(range));
            continue;
        }
        if (const std::optional<ControllerEndpoint> endpoint = ParseEndpoint(entry); !endpoint)
            skipped.push_back(entry);
        else if (!Holds(endpoints, *endpoint))
            endpoints.push_back(*endpoint);
    }
}

std::wstring EndpointsText(const std::vector<ControllerEndpoint>& endpoints,
                           const std::vector<AddressRange>& ranges = {})
{
    std::wstring text;
    for (const ControllerEndpoint& endpoint : endpoints)
        text += (text.empty() ? L"" : L" ") + EndpointText(endpoint);
    for (const AddressRange& range : ranges)
        text += (text.empty() ? L"" : L" ") + RangeText(range);
    return text;
}

// An attribute that is missing, or empty, leaves the setting as it was: a settings file that a first
// run left without values must not turn the search time into 0 for good.
void ReadSetting(const Xml::ConfigNode::Map& attributes, const wchar_t* key, int32_t& setting)
{
    const auto found = attributes.find(key);
    if (found != attributes.end() && !found->second.empty())
        setting = Xml::decimalValue(found->second);
}

// The entries with the forgotten ones taken out and the added ones appended.
template <typename Entry>
std::vector<Entry> WithChanges(std::vector<Entry> entries, const std::vector<Entry>& added,
                               const std::vector<Entry>& forgotten)
{
    std::erase_if(entries, [&](const Entry& entry) { return Holds(forgotten, entry); });
    for (const Entry& entry : added)
    {
        if (!Holds(entries, entry))
            entries.push_back(entry);
    }
    return entries;
}

// knownControllers as a save writes it: the addresses and the ranges of `onDisk`, with this copy's changes.
std::wstring KnownText(const SettingsFileContent& onDisk, const KnownControllerChanges& changes)
{
    return EndpointsText(WithChanges(onDisk.knownControllers, changes.added, changes.forgotten),
                         WithChanges(onDisk.knownRanges, changes.addedRanges, changes.forgottenRanges));
}

// The entries that are in `after` and not in `before`.
template <typename Entry>
std::vector<Entry> Missing(const std::vector<Entry>& before, const std::vector<Entry>& after)
{
    std::vector<Entry> missing;
    for (const Entry& entry : after)
    {
        if (!Holds(before, entry))
            missing.push_back(entry);
    }
    return missing;
}

} // namespace

std::optional<SettingsFileContent> ReadSettingsFile(std::string_view bytes)
{
    const std::optional<std::wstring> text = Xml::decodeUtf16Text(bytes);
    if (!text)
        return std::nullopt;
    Xml::ConfigDocument document(rootName);
    if (!document.loadFromString(*text))
        return std::nullopt;
    SettingsFileContent content;
    content.attributes = document.root.attributes;
    ReadEndpoints(content.attributes, knownKey, content.knownControllers, content.skipped,
                  &content.knownRanges);
    ReadEndpoints(content.attributes, forgottenKey, content.forgottenControllers, content.skipped,
                  &content.forgottenRanges);
    return content;
}

std::string SettingsFileBytes(const Xml::ConfigNode::Map& attributes)
{
    Xml::ConfigDocument document(rootName);
    // The configuration layer writes values exactly as they are held: a value read from a reference
    // ("&quot;") goes back as that reference, or the next start would find the file broken.
    for (const auto& [key, value] : attributes)
        document.root.setAttribute(key, Xml::encode(value, Xml::defaultEntities()));
    return Xml::encodeUtf16Text(document.saveToString());
}

void ApplySettingsFile(const SettingsFileContent& file, ProgramSettings& settings)
{
    ReadSetting(file.attributes, sendPortKey, settings.udpSendPort);
    ReadSetting(file.attributes, recvPortKey, settings.udpRecvPort);
    ReadSetting(file.attributes, timeoutKey, settings.searchTimeout);
    ReadSetting(file.attributes, probeCountKey, settings.probeCount);
    ReadSetting(file.attributes, parallelKey, settings.parallelExchanges);
    if (settings.parallelExchanges < 1 || settings.parallelExchanges > MostParallelExchanges)
        settings.parallelExchanges = DefaultParallelExchanges;
    if (const auto adapter = file.attributes.find(adapterKey); adapter != file.attributes.end())
        settings.adapter = adapter->second;
    settings.knownControllers =
        WithChanges(settings.knownControllers, file.knownControllers, file.forgottenControllers);
    settings.knownRanges = WithChanges(settings.knownRanges, file.knownRanges, file.forgottenRanges);
    settings.skippedKnownControllers.insert(settings.skippedKnownControllers.end(), file.skipped.begin(),
                                            file.skipped.end());
}

KnownControllerChanges ChangesBetween(const std::vector<ControllerEndpoint>& before,
                                      const std::vector<ControllerEndpoint>& after,
                                      const std::vector<AddressRange>& rangesBefore,
                                      const std::vector<AddressRange>& rangesAfter)
{
    return KnownControllerChanges{Missing(before, after), Missing(after, before),
                                  Missing(rangesBefore, rangesAfter), Missing(rangesAfter, rangesBefore)};
}

std::string BesideSettingsBytes(const SettingsFileContent& onDisk, const ProgramSettings& values,
                                const KnownControllerChanges& changes)
{
    Xml::ConfigNode::Map attributes = onDisk.attributes;
    attributes[sendPortKey] = std::to_wstring(values.udpSendPort);
    attributes[recvPortKey] = std::to_wstring(values.udpRecvPort);
    attributes[timeoutKey] = std::to_wstring(values.searchTimeout);
    attributes[probeCountKey] = std::to_wstring(values.probeCount);
    attributes[adapterKey] = values.adapter;
    attributes[knownKey] = KnownText(onDisk, changes);
    return SettingsFileBytes(attributes);
}

std::string PerUserSettingsBytes(const SettingsFileContent& onDisk, const KnownControllerChanges& changes)
{
    Xml::ConfigNode::Map attributes = onDisk.attributes;
    attributes[knownKey] = KnownText(onDisk, changes);
    // An address or a range added again is no longer forgotten.
    attributes[forgottenKey] =
        EndpointsText(WithChanges(onDisk.forgottenControllers, changes.forgotten, changes.added),
                      WithChanges(onDisk.forgottenRanges, changes.forgottenRanges, changes.addedRanges));
    return SettingsFileBytes(attributes);
}

} // namespace OM::Norvatessa
