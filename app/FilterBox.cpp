#include "app/FilterBox.h"

#include "common/Words.h"
#include "ui/ControlText.h"
#include "ui/Dpi.h"
#include "ui/Module.h"

#include <commctrl.h>

#include <algorithm>

namespace OM::Norvatessa
{

namespace
{

// The edit's width at 96 dots per inch: room for a name a little longer than the cue.
constexpr int EditWidth = 240;

HWND CreateChild(HWND parent, DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                 int id)
{
    const HWND child = ::CreateWindowExW(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                         Ui::Module::Instance().ResourceInstance(), nullptr);
    if (child != nullptr)
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                       FALSE);
    return child;
}

} // namespace

bool FilterBox::Create(HWND parent, int editId)
{
    label = CreateChild(parent, 0, L"STATIC", Words::FilterLabel, SS_LEFT | SS_NOPREFIX, -1);
    edit = CreateChild(parent, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, editId);
    if (edit != nullptr)
        ::SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(Words::FilterCue));
    return label != nullptr && edit != nullptr;
}

RECT FilterBox::Place(RECT area) const
{
    if (label == nullptr || edit == nullptr)
        return area;
    const int margin = Ui::ScaleToDpi(4);
    const SIZE labelSize = Ui::LineSize(label, Words::FilterLabel);
    const int editHeight =
        Ui::LineSize(edit, L"Ag").cy + 2 * ::GetSystemMetrics(SM_CYEDGE) + Ui::ScaleToDpi(6);
    const int top = area.top + margin;
    const int labelWidth = labelSize.cx + Ui::ScaleToDpi(2);
    ::SetWindowPos(label, nullptr, area.left + margin, top + (editHeight - labelSize.cy) / 2, labelWidth,
                   labelSize.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    const int editLeft = area.left + margin + labelWidth + margin;
    const int editWidth = std::clamp<int>(area.right - margin - editLeft, 0, Ui::ScaleToDpi(EditWidth));
    ::SetWindowPos(edit, nullptr, editLeft, top, editWidth, editHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    area.top = std::min<LONG>(top + editHeight + margin, area.bottom);
    return area;
}

std::wstring FilterBox::Text() const
{
    return Ui::WindowText(edit);
}

void FilterBox::Focus() const
{
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

bool FilterBox::TakeKey(const MSG& message, HWND list) const
{
    if (edit == nullptr || message.hwnd != edit || message.message != WM_KEYDOWN)
        return false;
    switch (message.wParam)
    {
    case VK_ESCAPE:
        // Clearing the text tells the parent, as typing does.
        if (::GetWindowTextLengthW(edit) > 0)
            ::SetWindowTextW(edit, L"");
        else
            ::SetFocus(list);
        return true;
    case VK_RETURN:
    case VK_TAB:
    case VK_DOWN:
        ::SetFocus(list);
        return true;
    default:
        return false;
    }
}

HBRUSH FilterBox::LabelBackground(HDC context, HWND control) const
{
    if (control == nullptr || control != label)
        return nullptr;
    ::SetBkColor(context, ::GetSysColor(COLOR_WINDOW));
    return ::GetSysColorBrush(COLOR_WINDOW);
}

} // namespace OM::Norvatessa
