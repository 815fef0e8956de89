#include "app/BatchPassword.h"

#include "app/BatchPasswordDlg.h"

#include <atomic>
#include <set>

namespace OM::Norvatessa
{

namespace
{

// The lanes call Ask one at a time, holding the program's one turn to prompt, so what Ask keeps needs no
// lock; Cancel comes from any thread and touches only the cancel flag and the dialog's Close.
class OneBatchPasswordPrompts final : public BatchPrompts
{
public:
    explicit OneBatchPasswordPrompts(HWND owner) : owner(owner) {}

    AuthorizationPrompt::Outcome Ask(std::uint32_t address, HINTERNET, int) override
    {
        using Answer = AuthorizationPrompt::Answer;
        if (cancelled.load())
            return {Answer::Cancelled};
        if (state == State::NotAsked)
        {
            const INT_PTR shown = dialog.Run(owner, address);
            if (cancelled.load())
                return {Answer::Cancelled};
            if (shown == -1)
                return {Answer::Failed, ExchangeFailureReason::AuthorizationFailed, ::GetLastError()};
            state = shown == IDOK ? State::Given : State::Declined;
        }
        if (state == State::Declined)
            return {Answer::Failed, ExchangeFailureReason::CredentialsRequired};
        // A controller that asks again has refused them (at once, or after it had accepted them): the
        // batch has nothing else to offer it.
        if (!offered.insert(address).second)
            return {Answer::Failed, ExchangeFailureReason::CredentialsRejected};
        AuthorizationPrompt::Outcome retry = AuthorizationPrompt::Outcome::Retry(dialog.credentials);
        retry.remember = dialog.remember;
        return retry;
    }

    void Cancel() noexcept override
    {
        cancelled.store(true);
        dialog.Close();
    }

private:
    enum class State
    {
        NotAsked,
        Given,    // OK: `dialog` holds what to offer
        Declined, // "Отмена"
    };

    HWND owner;
    CBatchPasswordDlg dialog;
    State state = State::NotAsked;
    std::set<std::uint32_t> offered; // the controllers given the credentials
    std::atomic<bool> cancelled{false};
};

} // namespace

std::shared_ptr<BatchPrompts> OneBatchPassword(HWND owner)
{
    return std::make_shared<OneBatchPasswordPrompts>(owner);
}

} // namespace OM::Norvatessa
