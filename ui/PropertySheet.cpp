#include "ui/PropertySheet.h"

#include "ui/CenterWindow.h"
#include "ui/Module.h"

namespace OM::Ui
{

namespace
{

// Where the sheet being created on this thread keeps its window: the creation callback carries no
// pointer of ours, and one thread runs one modal sheet at a time.
thread_local HWND* sheetWindow = nullptr;

} // namespace

PropertySheet::PropertySheet(UINT captionId, UINT startPage)
    : caption(LoadResourceString(captionId)), startPage(startPage)
{
}

INT_PTR PropertySheet::DoModal(HWND parent)
{
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    header.hwndParent = parent;
    header.hInstance = Module::Instance().ResourceInstance();
    header.pszCaption = caption.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage;
    header.ppsp = pages.data();
    header.pfnCallback = &Callback;

    sheetWindow = &window;
    const INT_PTR result = ::PropertySheetW(&header);
    sheetWindow = nullptr;
    window = nullptr;
    return result;
}

int CALLBACK PropertySheet::Callback(HWND sheet, UINT message, LPARAM)
{
    if (message != PSCB_INITIALIZED)
        return 0;
    if (sheetWindow != nullptr)
        *sheetWindow = sheet;
    // The system puts a sheet at its owner's top left corner; it has its size here and is not yet shown.
    CenterWindow(sheet);
    return 0;
}

} // namespace OM::Ui
