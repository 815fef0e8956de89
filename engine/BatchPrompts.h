#pragma once

#include "device/AuthorizationPrompt.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>

namespace OM::Norvatessa
{

// Who answers a controller's demand for credentials during one batch: each controller may have credentials
// of its own (the console program's --credentials), or the whole batch one password asked once.
//
// The lanes call Ask one at a time, since the program shows at most one credentials prompt at a time (see
// engine/PromptTurn.h); Cancel comes from any thread.
class BatchPrompts
{
public:
    // A lane, holding the program's one turn to prompt: answers the demand of the controller at `address`
    // as AuthorizationPrompt::Ask does.
    virtual AuthorizationPrompt::Outcome Ask(std::uint32_t address, HINTERNET request, int attempt) = 0;
    // Any thread: an Ask in progress ends at once as Cancelled (the batch is cancelled, or the program
    // closes). Nothing for prompts that never wait.
    virtual void Cancel() noexcept {}

protected:
    ~BatchPrompts() = default;
};

} // namespace OM::Norvatessa
