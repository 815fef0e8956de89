#pragma once

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// The help file's name; it lies beside the executable.
inline constexpr wchar_t HelpFileName[] = L"norvatessa.chm";

// The help file's full path beside the executable, of any length; empty when the executable's path
// cannot be read.
std::wstring HelpFilePath();

// Opens the help file beside the executable, or tells the user, in a message box owned by `owner`, that it
// is missing.
void OpenHelp(HWND owner);

} // namespace OM::Norvatessa
