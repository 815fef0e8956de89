#pragma once

#include "common/ExchangeFailure.h"

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// The course of one HTTP exchange with a controller.
enum ConnectionEventKind : std::int32_t
{
    ExchangeCompleted = 0,      // the exchange ended with an answer
    ExchangeStarted = 1,        // `text` is the exchange's label
    ExchangeAborted = 2,        // cancelled: by the user, in the credentials prompt or by CancelExchange
    AuthorizationRequested = 3, // the controller asks for credentials; the prompt is about to open
    AuthorizationRetried = 4,   // the prompt was confirmed; the request goes out again
    ExchangeFailedKind = 5,     // `failure` says why
};

struct ConnectionEvent
{
    std::int32_t kind = ExchangeCompleted;
    std::uint32_t address = 0; // the controller
    std::wstring text;         // the exchange's label
    ExchangeFailure failure;   // for kind 5
};

// How an exchange reports its progress (DeviceManager::ConnectionSink). Called on the worker thread.
// The slots keep their order; the first and the third are never called.
class ConnectionSink
{
public:
    virtual void Reserved() {}
    virtual void OnConnectionEvent(const ConnectionEvent&) {}
    virtual void ReservedToo() {}

protected:
    ~ConnectionSink() = default;
};

} // namespace OM::Norvatessa
