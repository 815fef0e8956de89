#pragma once

#include "helpers/UniqueHandle.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace OM::Norvatessa::Testing
{

// Runs the real window program in a folder of its own and reads it from outside, as a user sees it: its
// windows, the list's cells, the status bar, dialogs and message boxes. Commands and keys reach it as
// posted messages, the way the keyboard and the mouse would deliver them.
class ProgramDriver
{
public:
    // Copies the executable (and the files given) into a new folder under the temporary folder.
    ProgramDriver(const std::wstring& executable, const std::vector<std::wstring>& companions = {});
    // Runs the executable where it is, as it was installed, and leaves its folder alone.
    struct InPlace
    {
    };
    ProgramDriver(InPlace, const std::wstring& executable);
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    const std::wstring& Folder() const { return folder; }
    std::wstring PathOf(const std::wstring& name) const { return folder + L"\\" + name; }

    bool Start();
    // Waits for the program to end; false when it does not within the time. The exit code then says how.
    bool WaitForExit(DWORD timeoutMs);
    DWORD ExitCode() const;

    HWND MainWindow();
    HWND List();
    HWND StatusBar();
    HWND ToolBar();
    HWND LogPane();
    std::wstring Status();
    // Of the main list, or of another list view of the program.
    int RowCount(HWND list = nullptr);
    std::wstring Cell(int row, int column, HWND list = nullptr);
    std::vector<std::vector<std::wstring>> Rows();
    // Selects the row alone, with the focus, as a click would.
    void Select(int row);

    void Command(UINT id);
    void Key(UINT virtualKey);
    void DoubleClickList();
    // Clicks the toolbar button of this command.
    void ClickToolBarButton(UINT id);

    // A visible dialog of the program with this caption, or with a control of this id.
    HWND DialogTitled(const std::wstring& caption);
    HWND DialogWith(int controlId);

    // The text of a window of the program. GetWindowTextW would give another process's controls only the
    // text they were created with; the message asks the control itself.
    static std::wstring Text(HWND window);
    static std::wstring Text(HWND dialog, int controlId) { return Text(::GetDlgItem(dialog, controlId)); }

    // Polls `done` every 50 ms; false when `timeoutMs` passed first.
    static bool Until(const std::function<bool()>& done, DWORD timeoutMs = 20000);

private:
    // A buffer in the program's memory, for the list view messages that carry pointers.
    class RemoteBuffer;

    std::wstring folder;
    std::wstring executable;
    bool ownsFolder = true;
    Helpers::UniqueHandle process;
    DWORD processId = 0;
};

// Windows sees the Linux file system as drive Z:.
std::wstring WindowsPath(const char* linuxPath);

} // namespace OM::Norvatessa::Testing
