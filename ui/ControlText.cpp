#include "ui/ControlText.h"

#include "ui/DeviceContexts.h"

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

SIZE LineSize(HWND window, std::wstring_view text)
{
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0));
    const WindowContext context(window);
    const SelectedObject selected(context.Context(), font ? font : ::GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    ::GetTextExtentPoint32W(context.Context(), text.data(), static_cast<int>(text.size()), &size);
    return size;
}

} // namespace OM::Ui
