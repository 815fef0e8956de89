#pragma once

#include "ui/UiHandles.h"

#include <windows.h>

namespace OM::Ui
{

// Makes an image list from a strip of images in a bitmap resource, each `imageWidth` pixels wide at 96
// dots per inch, enlarged to the screen's resolution. Pixels of `transparent` are left out; with
// CLR_DEFAULT the colour of the top-left pixel is. Null when the bitmap cannot be loaded.
UniqueImageList LoadImageStrip(UINT bitmapId, int imageWidth, COLORREF transparent);

} // namespace OM::Ui
