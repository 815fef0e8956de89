#include "tests/app/WindowTesting.h"

#include "ui/ControlText.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <optional>

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

std::wstring Describe(HWND window)
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
            faults += L"Z-order puts " + Describe(visible[at - 1]) + L" before " + Describe(visible[at]) +
                      L", against the reading order\n";
    }
    const std::vector<HWND> cycle = TabCycle(dialog, children);
    for (std::size_t step = 1; step < cycle.size(); ++step)
    {
        if (!StepsForward(dialog, cycle[step - 1], cycle[step], groups))
            faults += L"Tab goes from " + Describe(cycle[step - 1]) + L" back to " + Describe(cycle[step]) +
                      L", against the reading order\n";
    }
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

std::wstring KeyboardFaults(HWND dialog)
{
    std::wstring faults;
    const std::vector<HWND> children = ChildrenInZOrder(dialog);
    std::map<wchar_t, HWND> mnemonics;
    for (const HWND child : children)
    {
        if (TakesInput(child) && (StyleOf(child) & WS_TABSTOP) == 0)
            faults += Describe(child) + L" has no WS_TABSTOP: Tab never reaches it\n";
        if (IsField(child))
        {
            const HWND before = ::GetWindow(child, GW_HWNDPREV);
            if (before == nullptr || !IsLabel(before))
                faults += Describe(child) + L" follows " + (before ? Describe(before) : L"nothing") +
                          L", not a label that names it\n";
        }
        if (const auto letter = MnemonicOf(child); letter && (StyleOf(child) & WS_VISIBLE) != 0)
        {
            const auto [earlier, added] = mnemonics.emplace(*letter, child);
            if (!added)
                faults += L"The mnemonic " + std::wstring(1, *letter) + L" leads to both " +
                          Describe(earlier->second) + L" and " + Describe(child) + L"\n";
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

} // namespace OM::Norvatessa::Testing
