#include "ui/ImageLists.h"

#include "ui/DeviceContexts.h"
#include "ui/Dpi.h"
#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Ui
{

UniqueImageList LoadImageStrip(UINT bitmapId, int imageWidth, COLORREF transparent)
{
    UniqueBitmap original(
        static_cast<HBITMAP>(::LoadImageW(Module::Instance().ResourceInstance(), MAKEINTRESOURCEW(bitmapId),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!original)
        return {};
    BITMAP size{};
    ::GetObjectW(original.get(), sizeof size, &size);
    const int width = ScaleToDpi(size.bmWidth);
    const int height = ScaleToDpi(size.bmHeight);

    const WindowContext screen(nullptr);
    UniqueBitmap scaled(::CreateCompatibleBitmap(screen.Context(), width, height));
    COLORREF mask = transparent;
    {
        BitmapCanvas from(screen.Context(), original.get());
        BitmapCanvas to(screen.Context(), scaled.get());
        if (mask == CLR_DEFAULT)
            mask = ::GetPixel(from.Context(), 0, 0);
        // Whole pixels only: blending would mix the transparent colour into the edges.
        ::SetStretchBltMode(to.Context(), COLORONCOLOR);
        ::StretchBlt(to.Context(), 0, 0, width, height, from.Context(), 0, 0, size.bmWidth, size.bmHeight,
                     SRCCOPY);
    }

    const int count = imageWidth > 0 ? size.bmWidth / imageWidth : 1;
    UniqueImageList images(
        ::ImageList_Create(ScaleToDpi(imageWidth), height, ILC_COLOR24 | ILC_MASK, count, 1));
    if (images)
        ::ImageList_AddMasked(images.get(), scaled.get(), mask);
    return images;
}

} // namespace OM::Ui
