#pragma once

#include "app/ControllerRow.h"

#include <windows.h>

#include <vector>

namespace OM::Norvatessa
{

// "Изменить выбранные...": the settings sheet for several controllers over the main window, and after OK
// the fields that left "не менять" given to each of `rows` as one batch in the batch window: each read,
// changed, written, read back and compared, as the console's "set" does. User-interface thread.
void ChangeSelected(HWND mainWindow, const std::vector<ControllerRow>& rows);

} // namespace OM::Norvatessa
