#pragma once

#include "helpers/UniqueResource.h"

#include <windows.h>
#include <commctrl.h>

namespace OM::Ui
{

struct FontTraits
{
    using Handle = HFONT;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::DeleteObject(handle); }
};

struct BitmapTraits
{
    using Handle = HBITMAP;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::DeleteObject(handle); }
};

struct MenuTraits
{
    using Handle = HMENU;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::DestroyMenu(handle); }
};

struct ImageListTraits
{
    using Handle = HIMAGELIST;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::ImageList_Destroy(handle); }
};

// A window that is not a child of a window of ours, which no one else destroys.
struct WindowTraits
{
    using Handle = HWND;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::DestroyWindow(handle); }
};

using UniqueFont = Helpers::UniqueResource<FontTraits>;
using UniqueBitmap = Helpers::UniqueResource<BitmapTraits>;
using UniqueMenu = Helpers::UniqueResource<MenuTraits>;
using UniqueImageList = Helpers::UniqueResource<ImageListTraits>;
using UniqueWindow = Helpers::UniqueResource<WindowTraits>;

} // namespace OM::Ui
