#include "tests/cli/CliSiteTest.h"

#include "engine/AddressText.h"
#include "xml/Utf16File.h"

namespace OM::Norvatessa::Testing
{

CliResult CliSiteTest::Cli(std::vector<std::wstring> arguments)
{
    arguments.push_back(L"--time");
    arguments.push_back(std::to_wstring(SearchMs));
    return RunCli(arguments);
}

int CliSiteTest::ProbesHeard()
{
    const std::string stats = simulator.Command("stats");
    const std::size_t at = stats.find(" probes=");
    EXPECT_NE(at, std::string::npos) << stats;
    return at == std::string::npos ? -1 : std::stoi(stats.substr(at + 8));
}

std::wstring CliSiteTest::Wide(std::uint32_t address)
{
    return AddressText(address);
}

std::string CliSiteTest::Utf8(const wchar_t* text)
{
    return Xml::utf8Text(text);
}

} // namespace OM::Norvatessa::Testing
