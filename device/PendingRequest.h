#pragma once

#include "device/ConnectionHandles.h"
#include "helpers/UniqueHandle.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

namespace OM::Norvatessa
{

// What the system's HTTP code reports back about one request running asynchronously: the result of the
// operation that was pending, and its error.
//
// The system may report after the exchange has stopped waiting (it gave up at its deadline, or was
// cancelled), so the record is shared: the exchange holds one reference, the request handle's context
// holds another, which the status callback lets go when the system says the handle is closing. Until
// then the record also keeps the connection that the request runs under from being closed.
class PendingRequest
{
public:
    explicit PendingRequest(std::shared_ptr<const ConnectionHandles> connection)
        : connection(std::move(connection)), completed(::CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }

    // The context to give the request handle: a reference that StatusCallback releases.
    static DWORD_PTR NewContext(const std::shared_ptr<PendingRequest>& request)
    {
        return reinterpret_cast<DWORD_PTR>(new std::shared_ptr<PendingRequest>(request));
    }
    // For a handle that was never created, and so will never close.
    static void DropContext(DWORD_PTR context)
    {
        delete reinterpret_cast<std::shared_ptr<PendingRequest>*>(context);
    }

    // The session's status callback, inherited by its request handles.
    static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                                        DWORD length);

    // What the system has told of the request's course so far, so that a failure can be told for what it
    // is. Reset before each send.
    void ResetCourse() noexcept
    {
        connected = false;
        sentAt = 0;
        answerHeadReceived = false;
        answeredBefore = false;
    }
    bool Connected() const noexcept { return connected; }
    // When the request went out (the tick count), 0 while it has not.
    ULONGLONG SentAt() const noexcept { return sentAt; }
    bool AnswerHeadReceived() const noexcept { return answerHeadReceived; }
    // An answer came to an earlier sending within the same call, on the same connection.
    bool AnsweredBefore() const noexcept { return answeredBefore; }

    bool Valid() const noexcept { return completed.valid(); }
    HANDLE Completed() const noexcept { return completed.get(); }
    DWORD Result() const noexcept { return result; }
    DWORD Error() const noexcept { return error; }

    // The headers and the body of a POST: the system may still be sending them after the exchange has
    // stopped waiting.
    std::wstring headers;
    std::string body;

    // Where the system writes what a call that may pend gives back: a call that completes after the
    // exchange has given up on it (at its deadline, or cancelled) still writes there, so it lives with the
    // record. The bytes a query finds waiting, and the bytes a read takes.
    DWORD available = 0;
    static constexpr DWORD PieceBytes = 50;
    char piece[PieceBytes] = {};
    DWORD pieceLength = 0;

private:
    std::shared_ptr<const ConnectionHandles> connection; // the handles the request was opened under
    Helpers::UniqueHandle completed;                     // auto-reset; set by each completion
    std::atomic<DWORD> result{0};
    std::atomic<DWORD> error{0};
    std::atomic<bool> connected{false}; // a connection is made, or an open one is used
    std::atomic<ULONGLONG> sentAt{0};
    std::atomic<bool> answerHeadReceived{false};
    std::atomic<bool> answeredBefore{false};
};

} // namespace OM::Norvatessa
