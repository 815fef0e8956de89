#pragma once

#include "common/ExchangeFailure.h"

#include <windows.h>
#include <wininet.h>

namespace OM::Norvatessa
{

// The answer to a controller's demand for credentials (HTTP 401), asked on the worker thread. The window
// program shows the system's credentials dialog; the console program answers from credentials it was given.
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

    // `attempt` counts the demands already answered during this exchange.
    virtual Outcome Ask(HINTERNET request, int attempt) = 0;

protected:
    ~AuthorizationPrompt() = default;
};

// The system's credentials dialog, owned by the desktop window.
class SystemAuthorizationDialog final : public AuthorizationPrompt
{
public:
    // How long CancelOpen waits for a dialog that is still on its way up.
    static constexpr DWORD CancelWaitMs = 1000;

    // The thread that asks (the worker).
    Outcome Ask(HINTERNET request, int attempt) override;

    // Any thread: closes the dialog open in this process as if the user had pressed Cancel, so that the
    // exchange that asked ends at once; nothing when none is open. The program asks on its one worker.
    static void CancelOpen();
};

} // namespace OM::Norvatessa
