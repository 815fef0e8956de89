#pragma once

#include "common/Credentials.h"
#include "common/ExchangeFailure.h"

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace OM::Norvatessa
{

// The answer to a controller's demand for credentials (HTTP 401), asked on the worker thread. The window
// program shows the system's credentials dialog (app/SystemAuthorizationDialog.h); the console program
// answers from credentials it was given. Without a prompt, a demand fails the exchange. The prompt only
// says which credentials to send: the exchange sends them itself, in a header of its own.
class AuthorizationPrompt
{
public:
    enum class Answer
    {
        Retry,     // send the request again with `credentials`
        Cancelled, // the user gave up: the exchange ends without an answer
        Failed,    // the exchange fails for `reason`
    };
    struct Outcome
    {
        Outcome(Answer answer = Answer::Cancelled,
                ExchangeFailureReason reason = ExchangeFailureReason::AuthorizationFailed,
                DWORD systemError = 0)
            : answer(answer), reason(reason), systemError(systemError)
        {
        }
        static Outcome Retry(Credentials credentials)
        {
            Outcome retry(Answer::Retry);
            retry.credentials = std::move(credentials);
            return retry;
        }

        Answer answer;
        ExchangeFailureReason reason;
        DWORD systemError;
        Credentials credentials; // of a Retry
        bool remember = false;   // of a Retry: the user asked to remember them where they are accepted
    };

    // The thread that runs the exchange. `attempt` counts the credentials the controller has refused
    // during this exchange: those it had accepted earlier in the run count too.
    virtual Outcome Ask(HINTERNET request, int attempt) = 0;
    // Any thread: an Ask in progress, or one on its way, ends at once as Cancelled (the program is
    // closing). Nothing for a prompt that never waits.
    virtual void Cancel() noexcept {}

protected:
    ~AuthorizationPrompt() = default;
};

} // namespace OM::Norvatessa
