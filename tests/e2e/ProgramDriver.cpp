#include "tests/e2e/ProgramDriver.h"

#include "res/resource.h"
#include "tests/support/ProcessStart.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace OM::Norvatessa::Testing
{

class ProgramDriver::RemoteBuffer
{
public:
    RemoteBuffer(HANDLE process, std::size_t size)
        : process(process), address(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBuffer()
    {
        if (address != nullptr)
            ::VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    void* Address() const { return address; }
    char* At(std::size_t offset) const { return static_cast<char*>(address) + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t size)
    {
        return ::WriteProcessMemory(process, At(offset), data, size, nullptr) != 0;
    }
    bool Read(std::size_t offset, void* data, std::size_t size)
    {
        return ::ReadProcessMemory(process, At(offset), data, size, nullptr) != 0;
    }

private:
    HANDLE process;
    void* address;
};

namespace
{

struct WindowSearch
{
    DWORD processId;
    std::function<bool(HWND)> matches;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window) || !search.matches(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TemporaryFolder()
{
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    for (unsigned attempt = ::GetTickCount();; ++attempt)
    {
        const std::wstring folder = std::wstring(base) + L"norvatessa-e2e-" + std::to_wstring(attempt);
        if (::CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
    }
}

std::wstring FileName(const std::wstring& path)
{
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

} // namespace

std::wstring WindowsPath(const char* linuxPath)
{
    std::wstring path = L"Z:";
    for (const char* at = linuxPath; *at != '\0'; ++at)
        path += *at == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*at));
    return path;
}

ProgramDriver::ProgramDriver(const std::wstring& source, const std::vector<std::wstring>& companions)
    : folder(TemporaryFolder())
{
    executable = PathOf(FileName(source));
    ::CopyFileW(source.c_str(), executable.c_str(), FALSE);
    for (const std::wstring& companion : companions)
        ::CopyFileW(companion.c_str(), PathOf(FileName(companion)).c_str(), FALSE);
}

ProgramDriver::ProgramDriver(InPlace, const std::wstring& installed)
    : folder(installed.substr(0, installed.find_last_of(L"\\/"))), executable(installed), ownsFolder(false)
{
}

ProgramDriver::~ProgramDriver()
{
    if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT)
    {
        ::TerminateProcess(process.get(), 99);
        ::WaitForSingleObject(process.get(), 5000);
    }
    if (!ownsFolder)
        return;
    // The folder holds only files of ours.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::DeleteFileW(PathOf(found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(folder.c_str());
}

bool ProgramDriver::Start()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + executable + L"\"";
    if (StartProcess(executable.c_str(), commandLine, false, folder.c_str(), startup, started) !=
        ERROR_SUCCESS)
        return false;
    ::CloseHandle(started.hThread);
    process.reset(started.hProcess);
    processId = started.dwProcessId;
    return true;
}

bool ProgramDriver::WaitForExit(DWORD timeoutMs)
{
    return ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD ProgramDriver::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

HWND ProgramDriver::MainWindow()
{
    WindowSearch search{processId, [](HWND window) { return ClassOf(window) == L"NorvatessaMainFrame"; },
                        nullptr};
    ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramDriver::List()
{
    return ::FindWindowExW(MainWindow(), nullptr, L"NorvatessaDeviceList", nullptr);
}

HWND ProgramDriver::StatusBar()
{
    return ::FindWindowExW(MainWindow(), nullptr, STATUSCLASSNAMEW, nullptr);
}

HWND ProgramDriver::ToolBar()
{
    return ::FindWindowExW(MainWindow(), nullptr, TOOLBARCLASSNAMEW, nullptr);
}

HWND ProgramDriver::LogPane()
{
    // The filter box above the list is an edit as well.
    HWND edit = nullptr;
    while ((edit = ::FindWindowExW(MainWindow(), edit, L"EDIT", nullptr)) != nullptr &&
           ::GetDlgCtrlID(edit) == IDC_FILTER)
    {
    }
    return edit;
}

std::wstring ProgramDriver::Status()
{
    return Text(StatusBar());
}

std::wstring ProgramDriver::Text(HWND window)
{
    if (window == nullptr)
        return {};
    const auto length = static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return text;
}

int ProgramDriver::RowCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list != nullptr ? list : List(), LVM_GETITEMCOUNT, 0, 0));
}

std::wstring ProgramDriver::Cell(int row, int column, HWND list)
{
    constexpr std::size_t TextChars = 256;
    RemoteBuffer buffer(process.get(), sizeof(LVITEMW) + TextChars * sizeof(wchar_t));
    if (buffer.Address() == nullptr)
        return {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof(LVITEMW)));
    item.cchTextMax = TextChars;
    buffer.Write(0, &item, sizeof item);
    const auto length = static_cast<std::size_t>(::SendMessageW(list != nullptr ? list : List(),
                                                                LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                                reinterpret_cast<LPARAM>(buffer.Address())));
    std::wstring text(std::min(length, TextChars), L'\0');
    buffer.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
    return text;
}

std::vector<std::vector<std::wstring>> ProgramDriver::Rows()
{
    std::vector<std::vector<std::wstring>> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row)
        rows.push_back({Cell(row, 0), Cell(row, 1), Cell(row, 2)});
    return rows;
}

void ProgramDriver::Select(int row)
{
    // The list takes several rows: first none, then this one.
    RemoteBuffer buffer(process.get(), sizeof(LVITEMW));
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    buffer.Write(0, &item, sizeof item);
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(buffer.Address()));
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    buffer.Write(0, &item, sizeof item);
    ::SendMessageW(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(buffer.Address()));
}

void ProgramDriver::Command(UINT id)
{
    ::PostMessageW(MainWindow(), WM_COMMAND, id, 0);
}

void ProgramDriver::Key(UINT virtualKey)
{
    // The program's message loop turns the key into its command through the accelerator table.
    const HWND list = List();
    ::PostMessageW(list, WM_KEYDOWN, virtualKey, 1);
    ::PostMessageW(list, WM_KEYUP, virtualKey, 0xC0000001);
}

void ProgramDriver::DoubleClickList()
{
    const HWND list = List();
    ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, 30));
}

void ProgramDriver::ClickToolBarButton(UINT id)
{
    const HWND toolBar = ToolBar();
    RemoteBuffer buffer(process.get(), sizeof(RECT));
    ::SendMessageW(toolBar, TB_GETRECT, id, reinterpret_cast<LPARAM>(buffer.Address()));
    RECT place{};
    buffer.Read(0, &place, sizeof place);
    const LPARAM centre = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    ::PostMessageW(toolBar, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::PostMessageW(toolBar, WM_LBUTTONUP, 0, centre);
}

HWND ProgramDriver::DialogTitled(const std::wstring& caption)
{
    WindowSearch search{
        processId,
        [&caption](HWND window) { return ClassOf(window) == L"#32770" && Text(window) == caption; }, nullptr};
    ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramDriver::DialogWith(int controlId)
{
    WindowSearch search{processId,
                        [controlId](HWND window) {
                            return ClassOf(window) == L"#32770" && ::GetDlgItem(window, controlId) != nullptr;
                        },
                        nullptr};
    ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool ProgramDriver::Until(const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done())
    {
        if (::GetTickCount64() > end)
            return false;
        ::Sleep(50);
    }
    return true;
}

} // namespace OM::Norvatessa::Testing
