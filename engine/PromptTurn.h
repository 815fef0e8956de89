#pragma once

#include "device/AuthorizationPrompt.h"
#include "helpers/UniqueHandle.h"

#include <windows.h>

#include <atomic>
#include <utility>

namespace OM::Norvatessa
{

// The program's one turn to show a credentials prompt. The worker's exchange and every exchange lane may
// meet a demand for credentials at the same moment, and a user answers one prompt at a time: whoever
// holds the turn asks, the others wait for it or for their own cancel (a batch's cancel, the program's
// stop), which ends their wait as a cancelled prompt.
class PromptTurn
{
public:
    PromptTurn() : free(::CreateEventW(nullptr, FALSE, TRUE, nullptr)) {}
    PromptTurn(const PromptTurn&) = delete;
    PromptTurn& operator=(const PromptTurn&) = delete;

    // The asking thread. Runs `ask` once the turn is free, holding it meanwhile; Cancelled without asking
    // when `cancel` (a manual-reset event) is set first.
    template <typename Ask>
    AuthorizationPrompt::Outcome Take(HANDLE cancel, Ask&& ask)
    {
        const HANDLE events[] = {cancel, free.get()};
        const DWORD woken = cancel == nullptr ? ::WaitForSingleObject(free.get(), INFINITE) + 1
                                              : ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1)
            return {AuthorizationPrompt::Answer::Cancelled};
        const Held held(free.get());
        return std::forward<Ask>(ask)();
    }

private:
    // Gives the turn back however the prompt ends.
    class Held
    {
    public:
        explicit Held(HANDLE free) : free(free) {}
        ~Held() { ::SetEvent(free); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        HANDLE free;
    };

    Helpers::UniqueHandle free; // auto-reset; set while nobody prompts
};

// The worker's prompt: the one the program hands in, asked in turn with the lanes' prompts. Its cancel
// holds, as the prompt's own does, until the worker starts again.
class TurnTakingPrompt final : public AuthorizationPrompt
{
public:
    explicit TurnTakingPrompt(PromptTurn& turn)
        : turn(turn), cancelled(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }

    // The worker while no exchange runs, or before it starts.
    void Use(AuthorizationPrompt* prompt) noexcept { inner.store(prompt); }
    // Before the worker starts: a cancel of the last run no longer counts.
    void Reset() noexcept { ::ResetEvent(cancelled.get()); }

    Outcome Ask(HINTERNET request, int attempt) override
    {
        AuthorizationPrompt* const asked = inner.load();
        if (asked == nullptr)
            return {Answer::Failed, ExchangeFailureReason::CredentialsRequired};
        return turn.Take(cancelled.get(), [&] { return asked->Ask(request, attempt); });
    }
    void Cancel() noexcept override
    {
        ::SetEvent(cancelled.get());
        if (AuthorizationPrompt* const asked = inner.load())
            asked->Cancel();
    }

private:
    PromptTurn& turn;
    Helpers::UniqueHandle cancelled; // manual reset; set by Cancel
    std::atomic<AuthorizationPrompt*> inner{nullptr};
};

} // namespace OM::Norvatessa
