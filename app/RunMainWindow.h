#pragma once

#include <windows.h>

namespace OM::Norvatessa
{

// Creates the main window and runs the message loop until it closes; returns the loop's exit code, or 0
// when the settings cannot be loaded or the window cannot be created. After the loop the settings are
// saved and every controller connection is closed.
int RunMainWindow(const wchar_t* commandLine, int showCommand);

} // namespace OM::Norvatessa
