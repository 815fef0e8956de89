// Stands in for the system's netsh.exe while the installer tests run: it asks the firewall nothing and
// appends the command line it was given, as a line of UTF-8, to the file that NORVATESSA_FIREWALL_LOG
// names, so that the test can read exactly what the installer and the uninstaller asked for.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

int wmain()
{
    wchar_t log[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"NORVATESSA_FIREWALL_LOG", log, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    const wchar_t* commandLine = ::GetCommandLineW();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return 1;
    std::string line(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, commandLine, -1, line.data(), size, nullptr, nullptr);
    line.back() = '\n'; // in place of the terminating null
    std::ofstream file(std::filesystem::path(log), std::ios::binary | std::ios::app);
    file << line;
    return file.flush() ? 0 : 1;
}
