#include "device/PendingRequest.h"

namespace OM::Norvatessa
{

void CALLBACK PendingRequest::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                                             DWORD length)
{
    if (context == 0)
        return; // a session or connection handle: nothing of ours
    auto* reference = reinterpret_cast<std::shared_ptr<PendingRequest>*>(context);
    PendingRequest& course = **reference;
    switch (status)
    {
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
        course.connected = true;
        return;
    // A connection that is used again reports no connecting, only the sending. The system may send a
    // request more than once in one call (it meets a demand for credentials by itself first): each sending
    // starts the course of an answer anew.
    case INTERNET_STATUS_SENDING_REQUEST:
        course.connected = true;
        if (course.answerHeadReceived.exchange(false))
            course.answeredBefore = true;
        return;
    case INTERNET_STATUS_REQUEST_SENT:
        course.sentAt = ::GetTickCount64();
        return;
    case INTERNET_STATUS_RESPONSE_RECEIVED:
        // Also told, with no bytes, when the connection turned out to be closed.
        if (information != nullptr && length >= sizeof(DWORD) && *static_cast<const DWORD*>(information) > 0)
            course.answerHeadReceived = true;
        return;
    default:
        break;
    }
    if (status == INTERNET_STATUS_REQUEST_COMPLETE && information != nullptr &&
        length >= sizeof(INTERNET_ASYNC_RESULT))
    {
        const auto& outcome = *static_cast<const INTERNET_ASYNC_RESULT*>(information);
        course.result = static_cast<DWORD>(outcome.dwResult);
        course.error = outcome.dwError;
        ::SetEvent(course.completed.get());
    }
    else if (status == INTERNET_STATUS_HANDLE_CLOSING)
    {
        delete reference; // the last report for this handle
    }
}

} // namespace OM::Norvatessa
