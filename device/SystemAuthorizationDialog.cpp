#include "device/AuthorizationPrompt.h"

namespace OM::Norvatessa
{

AuthorizationPrompt::Outcome SystemAuthorizationDialog::Ask(HINTERNET request, int)
{
    // The dialog reads the demand from the answer's headers, hence no error code of ours.
    const DWORD flags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
                        FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS;
    const DWORD result = ::InternetErrorDlg(::GetDesktopWindow(), request, ERROR_SUCCESS, flags, nullptr);
    switch (result)
    {
    case ERROR_INTERNET_FORCE_RETRY:
        return {Answer::Retry};
    // Windows answers a cancel with ERROR_CANCELLED, Wine with ERROR_SUCCESS.
    case ERROR_SUCCESS:
    case ERROR_CANCELLED:
        return {Answer::Cancelled};
    default:
        return {Answer::Failed, ExchangeFailureReason::AuthorizationFailed, result};
    }
}

} // namespace OM::Norvatessa
