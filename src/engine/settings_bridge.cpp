#include "engine/settings_bridge.h"

#include <sys/utsname.h>

#include <cstdio>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/datafiles.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/program_files.h"
#include "expr/functions.h"
#include "expr/numeric_functions.h"

namespace torvic {

namespace {

constexpr uint32_t kLockAddress[] = {5776, 1107, 1210};  // by LockKey: Caps, Num, Scroll
constexpr uint8_t kInfoFunction = 220;
constexpr uint32_t kLockToggleSettleMs = 10;

// The host system's version from its kernel release ("6.8.0-45-generic").
void OsVersion(int32_t& major, int32_t& minor) {
  major = minor = 0;
  utsname u{};
  if (uname(&u) == 0) std::sscanf(u.release, "%d.%d", &major, &minor);
}

}  // namespace

void SettingsBridge::ReadLockKey(platform::LockKey key) {
  const std::optional<bool> on = in_.Host().pump.LockKeyState(key);
  if (!on) return;
  in_.Memory().SetMirror(kLockAddress[static_cast<int>(key)], *on ? 255 : 0);
  if (key == platform::LockKey::ScrollLock) in_.Screen().SetScrollLock(*on);
}

// A copy of what the last NEW discarded (the store keeps it for OLD).
int32_t SettingsBridge::RecoverDiscardedProgram() { return torvic::RecoverDiscardedProgram(in_); }

void SettingsBridge::SetRestartOnExit(bool on) { in_.Host().process.SetRestartAtExit(on); }

// Restart on exit is armed only once the NEW goes ahead: the INIT reset of
// that NEW takes the one-shot request (random seed 0, timer base, request
// cancelled), so the whole is a cold start of the machine, ending with
// ABOUT's text on a clear screen. A refused "New?" is Break and leaves
// everything, the exit included, as it was.
int32_t SettingsBridge::RestartAndRenew() {
  ProgramList& program = in_.Program();
  if (!in_.Running() && in_.Memory().Confirm() && program.Modified() &&
      !in_.Entry().AskYesNo("New?")) {
    in_.StopRun(StopReason::BreakKey);
    return kOk;
  }
  in_.Settings().PokeByte(SettingsMemory::kRestartAddress, 3);
  DiscardProgram(in_);
  in_.Screen().ClearScreen();
  size_t noOperands = 0;
  return handlers::About(in_, nullptr, noOperands);
}

void SettingsBridge::ReseedFromClock() { Randomize(in_.Host().clock.TickCount()); }

// As RESTORE without a target: before the program's first DATA item.
void SettingsBridge::ResetDataPointer() { in_.Position().RewindData(); }

void SettingsBridge::ReleasePause() { in_.ReleasePause(); }

// The armed state is the byte itself (SettingsMemory::TimerArmed), as for
// TIMER ON and OFF; with no timer set, 1 only records that none runs.
int32_t SettingsBridge::TimerEvents(uint8_t value) {
  SettingsMemory& memory = in_.Memory();
  const bool set = in_.Traps().IsSet(TrapKind::Timer);
  switch (value) {
    case 0:
      if (!set) return kErrTimerNotSet;
      memory.SetTimerArmed(SettingsMemory::kTimerDisarmed);
      return kOk;
    case 1:
      memory.SetTimerArmed(set ? SettingsMemory::kTimerArmed : SettingsMemory::kTimerStopped);
      return kOk;
    default: in_.ClearTimerTrap(); return kOk;
  }
}

void SettingsBridge::SetLockKey(platform::LockKey key, bool on) {
  platform::EventPump& pump = in_.Host().pump;
  const std::optional<bool> state = pump.LockKeyState(key);
  // Give the desktop time to take the key before anything reads it again.
  if (state && *state != on && pump.PressLockKey(key)) in_.Host().clock.Sleep(kLockToggleSettleMs);
}

int32_t SettingsBridge::Live(LiveValue what, uint32_t address) {
  const TrapState& traps = in_.Traps();
  switch (what) {
    case LiveValue::Info: {
      // INFO of the same argument, once INFO has a worker; until then the
      // stored byte.
      ExpressionContext& x = in_.Expressions();
      CValue arg, result;
      arg.SetNumber(address);
      CallContext ctx{x.Eval(), x.Vars(), x, kInfoFunction, 2};
      if (WorkerFor(kInfoFunction)(ctx, &arg, 1, result) == kOk && result.IsNumber())
        return static_cast<int32_t>(result.number);
      return in_.Memory().Byte(address);
    }
    case LiveValue::ArmedTraps:
      return (traps.IsSet(TrapKind::Error) ? 1 : 0) | (traps.IsSet(TrapKind::Break) ? 2 : 0) |
             (traps.IsSet(TrapKind::Timer) ? 4 : 0);
    case LiveValue::RunningHandlers:
      return (traps.InHandler(TrapKind::Error) ? 1 : 0) |
             (traps.InHandler(TrapKind::Break) ? 2 : 0) |
             (traps.InHandler(TrapKind::Timer) ? 4 : 0);
    case LiveValue::DataPointerInProgram: return in_.Position().Data().line ? 1 : 0;
    case LiveValue::OsMinorVersion:
    case LiveValue::OsMajorVersion: {
      int32_t major, minor;
      OsVersion(major, minor);
      return what == LiveValue::OsMajorVersion ? major : minor;
    }
    case LiveValue::KeyWaiting: return in_.Entry().Keys().Empty() ? 0 : 1;
    case LiveValue::LastError: return in_.Traps().Err();
    case LiveValue::StoppedDepth: return in_.StopDepth();
    case LiveValue::RandomByte: return static_cast<int32_t>(RandomDraw() * 255 / 32767);
    // SCREEN's image stack keeps the count in both bytes itself.
    case LiveValue::SavedScreenImages: return in_.Memory().Byte(address);
    case LiveValue::EchoFileAttached: return in_.Files().EchoNumber() != 0 ? 1 : 0;
    case LiveValue::OpenDataFiles: return static_cast<int32_t>(in_.Files().Count());
    // No frame state reaches the core yet.
    case LiveValue::FrameState: return 0;
    default: return in_.Memory().Byte(address);
  }
}

}  // namespace torvic
