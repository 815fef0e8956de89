#include "tests/cli/CliProcess.h"

#include "helpers/UniqueHandle.h"
#include "tests/support/ProcessStart.h"

#include <gtest/gtest.h>

#include <thread>

namespace OM::Norvatessa::Testing
{

using Helpers::UniqueFileHandle;
using Helpers::UniqueHandle;

namespace
{

std::wstring ProgramPath()
{
    std::wstring path = NORVATESSA_CLI;
    for (wchar_t& character : path)
    {
        if (character == L'/')
            character = L'\\';
    }
    return path;
}

// One argument as the C runtime of the started program splits the command line again.
std::wstring Quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t character : argument)
    {
        if (character == L'\\')
        {
            ++backslashes;
            continue;
        }
        quoted.append(character == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += character;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

// A pipe whose write end the child inherits; the read end stays ours.
struct Pipe
{
    UniqueFileHandle read;
    UniqueFileHandle write;

    bool Open()
    {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE reading = nullptr;
        HANDLE writing = nullptr;
        if (!::CreatePipe(&reading, &writing, &inheritable, 0))
            return false;
        read.reset(reading);
        write.reset(writing);
        return ::SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0) != FALSE;
    }
};

// Reads the pipe to its end: the child has ended and every copy of the write end is closed.
void Drain(HANDLE pipe, std::string& bytes)
{
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
}

} // namespace

std::ostream& operator<<(std::ostream& stream, const CliResult& result)
{
    return stream << "exit code " << result.exitCode << " after " << result.elapsedMs << " ms\n--- stdout:\n"
                  << result.out << "\n--- stderr:\n"
                  << result.err << "\n---";
}

CliResult RunCli(const std::vector<std::wstring>& arguments, DWORD limitMs, HANDLE output)
{
    CliResult result;
    Pipe out;
    Pipe err;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueFileHandle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         &inheritable, OPEN_EXISTING, 0, nullptr));
    if (!out.Open() || !err.Open() || !input)
    {
        ADD_FAILURE() << "cannot make the pipes: error " << ::GetLastError();
        return result;
    }

    std::wstring commandLine = Quoted(ProgramPath());
    for (const std::wstring& argument : arguments)
        commandLine += L' ' + Quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output != nullptr ? output : out.write.get();
    startup.hStdError = err.write.get();
    PROCESS_INFORMATION started{};
    const ULONGLONG start = ::GetTickCount64();
    if (const DWORD error = StartProcess(ProgramPath().c_str(), commandLine, true, nullptr, startup, started);
        error != ERROR_SUCCESS)
    {
        ADD_FAILURE() << "cannot start the console program: error " << error;
        return result;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // Only the child may hold the write ends now, so that the reads end when it does.
    out.write.reset();
    err.write.reset();
    input.reset();
    std::thread outReader(Drain, out.read.get(), std::ref(result.out));
    std::thread errReader(Drain, err.read.get(), std::ref(result.err));

    if (::WaitForSingleObject(process.get(), limitMs) != WAIT_OBJECT_0)
    {
        ADD_FAILURE() << "the console program ran longer than " << limitMs << " ms";
        ::TerminateProcess(process.get(), 99);
        ::WaitForSingleObject(process.get(), INFINITE);
    }
    result.elapsedMs = ::GetTickCount64() - start;
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    outReader.join();
    errReader.join();
    return result;
}

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const wchar_t* value) : name(name)
{
    ::SetEnvironmentVariableW(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    ::SetEnvironmentVariableW(name, nullptr);
}

} // namespace OM::Norvatessa::Testing
