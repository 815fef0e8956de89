// The steps of tools/demo that act inside the running program: each call waits for something to show,
// prints where it is on the screen ("x y width height") for the screenshot, and acts on it.
//
//   demo_steps.exe list ROWS    waits for the search to list ROWS controllers; prints the main window
//   demo_steps.exe wait         opens the selected controller (F2); prints the wait dialog
//   demo_steps.exe sheet        waits for the settings sheet; prints it
//   demo_steps.exe close        cancels the sheet and closes the program
//
// It finds the program's windows by their classes and captions: the demo runs one program.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace
{

std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    ::SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    return text;
}

struct Search
{
    std::function<bool(HWND)> matches;
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    if (!::IsWindowVisible(window) || !search.matches(window))
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND WaitFor(const std::function<bool(HWND)>& matches, DWORD timeoutMs = 60000)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 100)
    {
        Search search{matches};
        ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr)
            return search.found;
        ::Sleep(100);
    }
    return nullptr;
}

bool IsDialog(HWND window)
{
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

HWND MainWindow()
{
    return ::FindWindowW(L"NorvatessaMainFrame", nullptr);
}

HWND Sheet(DWORD timeoutMs = 60000)
{
    return WaitFor([](HWND window) { return IsDialog(window) && Text(window) == L"Настройки контроллера"; },
                   timeoutMs);
}

int Place(HWND window)
{
    if (window == nullptr)
    {
        std::fputs("demo_steps: the window did not show\n", stderr);
        return 1;
    }
    RECT place{};
    ::GetWindowRect(window, &place);
    std::printf("%ld %ld %ld %ld\n", place.left, place.top, place.right - place.left,
                place.bottom - place.top);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring step = argc > 1 ? argv[1] : L"";
    if (step == L"list" && argc > 2)
    {
        const LRESULT rows = std::wcstol(argv[2], nullptr, 10);
        const HWND main = WaitFor([](HWND window) { return window == MainWindow(); });
        const HWND list = ::FindWindowExW(main, nullptr, L"NorvatessaDeviceList", nullptr);
        for (int tries = 0; tries < 600 && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < rows; ++tries)
            ::Sleep(100);
        ::Sleep(300); // the last paint
        return Place(main);
    }
    if (step == L"wait")
    {
        const HWND list = ::FindWindowExW(MainWindow(), nullptr, L"NorvatessaDeviceList", nullptr);
        ::PostMessageW(list, WM_KEYDOWN, VK_F2, 1);
        ::PostMessageW(list, WM_KEYUP, VK_F2, 0xC0000001);
        const HWND dialog =
            WaitFor([](HWND window) { return IsDialog(window) && ::GetDlgItem(window, 1011); });
        ::Sleep(300);
        return Place(dialog);
    }
    if (step == L"sheet")
    {
        const HWND sheet = Sheet();
        ::Sleep(500);
        return Place(sheet);
    }
    if (step == L"close")
    {
        if (const HWND sheet = Sheet(2000))
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        ::Sleep(500);
        ::PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
        return 0;
    }
    std::fputs("usage: demo_steps.exe list ROWS | wait | sheet | close\n", stderr);
    return 2;
}
