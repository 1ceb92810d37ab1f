#include "shell/status_panes.h"

#include "console/settings.h"
#include "engine/interpreter.h"

namespace torvic::shell {

namespace {

// The lock keys' mirrors in the settings memory: 255 while on.
constexpr uint32_t kCapsLockMirror = 5776, kNumLockMirror = 1107, kScrollLockMirror = 1210;

}  // namespace

StatusPanes ReadStatusPanes(Interpreter& in) {
  StatusPanes p;
  p.message = in.StatusText().empty() ? std::string(kIdleMessage) : in.StatusText();
  p.volume = in.VolumeName();
  switch (in.Mode()) {
    case Interpreter::StatusMode::Program: p.mode = "PRG"; break;
    case Interpreter::StatusMode::Editing: p.mode = "EDT"; break;
    case Interpreter::StatusMode::Immediate: p.mode = "IMM"; break;
    case Interpreter::StatusMode::Command: p.mode = "CMD"; break;
  }
  p.insert = in.Entry().Editor().InsertMode() ? "INS" : "OVR";
  const SettingsMemory& m = in.Memory();
  auto light = [&p](Indicator i, bool on) { p.lit[static_cast<size_t>(i)] = on; };
  light(Indicator::Modified, in.Program().Modified());
  light(Indicator::Pause, in.Paused());
  light(Indicator::Break, m.BreakEnabled());
  light(Indicator::Trace, m.Trace());
  light(Indicator::Confirm, m.Confirm());
  light(Indicator::Secure, in.Secure());
  light(Indicator::CapsLock, m.Byte(kCapsLockMirror) == 255);
  light(Indicator::NumLock, m.Byte(kNumLockMirror) == 255);
  light(Indicator::ScrollLock, m.Byte(kScrollLockMirror) == 255);
  p.executing = in.CommandExecuting() || in.Entry().Mode() == Interpreter::kExecuting;
  return p;
}

}  // namespace torvic::shell
