#pragma once

#include "ui/DialogImpl.h"

#include <cstddef>
#include <string>

namespace OM::Norvatessa
{

// The folder of a site's settings, typed or chosen with "Обзор...". For "Сохранить настройки выбранных в
// папку..." it counts the controllers, says that the files hold their passwords and offers to make a new
// folder (one that is not there is made); for "Восстановить из папки..." it says what happens next.
class CSiteFolderDlg : public Ui::DialogImpl<CSiteFolderDlg>
{
public:
    enum class Purpose
    {
        Backup,
        Restore,
    };

    // `controllers`: how many a backup writes.
    CSiteFolderDlg(Purpose purpose, std::size_t controllers) : purpose(purpose), controllers(controllers) {}

    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Runs the dialog over `parent`; true with `folder` set when the user confirmed one.
    bool Run(HWND parent);

    std::wstring folder; // shown at first, and the one confirmed

private:
    void Browse();

    const Purpose purpose;
    const std::size_t controllers;
};

} // namespace OM::Norvatessa
