#pragma once

#include "ui/BalloonTip.h"
#include "ui/DialogImpl.h"

#include <cstdint>

namespace OM::Norvatessa
{

// "Добавить по адресу...": the address and HTTP port of a controller that no search finds. It refuses,
// like the settings sheet, what could never reach a controller, and stays open then.
class CAddControllerDlg : public Ui::DialogImpl<CAddControllerDlg>
{
public:
    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Runs the dialog over `parent`; true with `address` and `port` set when the user confirmed.
    bool Run(HWND parent);

    std::uint32_t address = 0;
    std::uint16_t port = 80;

    // The refusal's balloon while it shows, for a test to read.
    HWND Balloon() const noexcept { return balloon.Handle(); }

private:
    bool Accept();
    void Refuse(int fieldId, const wchar_t* reason);

    Ui::BalloonTip balloon;
};

} // namespace OM::Norvatessa
