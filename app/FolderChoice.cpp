#include "app/FolderChoice.h"

#include <shlobj.h>

#include <memory>

namespace OM::Norvatessa
{

namespace
{

struct ItemListFree
{
    void operator()(ITEMIDLIST* items) const noexcept { ::CoTaskMemFree(items); }
};

int CALLBACK StartAt(HWND dialog, UINT message, LPARAM, LPARAM start)
{
    if (message == BFFM_INITIALIZED && start != 0)
        ::SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

} // namespace

std::optional<std::wstring> ChooseFolder(HWND owner, const wchar_t* title, const std::wstring& start,
                                         bool mayCreate)
{
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.lpszTitle = title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | (mayCreate ? 0 : BIF_NONEWFOLDERBUTTON);
    browse.lpfn = &StartAt;
    browse.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    const std::unique_ptr<ITEMIDLIST, ItemListFree> chosen(::SHBrowseForFolderW(&browse));
    if (!chosen)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(chosen.get(), path))
        return std::nullopt;
    return std::wstring(path);
}

} // namespace OM::Norvatessa
