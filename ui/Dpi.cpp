#include "ui/Dpi.h"

#include <windows.h>

namespace OM::Ui
{

int ScreenDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int ScaleToDpi(int pixels)
{
    return ::MulDiv(pixels, ScreenDpi(), 96);
}

} // namespace OM::Ui
