#pragma once

#include "app/AsyncWaitDlg.h"
#include "app/WaitDialogRequest.h"
#include "helpers/CriticalSection.h"

#include <cstdint>
#include <memory>
#include <string>

namespace OM::Norvatessa
{

// The main frame's side of the wait dialog: the worker asks for the dialog, finishes it and locks its
// Cancel button; the user-interface thread runs it. Owner supplies HWND Handle(), CancelExchange() and
// OnWaitShowing(bool), which is told true before the first dialog of a run and false once the last one
// has ended (the settings sheet waits for that).
//
// Who runs what, and what guards what: RequestWait, FinishWait and LockCancel run on the worker thread;
// OnShowWaitDialog and OnWaitDialogCreated on the user-interface thread. `lock` guards every field but the
// two the user-interface thread keeps to itself.
//
// Every request carries a serial, and a finish marks all requests so far as finished. A dialog is shown
// only for a request that has not finished yet, and a dialog that appears after its finish (which came
// while WM_SHOWWAITDLG waited in the queue, or while the window was being created) closes at once. So a
// finish is never lost, and a dialog never waits for an exchange that has already ended. A lock of Cancel
// that came before the window existed is applied when it appears, for the same reason.
//
// One dialog at a time: a request whose WM_SHOWWAITDLG the running dialog's own loop dispatches is kept
// and shown after that dialog has ended, never as a dialog owned by it.
template <typename Owner, UINT DialogId, UINT ShowMessage, UINT UnitStringId, int Reserved>
class CAsyncWaitDlgHelper : public WaitDialogSite
{
public:
    using Dialog = CAsyncWaitDlg<DialogId, UnitStringId, Reserved>;

    // Worker thread. Asks for the dialog, unless one is pending already.
    void RequestWait(const std::wstring& caption, const std::wstring& text, std::int32_t timeoutSeconds)
    {
        Helpers::CriticalSectionLock hold(lock);
        if (pendingWait)
            return;
        pendingWait = true;
        auto request = std::make_unique<WaitDialogRequest>(
            WaitDialogRequest{caption, text, timeoutSeconds, ++requested});
        if (::PostMessageW(OwnerWindow(), ShowMessage, 0, reinterpret_cast<LPARAM>(request.get())))
            request.release(); // the user-interface thread owns it now
    }

    // Worker thread. The exchange has ended: closes the dialog if it shows, and keeps it from showing if it
    // does not yet.
    void FinishWait()
    {
        Helpers::CriticalSectionLock hold(lock);
        pendingWait = false;
        cancelLocked = false;
        finished = requested;
        if (waitDialog != nullptr)
            ::PostMessageW(waitDialog, WM_WAITDONE, 0, 0);
    }

    // Worker thread. Greys Cancel while the credentials prompt is open, and enables it again.
    void LockCancel(bool locked)
    {
        Helpers::CriticalSectionLock hold(lock);
        cancelLocked = locked;
        if (waitDialog != nullptr)
            ::PostMessageW(waitDialog, WM_LOCKCANCEL, locked ? 1 : 0, 0);
    }

    // User-interface thread: the handler of ShowMessage. Runs the dialog unless its exchange has ended,
    // and then the one asked for while it ran.
    LRESULT OnShowWaitDialog(LPARAM lParam)
    {
        std::unique_ptr<WaitDialogRequest> request(reinterpret_cast<WaitDialogRequest*>(lParam));
        if (dialogRunning)
        {
            // One kept before has finished: a new request needs a finish first.
            nextRequest = std::move(request);
            return 0;
        }
        Owner& owner = *static_cast<Owner*>(this);
        dialogRunning = true;
        owner.OnWaitShowing(true);
        // A closing program takes its dialogs with it: nothing more is shown then.
        while (request && ::IsWindow(OwnerWindow()))
        {
            if (!HasFinished(request->serial))
            {
                Dialog dialog(*request, this);
                if (dialog.DoModal(::GetActiveWindow()) == IDCANCEL)
                    owner.CancelExchange();
            }
            request = std::move(nextRequest);
        }
        nextRequest.reset();
        dialogRunning = false;
        owner.OnWaitShowing(false);
        return 0;
    }

    // User-interface thread, from the dialog's WM_INITDIALOG.
    void OnWaitDialogCreated(HWND dialog, std::uint64_t serial) override
    {
        Helpers::CriticalSectionLock hold(lock);
        waitDialog = dialog;
        if (serial <= finished)
            ::PostMessageW(dialog, WM_WAITDONE, 0, 0);
        else if (cancelLocked)
            ::PostMessageW(dialog, WM_LOCKCANCEL, 1, 0);
    }

    // User-interface thread, from the dialog's WM_DESTROY.
    void OnWaitDialogDestroyed(HWND dialog) override
    {
        Helpers::CriticalSectionLock hold(lock);
        if (waitDialog == dialog)
            waitDialog = nullptr;
    }

    // For tests: whether a dialog is requested and not finished.
    bool IsWaitPending()
    {
        Helpers::CriticalSectionLock hold(lock);
        return pendingWait;
    }

protected:
    Helpers::CriticalSection lock;
    HWND waitDialog = nullptr;   // the showing dialog's window, or null
    bool pendingWait = false;    // a dialog was requested and no finish has come since
    bool cancelLocked = false;   // the credentials prompt is open; cleared by a finish
    std::uint64_t requested = 0; // serial of the last request
    std::uint64_t finished = 0;  // every request up to this serial has finished

private:
    HWND OwnerWindow() { return static_cast<Owner*>(this)->Handle(); }
    bool HasFinished(std::uint64_t serial)
    {
        Helpers::CriticalSectionLock hold(lock);
        return serial <= finished;
    }

    // User-interface thread only.
    bool dialogRunning = false;                     // OnShowWaitDialog is running its dialogs
    std::unique_ptr<WaitDialogRequest> nextRequest; // asked for while a dialog ran
};

} // namespace OM::Norvatessa
