#pragma once

#include "ui/DialogImpl.h"

#include <string>

namespace OM::Norvatessa
{

// The about box: the program's name, its version as the version resource gives it, and what it is for.
class CAboutDlg : public Ui::DialogImpl<CAboutDlg>
{
public:
    bool ProcessDialogMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
};

// Runs the about box over the active window.
void ShowAbout();

// "x.y.z" from the version resource of the running program; empty when it has none.
std::wstring ProgramVersion();

} // namespace OM::Norvatessa
