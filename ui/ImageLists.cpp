#include "ui/ImageLists.h"

#include "ui/Dpi.h"
#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Ui
{

namespace
{

struct BitmapTraits
{
    using Handle = HBITMAP;
    static Handle invalid() noexcept { return nullptr; }
    static void close(Handle handle) noexcept { ::DeleteObject(handle); }
};
using UniqueBitmap = Helpers::UniqueResource<BitmapTraits>;

// A memory device context with one bitmap selected, put back on the way out.
class BitmapCanvas
{
public:
    BitmapCanvas(HDC screen, HBITMAP bitmap) : context(::CreateCompatibleDC(screen))
    {
        if (context)
            previous = ::SelectObject(context, bitmap);
    }
    ~BitmapCanvas()
    {
        if (context)
        {
            ::SelectObject(context, previous);
            ::DeleteDC(context);
        }
    }
    BitmapCanvas(const BitmapCanvas&) = delete;
    BitmapCanvas& operator=(const BitmapCanvas&) = delete;

    HDC Context() const noexcept { return context; }

private:
    HDC context;
    HGDIOBJ previous = nullptr;
};

} // namespace

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

    const HDC screen = ::GetDC(nullptr);
    UniqueBitmap scaled(::CreateCompatibleBitmap(screen, width, height));
    COLORREF mask = transparent;
    {
        BitmapCanvas from(screen, original.get());
        BitmapCanvas to(screen, scaled.get());
        if (mask == CLR_DEFAULT)
            mask = ::GetPixel(from.Context(), 0, 0);
        // Whole pixels only: blending would mix the transparent colour into the edges.
        ::SetStretchBltMode(to.Context(), COLORONCOLOR);
        ::StretchBlt(to.Context(), 0, 0, width, height, from.Context(), 0, 0, size.bmWidth, size.bmHeight,
                     SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);

    const int count = imageWidth > 0 ? size.bmWidth / imageWidth : 1;
    UniqueImageList images(
        ::ImageList_Create(ScaleToDpi(imageWidth), height, ILC_COLOR24 | ILC_MASK, count, 1));
    if (images)
        ::ImageList_AddMasked(images.get(), scaled.get(), mask);
    return images;
}

} // namespace OM::Ui
