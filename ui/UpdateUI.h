#pragma once

#include <windows.h>

#include <map>

namespace OM::Ui
{

// The enabled state of commands, kept in one place and applied to wherever the commands appear: menu
// popups as they open, toolbar buttons when the message loop is idle. User-interface thread only.
//
// Accelerators need nothing of their own: before the system turns a key into a command that is on the
// window's menu, it opens the menu's state through WM_INITMENUPOPUP, and it sends nothing for a grayed
// item.
class UpdateUI
{
public:
    enum Element : unsigned
    {
        InMenu = 1,
        InToolBar = 2,
    };

    // Declares a command and where it appears; it starts enabled.
    void UIAddCommand(UINT id, unsigned elements);
    void UIAddToolBar(HWND toolBar) noexcept { toolBarWindow = toolBar; }

    void UIEnable(UINT id, bool enabled);
    bool UIIsEnabled(UINT id) const;

    // Applies the state to the items of a popup that is opening.
    void UIUpdateMenuPopup(HMENU popup) const;
    // Applies the state to the toolbar's buttons, where it differs.
    void UIUpdateToolBar() const;

private:
    struct Command
    {
        unsigned elements = 0;
        bool enabled = true;
    };

    std::map<UINT, Command> commands;
    HWND toolBarWindow = nullptr;
};

} // namespace OM::Ui
