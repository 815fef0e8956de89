#include "tests/device/CredentialsDialogAnswerer.h"

#include <utility>

namespace OM::Norvatessa::Testing
{

namespace
{

constexpr int LoginEdit = 1027;
constexpr int PasswordEdit = 1028;

BOOL CALLBACK FindDialog(HWND window, LPARAM found)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) &&
        std::wstring(className) == L"#32770" && ::GetDlgItem(window, LoginEdit) != nullptr)
    {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND CredentialsDialog()
{
    HWND found = nullptr;
    ::EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

CredentialsDialogAnswerer::CredentialsDialogAnswerer(Action action, std::wstring login, std::wstring password,
                                                     int times)
    : action(action), login(std::move(login)), password(std::move(password)), times(times),
      thread([this] { Answer(); })
{
}

CredentialsDialogAnswerer::~CredentialsDialogAnswerer()
{
    ::SetEvent(done.get());
    thread.join();
}

void CredentialsDialogAnswerer::Answer()
{
    while (answered < times)
    {
        HWND dialog = nullptr;
        while ((dialog = CredentialsDialog()) == nullptr)
        {
            if (::WaitForSingleObject(done.get(), 20) == WAIT_OBJECT_0)
                return;
        }
        if (action == Action::Confirm)
        {
            ::SendMessageW(::GetDlgItem(dialog, LoginEdit), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(login.c_str()));
            ::SendMessageW(::GetDlgItem(dialog, PasswordEdit), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(password.c_str()));
        }
        ::PostMessageW(dialog, WM_COMMAND, action == Action::Confirm ? IDOK : IDCANCEL, 0);
        ++answered;
        // The same dialog must not be answered twice.
        while (::IsWindow(dialog) && ::IsWindowVisible(dialog))
        {
            if (::WaitForSingleObject(done.get(), 20) == WAIT_OBJECT_0)
                return;
        }
    }
}

} // namespace OM::Norvatessa::Testing
