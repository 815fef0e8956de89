#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace OM::Norvatessa
{

// The system's folder choice over `owner`, starting at `start` when it is a folder; with `mayCreate` it
// offers to make a new folder. Nothing when the user cancels. User-interface thread, with COM started.
std::optional<std::wstring> ChooseFolder(HWND owner, const wchar_t* title, const std::wstring& start,
                                         bool mayCreate);

} // namespace OM::Norvatessa
