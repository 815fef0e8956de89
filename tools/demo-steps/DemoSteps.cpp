// The steps of tools/demo that act inside the running program: each call waits for something to show,
// prints where it is on the screen ("x y width height", frame included) for the screenshot, and acts on it.
//
//   demo_steps.exe dpi          prints the screen's resolution in dots per inch, as the program sees it
//   demo_steps.exe list ROWS    waits for the search to list ROWS controllers and end; prints the main window
//   demo_steps.exe about        opens the about box; prints it
//   demo_steps.exe filter TEXT  types TEXT into the filter box and selects every row it keeps; prints the
//                               main window
//   demo_steps.exe unfilter     clears the filter box and selects the first row alone
//   demo_steps.exe add          opens the dialog that adds a controller by its address; prints it
//   demo_steps.exe dismiss      closes the dialog that shows (the about box, the add dialog or the restore
//                               preview) and a batch window
//   demo_steps.exe backup DIR   selects every row and opens the backup to a folder with DIR typed in; prints
//                               the dialog
//   demo_steps.exe password     confirms the backup and types the login and password that the batch asks
//                               for once; prints the dialog
//   demo_steps.exe backup-run   confirms the backup (and the password) and waits for its batch to end;
//                               prints the batch window
//   demo_steps.exe restore DIR  restores from DIR: the folder confirmed, the controllers read; prints the
//                               preview
//   demo_steps.exe wait         opens the selected controller (F2); prints the wait dialog
//   demo_steps.exe sheet PAGE   waits for the settings sheet and turns to PAGE (0, 1, 2); prints it
//   demo_steps.exe close        cancels the sheet and closes the program
//
// It finds the program's windows by their classes, captions and controls: the demo runs one program.
#include "res/resource.h"

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

HWND DialogWith(int controlId, DWORD timeoutMs = 60000)
{
    return WaitFor([controlId](HWND window) { return IsDialog(window) && ::GetDlgItem(window, controlId); },
                   timeoutMs);
}

HWND MainWindow()
{
    return ::FindWindowW(L"NorvatessaMainFrame", nullptr);
}

HWND DeviceList()
{
    return ::FindWindowExW(MainWindow(), nullptr, L"NorvatessaDeviceList", nullptr);
}

// The filter box tells the program each change of its text, also one set from outside.
void SetFilter(const wchar_t* text)
{
    ::SendMessageW(::GetDlgItem(MainWindow(), IDC_FILTER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

HWND Sheet(DWORD timeoutMs = 60000, const wchar_t* caption = L"Настройки контроллера")
{
    return WaitFor([caption](HWND window) { return IsDialog(window) && Text(window) == caption; }, timeoutMs);
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

// Opens a dialog of the main window by its command and prints it once it has painted.
int OpenDialog(UINT command, int controlId)
{
    ::PostMessageW(MainWindow(), WM_COMMAND, command, 0);
    const HWND dialog = DialogWith(controlId);
    ::Sleep(300);
    return Place(dialog);
}

// Types the folder into the site folder dialog that shows and confirms it; false when none shows.
bool ConfirmFolder(const wchar_t* folder)
{
    const HWND dialog = DialogWith(IDC_SITE_FOLDER);
    if (dialog == nullptr)
        return false;
    ::SendDlgItemMessageW(dialog, IDC_SITE_FOLDER, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
}

// The batch window once its batch has ended (its summary is written then).
HWND EndedBatch()
{
    return WaitFor([](HWND window) {
        return IsDialog(window) && ::GetDlgItem(window, IDC_BATCH_SUMMARY) &&
               Text(::GetDlgItem(window, IDC_BATCH_SUMMARY)).rfind(L"Готово:", 0) == 0;
    });
}

// The backup's folder confirmed, and the files of an earlier demonstration replaced; nothing once done.
void ConfirmBackup()
{
    if (const HWND dialog = DialogWith(IDC_SITE_FOLDER, 1000))
        ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    if (const HWND question = WaitFor(
            [](HWND window) {
                return IsDialog(window) && Text(window) == L"Сохранение настроек в папку" &&
                       ::GetDlgItem(window, IDC_SITE_FOLDER) == nullptr;
            },
            3000))
        ::PostMessageW(question, WM_COMMAND, IDYES, 0);
}

// Closes a modal dialog as Esc would, and waits until it is gone and the main window takes input again:
// the next screenshot must not show it, and F2 does nothing while a modal dialog shows. A batch window
// left open goes with it.
int Dismiss()
{
    const HWND dialog = WaitFor([](HWND window) {
        return IsDialog(window) &&
               (::GetDlgItem(window, IDC_ABOUT_VERSION) || ::GetDlgItem(window, IDC_ADD_ADDRESS) ||
                ::GetDlgItem(window, IDC_GIVE_PREVIEW) || ::GetDlgItem(window, IDC_RESTORE_LIST));
    });
    if (dialog == nullptr)
    {
        std::fputs("demo_steps: no dialog to close\n", stderr);
        return 1;
    }
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    if (const HWND batch = WaitFor(
            [](HWND window) { return IsDialog(window) && ::GetDlgItem(window, IDC_BATCH_ROWS); }, 500))
        ::PostMessageW(batch, WM_COMMAND, IDC_BATCH_CLOSE, 0);
    for (int tries = 0; tries < 100 && (::IsWindow(dialog) || !::IsWindowEnabled(MainWindow())); ++tries)
        ::Sleep(50);
    // The next step's screenshot would show the dialog still on top.
    if (::IsWindow(dialog) || !::IsWindowEnabled(MainWindow()))
    {
        std::fputs("demo_steps: the dialog did not close\n", stderr);
        return 1;
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Rectangles in the screen's own pixels at any resolution, as the program sees them: Windows would
    // scale them for a program unaware of the resolution (Wine 8 does not).
    ::SetProcessDPIAware();
    const std::wstring step = argc > 1 ? argv[1] : L"";
    if (step == L"dpi")
    {
        const HDC screen = ::GetDC(nullptr);
        std::printf("%d\n", ::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
        return 0;
    }
    if (step == L"list" && argc > 2)
    {
        const LRESULT rows = std::wcstol(argv[2], nullptr, 10);
        const HWND main = WaitFor([](HWND window) { return window == MainWindow(); });
        const HWND list = DeviceList();
        // The list takes input again, and selects its first row, when the search has ended.
        for (int tries = 0;
             tries < 600 && (::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) < rows || !::IsWindowEnabled(list));
             ++tries)
            ::Sleep(100);
        ::Sleep(300); // the last paint
        return Place(main);
    }
    if (step == L"filter" && argc > 2)
    {
        SetFilter(argv[2]);
        ::PostMessageW(MainWindow(), WM_COMMAND, ID_SELECT_ALL, 0);
        ::Sleep(500); // the status bar's counts come with the next idle pass
        return Place(MainWindow());
    }
    if (step == L"unfilter")
    {
        SetFilter(L"");
        // End, then Home, in the list selects its first row alone, as F2 in the next step needs: Wine keeps a
        // selection of several rows when Home finds the focus on the first row already.
        for (const WPARAM key : {VK_END, VK_HOME})
        {
            ::PostMessageW(DeviceList(), WM_KEYDOWN, key, 1);
            ::PostMessageW(DeviceList(), WM_KEYUP, key, 0xC0000001);
        }
        ::Sleep(300);
        return 0;
    }
    if (step == L"about")
        return OpenDialog(ID_ABOUT, IDC_ABOUT_VERSION);
    if (step == L"add")
        return OpenDialog(ID_ADD_CONTROLLER, IDC_ADD_ADDRESS);
    if (step == L"give")
    {
        ::PostMessageW(MainWindow(), WM_COMMAND, ID_GIVE_ADDRESSES, 0);
        const HWND dialog = DialogWith(IDC_GIVE_PREVIEW);
        // 192.0.2.0/24 has no route in the demo's namespace: nothing answers there, and no probe leaves.
        ::SendDlgItemMessageW(dialog, IDC_GIVE_START, IPM_SETADDRESS, 0, 0xC0000264);
        ::SendDlgItemMessageW(dialog, IDC_GIVE_MASK, IPM_SETADDRESS, 0, 0xFFFFFF00);
        ::PostMessageW(dialog, WM_COMMAND, IDC_GIVE_CHECK, 0);
        // The check takes about a second; its button is off meanwhile.
        ::Sleep(500);
        for (int tries = 0; tries < 100 && !::IsWindowEnabled(::GetDlgItem(dialog, IDC_GIVE_CHECK)); ++tries)
            ::Sleep(100);
        ::Sleep(300);
        return Place(dialog);
    }
    if (step == L"dismiss")
        return Dismiss();
    if (step == L"backup" && argc > 2)
    {
        ::PostMessageW(MainWindow(), WM_COMMAND, ID_SELECT_ALL, 0);
        ::PostMessageW(MainWindow(), WM_COMMAND, ID_BACKUP_SELECTED, 0);
        const HWND dialog = DialogWith(IDC_SITE_FOLDER);
        if (dialog != nullptr)
            ::SendDlgItemMessageW(dialog, IDC_SITE_FOLDER, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        ::Sleep(300);
        return Place(dialog);
    }
    if (step == L"password")
    {
        ConfirmBackup();
        const HWND dialog = DialogWith(IDC_PASSWORD_LOGIN);
        if (dialog != nullptr)
        {
            ::SendDlgItemMessageW(dialog, IDC_PASSWORD_LOGIN, WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(L"admin"));
            ::SendDlgItemMessageW(dialog, IDC_PASSWORD_TEXT, WM_SETTEXT, 0,
                                  reinterpret_cast<LPARAM>(L"admin"));
        }
        ::Sleep(300);
        return Place(dialog);
    }
    if (step == L"backup-run")
    {
        ConfirmBackup();
        if (const HWND password = DialogWith(IDC_PASSWORD_LOGIN, 1000))
            ::PostMessageW(password, WM_COMMAND, IDOK, 0);
        const HWND batch = EndedBatch();
        ::Sleep(300);
        return Place(batch);
    }
    if (step == L"restore" && argc > 2)
    {
        ::PostMessageW(MainWindow(), WM_COMMAND, ID_RESTORE_FOLDER, 0);
        if (!ConfirmFolder(argv[2]))
            return Place(nullptr);
        const HWND preview = DialogWith(IDC_RESTORE_LIST);
        ::Sleep(300);
        return Place(preview);
    }
    if (step == L"wait")
    {
        const HWND list = DeviceList();
        ::PostMessageW(list, WM_KEYDOWN, VK_F2, 1);
        ::PostMessageW(list, WM_KEYUP, VK_F2, 0xC0000001);
        const HWND dialog = DialogWith(IDC_WAIT_DETAIL);
        ::Sleep(300);
        return Place(dialog);
    }
    if (step == L"sheet" && argc > 2)
    {
        const HWND sheet = Sheet();
        if (sheet != nullptr)
            ::SendMessageW(sheet, PSM_SETCURSEL, std::wcstoul(argv[2], nullptr, 10), 0);
        ::Sleep(500);
        return Place(sheet);
    }
    if (step == L"many" && argc > 2)
    {
        // The sheet of one controller gives way to that of every row, with sensor 1 and the buzzer changed.
        const wchar_t* const caption = L"Изменение выбранных контроллеров";
        HWND sheet = Sheet(500, caption);
        if (sheet == nullptr)
        {
            if (const HWND single = Sheet(2000))
                ::SendMessageW(single, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            for (int tries = 0; tries < 100 && !::IsWindowEnabled(MainWindow()); ++tries)
                ::Sleep(50);
            ::PostMessageW(MainWindow(), WM_COMMAND, ID_SELECT_ALL, 0);
            ::PostMessageW(MainWindow(), WM_COMMAND, ID_CHANGE_SELECTED, 0);
            sheet = Sheet(60000, caption);
        }
        if (sheet != nullptr)
        {
            ::SendMessageW(sheet, PSM_SETCURSEL, std::wcstoul(argv[2], nullptr, 10), 0);
            const HWND sensors = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_INDEXTOHWND, 2, 0));
            ::SendDlgItemMessageW(sensors, IDC_SENSOR_TYPE_FIRST, CB_SETCURSEL, 2, 0);
            ::SendDlgItemMessageW(sensors, IDC_BEEP, BM_SETCHECK, BST_CHECKED, 0);
        }
        ::Sleep(500);
        return Place(sheet);
    }
    if (step == L"close")
    {
        if (const HWND sheet = Sheet(2000))
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        if (const HWND sheet = Sheet(500, L"Изменение выбранных контроллеров"))
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        ::Sleep(500);
        ::PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
        return 0;
    }
    std::fputs(
        "usage: demo_steps.exe dpi | list ROWS | filter TEXT | unfilter | about | add | give | dismiss | "
        "backup DIR | password | backup-run | restore DIR | wait | sheet PAGE | many PAGE | close\n",
        stderr);
    return 2;
}
