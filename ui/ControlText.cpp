#include "ui/ControlText.h"

namespace OM::Ui
{

std::wstring WindowText(HWND window)
{
    if (window == nullptr)
        return {};
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

std::wstring ControlText(HWND dialog, int id)
{
    return WindowText(::GetDlgItem(dialog, id));
}

} // namespace OM::Ui
