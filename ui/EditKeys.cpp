#include "ui/EditKeys.h"

namespace OM::Ui
{

bool IsEditingKey(const MSG& message)
{
    // Alt+Backspace undoes.
    if (message.message == WM_SYSKEYDOWN)
        return message.wParam == VK_BACK;
    if (message.message != WM_KEYDOWN)
        return false;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    switch (message.wParam)
    {
    case 'A':
    case 'C':
    case 'V':
    case 'X':
    case 'Z':
        return control;
    case VK_INSERT:
        return control || shift;
    case VK_DELETE:
        return shift;
    default:
        return false;
    }
}

} // namespace OM::Ui
