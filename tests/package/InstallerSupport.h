#pragma once

// What the installer tests need from Windows: the package's paths, starting and waiting for programs,
// looking at files, links and the registry, and finding the windows of other processes.

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa::PackageTesting
{

using namespace std::chrono_literals;

// UTF-8 text, such as a path or version from CMake, in UTF-16.
std::wstring FromUtf8(const char* text);
// A path of the build machine as Wine shows it (drive Z: is the machine's root).
std::wstring WinePath(const char* unixPath);

// A folder the shell knows, such as FOLDERID_LocalAppData; empty when it cannot be found.
std::wstring KnownFolder(REFKNOWNFOLDERID folder);

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// The file's bytes; nothing when it cannot be read.
std::optional<std::string> FileBytes(const std::wstring& path);
// Removes a folder with everything in it; true when it is gone afterwards.
bool RemoveFolder(const std::wstring& path);
// The program a shell link starts; empty when the link cannot be read.
std::wstring LinkTarget(const std::wstring& link);
// The system folder (C:\windows\system32), where the installer finds the system's programs.
std::wstring SystemFolder();

// Values under HKEY root\key in the 64-bit registry.
bool KeyExists(HKEY root, const std::wstring& key);
std::optional<std::wstring> RegistryString(HKEY root, const std::wstring& key, const wchar_t* name);
std::optional<DWORD> RegistryNumber(HKEY root, const std::wstring& key, const wchar_t* name);
void DeleteKey(HKEY root, const std::wstring& key);
bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);
void DeleteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name);

// A started program; the destructor ends it if it still runs.
class Process
{
public:
    // Starts `commandLine` (the program's path first, quoted); check Started(). With `output`, an
    // inheritable handle, the program's standard output and error go there.
    explicit Process(const std::wstring& commandLine, const std::wstring& folder = {},
                     HANDLE output = nullptr);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return information.hProcess != nullptr; }
    DWORD Id() const { return information.dwProcessId; }
    // True when the program ended within `limit`.
    bool WaitForExit(std::chrono::milliseconds limit) const;
    // The exit code of an ended program, or nothing while it runs.
    std::optional<DWORD> ExitCode() const;
    void Terminate();

private:
    PROCESS_INFORMATION information{};
};

// Runs `commandLine` to its end; its exit code, or nothing when it could not start or ran past `limit`.
std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds limit);

struct FinishedRun
{
    DWORD exitCode;
    std::string output; // standard output and error, as written
};
// The same, keeping what the program wrote.
std::optional<FinishedRun> RunForOutput(const std::wstring& commandLine, std::chrono::milliseconds limit);

// Checks `condition` every 50 ms until it holds or `limit` has passed; whether it held.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit);

std::wstring ClassName(HWND window);
std::wstring WindowText(HWND window);
// The visible top-level windows of a process (every process for processId 0) that pass `accept`.
std::vector<HWND> TopLevelWindows(DWORD processId, const std::function<bool(HWND)>& accept);
// A message box's text: its static control, id 0xFFFF.
std::wstring MessageBoxText(HWND box);
// Ends the process that owns `window` and waits for it; false when it could not be ended.
bool EndProcessOf(HWND window);

} // namespace OM::Norvatessa::PackageTesting
