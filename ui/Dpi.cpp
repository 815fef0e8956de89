#include "ui/Dpi.h"

#include "ui/DeviceContexts.h"

#include <windows.h>

namespace OM::Ui
{

int ScreenDpi()
{
    const WindowContext screen(nullptr);
    const int dpi = screen.Context() ? ::GetDeviceCaps(screen.Context(), LOGPIXELSX) : 96;
    return dpi > 0 ? dpi : 96;
}

int ScaleToDpi(int pixels)
{
    return ::MulDiv(pixels, ScreenDpi(), 96);
}

} // namespace OM::Ui
