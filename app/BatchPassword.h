#pragma once

#include "engine/BatchPrompts.h"

#include <windows.h>

#include <memory>

namespace OM::Norvatessa
{

// The names of the window program's entries in the system's credential store begin with this, the
// controller's address following: "Norvatessa/10.1.0.5".
inline constexpr wchar_t RememberedPasswordsPrefix[] = L"Norvatessa/";

// The prompts of a batch of the window program: the first controller of the batch that answers 401 opens
// the program's password dialog over `owner`, once; what the user typed is then offered to every controller
// of the batch that asks, and only after it asked. A controller that refuses it fails, the others go on;
// "Отмена" fails every controller of the batch that asks, without asking again. With "Запомнить на этом
// компьютере", each controller that accepts the credentials has them remembered (device/CredentialStore.h).
// Cancel (the batch's cancel, or the program's close) ends an open dialog from any thread.
std::shared_ptr<BatchPrompts> OneBatchPassword(HWND owner);

} // namespace OM::Norvatessa
