#include "ui/UpdateUI.h"

#include <commctrl.h>

namespace OM::Ui
{

void UpdateUI::UIAddCommand(UINT id, unsigned elements)
{
    commands[id].elements = elements;
}

void UpdateUI::UIEnable(UINT id, bool enabled)
{
    const auto found = commands.find(id);
    if (found != commands.end())
        found->second.enabled = enabled;
}

bool UpdateUI::UIIsEnabled(UINT id) const
{
    const auto found = commands.find(id);
    return found == commands.end() || found->second.enabled;
}

void UpdateUI::UIUpdateMenuPopup(HMENU popup) const
{
    const int count = ::GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position)
    {
        const auto found = commands.find(::GetMenuItemID(popup, position));
        if (found == commands.end() || !(found->second.elements & InMenu))
            continue;
        ::EnableMenuItem(popup, static_cast<UINT>(position),
                         MF_BYPOSITION | (found->second.enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void UpdateUI::UIUpdateToolBar() const
{
    if (toolBarWindow == nullptr)
        return;
    for (const auto& [id, command] : commands)
    {
        if (!(command.elements & InToolBar))
            continue;
        const bool shown = ::SendMessageW(toolBarWindow, TB_ISBUTTONENABLED, id, 0) != 0;
        if (shown != command.enabled)
            ::SendMessageW(toolBarWindow, TB_ENABLEBUTTON, id, MAKELPARAM(command.enabled ? TRUE : FALSE, 0));
    }
}

} // namespace OM::Ui
