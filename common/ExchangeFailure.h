#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// Why an exchange with a controller ended without an answer that could be read.
enum class ExchangeFailureReason
{
    NotConnected,             // the controller's connection is not open
    RequestNotPrepared,       // the system could not prepare the request
    NoAnswer,                 // sending or waiting for the answer failed (systemError says how)
    AnswerCutOff,             // the answer broke off while it was being read
    AnswerTooLong,            // longer than the answer buffer: a cut document must not pass for a whole one
    AnswerTooSlow,            // the answer did not arrive whole within the time allowed for it
    AuthorizationFailed,      // the credentials prompt could not be shown
    CredentialsRequired,      // the controller asks for credentials and none were given
    CredentialsRejected,      // the controller refused the credentials given
    NoConnection,             // the controller did not take the connection within the connect time-out
    NoAnswerInTime,           // connected and sent, but not a byte of an answer within the receive time-out
    ClosedWithoutAnswer,      // the controller closed the connection before any byte of an answer
    Redirected,               // the controller sent the request elsewhere, where it is not followed
    CredentialsNotInCodePage, // the login or password has a character the ANSI code page lacks
};

// An exchange that failed (progress report kind 5), for the observers to tell the user what happened.
struct ExchangeFailure
{
    std::uint32_t address = 0; // the controller
    std::wstring label;        // the exchange, as the wait dialog showed it
    ExchangeFailureReason reason = ExchangeFailureReason::NoAnswer;
    DWORD systemError = 0; // the system's error code where there is one, else 0
};

} // namespace OM::Norvatessa
