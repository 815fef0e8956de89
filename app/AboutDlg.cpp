#include "app/AboutDlg.h"

#include "common/Words.h"
#include "res/resource.h"
#include "ui/CenterWindow.h"
#include "ui/Module.h"

#include <vector>

namespace OM::Norvatessa
{

bool CAboutDlg::ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (message)
    {
    case WM_INITDIALOG:
        Ui::CenterWindow(window, ::GetParent(window));
        ::SetDlgItemTextW(window, IDC_ABOUT_NAME, Ui::LoadResourceString(IDS_APP_TITLE).c_str());
        ::SetDlgItemTextW(window, IDC_ABOUT_VERSION,
                          Words::Fill(Words::AboutVersion, ProgramVersion()).c_str());
        ::SetDlgItemTextW(window, IDC_ABOUT_DESCRIPTION, Words::ProgramPurpose);
        result = TRUE;
        return true;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
            return false;
        EndDialog(LOWORD(wParam) == IDOK ? IDOK : IDCANCEL);
        return true;
    default:
        return false;
    }
}

void ShowAbout()
{
    CAboutDlg about;
    about.DoModal(::GetActiveWindow(), IDD_ABOUTBOX);
}

std::wstring ProgramVersion()
{
    const HMODULE module = Ui::Module::Instance().ResourceInstance();
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* resource = loaded ? ::LockResource(loaded) : nullptr;
    if (resource == nullptr)
        return {};
    // VerQueryValue wants a writable copy of the block.
    const auto* bytes = static_cast<const unsigned char*>(resource);
    std::vector<unsigned char> copy(bytes, bytes + ::SizeofResource(module, found));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(copy.data(), L"\\", reinterpret_cast<void**>(&info), &size) || info == nullptr ||
        size < sizeof *info)
        return {};
    return std::to_wstring(HIWORD(info->dwProductVersionMS)) + L"." +
           std::to_wstring(LOWORD(info->dwProductVersionMS)) + L"." +
           std::to_wstring(HIWORD(info->dwProductVersionLS));
}

} // namespace OM::Norvatessa
