#pragma once

#include "common/ConnectionSink.h"
#include "device/AcceptedCredentials.h"
#include "device/AuthorizationPrompt.h"
#include "device/Connection.h"
#include "device/HttpRequest.h"
#include "device/PendingRequest.h"
#include "helpers/UniqueHandle.h"

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// The HTTP transport to the controllers: it opens a controller's connection, sends one request at a time,
// answers a demand for credentials, reads the answer and reports the course of every exchange to a sink.
//
// Who runs what: everything runs on the device manager's worker thread (or, in the console program, on
// the one thread that uses the manager), except CancelExchange, which the user-interface thread calls
// while the worker waits for a controller, and CancelPrompt, which any thread may call while the worker
// waits for the prompt. `currentRequest` is the only value both touch besides the prompt: CancelExchange
// takes the request out of that slot in one atomic exchange and wakes the worker, and the exchange alone
// closes its request. A handle closed by another thread could be given at once to the next handle this
// process opens (Wine reuses the number), and the worker would go on with that one.
//
// Nothing here waits without a bound. The system runs each request on a thread of its own (WinINet's
// asynchronous mode) while the worker waits for it with a deadline: an answer must arrive whole within
// AnswerTimeLimitMs of sending, however slowly a controller drips it, and a cancel wakes the worker at
// once. The connect, send and receive time-outs on every connection bound the system's own thread, which
// under Wine goes on with a closed request until its current call returns. The system's asynchronous mode
// ignores the connect time-out, so the exchange bounds the connecting itself: the status callback tells
// when the connection is made.
//
// A controller that closes its connection after every answer may do so a moment after it, so that the
// next request (the resend with credentials, say) goes out on a connection that is just closing and is
// answered by a reset. A request that fails so, before any byte of an answer, on a connection that has
// already served a request, is sent once more: the system opens a fresh connection for it.
//
// Credentials go in a header the exchange adds itself, with the first sending of a request to a
// controller that has accepted them in this run (the memory shared by every thread that runs exchanges);
// any other controller gets them only after it has asked. The system never sends credentials on its own:
// the connection has no login, and the system answers no demand itself (a login handed to the system
// would go out only after a 401, on every request, and to a login "user" it gives by itself twice). A
// redirect is never followed: the credentials would follow it to another host.
//
// An HttpExchange runs one exchange at a time, in named steps: open the request, send it, answer a demand
// for credentials and send it again, read the whole answer. What one exchange keeps (its request, what the
// system reports of it, its deadline, its answer) lives in a record of that exchange (OpenRequest) from its
// opening to its close; only the slot of the running request, its cancel event and the prompt belong to
// the HttpExchange, and a thread that runs exchanges of its own owns an HttpExchange of its own.
class HttpExchange
{
public:
    // The bounds of every exchange (the README states them).
    static constexpr DWORD ConnectTimeoutMs = 5000;
    static constexpr DWORD SendTimeoutMs = 5000;
    static constexpr DWORD ReceiveTimeoutMs = 5000;
    static constexpr DWORD AnswerTimeLimitMs = 15000;
    // An answer holds at most AnswerBufferSize - 1 bytes; a longer one fails the exchange.
    static constexpr std::size_t AnswerBufferSize = 16000;
    // Demands for credentials answered in one exchange before the answer is taken as it is.
    static constexpr int AuthorizationRetries = 5;

    // `stopEvent`, when set, keeps new exchanges from starting: the program is closing. `accepted` is the
    // engine's memory of the credentials each controller accepted, shared with its other exchanges.
    HttpExchange(ConnectionSink& sink, HANDLE stopEvent, AcceptedCredentials& accepted);
    HttpExchange(const HttpExchange&) = delete;
    HttpExchange& operator=(const HttpExchange&) = delete;

    // Worker thread, while no exchange runs. Without a prompt a demand for credentials fails the exchange.
    void SetAuthorizationPrompt(AuthorizationPrompt* prompt) noexcept { this->prompt = prompt; }

    // The engine's memory of accepted credentials, which a write that changes an account updates.
    AcceptedCredentials& Accepted() noexcept { return accepted; }

    // Any thread. (Re)opens the controller's session and connection handles; no exchange is involved.
    static bool OpenConnection(Connection& connection);
    // Worker thread. Authorises the connection first if it never was, then runs the exchange with
    // reports. True when `request.answer` holds the controller's answer.
    bool ExecuteRequest(Connection& connection, HttpRequest& request);
    // Worker thread. The GET of "config" that meets the controller's demand for credentials once.
    bool Authorize(Connection& connection);
    // Worker thread. One exchange; `report` says whether its course is reported.
    bool Exchange(Connection& connection, HttpRequest& request, bool report);

    // User-interface thread. Ends the exchange in progress, if any, without an answer: the worker wakes and
    // closes its request.
    void CancelExchange() noexcept;
    // Any thread. Ends a credentials prompt in progress, if any, as if the user had cancelled it.
    void CancelPrompt() noexcept;

private:
    class OpenRequest;

    // How an exchange ended (ExchangeCompleted, ExchangeAborted or ExchangeFailedKind), and why it failed.
    // A step that ends nothing gives none, and the exchange goes on with its next step.
    struct Outcome
    {
        std::int32_t kind = ExchangeCompleted;
        ExchangeFailureReason reason{};
        DWORD systemError = 0;

        static Outcome Aborted() noexcept { return {ExchangeAborted}; }
        static Outcome Failed(ExchangeFailureReason why, DWORD error = 0) noexcept
        {
            return {ExchangeFailedKind, why, error};
        }
    };
    enum class Wait
    {
        Done,
        Cancelled,
        TimedOut,
        NotConnected, // no connection within ConnectTimeoutMs
    };
    // One sending of the request, until the answer's headers are there or it failed (`error`).
    struct Sending
    {
        Wait wait = Wait::Done;
        bool sent = false;
        DWORD error = 0;
    };
    enum class ReadOutcome
    {
        Whole,
        Cancelled,
        CutOff,
        TooLong,
        TooSlow,
    };

    // The steps of an exchange, in their order, once its request is open.
    Outcome Run(Connection& connection, HttpRequest& request, OpenRequest& open, bool report);
    std::optional<Outcome> Send(Connection& connection, HttpRequest& request, OpenRequest& open);
    std::optional<Outcome> AnswerDemand(const Connection& connection, HttpRequest& request, OpenRequest& open,
                                        bool report);
    // Puts the credentials in the request's header for its next sendings; the failure when it cannot.
    // With `remember`, a controller that takes them has them kept in the store of remembered credentials.
    static std::optional<Outcome> Carry(OpenRequest& open, const Credentials& credentials,
                                        bool remember = false);
    Outcome ReadWhole(HttpRequest& request, OpenRequest& open);

    // What the steps are made of.
    Sending SendOnce(OpenRequest& open, const HttpRequest& request);
    std::optional<ExchangeFailureReason> Unanswered(OpenRequest& open, Sending& sending, DWORD& status) const;
    // Why a send that got no answer failed, from what the system said and when.
    static ExchangeFailureReason UnansweredReason(const PendingRequest& pending, DWORD error);
    // Reads the answer to its end; into `answer` when given, else away.
    ReadOutcome ReadAnswer(OpenRequest& open, std::string* answer, DWORD& error);
    // Waits until the system has bytes of the answer, or knows there are none left (`available` 0);
    // the end of the read when it ends here.
    std::optional<ReadOutcome> WaitForBytes(OpenRequest& open, DWORD& available, DWORD& error);
    // Reads the `available` bytes that are there, a piece at a time, counting them in `total`; the end of
    // the read when it ends here.
    std::optional<ReadOutcome> ReadAvailable(OpenRequest& open, DWORD available, std::string* answer,
                                             std::size_t& total, DWORD& error);
    // Waits for the pending call to complete, until `deadline`; with `connectBy` set, also until then for
    // the connection to be made.
    Wait WaitFor(PendingRequest& pending, ULONGLONG deadline, ULONGLONG connectBy = 0);

    bool IsCancelled() const noexcept { return currentRequest.load() == nullptr; }
    bool IsStopping() const noexcept;
    void Report(const Connection& connection, const HttpRequest& request, const Outcome& outcome);

    ConnectionSink& sink;
    HANDLE stopEvent;
    AcceptedCredentials& accepted;
    Helpers::UniqueHandle cancelEvent; // manual reset; set by CancelExchange to wake the worker
    std::atomic<AuthorizationPrompt*> prompt{nullptr}; // set on the worker, cancelled from any thread
    std::atomic<HINTERNET> currentRequest{nullptr};    // the request of the running exchange, or null
};

} // namespace OM::Norvatessa
