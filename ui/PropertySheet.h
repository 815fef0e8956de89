#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace OM::Ui
{

// A modal property sheet with OK and Cancel and no Apply button, centred on its owner. The owner adds its
// pages, in order, before running it.
class PropertySheet
{
public:
    PropertySheet(UINT captionId, UINT startPage);
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;
    virtual ~PropertySheet() = default;

    void AddPage(const PROPSHEETPAGEW& page) { pages.push_back(page); }

    // Runs the sheet; 1 after OK, 0 after Cancel, -1 when it could not be shown.
    INT_PTR DoModal(HWND parent);

    // The sheet's window while it runs, else null.
    HWND Handle() const noexcept { return window; }

private:
    static int CALLBACK Callback(HWND sheet, UINT message, LPARAM parameter);

    std::wstring caption;
    UINT startPage;
    std::vector<PROPSHEETPAGEW> pages;
    HWND window = nullptr;
};

} // namespace OM::Ui
