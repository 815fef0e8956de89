#pragma once

#include "tests/cli/CliProcess.h"
#include "tests/engine/ControllerSite.h"

#include <cstdint>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// A folder beside the test program, removed with what it holds. Wine's TEMP may name a folder its prefix
// lacks; and Wine names files in the build machine's locale, which may have no Cyrillic.
class TemporaryFolder
{
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // A file in the folder, removed with it.
    std::wstring File(const std::wstring& name);
    const std::wstring& Path() const noexcept { return path; }

private:
    std::wstring path;
    std::vector<std::wstring> files;
};

void WriteBytes(const std::wstring& path, const std::string& bytes);
// The file's bytes; none when it cannot be read.
std::string ReadBytes(const std::wstring& path);

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
