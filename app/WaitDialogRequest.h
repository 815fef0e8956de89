#pragma once

#include <cstdint>
#include <string>

namespace OM::Norvatessa
{

// What the worker asks the user-interface thread to show while an exchange runs; posted as the lParam of
// WM_SHOWWAITDLG, owned by the user-interface thread from then on.
struct WaitDialogRequest
{
    std::wstring caption;
    std::wstring text;
    std::int32_t timeoutSeconds = 0; // 0: no countdown
    std::uint64_t serial = 0;        // which request of the owner's this is, counted from 1
};

} // namespace OM::Norvatessa
