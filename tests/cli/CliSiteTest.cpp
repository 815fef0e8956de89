#include "tests/cli/CliSiteTest.h"

#include "common/AddressText.h"
#include "helpers/ExecutablePath.h"
#include "xml/Utf16File.h"

namespace OM::Norvatessa::Testing
{

TemporaryFolder::TemporaryFolder()
{
    const std::wstring program = OM::Helpers::ExecutablePath();
    path = program.substr(0, program.find_last_of(L'\\') + 1) + L"cli-backups-" +
           std::to_wstring(::GetCurrentProcessId());
    EXPECT_TRUE(::CreateDirectoryW(path.c_str(), nullptr)) << ::GetLastError();
}

TemporaryFolder::~TemporaryFolder()
{
    for (const std::wstring& file : files)
        ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(path.c_str());
}

std::wstring TemporaryFolder::File(const std::wstring& name)
{
    files.push_back(path + L"\\" + name);
    return files.back();
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << ::GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ::CloseHandle(file);
}

std::string ReadBytes(const std::wstring& path)
{
    std::string bytes;
    const HANDLE file =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return bytes;
}

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
