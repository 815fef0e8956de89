// What the window program sets up in wWinMain before its first window, once for the whole test program.
#include "helpers/WinsockHandles.h"
#include "ui/Module.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace
{

class WindowEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(winsock.ok());
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                                           ICC_INTERNET_CLASSES | ICC_TAB_CLASSES |
                                                           ICC_PROGRESS_CLASS};
        ASSERT_TRUE(::InitCommonControlsEx(&controls));
        OM::Ui::Module::Instance().Initialize(::GetModuleHandleW(nullptr));
    }

private:
    OM::Helpers::WinsockSession winsock;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment);

} // namespace
