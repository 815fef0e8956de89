#pragma once

#include "settings/RestorePreview.h"
#include "ui/DialogImpl.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace OM::Norvatessa
{

// "Восстановить из папки...", once the files are checked and their controllers read: a row per file with
// its controller, the file and what it changes or why it is refused, ticked where something changes. A
// refused file, or a controller not read, has no box to tick. OK ("Записать отмеченные") is on while a
// row is ticked; the ticks are the preview's.
class CRestorePreviewDlg : public Ui::DialogImpl<CRestorePreviewDlg>
{
public:
    CRestorePreviewDlg(ControllerSettings::RestorePreview& preview, std::wstring folder)
        : preview(preview), folder(std::move(folder))
    {
    }

    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Runs the dialog over `parent`; true when the user asked to write the ticked controllers.
    bool Run(HWND parent);

private:
    void Fill();
    // A box clicked or toggled with the space bar: refused for a row that cannot be ticked.
    bool OnItemChanging(const NMLISTVIEW& change);
    void OnItemChanged(const NMLISTVIEW& change);

    ControllerSettings::RestorePreview& preview;
    const std::wstring folder;
    bool filled = false; // the rows' first boxes are the preview's, not the user's
};

} // namespace OM::Norvatessa
