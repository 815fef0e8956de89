#pragma once

#include "common/ExchangeFailure.h"

#include <windows.h>
#include <wininet.h>

namespace OM::Norvatessa
{

// The answer to a controller's demand for credentials (HTTP 401), asked on the worker thread. The window
// program shows the system's credentials dialog (app/SystemAuthorizationDialog.h); the console program
// answers from credentials it was given. Without a prompt, a demand fails the exchange.
class AuthorizationPrompt
{
public:
    enum class Answer
    {
        Retry,     // the request handle now holds credentials: send it again
        Cancelled, // the user gave up: the exchange ends without an answer
        Failed,    // the exchange fails for `reason`
    };
    struct Outcome
    {
        Answer answer = Answer::Cancelled;
        ExchangeFailureReason reason = ExchangeFailureReason::AuthorizationFailed;
        DWORD systemError = 0;
    };

    // The thread that runs the exchange. `attempt` counts the demands already answered during this
    // exchange.
    virtual Outcome Ask(HINTERNET request, int attempt) = 0;
    // Any thread: an Ask in progress, or one on its way, ends at once as Cancelled (the program is
    // closing). Nothing for a prompt that never waits.
    virtual void Cancel() noexcept {}

protected:
    ~AuthorizationPrompt() = default;
};

} // namespace OM::Norvatessa
