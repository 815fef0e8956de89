#include "cli/SiteTargets.h"

#include "cli/CliText.h"
#include "cli/CommandSupport.h"
#include "cli/SearchOptions.h"
#include "engine/AddressText.h"
#include "settings/DocumentFile.h"

#include <set>

namespace OM::Norvatessa::Cli
{

using ControllerSettings::ReadDocumentFile;

namespace
{

std::wstring Decoded(const std::string& bytes)
{
    std::string_view text = bytes;
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        text.remove_prefix(ByteOrderMark.size());
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    UINT codePage = CP_UTF8;
    int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length == 0)
    {
        codePage = CP_ACP;
        length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    }
    std::wstring decoded(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, decoded.data(), length);
    return decoded;
}

std::wstring Trimmed(const std::wstring& text)
{
    const std::size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return {};
    return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// The first column of a line: the address of a plain list, or of the listing "discover --format csv"
// writes, whose other columns are the port and the name the search heard.
std::wstring FirstColumn(const std::wstring& line)
{
    return Trimmed(line.substr(0, line.find(L',')));
}

std::optional<SiteTarget> TargetText(const std::wstring& text)
{
    if (text.find(L':') != std::wstring::npos)
    {
        const std::optional<ControllerEndpoint> endpoint = HostEndpoint(text);
        if (!endpoint)
            return std::nullopt;
        return SiteTarget{endpoint->address, endpoint->port};
    }
    const std::optional<std::uint32_t> address = ParseAddress(text);
    if (!address)
        return std::nullopt;
    return SiteTarget{*address, std::nullopt};
}

bool ReadList(const std::wstring& file, Console& console, std::vector<SiteTarget>& targets)
{
    std::vector<std::wstring> lines;
    if (const DWORD error = ReadTextLines(file, lines); error != ERROR_SUCCESS)
        return TellRefused(console, CliText::FileNotRead(file, error)), false;
    const std::size_t before = targets.size();
    for (std::size_t index = 0; index < lines.size(); ++index)
    {
        const std::wstring address = FirstColumn(lines[index]);
        if (address.empty() || (index == 0 && address == L"address"))
            continue;
        const std::optional<SiteTarget> target = TargetText(address);
        if (!target)
            return TellRefused(console, CliText::BadListLine(file, index + 1)), false;
        targets.push_back(*target);
    }
    if (targets.size() == before)
        return TellRefused(console, CliText::EmptyList(file)), false;
    return true;
}

} // namespace

DWORD ReadTextLines(const std::wstring& path, std::vector<std::wstring>& lines)
{
    std::string bytes;
    if (const DWORD error = ReadDocumentFile(path, bytes); error != ERROR_SUCCESS)
        return error;
    const std::wstring text = Decoded(bytes);
    lines.clear();
    std::size_t start = 0;
    while (start < text.size())
    {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

bool IsTargetText(const std::wstring& word)
{
    return TargetText(word).has_value();
}

bool NamesSite(const CommandLine& line, std::size_t addresses)
{
    return line.Has(L"--all") || line.Has(L"--from") || addresses > 1;
}

std::optional<SiteTarget> ReadTargetOperand(const std::wstring& operand, const CommandLine& line,
                                            Console& console)
{
    const std::optional<SiteTarget> target = TargetText(operand);
    if (!target)
        TellUsage(console,
                  operand.find(L':') != std::wstring::npos ? CliText::BadEndpoint(operand)
                                                           : CliText::BadAddress(operand),
                  line.command);
    return target;
}

std::optional<SiteTargets> ReadSiteTargets(const CommandLine& line, Console& console,
                                           const std::vector<std::wstring>& addresses)
{
    SiteTargets site;
    site.all = line.Has(L"--all");
    if (site.all && (line.Has(L"--from") || !addresses.empty()))
        return TellUsage(console, CliText::TargetsTwice, line.command), std::nullopt;
    if (site.all)
        return site;
    for (const std::wstring& operand : addresses)
    {
        const std::optional<SiteTarget> target = ReadTargetOperand(operand, line, console);
        if (!target)
            return std::nullopt;
        site.targets.push_back(*target);
    }
    if (const std::optional<std::wstring> file = line.Value(L"--from"))
    {
        if (!ReadList(*file, console, site.targets))
            return std::nullopt;
    }
    if (site.targets.empty())
        return TellUsage(console, CliText::MissingOperands, line.command), std::nullopt;
    // Twice the same controller is a mistake in the list: it would be changed twice, or backed up once
    // over itself.
    std::set<std::uint32_t> seen;
    for (const SiteTarget& target : site.targets)
    {
        if (!seen.insert(target.address).second)
            return TellRefused(console, CliText::RepeatedTarget(target.address)), std::nullopt;
    }
    return site;
}

} // namespace OM::Norvatessa::Cli
