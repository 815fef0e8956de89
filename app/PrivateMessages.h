#pragma once

#include <windows.h>

namespace OM::Norvatessa
{

// Every private window message of the program, all posted, never sent: the worker must never wait for the
// user-interface thread, which may itself be waiting for the worker to stop.

// To the main frame.
constexpr UINT WM_SHOWWAITDLG = WM_USER + 110;   // lParam: an owned WaitDialogRequest
constexpr UINT WM_FLUSHLOG = WM_USER + 123;      // drain the log queue into the log pane
constexpr UINT WM_BUSYSTATUS = WM_USER + 124;    // wParam 1: waiting for a controller, 0: ready
constexpr UINT WM_SEARCHSTARTED = WM_USER + 125; //
constexpr UINT WM_SEARCHFINISHED = WM_USER + 126;
constexpr UINT WM_SHOWPROBLEMS = WM_USER + 127;   // tell the user what failed (the problem queue)
constexpr UINT WM_LIVEROWS = WM_USER + 128;       // show the controllers found so far by the running search
constexpr UINT WM_RESTOREPREVIEW = WM_USER + 140; // a restore's controllers are read: show what changes

// To the device list.
constexpr UINT WM_SETTINGSREAD = WM_USER + 1;   // handle the settings read from controllers, as queued
constexpr UINT WM_ADDRESSCHANGED = WM_USER + 2; // wParam: old address, lParam: new address

// To the batch window, above the dialog manager's own messages.
constexpr UINT WM_BATCHNEWS = WM_APP + 1; // handle the news of the batch, as queued

// To the wait dialog.
constexpr UINT WM_WAITDONE = WM_USER + 1;   // the exchange has ended: close with 1
constexpr UINT WM_LOCKCANCEL = WM_USER + 2; // wParam 1: disable Cancel, 0: enable it

// To the dialog that gives addresses (above the dialog manager's own WM_USER messages).
constexpr UINT WM_ADDRESSESPROBED = WM_APP + 1; // the probing thread has ended: show its plan

} // namespace OM::Norvatessa
