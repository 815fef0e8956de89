#pragma once

#include "app/MainFrame.h"
#include "engine/ProgramSettings.h"
#include "tests/app/WindowTesting.h"
#include "tests/engine/ControllerSite.h"
#include "ui/MessageLoop.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// The real main window in this process, with its real worker, against a simulated site that starts empty
// for every test. This thread is the user-interface thread: a test pumps its messages while it waits.
class FrameTest : public ControllerSiteTest
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates and shows the main window; its worker starts the first search at once.
    void Open();
    // Pumps until a search has finished (its "Готово" is in the log, which a test clears before it starts
    // another search) and the list shows `rows` rows.
    bool WaitForList(int rows, DWORD timeoutMs = 20000);
    bool Until(const std::function<bool()>& done, DWORD timeoutMs = 20000)
    {
        return PumpUntil(loop, done, timeoutMs);
    }
    void Command(UINT id) { ::SendMessageW(frame->Handle(), WM_COMMAND, id, 0); }
    // Clears the log (F5) and starts a new search.
    void NewSearch();

    HWND List() const { return frame->DeviceList().Handle(); }
    std::wstring Status() const;
    // The status bar's parts after the first, which count the rows.
    std::vector<std::wstring> StatusCounts() const;
    // A click on the list's row, with Shift or Ctrl held as `keys` says (MK_SHIFT, MK_CONTROL).
    void ClickRow(int row, WPARAM keys = 0);
    std::wstring Log() const;
    bool ToolBarButtonEnabled(UINT id) const;
    bool MenuItemEnabled(int popup, UINT id);

    Ui::MessageLoop loop;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace OM::Norvatessa::Testing
