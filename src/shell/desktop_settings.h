// The desktop settings a program can read (cbt, info 19 and 20), taken when
// the window starts: the caret's blink time from the toolkit, the keyboard's
// repeat from the X11 keyboard extension where there is one. Elsewhere
// (Wayland, the offscreen platform) the keyboard keeps the defaults of
// platform::DesktopSettings.
#pragma once

namespace torvic::shell {

// Fills platform::Desktop(); needs the application object.
void ReadDesktopSettings();

}  // namespace torvic::shell
