// The interpreter's side of the settings map (console/settings_map.h): the
// actions of the write table that reach the program store, the random
// numbers, the traps and the desktop's lock keys, and the live values of
// the read table that only the interpreter knows.
#pragma once

#include "console/settings_map.h"

namespace torvic {

class Interpreter;

class SettingsBridge final : public SettingsMachine {
 public:
  explicit SettingsBridge(Interpreter& in) : in_(in) {}

  // Reads a lock key's toggle state from the desktop into its mirror (255
  // on, 0 off); Scroll Lock also holds the screen still. Done at creation
  // and whenever the key is pressed; a desktop that does not tell leaves
  // the mirror as it is.
  void ReadLockKey(platform::LockKey key);

  int32_t RecoverDiscardedProgram() override;
  void SetRestartOnExit(bool on) override;
  int32_t RestartAndRenew() override;
  void ReseedFromClock() override;
  void ResetDataPointer() override;
  void ReleasePause() override;
  int32_t TimerEvents(uint8_t value) override;
  void SetLockKey(platform::LockKey key, bool on) override;
  int32_t Live(LiveValue what, uint32_t address) override;

 private:
  Interpreter& in_;
};

}  // namespace torvic
