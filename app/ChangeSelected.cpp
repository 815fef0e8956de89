#include "app/ChangeSelected.h"

#include "app/BatchWindow.h"
#include "res/resource.h"
#include "settings/AppPropSheet.h"
#include "settings/ChangeSteps.h"
#include "ui/Module.h"

#include <memory>

namespace OM::Norvatessa
{

using ControllerSettings::ChangeSteps;
using ControllerSettings::SettingChanges;

void ChangeSelected(HWND mainWindow, const std::vector<ControllerRow>& rows)
{
    CAppPropSheet sheet(IDS_CHANGE_SELECTED_SHEET, 0, mainWindow, true);
    if (sheet.DoModal(mainWindow) != IDOK || sheet.ManyChanges().keys.empty())
        return;
    BatchCommand command;
    command.title = Ui::LoadResourceString(IDS_CHANGE_SELECTED_SHEET);
    AddTargets(command, rows);
    command.request.work = std::make_shared<ChangeSteps>(
        [changes = sheet.ManyChanges()](std::uint32_t) -> const SettingChanges& { return changes; });
    StartBatch(mainWindow, std::move(command));
}

} // namespace OM::Norvatessa
