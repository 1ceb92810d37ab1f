// The settings map: PEEK, PEEK$, POKE and POKE$ over the settings memory.
//
// A write to a special address stores its mirror and changes the setting
// behind it at once; a read of a live address answers the current state.
// The rules are the rows of settings_table.h. Screen, line-editor and
// key-queue settings are applied here directly; what belongs to the
// interpreter (the program store, the random numbers, traps, the lock keys
// of the desktop) is asked of it through SettingsMachine, so the console
// does not depend on the engine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "console/settings_table.h"
#include "platform/host.h"

namespace torvic {

class ConsoleScreen;
class KeyQueue;
class LineEditor;
class SettingsMemory;

// The interpreter's side of the settings map. Every action returns 0 or an
// error code, as PokeByte does.
class SettingsMachine {
 public:
  virtual ~SettingsMachine() = default;
  // 1969 = 224: put back the program the last NEW discarded.
  virtual int32_t RecoverDiscardedProgram() = 0;
  // 1032: whether the application starts a new copy of itself at exit.
  virtual void SetRestartOnExit(bool on) = 0;
  // 6732: restart on exit, NEW (with its question), clear the screen and
  // write ABOUT's text.
  virtual int32_t RestartAndRenew() = 0;
  // 34352 = 5: seed the random numbers from the millisecond tick count.
  virtual void ReseedFromClock() = 0;
  // 49956 = 2: RESTORE's reset of the DATA pointer.
  virtual void ResetDataPointer() = 0;
  // 11799 = 128: the Pause key is turned off, so a pause in force ends.
  virtual void ReleasePause() = 0;
  // 51520: 0 timer events off, 1 on, anything else stops the timer. The
  // interpreter keeps that byte, the armed state's mirror.
  virtual int32_t TimerEvents(uint8_t value) = 0;
  // 1107, 1210, 5776: bring the desktop's lock key to `on` where it can.
  virtual void SetLockKey(platform::LockKey key, bool on) = 0;
  // The live values of the read table that the interpreter knows.
  virtual int32_t Live(LiveValue what, uint32_t address) = 0;
};

class SettingsMap {
 public:
  static constexpr uint32_t kTop = 65535;

  SettingsMap(SettingsMemory& memory, ConsoleScreen& screen, LineEditor& editor, KeyQueue& keys,
              SettingsMachine& machine)
      : memory_(memory), screen_(screen), editor_(editor), keys_(keys), machine_(machine) {}

  // POKE: the statement has checked 0 <= address <= 65535 and 0 <= value
  // <= 255. 0 on success, else an error code.
  int32_t PokeByte(uint32_t address, uint8_t value);
  // POKE$: PokeByte for each byte at consecutive addresses; a string that
  // would pass 65535 writes up to 65535 and gives "?Function call error".
  int32_t PokeBytes(uint32_t address, const uint8_t* bytes, size_t count);
  // PEEK: the live value of a special address, else the stored byte.
  int32_t PeekByte(uint32_t address);

 private:
  int32_t Perform(const SettingRow& row, uint8_t& value, bool flag);

  SettingsMemory& memory_;
  ConsoleScreen& screen_;
  LineEditor& editor_;
  KeyQueue& keys_;
  SettingsMachine& machine_;
};

}  // namespace torvic
