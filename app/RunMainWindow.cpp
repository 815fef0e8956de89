#include "app/RunMainWindow.h"

#include "app/MainFrame.h"
#include "engine/DeviceEngine.h"
#include "engine/ProgramSettings.h"
#include "ui/MessageLoop.h"
#include "ui/Module.h"

namespace OM::Norvatessa
{

namespace
{

// The message loop, registered for this thread while it lives.
class RegisteredLoop
{
public:
    RegisteredLoop() { Ui::Module::Instance().AddMessageLoop(&loop); }
    ~RegisteredLoop() { Ui::Module::Instance().RemoveMessageLoop(); }
    RegisteredLoop(const RegisteredLoop&) = delete;
    RegisteredLoop& operator=(const RegisteredLoop&) = delete;

    Ui::MessageLoop loop;
};

} // namespace

int RunMainWindow(const wchar_t*, int showCommand)
{
    int exitCode = 0;
    {
        RegisteredLoop registered;
        if (!LoadSettings())
            return 0;
        CMainFrame frame;
        if (frame.CreateMainWindow() == nullptr)
            return 0;
        ::ShowWindow(frame.Handle(), showCommand);
        exitCode = registered.loop.Run();
    }
    if (SaveSettings())
        DeviceEngine::Instance().ClearDevices();
    return exitCode;
}

} // namespace OM::Norvatessa
