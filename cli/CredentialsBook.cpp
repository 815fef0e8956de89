#include "cli/CredentialsBook.h"

#include "cli/CommandSupport.h"
#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "common/Words.h"
#include "settings/DocumentFile.h"

namespace OM::Norvatessa::Cli
{

using ControllerSettings::CredentialsFile;
using ControllerSettings::ReadDocumentFile;

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
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(*file, bytes); error != ERROR_SUCCESS)
        return TellRefused(console, Words::Fill(Words::FileNotRead, *file, error)), std::nullopt;
    CredentialsFile read = ControllerSettings::ReadCredentialsFile(bytes, ThreadAnsiCodePage());
    if (read.badLine != 0)
        return TellRefused(console, Words::Fill(Words::BadCredentialsLine, *file, read.badLine)),
               std::nullopt;
    if (read.repeated)
        return TellRefused(console,
                           Words::Fill(Words::RepeatedCredentials, *file, AddressText(*read.repeated))),
               std::nullopt;
    book.own = std::move(read.credentials);
    return book;
}

std::optional<Credentials> CredentialsBook::For(std::uint32_t address) const
{
    const auto found = own.find(address);
    return found != own.end() ? std::optional<Credentials>(found->second) : common;
}

} // namespace OM::Norvatessa::Cli
