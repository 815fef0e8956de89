#pragma once

#include "common/ConnectionSink.h"
#include "common/ExchangeFailure.h"
#include "common/PropertyResults.h"
#include "common/RequestRefusal.h"
#include "engine/BatchRequest.h"
#include "xml/DeviceProperties.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// What the engine tells of a batch (engine/BatchRequest.h), each record the argument of one notification.

// What went wrong on the way with one controller: an exchange that failed or was aborted, or a refusal.
struct BatchProblem
{
    enum class Kind
    {
        ExchangeFailed,  // `failure` says why
        ExchangeAborted, // the batch was cancelled, or the program closes
        Refused,         // `refusal` says why
    };

    Kind kind = Kind::ExchangeFailed;
    ExchangeFailure failure;
    RequestRefusal refusal;
};

enum class BatchResult
{
    Done,      // read, and written and read back as the work asked
    Failed,    // `problems` or `failure` say why
    Cancelled, // the batch was cancelled, or the program closes, before the controller was done
    Skipped,   // never started: an earlier controller failed, and the batch stops on a failure
};

// One controller's outcome.
struct BatchOutcome
{
    BatchId batch = 0;
    std::size_t index = 0;     // the target's place in the request
    std::uint32_t address = 0; // as the request named it
    BatchResult result = BatchResult::Failed;
    // It failed because it did not take the connection or did not answer, or no port was known for it,
    // rather than because it answered with a refusal.
    bool unanswered = false;
    std::optional<DevicePropertiesResult> read;    // the settings first read, and the document as it came
    std::optional<Xml::DeviceProperties> readBack; // after a write
    std::uint32_t answersAt = 0;                   // where it answers now: moved by a write, or `address`
    bool writeConfirmed = false;                   // it took a write, also when a step failed afterwards
    std::vector<BatchProblem> problems;            // in the order they happened
    std::wstring failure;                          // the words of a step of the batch's work that failed it
};

// An exchange on a lane, with the batch it belongs to.
struct BatchExchange
{
    BatchId batch = 0;
    std::size_t index = 0; // the controller's place in the request
    ConnectionEvent event;
};

// A batch has told every controller's outcome.
struct BatchEnd
{
    BatchId batch = 0;
    std::size_t count = 0; // controllers, as many as outcomes were told
    bool cancelled = false;
};

} // namespace OM::Norvatessa
