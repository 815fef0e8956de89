#include "cli/CredentialsBook.h"

#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/SiteTargets.h"
#include "engine/AddressText.h"
#include "settings/SettingChecks.h"

namespace OM::Norvatessa::Cli
{

using ControllerSettings::LoginRefusal;
using ControllerSettings::PasswordRefusal;

std::optional<CredentialsBook> CredentialsBook::Read(const CommandLine& line, Console& console)
{
    CredentialsBook book;
    CredentialsChoice choice = ChooseCredentials(line);
    if (choice.error)
        return TellUsage(console, *choice.error, line.command), std::nullopt;
    book.common = std::move(choice.credentials);
    const std::optional<std::wstring> file = line.Value(L"--credentials");
    if (!file)
        return book;
    std::vector<std::wstring> lines;
    if (const DWORD error = ReadTextLines(*file, lines); error != ERROR_SUCCESS)
        return TellRefused(console, CliText::FileNotRead(*file, error)), std::nullopt;
    for (std::size_t index = 0; index < lines.size(); ++index)
    {
        const std::wstring& text = lines[index];
        if (text.find_first_not_of(L" \t") == std::wstring::npos)
            continue;
        const std::size_t first = text.find(L',');
        const std::size_t second = first == std::wstring::npos ? first : text.find(L',', first + 1);
        const std::optional<std::uint32_t> address =
            second == std::wstring::npos ? std::nullopt : ParseAddress(text.substr(0, first));
        Credentials credentials;
        if (address)
            credentials = {text.substr(first + 1, second - first - 1), text.substr(second + 1)};
        // The controller takes no login it could not have been given.
        if (!address || credentials.login.empty() || LoginRefusal(credentials.login) ||
            PasswordRefusal(credentials.password))
            return TellRefused(console, CliText::BadCredentialsLine(*file, index + 1)), std::nullopt;
        if (!book.own.emplace(*address, std::move(credentials)).second)
            return TellRefused(console, CliText::RepeatedCredentials(*file, *address)), std::nullopt;
    }
    return book;
}

std::optional<Credentials> CredentialsBook::For(std::uint32_t address) const
{
    const auto found = own.find(address);
    return found != own.end() ? std::optional<Credentials>(found->second) : common;
}

} // namespace OM::Norvatessa::Cli
