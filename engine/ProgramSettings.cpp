#include "engine/ProgramSettings.h"

#include "xml/ConfigDocument.h"
#include "xml/DecimalText.h"

#include <windows.h>

namespace OM::Norvatessa
{

namespace
{

constexpr wchar_t rootName[] = L"config";
constexpr wchar_t sendPortKey[] = L"udpSendPort";
constexpr wchar_t recvPortKey[] = L"udpRecvPort";
constexpr wchar_t timeoutKey[] = L"searchTimeout";

// Longer than any path Windows accepts.
constexpr DWORD longestPath = 32768;

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        // A path that fills the buffer may have been cut short: ask again with more room.
        if (length < path.size())
        {
            path.resize(length);
            return path;
        }
        if (path.size() >= longestPath)
            return {};
        path.resize(path.size() * 2);
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

} // namespace

ProgramSettings& Settings()
{
    static ProgramSettings settings;
    return settings;
}

std::wstring SettingsFilePath()
{
    const std::wstring executable = ExecutablePath();
    return executable.empty() ? std::wstring() : Xml::withConfigExtension(executable);
}

bool LoadSettings()
{
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return false;
    Xml::ConfigDocument document(rootName);
    if (document.loadFromFile(path, false))
    {
        ProgramSettings& settings = Settings();
        ReadSetting(document.root, sendPortKey, settings.udpSendPort);
        ReadSetting(document.root, recvPortKey, settings.udpRecvPort);
        ReadSetting(document.root, timeoutKey, settings.searchTimeout);
    }
    return true;
}

bool SaveSettings()
{
    const std::wstring path = SettingsFilePath();
    if (path.empty())
        return false;
    const ProgramSettings& settings = Settings();
    Xml::ConfigDocument document(rootName);
    document.root.setAttribute(sendPortKey, std::to_wstring(settings.udpSendPort));
    document.root.setAttribute(recvPortKey, std::to_wstring(settings.udpRecvPort));
    document.root.setAttribute(timeoutKey, std::to_wstring(settings.searchTimeout));
    document.saveToFile(path, false);
    return true;
}

} // namespace OM::Norvatessa
