#pragma once

#include "ui/BalloonTip.h"

#include <windows.h>

#include <string>

namespace OM::Norvatessa
{

// What a settings page says when it refuses a value: a balloon on the field, and the focus there, so
// the user sees at once which field is wrong and why. The sheet stays open on the page. The balloon lasts
// as long as what it says holds: until a field of the page changes, the page is left or the sheet closes.
class SheetRefusal
{
public:
    // Always false, for `return refusal.Refuse(...)` in an apply.
    bool Refuse(HWND page, int fieldId, const std::wstring& reason);
    void Clear() { balloon.Hide(); }

    // Every message of a page that can refuse passes here first, for the balloon to go when it no longer
    // holds. Handles nothing: the page goes on with the message.
    void Notice(UINT message, WPARAM wParam, LPARAM lParam);

    const std::wstring& Reason() const noexcept { return balloon.Text(); }
    HWND Balloon() const noexcept { return balloon.Handle(); }

private:
    Ui::BalloonTip balloon;
};

} // namespace OM::Norvatessa
