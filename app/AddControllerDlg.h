#pragma once

#include "ui/BalloonTip.h"
#include "ui/DialogImpl.h"

#include "common/AddressRange.h"

#include <cstdint>
#include <optional>
#include <string>

namespace OM::Norvatessa
{

// "Добавить по адресу...": the address and HTTP port of a controller that no search finds, or with the
// end of a range filled in, a range of addresses that every search probes (each controller there tells
// its port itself, so the port field is off then). It refuses, like the settings sheet, what could never
// reach a controller or is no range a search takes, and stays open then.
class CAddControllerDlg : public Ui::DialogImpl<CAddControllerDlg>
{
public:
    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // Runs the dialog over `parent`; true with `address` and `port`, or `range`, set when the user
    // confirmed.
    bool Run(HWND parent);

    std::uint32_t address = 0;
    std::uint16_t port = 80;
    std::optional<AddressRange> range; // an end beyond the address was given

    // The refusal's balloon while it shows, for a test to read.
    HWND Balloon() const noexcept { return balloon.Handle(); }

private:
    bool Accept();
    // The range up to the end field, when it holds an end beyond `first`; false when it refused the end.
    bool AcceptEnd(std::uint32_t first);
    void FollowRangeEnd();
    void Refuse(int fieldId, const std::wstring& reason);

    Ui::BalloonTip balloon;
};

} // namespace OM::Norvatessa
