#include "ui/CenterWindow.h"

namespace OM::Ui
{

int CenteredEdge(int referenceStart, int referenceEnd, int size, int areaStart, int areaEnd)
{
    int edge = (referenceStart + referenceEnd) / 2 - size / 2;
    if (edge < areaStart)
        edge = areaStart;
    else if (edge + size > areaEnd)
        edge = areaEnd - size;
    return edge;
}

void CenterWindow(HWND window, HWND reference)
{
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    const bool child = (style & WS_CHILD) != 0;
    if (reference == nullptr)
        reference = child ? ::GetParent(window) : ::GetWindow(window, GW_OWNER);

    RECT area{};
    RECT around{};
    if (!child)
    {
        // An invisible or minimised reference says nothing about where the user looks.
        if (reference != nullptr && (!::IsWindowVisible(reference) || ::IsIconic(reference)))
            reference = nullptr;
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        if (reference != nullptr)
            ::GetWindowRect(reference, &around);
        else
            around = area;
    }
    else
    {
        const HWND parent = ::GetParent(window);
        ::GetClientRect(parent, &area);
        if (reference != nullptr)
        {
            ::GetClientRect(reference, &around);
            ::MapWindowPoints(reference, parent, reinterpret_cast<POINT*>(&around), 2);
        }
        else
        {
            around = area;
        }
    }

    RECT own{};
    ::GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    const int left = CenteredEdge(around.left, around.right, width, area.left, area.right);
    const int top = CenteredEdge(around.top, around.bottom, height, area.top, area.bottom);
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace OM::Ui
