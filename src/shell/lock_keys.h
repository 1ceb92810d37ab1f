// The desktop's lock keys (Caps Lock, Num Lock, Scroll Lock) for the
// settings map: their toggle states, and a press that flips one. On an X11
// desktop they are read and locked through the keyboard extension; other
// desktops (Wayland, the offscreen platform, no display at all) do not let
// a program see or change them, and the settings memory keeps only its
// mirrors there.
#pragma once

#include <optional>

#include "platform/host.h"

namespace torvic::shell {

std::optional<bool> DesktopLockKeyState(platform::LockKey key);
bool PressDesktopLockKey(platform::LockKey key);

}  // namespace torvic::shell
