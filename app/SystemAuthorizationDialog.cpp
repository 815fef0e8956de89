#include "app/SystemAuthorizationDialog.h"

#include <cwchar>
#include <optional>
#include <string>
#include <utility>

namespace OM::Norvatessa
{

namespace
{

BOOL CALLBACK CancelDialog(HWND window, LPARAM cancelled)
{
    wchar_t className[8] = {};
    ::GetClassNameW(window, className, 8);
    if (std::wcscmp(className, L"#32770") == 0)
    {
        // Posted: the dialog's loop runs on the asking thread, and takes it even before it is shown.
        ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        *reinterpret_cast<bool*>(cancelled) = true;
    }
    return TRUE;
}

// A text the dialog left in the request's options; nothing when the system cannot give it.
std::optional<std::wstring> QueryText(HINTERNET request, DWORD option)
{
    std::wstring text(64, L'\0');
    for (;;)
    {
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::InternetQueryOptionW(request, option, text.data(), &bytes))
        {
            text.resize(std::wcslen(text.c_str()));
            return text;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes / sizeof(wchar_t) <= text.size())
            return std::nullopt;
        text.resize(bytes / sizeof(wchar_t) + 1);
    }
}

} // namespace

AuthorizationPrompt::Outcome SystemAuthorizationDialog::Ask(HINTERNET request, int)
{
    // The dialog reads the demand from the answer's headers, hence no error code of ours.
    const DWORD flags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                        FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS;
    askingThread = ::GetCurrentThreadId();
    const DWORD result = ::InternetErrorDlg(::GetDesktopWindow(), request, ERROR_SUCCESS, flags, nullptr);
    askingThread = 0;
    switch (result)
    {
    case ERROR_INTERNET_FORCE_RETRY:
        return Typed(request);
    // Windows answers a cancel with ERROR_CANCELLED, Wine with ERROR_SUCCESS.
    case ERROR_SUCCESS:
    case ERROR_CANCELLED:
        return {Answer::Cancelled};
    default:
        return {Answer::Failed, ExchangeFailureReason::AuthorizationFailed, result};
    }
}

// The dialog leaves what the user typed in the request's options, for the system to send after the next
// 401; the exchange sends it itself, with the resend.
AuthorizationPrompt::Outcome SystemAuthorizationDialog::Typed(HINTERNET request)
{
    std::optional<std::wstring> login = QueryText(request, INTERNET_OPTION_USERNAME);
    std::optional<std::wstring> password = QueryText(request, INTERNET_OPTION_PASSWORD);
    if (!login || !password)
        return {Answer::Failed, ExchangeFailureReason::AuthorizationFailed, ::GetLastError()};
    return Outcome::Retry(Credentials{std::move(*login), std::move(*password)});
}

void SystemAuthorizationDialog::Cancel() noexcept
{
    // Ask may have begun and its dialog not exist yet: look again for a short while.
    const ULONGLONG until = ::GetTickCount64() + CancelWaitMs;
    for (;;)
    {
        const DWORD thread = askingThread.load();
        if (thread == 0)
            return;
        bool cancelled = false;
        ::EnumThreadWindows(thread, &CancelDialog, reinterpret_cast<LPARAM>(&cancelled));
        if (cancelled || ::GetTickCount64() >= until)
            return;
        ::Sleep(10);
    }
}

} // namespace OM::Norvatessa
