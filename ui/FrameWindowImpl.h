#pragma once

#include "ui/Bars.h"
#include "ui/Module.h"
#include "ui/WindowImpl.h"

#include <windows.h>
#include <commctrl.h>

namespace OM::Ui
{

// A top-level frame window with a toolbar, a status bar and a client window between them. Derived chains
// ProcessFrameMessage at the end of its own message handling, and may replace UpdateLayout to place more
// than the client window.
//
// What the frame does by itself: re-lays out on WM_SIZE (unless minimised), gives the focus to the client
// window, shows a menu item's help in the status bar while the menu is open, answers the toolbar's
// tooltip requests from the string table, and ends the message loop with exit code 1 when it is destroyed.
template <typename Derived>
class FrameWindowImpl : public WindowImpl<Derived>
{
public:
    HWND ToolBarWindow() const noexcept { return toolBar; }
    HWND StatusBarWindow() const noexcept { return statusBar; }
    HWND ClientWindow() const noexcept { return client; }

protected:
    static constexpr int ToolBarId = 0xE800;
    static constexpr int StatusBarId = 0xE801;

    bool CreateToolBar(UINT resourceId)
    {
        toolBar = CreateToolBarFromResource(this->window, resourceId, ToolBarId, images);
        return toolBar != nullptr;
    }
    bool CreateStatusBar(UINT textId)
    {
        statusBar = Ui::CreateStatusBar(this->window, LoadResourceString(textId).c_str(), StatusBarId);
        return statusBar != nullptr;
    }
    void SetClient(HWND window) noexcept { client = window; }

    // Places the toolbar at the top and the status bar at the bottom; returns what is left between them.
    RECT PlaceBars()
    {
        RECT area{};
        ::GetClientRect(this->window, &area);
        if (toolBar != nullptr)
        {
            ::SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
            RECT bar{};
            ::GetWindowRect(toolBar, &bar);
            area.top += bar.bottom - bar.top;
        }
        if (statusBar != nullptr)
        {
            ::SendMessageW(statusBar, WM_SIZE, 0, 0);
            RECT bar{};
            ::GetWindowRect(statusBar, &bar);
            area.bottom -= bar.bottom - bar.top;
        }
        if (area.bottom < area.top)
            area.bottom = area.top;
        return area;
    }

    void UpdateLayout()
    {
        const RECT area = PlaceBars();
        if (client != nullptr)
            ::SetWindowPos(client, nullptr, area.left, area.top, area.right - area.left,
                           area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    bool ProcessFrameMessage(UINT message, WPARAM wParam, LPARAM lParam, [[maybe_unused]] LRESULT& result)
    {
        switch (message)
        {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                static_cast<Derived*>(this)->UpdateLayout();
            return false;
        case WM_SETFOCUS:
            if (client != nullptr && ::IsWindow(client))
                ::SetFocus(client);
            return true;
        case WM_MENUSELECT:
            ShowMenuHelp(statusBar, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return true;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOW)
            {
                FillToolTip(*reinterpret_cast<NMTTDISPINFOW*>(lParam));
                return true;
            }
            return false;
        case WM_DESTROY:
            // The main window's end is the program's end; a normal close exits with 1.
            if (::GetParent(this->window) == nullptr)
                ::PostQuitMessage(1);
            return false;
        default:
            return false;
        }
    }

    HWND toolBar = nullptr;
    HWND statusBar = nullptr;
    HWND client = nullptr;
    UniqueImageList images; // of the toolbar; outlives it
};

} // namespace OM::Ui
