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
    for (const ControllerRow& row : rows)
    {
        if (row.range)
            continue;
        // The port the search heard, else the row's.
        command.request.targets.push_back(BatchTarget{row.address, std::nullopt, row.port});
        command.names.push_back(row.name);
    }
    command.request.work = std::make_shared<ChangeSteps>(
        [changes = sheet.ManyChanges()](std::uint32_t) -> const SettingChanges& { return changes; });
    StartBatch(mainWindow, std::move(command));
}

} // namespace OM::Norvatessa
