#include "tests/package/InstallerSupport.h"

#include "helpers/UniqueHandle.h"
#include "tests/support/ProcessStart.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

namespace OM::Norvatessa::PackageTesting
{

std::wstring FromUtf8(const char* text)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.pop_back(); // the terminating null
    return wide;
}

std::wstring WinePath(const char* unixPath)
{
    std::wstring path = FromUtf8(unixPath);
    for (wchar_t& character : path)
    {
        if (character == L'/')
            character = L'\\';
    }
    return L"Z:" + path;
}

std::wstring KnownFolder(REFKNOWNFOLDERID folder)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(folder, 0, nullptr, &path)))
        result = path;
    ::CoTaskMemFree(path);
    return result;
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<std::string> FileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return bytes;
}

bool RemoveFolder(const std::wstring& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path), ignored);
    return !FolderExists(path);
}

std::wstring LinkTarget(const std::wstring& link)
{
    const bool started = SUCCEEDED(::CoInitialize(nullptr));
    std::wstring target;
    IShellLinkW* shellLink = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                     reinterpret_cast<void**>(&shellLink))))
    {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))))
        {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
                SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = path;
            file->Release();
        }
        shellLink->Release();
    }
    if (started)
        ::CoUninitialize();
    return target;
}

std::wstring SystemFolder()
{
    wchar_t path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

namespace
{

constexpr REGSAM View = KEY_WOW64_64KEY;

class Key
{
public:
    Key(HKEY root, const std::wstring& key)
    {
        if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | View, &handle) != ERROR_SUCCESS)
            handle = nullptr;
    }
    ~Key()
    {
        if (handle != nullptr)
            ::RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY handle = nullptr;
};

} // namespace

bool KeyExists(HKEY root, const std::wstring& key)
{
    return Key(root, key).handle != nullptr;
}

std::optional<std::wstring> RegistryString(HKEY root, const std::wstring& key, const wchar_t* name)
{
    const Key opened(root, key);
    DWORD type = 0;
    DWORD size = 0;
    if (opened.handle == nullptr ||
        ::RegQueryValueExW(opened.handle, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(opened.handle, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                           &size) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

std::optional<DWORD> RegistryNumber(HKEY root, const std::wstring& key, const wchar_t* name)
{
    const Key opened(root, key);
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (opened.handle == nullptr ||
        ::RegQueryValueExW(opened.handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return std::nullopt;
    return value;
}

void DeleteKey(HKEY root, const std::wstring& key)
{
    ::RegDeleteTreeW(root, key.c_str());
}

bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | View, nullptr, &handle,
                          nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const bool set = ::RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                      bytes) == ERROR_SUCCESS;
    ::RegCloseKey(handle);
    return set;
}

void DeleteRegistryValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    ::RegDeleteKeyValueW(root, key.c_str(), name);
}

Process::Process(const std::wstring& commandLine, const std::wstring& folder, HANDLE output)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output != nullptr)
    {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    if (Testing::StartProcess(nullptr, commandLine, output != nullptr,
                              folder.empty() ? nullptr : folder.c_str(), startup,
                              information) != ERROR_SUCCESS)
        information = PROCESS_INFORMATION{};
}

Process::~Process()
{
    if (!Started())
        return;
    if (!WaitForExit(0ms))
        Terminate();
    ::CloseHandle(information.hThread);
    ::CloseHandle(information.hProcess);
}

bool Process::WaitForExit(std::chrono::milliseconds limit) const
{
    return Started() &&
           ::WaitForSingleObject(information.hProcess, static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const
{
    DWORD code = 0;
    if (!WaitForExit(0ms) || !::GetExitCodeProcess(information.hProcess, &code))
        return std::nullopt;
    return code;
}

void Process::Terminate()
{
    if (!Started())
        return;
    ::TerminateProcess(information.hProcess, 255);
    ::WaitForSingleObject(information.hProcess, 10000);
}

std::optional<DWORD> RunToEnd(const std::wstring& commandLine, std::chrono::milliseconds limit)
{
    Process process(commandLine);
    if (!process.Started() || !process.WaitForExit(limit))
        return std::nullopt;
    return process.ExitCode();
}

std::optional<FinishedRun> RunForOutput(const std::wstring& commandLine, std::chrono::milliseconds limit)
{
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    if (::GetTempPathW(MAX_PATH, folder) == 0 || ::GetTempFileNameW(folder, L"out", 0, path) == 0)
        return std::nullopt;
    std::optional<FinishedRun> run;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    Helpers::UniqueFileHandle output(::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                                   CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (output)
    {
        Process process(commandLine, {}, output.get());
        // Only the program holds the file open now, so that its bytes are all there when it ends.
        output.reset();
        if (process.Started() && process.WaitForExit(limit))
            run = FinishedRun{*process.ExitCode(), FileBytes(path).value_or("")};
    }
    ::DeleteFileW(path);
    return run;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;)
    {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    const int length = ::GetWindowTextW(window, text, 512);
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

namespace
{

struct WindowSearch
{
    DWORD processId;
    const std::function<bool(HWND)>* accept;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if ((search.processId == 0 || owner == search.processId) && ::IsWindowVisible(window) &&
        (*search.accept)(window))
        search.found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, const std::function<bool(HWND)>& accept)
{
    WindowSearch search{processId, &accept, {}};
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring MessageBoxText(HWND box)
{
    const HWND text = ::GetDlgItem(box, 0xFFFF);
    if (text == nullptr)
        return {};
    wchar_t buffer[512] = {};
    const LRESULT length = ::SendMessageW(text, WM_GETTEXT, static_cast<WPARAM>(std::size(buffer)),
                                          reinterpret_cast<LPARAM>(buffer));
    return std::wstring(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool EndProcessOf(HWND window)
{
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    if (id == 0)
        return false;
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (process == nullptr)
        return false;
    ::TerminateProcess(process, 1);
    const bool ended = ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return ended;
}

} // namespace OM::Norvatessa::PackageTesting
