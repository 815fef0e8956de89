#include "ui/Bars.h"

#include "ui/ControlText.h"
#include "ui/Dpi.h"
#include "ui/ImageLists.h"
#include "ui/Module.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

namespace OM::Ui
{

namespace
{

// The layout of a toolbar resource: a version, the button size, the count, then one command id per button
// (0 for a separator).
struct ToolBarResource
{
    WORD version;
    WORD width;
    WORD height;
    WORD count;
};

constexpr DWORD ToolBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | TBSTYLE_TOOLTIPS;

} // namespace

HWND CreateToolBarFromResource(HWND parent, UINT resourceId, int controlId, UniqueImageList& images)
{
    const HINSTANCE instance = Module::Instance().ResourceInstance();
    const HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(241));
    const HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const auto* resource = loaded ? static_cast<const ToolBarResource*>(::LockResource(loaded)) : nullptr;
    if (resource == nullptr || resource->version != 1 ||
        ::SizeofResource(instance, found) < sizeof(ToolBarResource) + resource->count * sizeof(WORD))
        return nullptr;
    const WORD* ids = reinterpret_cast<const WORD*>(resource + 1);

    std::vector<TBBUTTON> buttons;
    buttons.push_back(TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0});
    int image = 0;
    for (WORD index = 0; index < resource->count; ++index)
    {
        if (ids[index] == 0)
            buttons.push_back(TBBUTTON{0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0});
        else
            buttons.push_back(TBBUTTON{image++, ids[index], TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0});
    }

    const HWND toolBar =
        ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, ToolBarStyle, 0, 0, 100, 100, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance, nullptr);
    if (toolBar == nullptr)
        return nullptr;
    ::SendMessageW(toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    images = LoadImageStrip(resourceId, resource->width, CLR_DEFAULT);
    const int width = ScaleToDpi(resource->width);
    const int height = ScaleToDpi(resource->height);
    ::SendMessageW(toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    ::SendMessageW(toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    ::SendMessageW(toolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    ::SendMessageW(toolBar, TB_AUTOSIZE, 0, 0);
    return toolBar;
}

HWND CreateStatusBar(HWND parent, const wchar_t* text, int controlId)
{
    return ::CreateWindowExW(0, STATUSCLASSNAMEW, text,
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | SBARS_SIZEGRIP, 0, 0,
                             0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                             Module::Instance().ResourceInstance(), nullptr);
}

void ShowStatusParts(HWND statusBar, const std::vector<std::wstring>& trailing)
{
    if (statusBar == nullptr)
        return;
    std::vector<std::wstring> texts;
    std::vector<int> widths;
    for (const std::wstring& text : trailing)
    {
        if (text.empty())
            continue;
        texts.push_back(text);
        // The part's edges and a little room on each side of the text.
        widths.push_back(LineSize(statusBar, text).cx + ScaleToDpi(16));
    }
    // The last part holds the size grip as well.
    if (!widths.empty())
        widths.back() += ::GetSystemMetrics(SM_CXVSCROLL);
    RECT bar{};
    ::GetClientRect(statusBar, &bar);
    std::vector<int> edges; // the right edge of each part, -1 for the last
    int edge = bar.right;
    for (const int width : widths)
        edge -= width;
    edges.push_back(std::max(edge, 0));
    for (std::size_t part = 0; part + 1 < widths.size(); ++part)
        edges.push_back(edges.back() + widths[part]);
    if (widths.empty())
        edges.back() = -1;
    else
        edges.push_back(-1);
    ::SendMessageW(statusBar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (std::size_t part = 0; part < texts.size(); ++part)
        ::SendMessageW(statusBar, SB_SETTEXTW, part + 1, reinterpret_cast<LPARAM>(texts[part].c_str()));
}

void ShowMenuHelp(HWND statusBar, UINT item, UINT flags, HMENU menu)
{
    if (statusBar == nullptr)
        return;
    if (flags == 0xFFFF && menu == nullptr)
    {
        ::SendMessageW(statusBar, SB_SIMPLE, FALSE, 0);
        return;
    }
    std::wstring help;
    if (!(flags & (MF_POPUP | MF_SEPARATOR)))
    {
        help = LoadResourceString(item);
        help = help.substr(0, help.find(L'\n'));
    }
    ::SendMessageW(statusBar, SB_SIMPLE, TRUE, 0);
    ::SendMessageW(statusBar, SB_SETTEXTW, SB_SIMPLEID | SBT_NOBORDERS,
                   reinterpret_cast<LPARAM>(help.c_str()));
}

void FillToolTip(NMTTDISPINFOW& request)
{
    const std::wstring text = LoadResourceString(static_cast<UINT>(request.hdr.idFrom));
    const std::size_t lineFeed = text.find(L'\n');
    const std::wstring tip = lineFeed == std::wstring::npos ? std::wstring() : text.substr(lineFeed + 1);
    const std::size_t length = std::min<std::size_t>(tip.size(), std::size(request.szText) - 1);
    tip.copy(request.szText, length);
    request.szText[length] = L'\0';
    request.lpszText = request.szText;
    request.hinst = nullptr;
}

} // namespace OM::Ui
