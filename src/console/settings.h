// The settings memory: the 65,536-byte store behind PEEK and POKE.
//
// Most special addresses hold a mirror byte (what PEEK returns) from which a
// setting is derived by a fixed test. This class owns the bytes and their
// creation defaults; the write and read rules of the special addresses
// (PokeByte, PeekByte) are layered on it by the console view. Other parts of
// the system read settings through the named accessors below, never through
// scattered address literals.
#pragma once

#include <array>
#include <cstdint>

namespace torvic {

class SettingsMemory {
 public:
  static constexpr uint32_t kSize = 65536;

  SettingsMemory() { ResetToDefaults(); }

  void ResetToDefaults();

  uint8_t Byte(uint32_t address) const { return bytes_[address & 0xFFFF]; }
  // Stores a mirror byte without any of the address's side effects.
  void SetMirror(uint32_t address, uint8_t value) { bytes_[address & 0xFFFF] = value; }

  // --- named accessors (settings read by more than one part) ---------------
  // CLEAR without names keeps the scalars when address 12420 holds 15.
  bool ClearKeepsScalars() const { return Byte(12420) == 15; }

  // Line entry and the prompt.
  bool PromptAfterEveryLine() const { return Byte(1966) == 34; }
  bool NewLineAfterPrompt() const { return Byte(43113) != 127; }
  int32_t PromptStyle() const { return Byte(41307); }
  int32_t PromptClock() const { return Byte(54801); }  // 119 12-hour, 239 24-hour
  int32_t HistoryLimit() const { return Byte(56136); }
  bool UpperCaseInput() const { return Byte(22469) == 255; }
  bool InputEcho() const { return Byte(46332) != 5; }
  bool AutoRepeat() const { return Byte(1967) != 18; }
  bool PauseKeyEnabled() const { return Byte(11799) != 128; }
  static constexpr uint32_t kLastLineAddress = 8334;  // length, then the bytes

  // The interpreter's flags with their mirrors (255 on, 0 off).
  static constexpr uint32_t kTraceAddress = 7695;
  static constexpr uint32_t kBreakEnableAddress = 5794;
  static constexpr uint32_t kConfirmAddress = 23792;
  bool BreakEnabled() const { return Byte(kBreakEnableAddress) == 255; }
  bool Trace() const { return Byte(kTraceAddress) == 255; }
  bool Confirm() const { return Byte(kConfirmAddress) == 255; }
  void SetFlag(uint32_t address, bool on) { SetMirror(address, on ? 255 : 0); }

  // The run loop.
  uint8_t StatementDelay() const { return Byte(49542); }
  void SetStatementDelay(uint8_t ms) { SetMirror(49542, ms); }
  bool SyntaxErrorsBypassOnError() const { return Byte(26435) == 197; }
  bool RestoreColorsAfterRun() const { return Byte(21493) == 128; }
  bool ClearScreenAfterRun() const { return Byte(10131) == 8; }
  void ClearClearScreenAfterRun() { SetMirror(10131, 0); }
  // The console statements.
  bool GetNoWait() const { return Byte(15041) == 7; }
  bool ScreenClearAfterSave() const { return Byte(17984) != 2; }
  bool ScreenRestoreRepaintOnce() const { return Byte(59325) == 255; }
  bool AboutShowsSystem() const { return Byte(45254) == 20; }
  bool CursorOnWait() const { return Byte(32783) != 5; }
  int32_t ExecWindowCommand() const { return Byte(9388); }
  int32_t ExecCaseConversion() const { return Byte(3800); }  // 64 upper, 128 lower
  int32_t ExecListingStyle() const { return Byte(49549); }
  // The number of saved screen images, mirrored at both addresses.
  static constexpr uint32_t kScreenImageCountAddress = 33307;
  static constexpr uint32_t kScreenImageCountAddress2 = 33934;
  void SetScreenImageCount(uint8_t n) {
    SetMirror(kScreenImageCountAddress, n);
    SetMirror(kScreenImageCountAddress2, n);
  }

  static constexpr uint32_t kRestartAddress = 1032;
  // ON TIMER's armed state as PEEK shows it: 1 armed, 0 disarmed (TIMER
  // OFF), 255 stopped (no timer running).
  static constexpr uint32_t kTimerArmedAddress = 51520;
  static constexpr uint8_t kTimerArmed = 1, kTimerDisarmed = 0, kTimerStopped = 255;
  bool TimerArmed() const { return Byte(kTimerArmedAddress) == kTimerArmed; }
  void SetTimerArmed(uint8_t state) { SetMirror(kTimerArmedAddress, state); }
  bool RestartRequested() const { return Byte(kRestartAddress) == 3; }

 private:
  std::array<uint8_t, kSize> bytes_{};
};

}  // namespace torvic
