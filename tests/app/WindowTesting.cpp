#include "tests/app/WindowTesting.h"

#include "ui/ControlText.h"

#include <commctrl.h>

namespace OM::Norvatessa::Testing
{

namespace
{

// A visible dialog of this process with a control of this id, or with this caption; all of them when
// `count` is given.
struct Search
{
    int controlId;
    const wchar_t* caption;
    HWND found;
    int* count = nullptr;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
        std::wstring(className) != L"#32770")
        return TRUE;
    const bool matches = search.caption != nullptr ? Ui::WindowText(window) == search.caption
                                                   : ::GetDlgItem(window, search.controlId) != nullptr;
    if (!matches)
        return TRUE;
    search.found = window;
    if (search.count == nullptr)
        return FALSE;
    ++*search.count;
    return TRUE;
}

} // namespace

bool PumpUntil(Ui::MessageLoop& loop, const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done())
    {
        if (::GetTickCount64() > end)
            return false;
        MSG message{};
        bool any = false;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            any = true;
            if (!loop.PreTranslateMessage(message))
            {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        loop.RunIdleHandlers();
        if (!any)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Pump(Ui::MessageLoop& loop, DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    PumpUntil(
        loop, [end] { return ::GetTickCount64() >= end; }, milliseconds + 1000);
}

HWND FindDialogWith(int controlId)
{
    Search search{controlId, nullptr, nullptr};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialogTitled(const wchar_t* caption)
{
    Search search{0, caption, nullptr};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int CountDialogsTitled(const wchar_t* caption)
{
    int count = 0;
    Search search{0, caption, nullptr, &count};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return count;
}

HWND WaitForDialogTitled(const wchar_t* caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    for (DWORD waited = 0; waited < timeoutMs && !(found = FindDialogTitled(caption)); waited += 20)
        ::Sleep(20);
    return found;
}

std::wstring MessageBoxText(HWND box)
{
    // A message box shows its text in a static control with the id 0xFFFF.
    return Ui::ControlText(box, 0xFFFF);
}

std::wstring CellText(HWND list, int row, int column)
{
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void PressKey(Ui::MessageLoop& loop, HWND window, UINT key, bool control)
{
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const BYTE before = state[VK_CONTROL];
    state[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(state);
    MSG message{window, WM_KEYDOWN, key, 1, 0, {}};
    if (!loop.PreTranslateMessage(message))
    {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    state[VK_CONTROL] = before;
    ::SetKeyboardState(state);
}

} // namespace OM::Norvatessa::Testing
