#pragma once

#include "tests/cli/CliProcess.h"
#include "tests/engine/ControllerSite.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// The console program against a simulated site that starts empty for every test.
class CliSiteTest : public ControllerSiteTest
{
protected:
    // Short enough to keep the tests quick, long enough for a loaded machine to hear every controller.
    static constexpr DWORD SearchMs = 500;

    // Runs one command with the short search.
    static CliResult Cli(std::vector<std::wstring> arguments);

    // How many probes reached the simulated site since the test began.
    int ProbesHeard();

    static std::wstring Wide(std::uint32_t address);
    static std::string Utf8(const wchar_t* text);
};

} // namespace OM::Norvatessa::Testing
