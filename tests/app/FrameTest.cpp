#include "tests/app/FrameTest.h"

#include "res/resource.h"
#include "ui/ControlText.h"
#include "ui/Module.h"

#include <commctrl.h>

namespace OM::Norvatessa::Testing
{

void FrameTest::SetUp()
{
    ControllerSiteTest::SetUp();
    Ui::Module::Instance().AddMessageLoop(&loop);
    Settings().searchTimeout = 500;
    Settings().udpSendPort = 2860;
    Settings().knownControllers.clear();
    Settings().knownRanges.clear();
}

void FrameTest::TearDown()
{
    if (frame && frame->Handle() != nullptr)
        ::DestroyWindow(frame->Handle());
    // The quit message of the destroyed frame ends no loop here.
    MSG quit{};
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    frame.reset();
    Ui::Module::Instance().RemoveMessageLoop();
    ControllerSiteTest::TearDown();
}

void FrameTest::Open()
{
    frame = std::make_unique<CMainFrame>();
    ASSERT_NE(frame->CreateMainWindow(), nullptr);
    ::ShowWindow(frame->Handle(), SW_SHOWNORMAL);
}

bool FrameTest::WaitForList(int rows, DWORD timeoutMs)
{
    return Until(
        [&] {
            return RowCount(List()) == rows && Log().find(L"Готово\r\n") != std::wstring::npos &&
                   ::IsWindowEnabled(List()) &&
                   Status() == (rows == 0 ? L"Контроллеры не найдены" : L"Готово") &&
                   frame->UIIsEnabled(ID_NEW_SEARCH);
        },
        timeoutMs);
}

void FrameTest::NewSearch()
{
    Command(ID_REFRESH);
    Command(ID_NEW_SEARCH);
}

std::wstring FrameTest::Status() const
{
    return Ui::WindowText(frame->StatusBarWindow());
}

std::vector<std::wstring> FrameTest::StatusCounts() const
{
    const HWND bar = frame->StatusBarWindow();
    const auto parts = static_cast<int>(::SendMessageW(bar, SB_GETPARTS, 0, 0));
    std::vector<std::wstring> counts;
    for (int part = 1; part < parts; ++part)
    {
        std::wstring text(LOWORD(::SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0)), L'\0');
        ::SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text.data()));
        counts.push_back(text);
    }
    return counts;
}

void FrameTest::ClickRow(int row, WPARAM keys)
{
    RECT box{};
    box.left = LVIR_LABEL;
    ::SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&box));
    const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    ::PostMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    ::PostMessageW(List(), WM_LBUTTONUP, keys, at);
    Pump(loop, 200);
}

std::wstring FrameTest::Log() const
{
    return Ui::WindowText(frame->LogPane());
}

bool FrameTest::ToolBarButtonEnabled(UINT id) const
{
    return ::SendMessageW(frame->ToolBarWindow(), TB_ISBUTTONENABLED, id, 0) != 0;
}

bool FrameTest::MenuItemEnabled(int popup, UINT id)
{
    const HMENU menu = ::GetSubMenu(::GetMenu(frame->Handle()), popup);
    ::SendMessageW(frame->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), popup);
    return !(::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

} // namespace OM::Norvatessa::Testing
