#pragma once

#include "app/ControllerRow.h"
#include "settings/RestorePreview.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// A site's settings in a folder, one file per controller named after its address, as the console
// program's backup and restore of a site keep them: "Сохранить настройки выбранных в папку..." and
// "Восстановить из папки...". Each runs as a batch in the batch window (app/BatchWindow.h) with the steps
// both programs share. A restore reads the controllers its files name first, in a batch of its own, so that
// the preview tells what each file changes; the ticked ones are then written in a second batch.
// User-interface thread only.
class SiteFolders
{
public:
    // "Сохранить настройки выбранных в папку...": asks for the folder, then as BackupTo.
    void Backup(HWND main, const std::vector<ControllerRow>& rows);
    // The rows' controllers to files in `folder`, made when it is not there. When files of these controllers
    // are there already it asks once: replace all, keep them (those controllers fail with the file's name),
    // or cancel. A folder that cannot be made or written fails every controller with the reason, and
    // nothing is read. False when the user cancelled or no batch could start.
    bool BackupTo(HWND main, const std::wstring& folder, const std::vector<ControllerRow>& rows);

    // "Восстановить из папки...": asks for the folder, then as RestoreFrom.
    void Restore(HWND main, const std::vector<ControllerRow>& known);
    // Reads and checks every *.xml file of `folder`, then reads the controllers they name as a batch; once
    // each of them has come back, the main window gets WM_RESTOREPREVIEW. A folder without such files is
    // told in a message box. `known` gives the controllers' names. False when no batch started.
    bool RestoreFrom(HWND main, const std::wstring& folder, const std::vector<ControllerRow>& known);
    // WM_RESTOREPREVIEW: the preview, and the ticked controllers written as one batch.
    void ShowPreview(HWND main);

private:
    // A restore between its read and its preview; the read batch's callbacks share it.
    struct PendingRestore
    {
        ControllerSettings::RestorePreview preview;
        std::wstring folder;
        std::vector<std::size_t> rowOfTarget; // the preview's row of each controller read
        std::vector<std::wstring> names;      // of each controller read, as the list knows it
        std::size_t waiting = 0;              // outcomes still to come
        bool cancelled = false;               // the user cancelled the read: no preview then
    };

    std::shared_ptr<PendingRestore> pending; // the restore whose preview is due
};

} // namespace OM::Norvatessa
