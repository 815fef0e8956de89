#pragma once

#include "engine/BatchPrompts.h"
#include "engine/BatchWork.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace OM::Norvatessa
{

// A batch's number, given by the engine as it takes the batch; never 0.
using BatchId = std::uint32_t;

// One controller of a batch.
struct BatchTarget
{
    std::uint32_t address = 0;
    // Reached at this port whatever a search heard: the user typed it.
    std::optional<std::uint16_t> port;
    // Reached at this port when no search heard the controller: a list or a backup file gives it.
    std::optional<std::uint16_t> knownPort;
};

// Work on many controllers at once: each is read and, as `work` says, written and read back, on the
// engine's exchange lanes, several at a time. The engine tells each controller's outcome as it finishes
// (Support::OnBatchOutcome), then the end of the batch (OnBatchFinished); the exchanges of the lanes are
// told with the batch's number (OnBatchExchange), never as the single exchange that the wait dialog shows.
// The poster may let its value go as soon as Post returns; the work and the prompts live on with the batch.
struct BatchRequest
{
    std::vector<BatchTarget> targets; // started in this order, each once, as lanes come free
    std::shared_ptr<BatchWork> work;  // null: the controllers are only read
    // Null: a controller that demands credentials fails with CredentialsRequired.
    std::shared_ptr<BatchPrompts> prompts;
    // After the first controller that fails, no other of the batch is started; those that run finish.
    bool stopOnFailure = false;
};

} // namespace OM::Norvatessa
