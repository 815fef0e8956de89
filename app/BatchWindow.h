#pragma once

#include "app/ControllerRow.h"
#include "engine/BatchOutcome.h"
#include "engine/BatchRequest.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace OM::Norvatessa
{

// A many-controller command, as the batch window runs it.
struct BatchCommand
{
    std::wstring title;              // the window's caption: the command's name
    BatchRequest request;            // the controllers, the steps on the lanes, the prompts
    std::vector<std::wstring> names; // the controllers' names, in the order of request.targets (may be empty)
    // The user-interface thread, as a controller succeeds: the words of its row instead of "готово"
    // (a file's name, say); nothing: "готово".
    std::function<std::wstring(const BatchOutcome&)> doneText;
    // The user-interface thread, as each controller's outcome comes (after the window's own row update).
    std::function<void(const BatchOutcome&)> onOutcome;
};

// The list's rows as the command's controllers, in their order, with their names: each reached at the port
// the list knows for it. A range's row is no controller and is left out.
void AddTargets(BatchCommand& command, const std::vector<ControllerRow>& rows);

// Opens the batch window over the main window, posts the batch to the engine and returns at once: the
// window shows the batch's course and stays until the user closes it. False (nothing posted) when a batch
// already runs.
//
// The window is modeless and owned by the main window, which stays usable meanwhile; the batch runs on the
// engine's lanes, never on the user-interface thread. "Отмена" cancels this batch only: no controller
// starts after it, and the running exchanges end. Closing the window while the batch runs cancels it; the
// window then goes once the batch has told its end. The main list follows each controller's outcome by
// itself (CAppView), for every batch.
bool StartBatch(HWND mainWindow, BatchCommand command);
// Whether a batch runs (the user-interface thread): the frame greys "Новый поиск", the settings sheet and
// "Добавить по адресу..." meanwhile.
bool BatchRunning() noexcept;

} // namespace OM::Norvatessa
