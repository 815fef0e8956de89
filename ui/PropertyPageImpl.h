#pragma once

#include "helpers/FailureBoundary.h"
#include "ui/Module.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace OM::Ui
{

// A page of a property sheet, from a dialog template of the module, with the tab title from the string
// table. Derived supplies
//     bool ProcessPageMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
//     bool OnApply();            // false keeps the sheet open on this page
// and may supply
//     HWND OnQueryInitialFocus(); // the control that gets the focus first, or null for the default
// The page's procedure is a boundary (helpers/FailureBoundary.h): a message whose handling throws is said,
// and the sheet ends as if cancelled.
template <typename Derived>
class PropertyPageImpl
{
public:
    PropertyPageImpl(UINT templateId, UINT titleId)
        : templateId(templateId), title(LoadResourceString(titleId))
    {
    }
    PropertyPageImpl(const PropertyPageImpl&) = delete;
    PropertyPageImpl& operator=(const PropertyPageImpl&) = delete;
    virtual ~PropertyPageImpl() = default;

    // What the sheet needs to create the page; valid as long as the page object lives.
    PROPSHEETPAGEW Page()
    {
        PROPSHEETPAGEW page{};
        page.dwSize = sizeof page;
        page.dwFlags = PSP_USETITLE;
        page.hInstance = Module::Instance().ResourceInstance();
        page.pszTemplate = MAKEINTRESOURCEW(templateId);
        page.pszTitle = title.c_str();
        page.pfnDlgProc = &Procedure;
        page.lParam = reinterpret_cast<LPARAM>(this);
        return page;
    }

    // Null until the user (or the sheet) has shown the page once.
    HWND Handle() const noexcept { return window; }

    HWND OnQueryInitialFocus() { return nullptr; }

protected:
    HWND Control(int id) const { return ::GetDlgItem(window, id); }

    HWND window = nullptr;

private:
    static INT_PTR CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
    {
        PropertyPageImpl* self = nullptr;
        if (message == WM_INITDIALOG)
        {
            self = reinterpret_cast<PropertyPageImpl*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
            ::SetWindowLongPtrW(handle, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            self->window = handle;
        }
        else
        {
            self = reinterpret_cast<PropertyPageImpl*>(::GetWindowLongPtrW(handle, DWLP_USER));
        }
        if (self == nullptr)
            return FALSE;
        INT_PTR result = FALSE;
        // A page whose handling throws ends the sheet as cancelled, and an apply that threw is refused:
        // nothing half-checked goes to a controller.
        if (!Helpers::Guarded(L"на странице настроек", [&] {
                result = Dispatch(*static_cast<Derived*>(self), message, wParam, lParam);
            }))
        {
            ::PostMessageW(::GetParent(handle), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY)
            {
                ::SetWindowLongPtrW(handle, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
                result = TRUE;
            }
        }
        if (message == WM_NCDESTROY)
            self->window = nullptr;
        return result;
    }

    static INT_PTR Dispatch(Derived& derived, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const HWND handle = derived.window;
        if (message == WM_NOTIFY)
        {
            const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.code == PSN_APPLY)
            {
                ::SetWindowLongPtrW(handle, DWLP_MSGRESULT,
                                    derived.OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE);
                return TRUE;
            }
            if (header.code == PSN_QUERYINITIALFOCUS)
            {
                ::SetWindowLongPtrW(handle, DWLP_MSGRESULT,
                                    reinterpret_cast<LONG_PTR>(derived.OnQueryInitialFocus()));
                return TRUE;
            }
        }
        INT_PTR result = FALSE;
        const bool handled = derived.ProcessPageMessage(message, wParam, lParam, result);
        return handled ? result : FALSE;
    }

    UINT templateId;
    std::wstring title;
};

} // namespace OM::Ui
