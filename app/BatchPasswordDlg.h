#pragma once

#include "common/Credentials.h"
#include "ui/DialogImpl.h"

#include <atomic>
#include <cstdint>

namespace OM::Norvatessa
{

// The login and password that the program offers every controller of a batch that asks, typed once, and
// whether to remember them on this computer. It opens on the thread of the exchange that met the first
// demand, over the window that started the batch; Close ends it from any thread.
class CBatchPasswordDlg : public Ui::DialogImpl<CBatchPasswordDlg>
{
public:
    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // The asking thread. IDOK with `credentials` and `remember` set, IDCANCEL when the user gave up or
    // Close came first, -1 when the dialog could not be shown. `asking` is the controller that asked.
    INT_PTR Run(HWND owner, std::uint32_t asking);
    // Any thread: ends the dialog as if "Отмена" had been pressed, even one still on its way up.
    void Close() noexcept;

    Credentials credentials;
    bool remember = false;

private:
    std::uint32_t address = 0;
    std::atomic<bool> closing{false};
    std::atomic<HWND> shown{nullptr}; // the dialog while it is up
};

} // namespace OM::Norvatessa
