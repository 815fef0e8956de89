#include "tests/app/WindowTesting.h"

#include "ui/ControlText.h"
#include "ui/DeviceContexts.h"
#include "ui/Dpi.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <thread>

namespace OM::Norvatessa::Testing
{

namespace
{

// A visible dialog of this process with a control of this id, or with this caption; all of them when
// `count` is given.
struct Search
{
    int controlId;
    const wchar_t* caption;
    HWND found;
    int* count = nullptr;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (process != ::GetCurrentProcessId() || !::IsWindowVisible(window) ||
        std::wstring(className) != L"#32770")
        return TRUE;
    const bool matches = search.caption != nullptr ? Ui::WindowText(window) == search.caption
                                                   : ::GetDlgItem(window, search.controlId) != nullptr;
    if (!matches)
        return TRUE;
    search.found = window;
    if (search.count == nullptr)
        return FALSE;
    ++*search.count;
    return TRUE;
}

// The kinds of control whose room is measured, and those that may lie over others.
enum class ControlKind
{
    Other,
    Label,      // a static that wraps its words
    SingleLine, // a static that does not
    EtchedLine,
    PushButton,
    CheckBox, // radio buttons too
    GroupBox,
    DropDownList,
    ChildDialog,
};

std::wstring ClassOf(HWND window)
{
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

bool IsClass(HWND window, const wchar_t* name)
{
    return _wcsicmp(ClassOf(window).c_str(), name) == 0;
}

ControlKind KindOf(HWND control)
{
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    if (IsClass(control, L"#32770"))
        return ControlKind::ChildDialog;
    if (IsClass(control, L"Static"))
    {
        switch (style & SS_TYPEMASK)
        {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
            return ControlKind::Label;
        case SS_SIMPLE:
        case SS_LEFTNOWORDWRAP:
            return ControlKind::SingleLine;
        case SS_ETCHEDHORZ:
        case SS_ETCHEDVERT:
        case SS_ETCHEDFRAME:
            return ControlKind::EtchedLine;
        default:
            return ControlKind::Other;
        }
    }
    if (IsClass(control, L"Button"))
    {
        switch (style & BS_TYPEMASK)
        {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            return ControlKind::PushButton;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            return ControlKind::CheckBox;
        case BS_GROUPBOX:
            return ControlKind::GroupBox;
        default:
            return ControlKind::Other;
        }
    }
    if (IsClass(control, L"ComboBox") && (style & 3) == CBS_DROPDOWNLIST)
        return ControlKind::DropDownList;
    return ControlKind::Other;
}

// The size of a text drawn in the control's own font, on lines no wider than `width` when it wraps.
SIZE TextSize(HWND control, const std::wstring& text, UINT format, int width)
{
    const Ui::WindowContext context(control);
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
    const Ui::SelectedObject selected(context.Context(), font ? font : ::GetStockObject(SYSTEM_FONT));
    RECT box{0, 0, width, 0};
    ::DrawTextW(context.Context(), text.c_str(), static_cast<int>(text.size()), &box, format | DT_CALCRECT);
    return SIZE{box.right - box.left, box.bottom - box.top};
}

// Half the width of a digit in the control's font: the gap the system leaves beside a check box.
int HalfDigit(HWND control)
{
    return (TextSize(control, L"0", DT_SINGLELINE, 0).cx + 1) / 2;
}

// The room a control's text needs against the room it has, both in pixels; `needed` empty when the control
// shows no text of its own.
struct Room
{
    SIZE needed{};
    SIZE has{};
};

Room RoomOf(HWND control, ControlKind kind)
{
    RECT client{};
    ::GetClientRect(control, &client);
    const SIZE has{client.right, client.bottom};
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    const std::wstring text = Ui::WindowText(control);
    if (kind == ControlKind::DropDownList)
    {
        int widest = 0;
        const auto count = static_cast<int>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int item = 0; item < count; ++item)
        {
            std::wstring entry(static_cast<std::size_t>(::SendMessageW(control, CB_GETLBTEXTLEN, item, 0)),
                               L'\0');
            ::SendMessageW(control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(entry.data()));
            widest = std::max<int>(widest, TextSize(control, entry, DT_SINGLELINE | DT_NOPREFIX, 0).cx);
        }
        // The arrow button, the edges and a little space on each side of the entry.
        const int frame =
            ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE) + Ui::ScaleToDpi(4);
        return widest > 0 ? Room{{widest + frame, 0}, has} : Room{};
    }
    if (text.empty())
        return {};
    switch (kind)
    {
    case ControlKind::Label: {
        const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
        return {TextSize(control, text, DT_WORDBREAK | DT_EXPANDTABS | prefix, has.cx), has};
    }
    case ControlKind::SingleLine:
        return {TextSize(control, text,
                         DT_SINGLELINE | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0), 0),
                has};
    case ControlKind::PushButton: {
        // The button's raised edges and the focus rectangle inside them.
        const SIZE inner = TextSize(control, text, DT_SINGLELINE, 0);
        return {{inner.cx + 2 * (2 * ::GetSystemMetrics(SM_CXEDGE) + 1),
                 inner.cy + 2 * (::GetSystemMetrics(SM_CYEDGE) + 1)},
                has};
    }
    case ControlKind::CheckBox: {
        const SIZE inner = TextSize(control, text, DT_SINGLELINE, 0);
        const int box = Ui::ScaleToDpi(13);
        return {{box + HalfDigit(control) + inner.cx, std::max<int>(box, inner.cy)}, has};
    }
    case ControlKind::GroupBox: {
        // The title sits in the top edge, a little in from each corner.
        const SIZE inner = TextSize(control, text, DT_SINGLELINE, 0);
        return {{inner.cx + 4 * HalfDigit(control), inner.cy}, has};
    }
    default:
        return {};
    }
}

// The control's class and id, as in "Static 1011".
std::string Describe(HWND control)
{
    std::string kind;
    for (const wchar_t character : ClassOf(control))
        kind += character < 0x80 ? static_cast<char>(character) : '?';
    return kind + " " + std::to_string(::GetDlgCtrlID(control));
}

std::string Size(SIZE size)
{
    return std::to_string(size.cx) + "x" + std::to_string(size.cy);
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

LONG StyleOf(HWND window)
{
    return ::GetWindowLongW(window, GWL_STYLE);
}

bool IsGroupBox(HWND window)
{
    return IsClass(window, WC_BUTTONW) && (StyleOf(window) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The controls a screen reader names after the label before them.
bool IsField(HWND window)
{
    return IsClass(window, WC_EDITW) || IsClass(window, WC_COMBOBOXW) || IsClass(window, WC_IPADDRESSW);
}

bool TakesInput(HWND window)
{
    return IsField(window) || (IsClass(window, WC_BUTTONW) && !IsGroupBox(window)) ||
           IsClass(window, WC_LISTBOXW) || IsClass(window, WC_LISTVIEWW);
}

bool IsLabel(HWND window)
{
    if (!IsClass(window, WC_STATICW))
        return false;
    const LONG style = StyleOf(window);
    const LONG type = style & SS_TYPEMASK;
    if ((type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
         type != SS_LEFTNOWORDWRAP) ||
        (style & SS_NOPREFIX) != 0)
        return false;
    const std::wstring text = Ui::WindowText(window);
    return std::any_of(text.begin(), text.end(), [](wchar_t c) { return ::IsCharAlphaW(c) != FALSE; });
}

// The letter after the single '&' of a label's or button's text, in upper case.
std::optional<wchar_t> MnemonicOf(HWND window)
{
    if (!(IsClass(window, WC_STATICW) || IsClass(window, WC_BUTTONW)) ||
        (IsClass(window, WC_STATICW) && (StyleOf(window) & SS_NOPREFIX) != 0))
        return std::nullopt;
    const std::wstring text = Ui::WindowText(window);
    for (std::size_t at = 0; at + 1 < text.size(); ++at)
    {
        if (text[at] != L'&')
            continue;
        if (text[at + 1] == L'&')
        {
            ++at;
            continue;
        }
        wchar_t letter = text[at + 1];
        ::CharUpperBuffW(&letter, 1);
        return letter;
    }
    return std::nullopt;
}

std::wstring DescribeField(HWND window)
{
    std::wstring text = Ui::WindowText(window);
    // An icon's static holds the icon's resource number behind 0xFFFF.
    if (!text.empty() && text[0] == 0xFFFF)
        text.clear();
    return ClassOf(window) + L" " + std::to_wstring(::GetDlgCtrlID(window)) +
           (text.empty() ? L"" : L" \"" + text + L"\"");
}

std::vector<HWND> ChildrenInZOrder(HWND dialog)
{
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RECT RectIn(HWND dialog, HWND window)
{
    RECT box{};
    ::GetWindowRect(window, &box);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// Left to right within a line, lines top to bottom; boxes whose tops are less than half the lower one's
// height apart share a line (a check box sits a little lower than the edit beside it).
bool ReadsBefore(const RECT& earlier, const RECT& later)
{
    const LONG height = std::min(earlier.bottom - earlier.top, later.bottom - later.top);
    if (std::abs(later.top - earlier.top) * 2 < height)
        return earlier.left < later.left;
    return earlier.top < later.top;
}

// The group box around the control, or the control itself: the block it is read in.
RECT BlockOf(const RECT& control, const std::vector<RECT>& groups)
{
    const POINT centre{(control.left + control.right) / 2, (control.top + control.bottom) / 2};
    const RECT* block = nullptr;
    for (const RECT& group : groups)
    {
        if (::PtInRect(&group, centre) &&
            (block == nullptr || (group.right - group.left) * (group.bottom - group.top) <
                                     (block->right - block->left) * (block->bottom - block->top)))
            block = &group;
    }
    return block != nullptr ? *block : control;
}

// Whether `later` may come right after `earlier`, each read in its block.
bool StepsForward(HWND dialog, HWND earlier, HWND later, const std::vector<RECT>& groups)
{
    const RECT from = RectIn(dialog, earlier);
    const RECT to = RectIn(dialog, later);
    const RECT fromBlock = BlockOf(from, groups);
    const RECT toBlock = BlockOf(to, groups);
    return ::EqualRect(&fromBlock, &toBlock) ? ReadsBefore(from, to) : ReadsBefore(fromBlock, toBlock);
}

// The tab stops as Tab visits them, from the first in z-order.
std::vector<HWND> TabCycle(HWND dialog, const std::vector<HWND>& children)
{
    std::vector<HWND> cycle;
    for (HWND at = ::GetNextDlgTabItem(dialog, nullptr, FALSE);
         at != nullptr && std::find(cycle.begin(), cycle.end(), at) == cycle.end() && cycle.size() < 200;
         at = ::GetNextDlgTabItem(dialog, at, FALSE))
        cycle.push_back(at);
    std::map<HWND, std::size_t> zOrder;
    for (const HWND child : children)
        zOrder.emplace(child, zOrder.size());
    const auto rank = [&](HWND window) {
        while (window != nullptr && ::GetParent(window) != dialog)
            window = ::GetParent(window);
        const auto found = zOrder.find(window);
        return found == zOrder.end() ? zOrder.size() : found->second;
    };
    std::rotate(
        cycle.begin(),
        std::min_element(cycle.begin(), cycle.end(), [&](HWND a, HWND b) { return rank(a) < rank(b); }),
        cycle.end());
    return cycle;
}

void CheckReadingOrder(HWND dialog, const std::vector<HWND>& children, std::wstring& faults)
{
    std::vector<RECT> groups;
    std::vector<HWND> visible;
    for (const HWND child : children)
    {
        if ((StyleOf(child) & WS_VISIBLE) == 0)
            continue;
        visible.push_back(child);
        if (IsGroupBox(child))
            groups.push_back(RectIn(dialog, child));
    }
    for (std::size_t at = 1; at < visible.size(); ++at)
    {
        if (!StepsForward(dialog, visible[at - 1], visible[at], groups))
            faults += L"Z-order puts " + DescribeField(visible[at - 1]) + L" before " +
                      DescribeField(visible[at]) + L", against the reading order\n";
    }
    const std::vector<HWND> cycle = TabCycle(dialog, children);
    for (std::size_t step = 1; step < cycle.size(); ++step)
    {
        if (!StepsForward(dialog, cycle[step - 1], cycle[step], groups))
            faults += L"Tab goes from " + DescribeField(cycle[step - 1]) + L" back to " +
                      DescribeField(cycle[step]) + L", against the reading order\n";
    }
}

// Esc, as the user would press it, in every dialog that `thread` shows (message boxes included).
void CancelDialogsOf(DWORD thread)
{
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM) -> BOOL {
            if (IsClass(window, L"#32770"))
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        },
        0);
}

} // namespace

bool PumpUntil(Ui::MessageLoop& loop, const std::function<bool()>& done, DWORD timeoutMs)
{
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done())
    {
        if (::GetTickCount64() > end)
            return false;
        MSG message{};
        bool any = false;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        {
            any = true;
            if (!loop.PreTranslateMessage(message))
            {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        }
        loop.RunIdleHandlers();
        if (!any)
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

void Pump(Ui::MessageLoop& loop, DWORD milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + milliseconds;
    PumpUntil(
        loop, [end] { return ::GetTickCount64() >= end; }, milliseconds + 1000);
}

HWND FindDialogWith(int controlId)
{
    Search search{controlId, nullptr, nullptr};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialogTitled(const wchar_t* caption)
{
    Search search{0, caption, nullptr};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

int CountDialogsTitled(const wchar_t* caption)
{
    int count = 0;
    Search search{0, caption, nullptr, &count};
    ::EnumWindows(&FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return count;
}

HWND WaitForDialogTitled(const wchar_t* caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    for (DWORD waited = 0; waited < timeoutMs && !(found = FindDialogTitled(caption)); waited += 20)
        ::Sleep(20);
    return found;
}

std::wstring MessageBoxText(HWND box)
{
    // A message box shows its text in a static control with the id 0xFFFF.
    return Ui::ControlText(box, 0xFFFF);
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return L"(the clipboard did not open)";
    if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT))
    {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data)))
        {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

std::wstring CellText(HWND list, int row, int column)
{
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowCount(HWND list)
{
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void PressKey(Ui::MessageLoop& loop, HWND window, UINT key, bool control)
{
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    const BYTE before = state[VK_CONTROL];
    state[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(state);
    MSG message{window, WM_KEYDOWN, key, 1, 0, {}};
    if (!loop.PreTranslateMessage(message))
    {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    state[VK_CONTROL] = before;
    ::SetKeyboardState(state);
}

std::vector<std::string> LayoutFaults(HWND window, const std::string& name)
{
    struct Control
    {
        HWND handle;
        ControlKind kind;
        RECT box; // on the screen
    };
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT))
    {
        Control control{child, KindOf(child), {}};
        ::GetWindowRect(child, &control.box);
        if (::IsWindowVisible(child) && control.kind != ControlKind::ChildDialog &&
            !::IsRectEmpty(&control.box))
            controls.push_back(control);
    }

    std::vector<std::string> faults;
    if (controls.empty())
        faults.push_back(name + " has no control to measure");
    if (!(::GetWindowLongW(window, GWL_STYLE) & WS_CHILD))
    {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
        RECT box{};
        ::GetWindowRect(window, &box);
        const SIZE size{box.right - box.left, box.bottom - box.top};
        const SIZE area{monitor.rcWork.right - monitor.rcWork.left,
                        monitor.rcWork.bottom - monitor.rcWork.top};
        if (size.cx > area.cx || size.cy > area.cy)
            faults.push_back(name + " is " + Size(size) + ", larger than the work area " + Size(area));
        else if (!Inside(box, monitor.rcWork))
            faults.push_back(name + " reaches past the work area's edge");
    }
    for (const Control& control : controls)
    {
        const Room room = RoomOf(control.handle, control.kind);
        if (room.needed.cx > room.has.cx || room.needed.cy > room.has.cy)
            faults.push_back(name + ": " + Describe(control.handle) + " needs " + Size(room.needed) +
                             " for its text, has " + Size(room.has));
    }
    for (auto first = controls.begin(); first != controls.end(); ++first)
    {
        for (auto second = std::next(first); second != controls.end(); ++second)
        {
            RECT common{};
            if (first->kind == ControlKind::EtchedLine || second->kind == ControlKind::EtchedLine ||
                !::IntersectRect(&common, &first->box, &second->box))
                continue;
            if ((first->kind == ControlKind::GroupBox && Inside(second->box, first->box)) ||
                (second->kind == ControlKind::GroupBox && Inside(first->box, second->box)))
                continue;
            faults.push_back(name + ": " + Describe(first->handle) + " and " + Describe(second->handle) +
                             " overlap by " +
                             Size(SIZE{common.right - common.left, common.bottom - common.top}));
        }
    }
    return faults;
}

bool SaveWindowPicture(HWND window, const std::wstring& path)
{
    // Wine copied nothing at all from a rectangle that reached beyond the screen.
    RECT box{};
    ::GetWindowRect(window, &box);
    const RECT screenBox{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                         ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (!::IntersectRect(&box, &box, &screenBox))
        return false;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height; // bottom row first, as a BMP file keeps it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);

    const Ui::WindowContext screen(nullptr);
    void* bits = nullptr;
    const Ui::UniqueBitmap picture(::CreateDIBSection(
        screen.Context(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture)
        return false;
    {
        const Ui::BitmapCanvas canvas(screen.Context(), picture.get());
        if (!::BitBlt(canvas.Context(), 0, 0, width, height, screen.Context(), box.left, box.top, SRCCOPY))
            return false;
        ::GdiFlush();
    }
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(static_cast<const char*>(bits), header.biSizeImage);
    out.close();
    return !out.fail();
}

std::wstring KeyboardFaults(HWND dialog)
{
    std::wstring faults;
    const std::vector<HWND> children = ChildrenInZOrder(dialog);
    if (children.empty())
        return L"No dialog, or a dialog without controls, to check\n";
    std::map<wchar_t, HWND> mnemonics;
    for (const HWND child : children)
    {
        if (TakesInput(child) && (StyleOf(child) & WS_TABSTOP) == 0)
            faults += DescribeField(child) + L" has no WS_TABSTOP: Tab never reaches it\n";
        if (IsField(child))
        {
            const HWND before = ::GetWindow(child, GW_HWNDPREV);
            if (before == nullptr || !IsLabel(before))
                faults += DescribeField(child) + L" follows " +
                          (before ? DescribeField(before) : L"nothing") + L", not a label that names it\n";
            // A hidden label only names the field; a label one can see also leads to it.
            else if ((StyleOf(before) & WS_VISIBLE) != 0 && !MnemonicOf(before))
                faults += DescribeField(before) + L" names a field but has no mnemonic\n";
        }
        if (const auto letter = MnemonicOf(child); letter && (StyleOf(child) & WS_VISIBLE) != 0)
        {
            const auto [earlier, added] = mnemonics.emplace(*letter, child);
            if (!added)
                faults += L"The mnemonic " + std::wstring(1, *letter) + L" leads to both " +
                          DescribeField(earlier->second) + L" and " + DescribeField(child) + L"\n";
        }
    }
    CheckReadingOrder(dialog, children, faults);
    return faults;
}

HWND FocusIn(HWND dialog)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

void PostKeyInDialog(HWND dialog, UINT key)
{
    const HWND focus = FocusIn(dialog);
    ::PostMessageW(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 1);
}

void PostMnemonicInDialog(HWND dialog, wchar_t letter)
{
    // Bit 29 of the key data: Alt is down.
    const HWND focus = FocusIn(dialog);
    ::PostMessageW(focus != nullptr ? focus : dialog, WM_SYSCHAR, letter, 1 | (1 << 29));
}

bool Eventually(const std::function<bool()>& done, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 20)
    {
        if (done())
            return true;
        ::Sleep(20);
    }
    return done();
}

std::string WhileModal(const std::function<void()>& open, const std::function<HWND()>& find,
                       const std::function<void(HWND)>& use, DWORD timeoutMs)
{
    const DWORD thread = ::GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::string problem;
    std::thread user([&] {
        HWND window = nullptr;
        if (!Eventually([&] { return (window = find()) != nullptr; }, timeoutMs))
            problem = "the window did not appear";
        else
        {
            use(window);
            if (!Eventually([&] { return returned.load(); }, timeoutMs))
                problem = "the window stayed open";
        }
        // A posted Esc may come before the dialog's loop runs, or close a message box over the window
        // only: it is pressed again until the window has gone.
        while (!returned)
        {
            CancelDialogsOf(thread);
            ::Sleep(500);
        }
    });
    open();
    returned = true;
    user.join();
    return problem;
}

} // namespace OM::Norvatessa::Testing
