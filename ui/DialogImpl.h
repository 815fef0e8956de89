#pragma once

#include "helpers/FailureBoundary.h"
#include "ui/Module.h"

#include <windows.h>

namespace OM::Ui
{

// A dialog from a dialog template of the module, modal or modeless. Derived supplies
//     bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
// which returns true for a message it handled. For WM_INITDIALOG `result` says whether the system sets
// the default focus; for other messages that return a value, Derived sets it with SetMessageResult. The
// dialog procedure is a boundary (helpers/FailureBoundary.h): a message whose handling throws is said,
// and the dialog ends as if cancelled (a modeless one is destroyed). The object must outlive its dialog;
// OnFinalMessage runs after the dialog's last message.
template <typename Derived>
class DialogImpl
{
public:
    DialogImpl() = default;
    DialogImpl(const DialogImpl&) = delete;
    DialogImpl& operator=(const DialogImpl&) = delete;
    virtual ~DialogImpl() = default;

    // Runs the dialog until EndDialog; returns its result, or -1 when it could not be created.
    INT_PTR DoModal(HWND parent, UINT templateId)
    {
        return ::DialogBoxParamW(Module::Instance().ResourceInstance(), MAKEINTRESOURCEW(templateId), parent,
                                 &Procedure, reinterpret_cast<LPARAM>(this));
    }

    // A modeless dialog: the thread's own message loop runs it (its filters offer it IsDialogMessage), and
    // DestroyWindow ends it. Null when it could not be created.
    HWND Create(HWND parent, UINT templateId)
    {
        modeless = true;
        return ::CreateDialogParamW(Module::Instance().ResourceInstance(), MAKEINTRESOURCEW(templateId),
                                    parent, &Procedure, reinterpret_cast<LPARAM>(this));
    }

    HWND Handle() const noexcept { return window; }

protected:
    virtual void OnFinalMessage() {}

    void EndDialog(INT_PTR result) { ::EndDialog(window, result); }
    void SetMessageResult(LRESULT result) { ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result); }

    HWND window = nullptr;

private:
    bool modeless = false;

    static INT_PTR CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
    {
        DialogImpl* self = nullptr;
        if (message == WM_INITDIALOG)
        {
            self = reinterpret_cast<DialogImpl*>(lParam);
            ::SetWindowLongPtrW(handle, DWLP_USER, lParam);
            self->window = handle;
        }
        else
        {
            self = reinterpret_cast<DialogImpl*>(::GetWindowLongPtrW(handle, DWLP_USER));
        }
        if (self == nullptr)
            return FALSE;
        INT_PTR result = FALSE;
        bool handled = false;
        // A dialog whose handling throws ends as cancelled: what it was for is not done.
        if (!Helpers::Guarded(L"в диалоговом окне", [&] {
                handled = static_cast<Derived*>(self)->ProcessDialogMessage(message, wParam, lParam, result);
            }))
        {
            if (self->modeless)
                ::DestroyWindow(handle);
            else
                ::EndDialog(handle, IDCANCEL);
        }
        if (message == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(handle, DWLP_USER, 0);
            self->window = nullptr;
            self->OnFinalMessage();
        }
        return handled ? result : FALSE;
    }
};

} // namespace OM::Ui
