#include "ui/BalloonTip.h"

#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Ui
{

void BalloonTip::Show(HWND dialog, HWND field, const std::wstring& title, const std::wstring& text)
{
    Hide();
    shownTitle = title;
    shownText = text;
    // A tracking tooltip: the edit control's own balloon message shows nothing under Wine.
    tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                            Module::Instance().ResourceInstance(), nullptr);
    if (tip == nullptr)
        return;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(field);
    tool.lpszText = shownText.data();
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 320);
    ::SendMessageW(tip, TTM_SETTITLEW, TTI_ERROR, reinterpret_cast<LPARAM>(shownTitle.c_str()));
    RECT place{};
    ::GetWindowRect(field, &place);
    ::SendMessageW(tip, TTM_TRACKPOSITION, 0, MAKELPARAM((place.left + place.right) / 2, place.bottom));
    ::SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void BalloonTip::Hide()
{
    if (tip != nullptr && ::IsWindow(tip))
        ::DestroyWindow(tip);
    tip = nullptr;
}

} // namespace OM::Ui
