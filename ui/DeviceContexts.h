#pragma once

#include "ui/UiHandles.h"

#include <windows.h>

namespace OM::Ui
{

// The device context of a window (of the screen for null), released on the way out.
class WindowContext
{
public:
    explicit WindowContext(HWND window) noexcept : window(window), context(::GetDC(window)) {}
    ~WindowContext()
    {
        if (context)
            ::ReleaseDC(window, context);
    }
    WindowContext(const WindowContext&) = delete;
    WindowContext& operator=(const WindowContext&) = delete;

    HDC Context() const noexcept { return context; }

private:
    HWND window;
    HDC context;
};

// An object selected into a device context, and the one it replaced put back on the way out.
class SelectedObject
{
public:
    SelectedObject(HDC context, HGDIOBJ object) noexcept
        : context(context), previous(context ? ::SelectObject(context, object) : nullptr)
    {
    }
    ~SelectedObject()
    {
        if (context)
            ::SelectObject(context, previous);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC context;
    HGDIOBJ previous;
};

// A memory device context compatible with `screen`, with one bitmap selected, put back on the way out.
class BitmapCanvas
{
public:
    BitmapCanvas(HDC screen, HBITMAP bitmap) noexcept
        : context(::CreateCompatibleDC(screen)), selected(context.get(), bitmap)
    {
    }
    ~BitmapCanvas() = default;
    BitmapCanvas(const BitmapCanvas&) = delete;
    BitmapCanvas& operator=(const BitmapCanvas&) = delete;

    HDC Context() const noexcept { return context.get(); }

private:
    struct MemoryContextTraits
    {
        using Handle = HDC;
        static Handle invalid() noexcept { return nullptr; }
        static void close(Handle handle) noexcept { ::DeleteDC(handle); }
    };
    // Declared first: the bitmap goes back into the context before the context is deleted.
    Helpers::UniqueResource<MemoryContextTraits> context;
    SelectedObject selected;
};

} // namespace OM::Ui
