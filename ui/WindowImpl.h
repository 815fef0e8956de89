#pragma once

#include "helpers/FailureBoundary.h"
#include "ui/Module.h"
#include "ui/WindowClass.h"

#include <windows.h>

namespace OM::Ui
{

// A window of ours: the class registration, the creation, and the dispatch of its messages to the object
// that owns it. Derived supplies
//     static WindowClassInfo GetWindowClassInfo();
//     bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// which returns true for a message it handled (with its result) and false to leave it to the default
// processing: DefWindowProcW, or the system class the window is built on.
//
// The object must outlive its window; OnFinalMessage runs after the window's last message. The window
// procedure is a boundary (helpers/FailureBoundary.h): a message whose handling throws is said and ends
// there, and a window whose creation throws is not created.
template <typename Derived>
class WindowImpl
{
public:
    WindowImpl() = default;
    WindowImpl(const WindowImpl&) = delete;
    WindowImpl& operator=(const WindowImpl&) = delete;
    virtual ~WindowImpl() = default;

    // Without a rectangle the system chooses position and size.
    HWND Create(HWND parent, const RECT* rect, const wchar_t* title, DWORD style, DWORD exStyle,
                HMENU menuOrId = nullptr)
    {
        const RegisteredClass& registered = Class();
        if (registered.atom == 0)
            return nullptr;
        const int x = rect ? rect->left : CW_USEDEFAULT;
        const int y = rect ? rect->top : CW_USEDEFAULT;
        const int width = rect ? rect->right - rect->left : CW_USEDEFAULT;
        const int height = rect ? rect->bottom - rect->top : CW_USEDEFAULT;
        return ::CreateWindowExW(exStyle, MAKEINTATOM(registered.atom), title, style, x, y, width, height,
                                 parent, menuOrId, Module::Instance().ResourceInstance(), this);
    }

    HWND Handle() const noexcept { return window; }

protected:
    // The processing of a message that Derived did not handle.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return ::CallWindowProcW(Class().baseProcedure, window, message, wParam, lParam);
    }

    virtual void OnFinalMessage() {}

    HWND window = nullptr;

private:
    static const RegisteredClass& Class()
    {
        static const RegisteredClass registered =
            RegisterWindowClass(Derived::GetWindowClassInfo(), &Procedure);
        return registered;
    }

    static LRESULT CALLBACK Procedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
    {
        const int slot = Class().objectSlot;
        WindowImpl* self = nullptr;
        if (message == WM_NCCREATE)
        {
            self = static_cast<WindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrW(handle, slot, reinterpret_cast<LONG_PTR>(self));
            self->window = handle;
        }
        else
        {
            self = reinterpret_cast<WindowImpl*>(::GetWindowLongPtrW(handle, slot));
        }
        if (self == nullptr)
            return ::CallWindowProcW(Class().baseProcedure, handle, message, wParam, lParam);

        LRESULT result = 0;
        const bool handled = Helpers::Guarded(L"при обработке сообщения окна", [&] {
            if (!static_cast<Derived*>(self)->ProcessWindowMessage(message, wParam, lParam, result))
                result = self->DefaultProcessing(message, wParam, lParam);
        });
        // The message ends there; a window whose creation failed is not created.
        if (!handled)
            result = message == WM_CREATE ? -1 : 0;
        if (message == WM_NCDESTROY)
        {
            ::SetWindowLongPtrW(handle, slot, 0);
            self->window = nullptr;
            self->OnFinalMessage();
        }
        return result;
    }
};

} // namespace OM::Ui
