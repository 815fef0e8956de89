#pragma once

#include <windows.h>

namespace OM::Ui
{

// Moves the window so that it is centred on the reference window (by default its parent for a child
// window, its owner for a top-level one), kept inside the work area or the parent's client area. It is
// neither resized, activated nor moved in the Z order.
void CenterWindow(HWND window, HWND reference = nullptr);

// The left (or top) edge that centres an extent of `size` on the reference span, kept inside the area.
int CenteredEdge(int referenceStart, int referenceEnd, int size, int areaStart, int areaEnd);

} // namespace OM::Ui
