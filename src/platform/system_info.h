// Facts about the host system that programs can ask for (host$, cbt, info):
// the operating system's description, when the executable was made, and
// the desktop settings the front end found.
//
// Plain POSIX and files of /etc and /proc; no toolkit. The desktop settings
// are what the window reads from its toolkit at start; the batch mode and
// the terminal have no desktop and keep the defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/host.h"

namespace torvic::platform {

// The host operating system in one line: the distribution's name and
// version (os-release), then the kernel's name, release and build (uname),
// for example "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64 #1 SMP
// PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)".
std::string HostDescription();
// The distribution's name in the text of an os-release file: PRETTY_NAME,
// else NAME and VERSION (or VERSION_ID) joined by a blank; empty when the
// text names none. Values may be quoted as the shell quotes them.
std::string OsReleaseName(std::string_view text);

// The local date and time at which the running executable was last
// written (when it was linked, for a program built here); nullopt when the
// host does not say.
std::optional<LocalTime> ExecutableTime();

// Desktop settings a program can read. The defaults are the ones a desktop
// starts with when nobody changed them: a caret that changes every 530
// milliseconds, keys that repeat after the second of four delays (500 ms)
// at the fastest of 32 speeds.
struct DesktopSettings {
  // Milliseconds between the caret's changes; kNoBlink when it stays lit.
  uint32_t caretBlinkMs = 530;
  int keyboardDelay = 1;   // 0..3: 250, 500, 750 or 1000 ms before keys repeat
  int keyboardSpeed = 31;  // 0..31: about 2.5 to 30 repeats a second
  static constexpr uint32_t kNoBlink = 0xFFFFFFFF;
};
// The settings of this process's desktop: the front end sets them at start.
DesktopSettings& Desktop();
// The keyboard's repeat as a desktop measures it (milliseconds before the
// first repeat, milliseconds between repeats) on the scales of
// DesktopSettings.
int KeyboardDelaySetting(uint32_t delayMs);
int KeyboardSpeedSetting(uint32_t intervalMs);

}  // namespace torvic::platform
