#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// What one run of the console program left behind.
struct CliResult
{
    DWORD exitCode = STILL_ACTIVE;
    std::string out; // the bytes written to standard output
    std::string err; // and to standard error
    ULONGLONG elapsedMs = 0;
};

// Printed by GoogleTest when an expectation about a run fails, so that the failure shows what the program
// said.
std::ostream& operator<<(std::ostream& stream, const CliResult& result);

// Runs norvatessa-cli.exe as a script would: its own process with this process's environment, standard
// output and error through pipes that are read while it runs. A program that runs longer than `limitMs`
// is ended and fails the test. With `output`, the program writes its standard output there instead, and
// `out` stays empty.
CliResult RunCli(const std::vector<std::wstring>& arguments, DWORD limitMs = 60000, HANDLE output = nullptr);

// An environment variable, set for the programs started while the object lives, then removed.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const wchar_t* name, const wchar_t* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name;
};

} // namespace OM::Norvatessa::Testing
