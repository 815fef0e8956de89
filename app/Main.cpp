// The program's entry point: the platform's services in scope, then the main window.
#include "app/RunMainWindow.h"
#include "helpers/WinsockHandles.h"
#include "ui/Module.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace
{

// COM for the lifetime of a scope.
class ComSession
{
public:
    ComSession() noexcept : started(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComSession()
    {
        if (started)
            ::CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

private:
    bool started;
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand)
{
    const OM::Helpers::WinsockSession winsock;
    if (!winsock.ok())
        return 0;
    const ComSession com;
    // The bars, the list, the address fields of the settings sheet and its tabs, the batch window's
    // progress bar.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                       ICC_INTERNET_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    OM::Ui::Module::Instance().Initialize(instance);
    return OM::Norvatessa::RunMainWindow(commandLine, showCommand);
}
