#pragma once

namespace OM::Ui
{

// The screen's resolution in dots per inch, as the system reports it to a program that declares itself
// aware of it; 96 is 100 %.
int ScreenDpi();

// A size in pixels at 96 dots per inch, at the screen's resolution.
int ScaleToDpi(int pixels);

} // namespace OM::Ui
