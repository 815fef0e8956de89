#include "device/HttpExchange.h"

#include "common/AddressText.h"
#include "common/AnsiText.h"
#include "device/ExchangeLabels.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace OM::Norvatessa
{

using Helpers::UniqueInternetHandle;

namespace
{

constexpr wchar_t Agent[] = L"Norvatessa";
// Sendings of one exchange sent again after the controller closed the connection under them.
constexpr int MostResends = 4;
// WinINet first tries this login with an empty password by itself, so that a controller which accepts it
// never has to ask.
constexpr wchar_t DefaultLogin[] = L"user";
constexpr DWORD RequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                               INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_COOKIES |
                               INTERNET_FLAG_PRAGMA_NOCACHE;

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

} // namespace

HttpExchange::HttpExchange(ConnectionSink& sink, HANDLE stopEvent)
    : sink(sink), stopEvent(stopEvent), cancelEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      answerBuffer(AnswerBufferSize)
{
}

void HttpExchange::SetAuthorizationPrompt(AuthorizationPrompt* replacement) noexcept
{
    prompt = replacement ? replacement : &systemDialog;
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
                                                    connection.port, DefaultLogin, L"", INTERNET_SERVICE_HTTP,
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
        Report(connection, request, ExchangeFailedKind, ExchangeFailureReason::NotConnected);
        return false;
    }
    if (!connection.authorized)
    {
        if (!Authorize(connection))
            return false;
        connection.authorized = true;
    }
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
    const wchar_t* verb = request.method == HttpRequest::Post  ? L"POST"
                          : request.method == HttpRequest::Get ? L"GET"
                                                               : nullptr;
    // A request whose body would reach the controller altered is never sent; nor is anything once the
    // program is closing.
    if (verb == nullptr || !request.BodyFits() || IsStopping())
        return false;

    const auto pending = std::make_shared<PendingRequest>(connection.handles);
    pending->headers = request.headers;
    pending->body = request.bodyBytes;
    const DWORD_PTR context = PendingRequest::NewContext(pending);
    const HINTERNET handle =
        pending->Valid() && cancelEvent
            ? ::HttpOpenRequestW(connection.ConnectHandle(), verb, request.objectName.c_str(), L"HTTP/1.1",
                                 L"", nullptr, RequestFlags, context)
            : nullptr;
    if (handle == nullptr)
    {
        const DWORD error = ::GetLastError();
        PendingRequest::DropContext(context);
        if (report)
            Report(connection, request, ExchangeFailedKind, ExchangeFailureReason::RequestNotPrepared, error);
        return false;
    }
    ::ResetEvent(cancelEvent.get());
    currentRequest.store(handle);
    // A stop that came after the check above found no request to cancel: this one must not run either.
    if (IsStopping())
    {
        currentRequest.store(nullptr);
        ::InternetCloseHandle(handle);
        return false;
    }
    if (report)
        Report(connection, request, ExchangeStarted);

    std::int32_t kind = ExchangeCompleted;
    ExchangeFailureReason reason{};
    DWORD error = 0;
    const auto fail = [&](ExchangeFailureReason why, DWORD code) {
        kind = ExchangeFailedKind;
        reason = why;
        error = code;
    };
    bool userCancelled = false;
    bool answerReadAway = false;
    bool resent = false;
    int resends = 0;
    ULONGLONG deadline = 0;
    for (int retries = 0;;)
    {
        deadline = ::GetTickCount64() + AnswerTimeLimitMs;
        bool sent = false;
        const Wait waited = Send(handle, request, *pending, deadline, sent, error);
        if (waited == Wait::Cancelled)
            break;
        if (waited == Wait::NotConnected)
        {
            fail(ExchangeFailureReason::NoConnection, 0);
            break;
        }
        if (waited == Wait::TimedOut)
        {
            // Sent, the answer's head was still coming in at the limit: the system's receive time-out ends
            // a wait for the first byte long before.
            if (pending->SentAt() != 0)
                fail(ExchangeFailureReason::AnswerTooSlow, 0);
            else
                fail(ExchangeFailureReason::NoAnswer, ERROR_INTERNET_TIMEOUT);
            break;
        }
        DWORD status = 0;
        DWORD size = sizeof status;
        std::optional<ExchangeFailureReason> unanswered;
        if (!sent)
        {
            unanswered = UnansweredReason(*pending, error);
        }
        else if (!::HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                   nullptr))
        {
            unanswered = ExchangeFailureReason::NoAnswer;
            error = ::GetLastError();
        }
        else if (status == 0)
        {
            unanswered = ExchangeFailureReason::ClosedWithoutAnswer; // Wine takes no bytes for an answer
        }
        // A connection that has served an answer may have closed under this sending: it goes once more, and
        // the system opens a fresh connection for it. Once for each sending (an answer in between starts a
        // new one), and a few times an exchange at most.
        const bool servedBefore = connection.answered || pending->AnsweredBefore();
        const bool sendingResentAlready = resent && !pending->AnsweredBefore();
        if (unanswered == ExchangeFailureReason::ClosedWithoutAnswer && servedBefore &&
            !sendingResentAlready && resends < MostResends)
        {
            resent = true;
            ++resends;
            continue;
        }
        if (unanswered)
        {
            fail(*unanswered, error);
            break;
        }
        connection.answered = true;
        resent = false;
        request.answerStatus = status;
        if (status != HTTP_STATUS_DENIED)
            break;

        // The demand's own text is read away, so that the answer read later is that of the resend.
        std::size_t ignored = 0;
        const ReadOutcome drained = ReadAnswer(handle, *pending, deadline, false, ignored, error);
        if (drained == ReadOutcome::TooSlow)
            fail(ExchangeFailureReason::AnswerTooSlow, 0);
        if (drained == ReadOutcome::CutOff)
            fail(ExchangeFailureReason::AnswerCutOff, error);
        if (drained != ReadOutcome::Whole)
            break;
        // A cancel or a stop while the demand was read must not open the credentials dialog, which
        // nothing would close then.
        if (IsCancelled() || IsStopping())
        {
            userCancelled = true;
            break;
        }
        if (report)
            Report(connection, request, AuthorizationRequested);
        const AuthorizationPrompt::Outcome asked = prompt->Ask(handle, retries);
        if (asked.answer == AuthorizationPrompt::Answer::Cancelled)
        {
            userCancelled = true;
            break;
        }
        if (asked.answer == AuthorizationPrompt::Answer::Failed)
        {
            fail(asked.reason, asked.systemError);
            break;
        }
        if (report)
            Report(connection, request, AuthorizationRetried);
        if (++retries >= AuthorizationRetries)
        {
            answerReadAway = true; // taken as the answer: the demand's text, already read away
            break;
        }
    }

    if (userCancelled || IsCancelled())
    {
        kind = ExchangeAborted;
    }
    else if (kind == ExchangeCompleted && answerReadAway)
    {
        request.answer.clear();
        request.answerBytes.clear();
    }
    else if (kind == ExchangeCompleted)
    {
        std::size_t length = 0;
        switch (ReadAnswer(handle, *pending, deadline, true, length, error))
        {
        case ReadOutcome::Whole:
            request.answerBytes.assign(answerBuffer.data(), length);
            request.answer =
                FromThreadAnsi(std::string_view(answerBuffer.data(), ::strnlen(answerBuffer.data(), length)));
            break;
        case ReadOutcome::Cancelled:
            kind = ExchangeAborted;
            break;
        case ReadOutcome::CutOff:
            fail(ExchangeFailureReason::AnswerCutOff, error);
            break;
        case ReadOutcome::TooLong:
            fail(ExchangeFailureReason::AnswerTooLong, 0);
            break;
        case ReadOutcome::TooSlow:
            fail(ExchangeFailureReason::AnswerTooSlow, 0);
            break;
        }
    }
    if (report)
        Report(connection, request, kind, reason, error);

    currentRequest.store(nullptr);
    ::InternetCloseHandle(handle);
    // A cancelled exchange gives no answer, not even the part that had arrived: a cut document must never
    // pass for a whole one.
    return kind == ExchangeCompleted;
}

HttpExchange::Wait HttpExchange::Send(HINTERNET handle, const HttpRequest& request, PendingRequest& pending,
                                      ULONGLONG deadline, bool& sent, DWORD& error)
{
    if (IsCancelled())
        return Wait::Cancelled; // nothing goes out once the exchange is cancelled, not even a resend
    ::ResetEvent(pending.Completed());
    pending.ResetCourse();
    const ULONGLONG connectBy = ::GetTickCount64() + ConnectTimeoutMs;
    const BOOL done =
        request.method == HttpRequest::Post
            ? ::HttpSendRequestW(handle, pending.headers.c_str(), static_cast<DWORD>(pending.headers.size()),
                                 pending.body.data(), static_cast<DWORD>(pending.body.size()))
            : ::HttpSendRequestW(handle, nullptr, 0, nullptr, 0);
    if (done)
    {
        sent = true;
        return Wait::Done;
    }
    error = ::GetLastError();
    if (error != ERROR_IO_PENDING)
        return IsCancelled() ? Wait::Cancelled : Wait::Done;
    const Wait waited = WaitFor(pending, deadline, connectBy);
    if (waited == Wait::Done)
    {
        sent = pending.Result() != 0;
        error = pending.Error();
    }
    return waited;
}

HttpExchange::ReadOutcome HttpExchange::ReadAnswer(HINTERNET handle, PendingRequest& pending,
                                                   ULONGLONG deadline, bool keep, std::size_t& length,
                                                   DWORD& error)
{
    const std::optional<std::size_t> announced = AnnouncedLength(handle);
    const std::size_t capacity = answerBuffer.size() - 1; // room for the terminating zero
    length = 0;
    std::size_t total = 0;
    for (;;)
    {
        if (IsCancelled())
            return ReadOutcome::Cancelled;
        pending.available = 0;
        ::ResetEvent(pending.Completed());
        if (!::InternetQueryDataAvailable(handle, &pending.available, 0, 0))
        {
            error = ::GetLastError();
            if (error != ERROR_IO_PENDING)
                return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
            const Wait waited = WaitFor(pending, deadline);
            if (waited == Wait::Cancelled)
                return ReadOutcome::Cancelled;
            if (waited == Wait::TimedOut)
                return ReadOutcome::TooSlow;
            if (pending.Result() == 0 && pending.Error() != 0)
            {
                error = pending.Error();
                return ReadOutcome::CutOff;
            }
            continue; // ask again: what arrived is there now
        }
        DWORD available = pending.available;
        if (available == 0)
            break;
        // Bytes that are there are read at once, a piece at a time.
        while (available > 0)
        {
            const DWORD want = std::min<DWORD>(available, PendingRequest::PieceBytes);
            pending.pieceLength = 0;
            if (!::InternetReadFile(handle, pending.piece, want, &pending.pieceLength))
            {
                error = ::GetLastError();
                return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
            }
            const DWORD read = pending.pieceLength;
            if (read == 0)
                break;
            available -= std::min(available, read);
            total += read;
            if (!keep)
                continue;
            if (length + read > capacity)
                return ReadOutcome::TooLong;
            std::memcpy(answerBuffer.data() + length, pending.piece, read);
            length += read;
        }
        if (::GetTickCount64() > deadline)
            return ReadOutcome::TooSlow;
    }
    // A connection that closes early may look like the end of the answer; the announced length tells.
    if (announced && total != *announced)
        return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::CutOff;
    if (keep)
        answerBuffer[length] = '\0';
    return IsCancelled() ? ReadOutcome::Cancelled : ReadOutcome::Whole;
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

bool HttpExchange::IsStopping() const noexcept
{
    return stopEvent != nullptr && ::WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

void HttpExchange::Report(const Connection& connection, const HttpRequest& request, std::int32_t kind,
                          ExchangeFailureReason reason, DWORD systemError)
{
    ConnectionEvent event;
    event.kind = kind;
    event.address = connection.address;
    event.text = request.label;
    event.failure = ExchangeFailure{connection.address, request.label, reason, systemError};
    sink.OnConnectionEvent(event);
}

} // namespace OM::Norvatessa
