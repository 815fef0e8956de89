#include "device/PendingRequest.h"

namespace OM::Norvatessa
{

void CALLBACK PendingRequest::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                                             DWORD length)
{
    if (context == 0)
        return; // a session or connection handle: nothing of ours
    auto* reference = reinterpret_cast<std::shared_ptr<PendingRequest>*>(context);
    if (status == INTERNET_STATUS_REQUEST_COMPLETE && information != nullptr &&
        length >= sizeof(INTERNET_ASYNC_RESULT))
    {
        const auto& outcome = *static_cast<const INTERNET_ASYNC_RESULT*>(information);
        PendingRequest& request = **reference;
        request.result = static_cast<DWORD>(outcome.dwResult);
        request.error = outcome.dwError;
        ::SetEvent(request.completed.get());
    }
    else if (status == INTERNET_STATUS_HANDLE_CLOSING)
    {
        delete reference; // the last report for this handle
    }
}

} // namespace OM::Norvatessa
