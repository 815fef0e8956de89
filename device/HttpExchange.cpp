#include "device/HttpExchange.h"

#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "device/BasicAuthorization.h"
#include "device/ExchangeLabels.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

namespace OM::Norvatessa
{

using Helpers::UniqueInternetHandle;

namespace
{

constexpr wchar_t Agent[] = L"Norvatessa";
// Sendings of one exchange sent again after the controller closed the connection under them.
constexpr int MostResends = 4;
// The system neither answers a demand for credentials nor follows a redirect by itself: the exchange
// decides where credentials go.
constexpr DWORD RequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                               INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES |
                               INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTH |
                               INTERNET_FLAG_NO_AUTO_REDIRECT;

void SetTimeouts(HINTERNET handle)
{
    const std::pair<DWORD, DWORD> limits[] = {
        {INTERNET_OPTION_CONNECT_TIMEOUT, HttpExchange::ConnectTimeoutMs},
        {INTERNET_OPTION_SEND_TIMEOUT, HttpExchange::SendTimeoutMs},
        {INTERNET_OPTION_RECEIVE_TIMEOUT, HttpExchange::ReceiveTimeoutMs},
    };
    for (auto [option, milliseconds] : limits)
        ::InternetSetOptionW(handle, option, &milliseconds, sizeof milliseconds);
}

// The length the answer announced, if it did.
std::optional<std::size_t> AnnouncedLength(HINTERNET request)
{
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                          nullptr))
        return std::nullopt;
    return length;
}

bool IsRedirect(DWORD status)
{
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
           status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB || status == 308;
}

const wchar_t* Verb(const HttpRequest& request)
{
    return request.method == HttpRequest::Post  ? L"POST"
           : request.method == HttpRequest::Get ? L"GET"
                                                : nullptr;
}

} // namespace

// The request of one exchange, from its opening to its close, and what the exchange keeps of its course.
// While it is open its handle sits in the exchange's slot, where a cancel takes it from; the owner alone
// closes it, once, however the exchange ends. What the system may still write after that lives in the
// shared PendingRequest.
class HttpExchange::OpenRequest
{
public:
    OpenRequest(const Connection& connection, const HttpRequest& request, std::atomic<HINTERNET>& slot)
        : pending(std::make_shared<PendingRequest>(connection.handles)), slot(slot)
    {
        pending->headers = request.headers;
        pending->body = request.bodyBytes;
        if (!pending->Valid())
        {
            error = ::GetLastError();
            return;
        }
        const DWORD_PTR context = PendingRequest::NewContext(pending);
        // With the keep-connection flag the system puts its own "Connection: Keep-Alive" in place of the
        // close that a connection's last requests ask for.
        const DWORD flags =
            connection.lastRequests ? RequestFlags & ~INTERNET_FLAG_KEEP_CONNECTION : RequestFlags;
        handle = ::HttpOpenRequestW(connection.ConnectHandle(), Verb(request), request.objectName.c_str(),
                                    L"HTTP/1.1", L"", nullptr, flags, context);
        if (handle == nullptr)
        {
            error = ::GetLastError();
            PendingRequest::DropContext(context);
            return;
        }
        slot.store(handle);
    }
    ~OpenRequest()
    {
        if (handle == nullptr)
            return;
        slot.store(nullptr);
        ::InternetCloseHandle(handle);
    }
    OpenRequest(const OpenRequest&) = delete;
    OpenRequest& operator=(const OpenRequest&) = delete;

    bool IsOpen() const noexcept { return handle != nullptr; }
    DWORD OpenError() const noexcept { return error; }
    HINTERNET Handle() const noexcept { return handle; }
    PendingRequest& Pending() const noexcept { return *pending; }

    ULONGLONG deadline = 0;             // of the whole answer to the latest sending
    int resends = 0;                    // sendings sent again after the connection closed under them
    int demands = 0;                    // demands for credentials answered
    int refused = 0;                    // credentials the controller refused
    std::optional<Credentials> carried; // what the sendings carry from now on

private:
    std::shared_ptr<PendingRequest> pending;
    std::atomic<HINTERNET>& slot;
    HINTERNET handle = nullptr;
    DWORD error = 0;
};

HttpExchange::HttpExchange(ConnectionSink& sink, HANDLE stopEvent, AcceptedCredentials& accepted)
    : sink(sink), stopEvent(stopEvent), accepted(accepted),
      cancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

bool HttpExchange::OpenConnection(Connection& connection)
{
    connection.Close();
    // Controllers live on the local network: a workstation's proxy (a company laptop's, or `http_proxy`
    // under Wine) cannot reach them, and would see every request with its credentials.
    UniqueInternetHandle session(
        ::InternetOpenW(Agent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, INTERNET_FLAG_ASYNC));
    if (!session)
        return false;
    if (::InternetSetStatusCallbackW(session.get(), &PendingRequest::StatusCallback) ==
        INTERNET_INVALID_STATUS_CALLBACK)
        return false;
    SetTimeouts(session.get());
    UniqueInternetHandle connect(::InternetConnectW(session.get(), AddressText(connection.address).c_str(),
                                                    connection.port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                                    0, 0));
    if (!connect)
        return false;
    SetTimeouts(connect.get());
    connection.handles = std::make_shared<ConnectionHandles>(std::move(session), std::move(connect));
    return true;
}

bool HttpExchange::ExecuteRequest(Connection& connection, HttpRequest& request)
{
    if (!connection.IsOpen())
    {
        Report(connection, request, Outcome::Failed(ExchangeFailureReason::NotConnected));
        return false;
    }
    if (!connection.authorized)
    {
        if (!Authorize(connection))
            return false;
        connection.authorized = true;
    }
    if (connection.lastRequests)
        request.headers += L"Connection: close\r\n";
    return Exchange(connection, request, true);
}

bool HttpExchange::Authorize(Connection& connection)
{
    if (connection.authorized)
        return true;
    HttpRequest authorization(AuthorizationObject, AuthorizationLabel);
    return Exchange(connection, authorization, true);
}

bool HttpExchange::Exchange(Connection& connection, HttpRequest& request, bool report)
{
    // A request whose body would reach the controller altered is never sent; nor is anything once the
    // program is closing.
    if (Verb(request) == nullptr || !request.BodyFits() || IsStopping())
        return false;
    ::ResetEvent(cancelEvent.get());
    OpenRequest open(connection, request, currentRequest);
    if (!open.IsOpen() || !cancelEvent)
    {
        if (report)
            Report(connection, request,
                   Outcome::Failed(ExchangeFailureReason::RequestNotPrepared, open.OpenError()));
        return false;
    }
    // A stop that came after the check above found no request to cancel: this one must not run either.
    if (IsStopping())
        return false;
    Outcome outcome;
    try
    {
        if (report)
            Report(connection, request, Outcome{ExchangeStarted});
        outcome = Run(connection, request, open, report);
    }
    catch (...)
    {
        // Every exchange that began ends, even when a step or an observer throws: the wait dialog waits
        // for its end.
        if (report)
            Report(connection, request, Outcome::Aborted());
        throw;
    }
    // The user asked for nothing more: a failure that a cancel overtook is a cancel.
    if (outcome.kind == ExchangeFailedKind && IsCancelled())
        outcome = Outcome::Aborted();
    if (report)
        Report(connection, request, outcome);
    // A cancelled exchange gives no answer, not even the part that had arrived: a cut document must never
    // pass for a whole one.
    return outcome.kind == ExchangeCompleted;
}

HttpExchange::Outcome HttpExchange::Run(Connection& connection, HttpRequest& request, OpenRequest& open,
                                        bool report)
{
    if (const std::optional<Credentials> known = accepted.For(connection.address))
    {
        if (const std::optional<Outcome> failed = Carry(open, *known))
            return *failed;
    }
    for (;;)
    {
        if (const std::optional<Outcome> ended = Send(connection, request, open))
            return *ended;
        if (IsRedirect(request.answerStatus))
            return Outcome::Failed(ExchangeFailureReason::Redirected);
        if (request.answerStatus != HTTP_STATUS_DENIED)
        {
            if (open.carried)
                accepted.Accepted(connection.address, *open.carried);
            return ReadWhole(request, open);
        }
        if (const std::optional<Outcome> ended = AnswerDemand(connection, request, open, report))
            return *ended;
    }
}

std::optional<HttpExchange::Outcome> HttpExchange::Carry(OpenRequest& open, const Credentials& credentials)
{
    const std::optional<std::wstring> header = BasicAuthorization(credentials);
    if (!header)
        return Outcome::Failed(ExchangeFailureReason::CredentialsNotInCodePage);
    if (!::HttpAddRequestHeadersW(open.Handle(), header->c_str(), static_cast<DWORD>(header->size()),
                                  HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE))
        return Outcome::Failed(ExchangeFailureReason::RequestNotPrepared, ::GetLastError());
    open.carried = credentials;
    return std::nullopt;
}

// Sends the request until the answer's headers are there. A connection that has served an answer may
// have closed under the sending: it goes once more, and the system opens a fresh connection for it. Once
// for each sending (an answer in between starts a new one), and a few times an exchange at most.
std::optional<HttpExchange::Outcome> HttpExchange::Send(Connection& connection, HttpRequest& request,
                                                        OpenRequest& open)
{
    for (bool resent = false;;)
    {
        open.deadline = ::GetTickCount64() + AnswerTimeLimitMs;
        Sending sending = SendOnce(open, request);
        if (sending.wait == Wait::Cancelled)
            return Outcome::Aborted();
        if (sending.wait == Wait::NotConnected)
            return Outcome::Failed(ExchangeFailureReason::NoConnection);
        // Sent, the answer's head was still coming in at the limit: the system's receive time-out ends a
        // wait for the first byte long before.
        if (sending.wait == Wait::TimedOut)
            return open.Pending().SentAt() != 0
                       ? Outcome::Failed(ExchangeFailureReason::AnswerTooSlow)
                       : Outcome::Failed(ExchangeFailureReason::NoAnswer, ERROR_INTERNET_TIMEOUT);
        DWORD status = 0;
        const std::optional<ExchangeFailureReason> unanswered = Unanswered(open, sending, status);
        const bool servedBefore = connection.servedAnswer || open.Pending().AnsweredBefore();
        const bool sendingResentAlready = resent && !open.Pending().AnsweredBefore();
        if (unanswered == ExchangeFailureReason::ClosedWithoutAnswer && servedBefore &&
            !sendingResentAlready && open.resends < MostResends)
        {
            resent = true;
            ++open.resends;
            continue;
        }
        if (unanswered)
            return Outcome::Failed(*unanswered, sending.error);
        connection.servedAnswer = true;
        request.answerStatus = status;
        return std::nullopt;
    }
}

// The demand's own text is read away, so that the answer read later is that of the resend, and the
// prompt answers the demand. Nothing when the request goes out again with credentials.
std::optional<HttpExchange::Outcome> HttpExchange::AnswerDemand(const Connection& connection,
                                                                HttpRequest& request, OpenRequest& open,
                                                                bool report)
{
    DWORD error = 0;
    switch (ReadAnswer(open, nullptr, error))
    {
    case ReadOutcome::Whole:
        break;
    case ReadOutcome::TooSlow:
        return Outcome::Failed(ExchangeFailureReason::AnswerTooSlow);
    case ReadOutcome::CutOff:
        return Outcome::Failed(ExchangeFailureReason::AnswerCutOff, error);
    default:
        return Outcome::Aborted();
    }
    // Credentials the controller accepted earlier and refuses now are forgotten: it is asked again.
    if (open.carried)
    {
        accepted.Refused(connection.address);
        ++open.refused;
    }
    // A cancel or a stop while the demand was read must not open the credentials dialog, which nothing
    // would close then.
    if (IsCancelled() || IsStopping())
        return Outcome::Aborted();
    AuthorizationPrompt* const asked = prompt.load();
    if (asked == nullptr)
        return Outcome::Failed(ExchangeFailureReason::CredentialsRequired);
    if (report)
        Report(connection, request, Outcome{AuthorizationRequested});
    const AuthorizationPrompt::Outcome answer = asked->Ask(open.Handle(), open.refused);
    if (answer.answer == AuthorizationPrompt::Answer::Cancelled)
        return Outcome::Aborted();
    if (answer.answer == AuthorizationPrompt::Answer::Failed)
        return Outcome::Failed(answer.reason, answer.systemError);
    if (const std::optional<Outcome> failed = Carry(open, answer.credentials))
        return failed;
    if (report)
        Report(connection, request, Outcome{AuthorizationRetried});
    if (++open.demands < AuthorizationRetries)
        return std::nullopt;
    // Taken as the answer: the demand's text, already read away.
    if (IsCancelled())
        return Outcome::Aborted();
    request.answer.clear();
    request.answerBytes.clear();
    return Outcome{};
}

HttpExchange::Outcome HttpExchange::ReadWhole(HttpRequest& request, OpenRequest& open)
{
    std::string answer;
    DWORD error = 0;
    switch (ReadAnswer(open, &answer, error))
    {
    case ReadOutcome::Whole:
        // The text ends at the first zero byte, as the controller's own code reads it.
        request.answer = FromThreadAnsi(std::string_view(answer.c_str()));
        request.answerBytes = std::move(answer);
        return Outcome{};
    case ReadOutcome::CutOff:
        return Outcome::Failed(ExchangeFailureReason::AnswerCutOff, error);
    case ReadOutcome::TooLong:
        return Outcome::Failed(ExchangeFailureReason::AnswerTooLong);
    case ReadOutcome::TooSlow:
        return Outcome::Failed(ExchangeFailureReason::AnswerTooSlow);
    default:
        return Outcome::Aborted();
    }
}

HttpExchange::Sending HttpExchange::SendOnce(OpenRequest& open, const HttpRequest& request)
{
    if (IsCancelled())
        return {Wait::Cancelled}; // nothing goes out once the exchange is cancelled, not even a resend
    PendingRequest& pending = open.Pending();
    ::ResetEvent(pending.Completed());
    pending.ResetCourse();
    const ULONGLONG connectBy = ::GetTickCount64() + ConnectTimeoutMs;
    const bool post = request.method == HttpRequest::Post;
    const BOOL done =
        ::HttpSendRequestW(open.Handle(), pending.headers.empty() ? nullptr : pending.headers.c_str(),
                           static_cast<DWORD>(pending.headers.size()), post ? pending.body.data() : nullptr,
                           post ? static_cast<DWORD>(pending.body.size()) : 0);
    if (done)
        return {Wait::Done, true};
    Sending sending{Wait::Done, false, ::GetLastError()};
    if (sending.error != ERROR_IO_PENDING)
    {
        if (IsCancelled())
            sending.wait = Wait::Cancelled;
        return sending;
    }
    sending.wait = WaitFor(pending, open.deadline, connectBy);
    if (sending.wait == Wait::Done)
    {
        sending.sent = pending.Result() != 0;
        sending.error = pending.Error();
    }
    return sending;
}

// Why a sending that went out and waited to its end has no answer to read, or nothing when it has one
// (its status in `status`).
std::optional<ExchangeFailureReason> HttpExchange::Unanswered(OpenRequest& open, Sending& sending,
                                                              DWORD& status) const
{
    if (!sending.sent)
        return UnansweredReason(open.Pending(), sending.error);
    DWORD size = sizeof status;
    if (!::HttpQueryInfoW(open.Handle(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr))
    {
        sending.error = ::GetLastError();
        return ExchangeFailureReason::NoAnswer;
    }
    if (status == 0)
        return ExchangeFailureReason::ClosedWithoutAnswer; // Wine takes no bytes for an answer
    return std::nullopt;
}

HttpExchange::ReadOutcome HttpExchange::ReadAnswer(OpenRequest& open, std::string* answer, DWORD& error)
{
    const std::optional<std::size_t> announced = AnnouncedLength(open.Handle());
    std::size_t total = 0;
    for (;;)
    {
        DWORD available = 0;
        if (const std::optional<ReadOutcome> ended = WaitForBytes(open, available, error))
            return *ended;
        if (available == 0)
            break;
        if (const std::optional<ReadOutcome> ended = ReadAvailable(open, available, answer, total, error))
            return *ended;
        if (::GetTickCount64() > open.deadline)
            return ReadOutcome::TooSlow;
    }
    // A connection that closes early may look like the end of the answer; the announced length tells.
    if (announced && total != *announced)
        return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
    return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::Whole;
}

std::optional<HttpExchange::ReadOutcome> HttpExchange::WaitForBytes(OpenRequest& open, DWORD& available,
                                                                    DWORD& error)
{
    PendingRequest& pending = open.Pending();
    for (;;)
    {
        if (IsCancelled())
            return ReadOutcome::Cancelled;
        pending.available = 0;
        ::ResetEvent(pending.Completed());
        if (::InternetQueryDataAvailable(open.Handle(), &pending.available, 0, 0))
        {
            available = pending.available;
            return std::nullopt;
        }
        error = ::GetLastError();
        if (error != ERROR_IO_PENDING)
            return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
        const Wait waited = WaitFor(pending, open.deadline);
        if (waited == Wait::Cancelled)
            return ReadOutcome::Cancelled;
        if (waited == Wait::TimedOut)
            return ReadOutcome::TooSlow;
        if (pending.Result() == 0 && pending.Error() != 0)
        {
            error = pending.Error();
            return ReadOutcome::CutOff;
        }
        // Ask again: what arrived is there now.
    }
}

std::optional<HttpExchange::ReadOutcome> HttpExchange::ReadAvailable(OpenRequest& open, DWORD available,
                                                                     std::string* answer, std::size_t& total,
                                                                     DWORD& error)
{
    PendingRequest& pending = open.Pending();
    while (available > 0)
    {
        const DWORD want = std::min<DWORD>(available, PendingRequest::PieceBytes);
        pending.pieceLength = 0;
        if (!::InternetReadFile(open.Handle(), pending.piece, want, &pending.pieceLength))
        {
            error = ::GetLastError();
            return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
        }
        const DWORD read = pending.pieceLength;
        if (read == 0)
            break;
        available -= std::min(available, read);
        total += read;
        if (answer == nullptr)
            continue;
        // Room is left for the terminating zero that the controller's own code would need.
        if (answer->size() + read > AnswerBufferSize - 1)
            return ReadOutcome::TooLong;
        answer->append(pending.piece, read);
    }
    return std::nullopt;
}

HttpExchange::Wait HttpExchange::WaitFor(PendingRequest& pending, ULONGLONG deadline, ULONGLONG connectBy)
{
    const HANDLE events[] = {pending.Completed(), cancelEvent.get()};
    for (;;)
    {
        if (IsCancelled())
            return Wait::Cancelled;
        const ULONGLONG now = ::GetTickCount64();
        ULONGLONG until = deadline;
        if (connectBy != 0 && !pending.Connected())
        {
            if (now >= connectBy)
                return Wait::NotConnected;
            until = std::min(until, connectBy);
        }
        const DWORD remaining = now >= until ? 0 : static_cast<DWORD>(until - now);
        const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, remaining);
        if (woken == WAIT_OBJECT_0)
            return Wait::Done;
        if (woken == WAIT_OBJECT_0 + 1)
        {
            // The slot says whether this exchange was the one cancelled.
            ::ResetEvent(cancelEvent.get());
            continue;
        }
        if (woken == WAIT_TIMEOUT && until < deadline)
            continue;          // the connect bound: made by now, or not
        return Wait::TimedOut; // the deadline, or a wait that failed and would fail again
    }
}

ExchangeFailureReason HttpExchange::UnansweredReason(const PendingRequest& pending, DWORD error)
{
    // Wine tells a receive time-out as a broken connection; the time since sending tells them apart.
    constexpr ULONGLONG Margin = 500;
    const bool broken = error == ERROR_INTERNET_CONNECTION_ABORTED ||
                        error == ERROR_INTERNET_CONNECTION_RESET ||
                        error == ERROR_HTTP_INVALID_SERVER_RESPONSE;
    if (!pending.Connected())
        return error == ERROR_INTERNET_TIMEOUT ? ExchangeFailureReason::NoConnection
                                               : ExchangeFailureReason::NoAnswer;
    const ULONGLONG sentAt = pending.SentAt();
    const bool waitedOut = sentAt != 0 && ::GetTickCount64() - sentAt + Margin >= ReceiveTimeoutMs;
    if (!pending.AnswerHeadReceived() && (error == ERROR_INTERNET_TIMEOUT || (broken && waitedOut)))
        return ExchangeFailureReason::NoAnswerInTime;
    if (!pending.AnswerHeadReceived() && broken)
        return ExchangeFailureReason::ClosedWithoutAnswer;
    return ExchangeFailureReason::NoAnswer;
}

void HttpExchange::CancelExchange() noexcept
{
    if (currentRequest.exchange(nullptr) != nullptr)
        ::SetEvent(cancelEvent.get());
}

void HttpExchange::CancelPrompt() noexcept
{
    if (AuthorizationPrompt* const asking = prompt.load())
        asking->Cancel();
}

bool HttpExchange::IsStopping() const noexcept
{
    return stopEvent != nullptr && ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

void HttpExchange::Report(const Connection& connection, const HttpRequest& request, const Outcome& outcome)
{
    ConnectionEvent event;
    event.kind = outcome.kind;
    event.address = connection.address;
    event.text = request.label;
    event.failure = ExchangeFailure{connection.address, request.label, outcome.reason, outcome.systemError};
    sink.OnConnectionEvent(event);
}

} // namespace OM::Norvatessa
