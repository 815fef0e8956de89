#pragma once

#include "device/AuthorizationPrompt.h"

#include <windows.h>

#include <atomic>

namespace OM::Norvatessa
{

// The system's credentials dialog, owned by the desktop window: how the window program answers a
// controller's demand for credentials. The frame hands it to the engine before the worker starts.
class SystemAuthorizationDialog final : public AuthorizationPrompt
{
public:
    // How long Cancel waits for a dialog that is still on its way up.
    static constexpr DWORD CancelWaitMs = 1000;

    // The thread that asks (the worker).
    Outcome Ask(HINTERNET request, int attempt) override;

    // Any thread: closes the dialog open in this process as if the user had pressed Cancel, so that the
    // exchange that asked ends at once; nothing when none is open.
    void Cancel() noexcept override;

private:
    static Outcome Typed(HINTERNET request);

    std::atomic<DWORD> askingThread{0}; // the thread inside Ask, or 0: the dialog is one of its windows
};

} // namespace OM::Norvatessa
