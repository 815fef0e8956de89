#include "engine/ProgramSettings.h"

#include "helpers/ExecutablePath.h"
#include "xml/ConfigDocument.h"
#include "xml/DecimalText.h"

#include <windows.h>

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
constexpr wchar_t adapterKey[] = L"adapter";
constexpr wchar_t knownKey[] = L"knownControllers";

void ReadKnownControllers(const std::wstring& text, ProgramSettings& settings)
{
    settings.knownControllers.clear();
    settings.skippedKnownControllers.clear();
    std::size_t at = 0;
    while ((at = text.find_first_not_of(L" \t\r\n", at)) != std::wstring::npos)
    {
        const std::size_t end = std::min(text.find_first_of(L" \t\r\n", at), text.size());
        const std::wstring entry = text.substr(at, end - at);
        if (const std::optional<ControllerEndpoint> endpoint = ParseEndpoint(entry); !endpoint)
            settings.skippedKnownControllers.push_back(entry);
        else if (std::find(settings.knownControllers.begin(), settings.knownControllers.end(), *endpoint) ==
                 settings.knownControllers.end())
            settings.knownControllers.push_back(*endpoint);
        at = end;
    }
}

// An attribute that is missing, or empty, leaves the setting as it was: a settings file that a first
// run left without values must not turn the search time into 0 for good.
void ReadSetting(const Xml::ConfigNode& root, const wchar_t* key, int32_t& setting)
{
    const std::wstring* value = root.getAttribute(key);
    if (value && !value->empty())
        setting = Xml::decimalValue(*value);
}

// Set by LoadSettings for a file that exists but could not be read.
bool& keepFile()
{
    static bool keep = false;
    return keep;
}

} // namespace

ProgramSettings& Settings()
{
    static ProgramSettings settings;
    return settings;
}

std::wstring SettingsFilePath()
{
    const std::wstring executable = Helpers::ExecutablePath();
    return executable.empty() ? std::wstring() : Xml::withConfigExtension(executable);
}

bool LoadSettings()
{
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return false;
    const bool existed = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    Xml::ConfigDocument document(rootName);
    const bool loaded = document.loadFromFile(path, false);
    // A file that is there but cannot be read (an editor saved it as UTF-8, say) holds the user's edit:
    // it is left as it is rather than overwritten with defaults at exit.
    keepFile() = existed && !loaded;
    if (loaded)
    {
        ProgramSettings& settings = Settings();
        ReadSetting(document.root, sendPortKey, settings.udpSendPort);
        ReadSetting(document.root, recvPortKey, settings.udpRecvPort);
        ReadSetting(document.root, timeoutKey, settings.searchTimeout);
        ReadSetting(document.root, probeCountKey, settings.probeCount);
        if (const std::wstring* adapter = document.root.getAttribute(adapterKey))
            settings.adapter = *adapter;
        if (const std::wstring* known = document.root.getAttribute(knownKey))
            ReadKnownControllers(*known, settings);
    }
    return true;
}

bool SaveSettings()
{
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return false;
    if (keepFile())
        return true;
    const ProgramSettings& settings = Settings();
    Xml::ConfigDocument document(rootName);
    document.root.setAttribute(sendPortKey, std::to_wstring(settings.udpSendPort));
    document.root.setAttribute(recvPortKey, std::to_wstring(settings.udpRecvPort));
    document.root.setAttribute(timeoutKey, std::to_wstring(settings.searchTimeout));
    document.root.setAttribute(probeCountKey, std::to_wstring(settings.probeCount));
    document.root.setAttribute(adapterKey, settings.adapter);
    std::wstring known;
    for (const ControllerEndpoint& endpoint : settings.knownControllers)
        known += (known.empty() ? L"" : L" ") + EndpointText(endpoint);
    document.root.setAttribute(knownKey, known);
    document.saveToFile(path, false);
    return true;
}

} // namespace OM::Norvatessa
