#pragma once

#include "app/PrivateMessages.h"
#include "app/WaitDialogRequest.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/ControlText.h"
#include "ui/DialogImpl.h"
#include "ui/Module.h"
#include "ui/UiHandles.h"

#include <cstdint>
#include <cwchar>
#include <string>

namespace OM::Norvatessa
{

// Where a wait dialog announces itself once its window exists, so that a finish that came in the meantime
// is not lost, and again before its window goes, so that nothing is posted to a window that may be reused
// (CAsyncWaitDlgHelper).
class WaitDialogSite
{
public:
    virtual void OnWaitDialogCreated(HWND dialog, std::uint64_t serial) = 0;
    virtual void OnWaitDialogDestroyed(HWND dialog) = 0;

protected:
    ~WaitDialogSite() = default;
};

// The small modal dialog that names the step of an exchange under way and offers Cancel. It ends with 1
// when the exchange has finished (WM_WAITDONE), with 2 when the user cancels or the optional countdown
// runs out. User-interface thread only.
template <UINT DialogId, UINT UnitStringId, int Reserved>
class CAsyncWaitDlg : public Ui::DialogImpl<CAsyncWaitDlg<DialogId, UnitStringId, Reserved>>
{
    using Base = Ui::DialogImpl<CAsyncWaitDlg<DialogId, UnitStringId, Reserved>>;

public:
    CAsyncWaitDlg(const WaitDialogRequest& request, WaitDialogSite* site)
        : caption(request.caption), text(request.text), timeoutSeconds(request.timeoutSeconds),
          serial(request.serial), site(site)
    {
    }

    INT_PTR DoModal(HWND parent) { return Base::DoModal(parent, DialogId); }

    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
    {
        switch (message)
        {
        case WM_INITDIALOG:
            result = OnInitDialog();
            return true;
        case WM_TIMER:
            OnTimer();
            return true;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam));
        case WM_WAITDONE:
            ::KillTimer(this->window, CountdownTimer);
            this->EndDialog(1);
            return true;
        case WM_DESTROY:
            if (site != nullptr)
                site->OnWaitDialogDestroyed(this->window);
            return false;
        case WM_LOCKCANCEL:
            ::KillTimer(this->window, CountdownTimer); // a countdown does not resume
            if (const HWND button = ::GetDlgItem(this->window, IDCANCEL))
                ::EnableWindow(button, wParam == 0);
            return true;
        default:
            return false;
        }
    }

private:
    static constexpr UINT_PTR CountdownTimer = 1;

    BOOL OnInitDialog()
    {
        elapsedSeconds = 0;
        unitText = Ui::LoadResourceString(UnitStringId);
        LOGFONTW description{};
        if (::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description) != 0)
        {
            description.lfWeight = FW_BOLD;
            boldFont.reset(::CreateFontIndirectW(&description));
        }
        const HWND first = ::GetDlgItem(this->window, IDC_WAIT_MESSAGE);
        if (boldFont)
            ::SendMessageW(first, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont.get()), FALSE);
        ::SetWindowTextW(first, caption.c_str());
        ::SetDlgItemTextW(this->window, IDC_WAIT_DETAIL, text.c_str());
        cancelText = Ui::ControlText(this->window, IDCANCEL);

        // A thin frame and no title bar.
        const LONG style = ::GetWindowLongW(this->window, GWL_STYLE);
        const LONG thin = (style & ~(WS_BORDER | WS_THICKFRAME)) | WS_DLGFRAME;
        if (thin != style)
        {
            ::SetWindowLongW(this->window, GWL_STYLE, thin);
            ::SetWindowPos(this->window, nullptr, 0, 0, 0, 0,
                           SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        }
        Ui::CenterWindow(this->window, ::GetParent(this->window));
        if (timeoutSeconds > 0)
        {
            ShowCountdown();
            ::SetTimer(this->window, CountdownTimer, 1000, nullptr);
        }
        if (site != nullptr)
            site->OnWaitDialogCreated(this->window, serial);
        return TRUE;
    }

    void OnTimer()
    {
        ++elapsedSeconds;
        ShowCountdown();
        if (elapsedSeconds > timeoutSeconds)
            this->EndDialog(IDCANCEL);
    }

    bool OnCommand(UINT id)
    {
        if (id != IDOK && id != IDCANCEL)
            return false;
        // Esc and the close box come here too; a locked Cancel locks them as well.
        const HWND button = ::GetDlgItem(this->window, IDCANCEL);
        if (button != nullptr && !::IsWindowEnabled(button))
            return true;
        ::KillTimer(this->window, CountdownTimer);
        this->EndDialog(id);
        return true;
    }

    // The button's own caption, a blank and the seconds left right before the unit: "Отмена (5сек)".
    void ShowCountdown()
    {
        const std::wstring label =
            cancelText + L" (" + std::to_wstring(timeoutSeconds - elapsedSeconds) + unitText + L")";
        ::SetDlgItemTextW(this->window, IDCANCEL, label.c_str());
    }

    std::wstring caption;
    std::wstring text;
    std::int32_t timeoutSeconds;
    std::int32_t elapsedSeconds = 0;
    std::uint64_t serial;
    WaitDialogSite* site;
    std::wstring cancelText;
    std::wstring unitText;
    Ui::UniqueFont boldFont; // deleted with the dialog object, after its window
};

} // namespace OM::Norvatessa
