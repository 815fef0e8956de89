#pragma once

#include "ui/UiHandles.h"

#include <windows.h>

#include <string>

namespace OM::Ui
{

// A balloon pointing at one field of a dialog, with an error title and a text: how a dialog says which
// value it refuses and why. One balloon at a time; showing another replaces it. User-interface thread.
class BalloonTip
{
public:
    BalloonTip() = default;
    BalloonTip(const BalloonTip&) = delete;
    BalloonTip& operator=(const BalloonTip&) = delete;
    ~BalloonTip() { Hide(); }

    void Show(HWND dialog, HWND field, const std::wstring& title, const std::wstring& text);
    void Hide();

    // The balloon's window while it shows, for a test to read.
    HWND Handle() const noexcept { return tip; }
    const std::wstring& Text() const noexcept { return shownText; }

private:
    HWND tip = nullptr; // owned by the dialog too: it may be gone with it, hence no owner object here
    std::wstring shownTitle;
    std::wstring shownText;
};

} // namespace OM::Ui
