#include "app/Help.h"

#include "common/Words.h"
#include "helpers/ExecutablePath.h"

#include <shellapi.h>
#include <shlwapi.h>

namespace OM::Norvatessa
{

namespace
{

std::wstring ExecutableFolder()
{
    const std::wstring path = Helpers::ExecutablePath();
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

} // namespace

std::wstring HelpFilePath()
{
    const std::wstring folder = ExecutableFolder();
    return folder.empty() ? std::wstring() : folder + L"\\" + HelpFileName;
}

void OpenHelp(HWND owner)
{
    const std::wstring path = HelpFilePath();
    if (path.empty())
        return;
    if (::PathFileExistsW(path.c_str()))
        ::ShellExecuteW(owner, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    else
        ::MessageBoxW(owner, Words::HelpMissing, Words::ProblemCaption, MB_ICONERROR);
}

} // namespace OM::Norvatessa
