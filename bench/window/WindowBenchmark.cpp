// The window program's own speed under Wine (bench/run window starts everything):
//
//   1. Start-up to the first painted main window, against a minimal window program, measured the same
//      way from outside: process start to the window shown and the program idle, waiting for input.
//   2. The end of a search of 2000 controllers to the filled list, in the real main window with its real
//      worker, against a bare loop of list-view insertions of the same rows.
//
//   window_benchmark.exe BUILD_FOLDER
#include "app/MainFrame.h"
#include "engine/ProgramSettings.h"
#include "helpers/UniqueHandle.h"
#include "helpers/WinsockHandles.h"
#include "tests/engine/SimulatorClient.h"
#include "tests/support/ProcessStart.h"
#include "ui/Module.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace OM::Norvatessa;
using Clock = std::chrono::steady_clock;

namespace
{

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Found
{
    DWORD processId;
    HWND window = nullptr;
};

BOOL CALLBACK FindShown(HWND window, LPARAM parameter)
{
    auto& found = *reinterpret_cast<Found*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != found.processId || !::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    found.window = window;
    return FALSE;
}

// Starts the program and waits until its top-level window shows and it waits for input: by then the
// first paint has been handled. Returns the milliseconds, or a negative number on failure.
double StartUp(const std::wstring& program, const std::wstring& folder)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + program + L"\"";
    const Clock::time_point begin = Clock::now();
    if (OM::Norvatessa::Testing::StartProcess(program.c_str(), commandLine, false, folder.c_str(), startup,
                                              started) != ERROR_SUCCESS)
        return -1;
    OM::Helpers::UniqueHandle process(started.hProcess);
    OM::Helpers::UniqueHandle thread(started.hThread);
    Found found{started.dwProcessId};
    for (int tries = 0; tries < 20000 && found.window == nullptr; ++tries)
    {
        ::EnumWindows(&FindShown, reinterpret_cast<LPARAM>(&found));
        if (found.window == nullptr)
            ::Sleep(1);
    }
    ::WaitForInputIdle(process.get(), 10000);
    const Clock::time_point shown = Clock::now();
    ::PostMessageW(found.window, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 15000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.get(), 1);
    return found.window ? Milliseconds(begin, shown) : -1;
}

void CompareStartUp(const std::wstring& build)
{
    const std::wstring folder = build + L"\\bench-startup";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring program = folder + L"\\norvatessa.exe";
    ::CopyFileW((build + L"\\app\\norvatessa.exe").c_str(), program.c_str(), FALSE);
    std::vector<double> ours, minimal;
    for (int run = 0; run < 9; ++run)
    {
        ours.push_back(StartUp(program, folder));
        minimal.push_back(StartUp(build + L"\\bench\\window\\minimal_window.exe", folder));
    }
    std::printf(
        "start-up to the first painted window: median %.0f ms, minimal window program %.0f ms, ratio %.2f "
        "(goal at most 2), 9 runs each\n",
        Median(ours), Median(minimal), Median(ours) / Median(minimal));
}

// Notes when the worker reports the full table, after the frame, which registered first.
class SearchEnd final : public Support
{
public:
    void OnSearchFinished(const bool&) override
    {
        if (++reports == 2)
            at = Clock::now();
    }
    std::atomic<int> reports{0};
    Clock::time_point at;
};

void Pump(const std::function<bool()>& done)
{
    while (!done())
    {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

double BareInsertions(HWND parent, int rows)
{
    const HWND list =
        ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0,
                          600, 400, parent, nullptr, nullptr, nullptr);
    for (const wchar_t* title : {L"Имя сервера", L"IP адрес", L"Порт"})
    {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 100;
        column.pszText = const_cast<wchar_t*>(title);
        ::SendMessageW(list, LVM_INSERTCOLUMNW, 3, reinterpret_cast<LPARAM>(&column));
    }
    // Without painting row by row: a visible list under Wine repaints itself on every insertion and takes
    // tens of seconds for 2000 rows, which would measure the painting, not the insertions.
    const Clock::time_point begin = Clock::now();
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row)
    {
        std::wstring name = L"Controller " + std::to_wstring(row + 1);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = name.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        for (const auto& [column, text] :
             {std::pair{1, std::wstring(L"127.0.7.208")}, std::pair{2, std::wstring(L"80")}})
        {
            LVITEMW cell{};
            cell.iSubItem = column;
            cell.pszText = const_cast<wchar_t*>(text.c_str());
            ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
        }
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    ::UpdateWindow(list);
    const double elapsed = Milliseconds(begin, Clock::now());
    ::DestroyWindow(list);
    return elapsed;
}

void CompareFill(int controllers)
{
    Testing::SimulatorClient simulator;
    if (!simulator.Connect().empty())
    {
        std::printf("no simulator\n");
        return;
    }
    simulator.Command("reset");
    simulator.Command("add count=" + std::to_string(controllers) + " spread=1500");
    Settings().searchTimeout = 3000;

    OM::Ui::MessageLoop loop;
    OM::Ui::Module::Instance().AddMessageLoop(&loop);
    CMainFrame frame;
    SearchEnd end;
    frame.CreateMainWindow();
    DeviceEngine::Instance().Add(&end);
    ::ShowWindow(frame.Handle(), SW_SHOWNORMAL);
    const HWND list = frame.DeviceList().Handle();
    Pump([&] { return end.reports == 2 && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == controllers; });
    ::UpdateWindow(list);
    const double filled = Milliseconds(end.at, Clock::now());
    const double bare = BareInsertions(frame.Handle(), controllers);
    std::printf("search end to a filled list of %d controllers: %.0f ms, bare list-view insertions %.0f ms, "
                "ratio %.2f (goal at most 1.5)\n",
                controllers, filled, bare, filled / bare);
    DeviceEngine::Instance().Remove(&end);
    ::DestroyWindow(frame.Handle());
    OM::Ui::Module::Instance().RemoveMessageLoop();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
    {
        std::fputs("usage: window_benchmark.exe BUILD_FOLDER\n", stderr);
        return 2;
    }
    OM::Helpers::WinsockSession winsock;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    OM::Ui::Module::Instance().Initialize(::GetModuleHandleW(nullptr));
    CompareStartUp(argv[1]);
    CompareFill(2000);
    return 0;
}
