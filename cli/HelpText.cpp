#include "cli/HelpText.h"

#include "cli/UsagePart.h"
#include "settings/SettingTable.h"

namespace OM::Norvatessa::Cli
{

namespace
{

// The line of the usage of "set" that the key list takes the place of.
constexpr std::wstring_view KeyListLine = L"{set-keys}\n";

std::wstring CommandHelp(std::wstring_view command)
{
    std::wstring help(UsagePart(command));
    if (const std::size_t keys = help.find(KeyListLine); keys != std::wstring::npos)
        help.replace(keys, KeyListLine.size(), ControllerSettings::KeyListText());
    return help;
}

} // namespace

std::wstring HelpText(std::wstring_view command)
{
    if (command == L"discover")
        return CommandHelp(command);
    // The others read controllers, which the common options name, find and log in to.
    if (command == L"get" || command == L"set" || command == L"backup" || command == L"restore")
        return CommandHelp(command) + L"\n" + std::wstring(UsagePart(L"common"));
    return std::wstring(UsagePart(L"general"));
}

} // namespace OM::Norvatessa::Cli
