// The host of the batch mode: standard input typed as keys, no window.
//
// Keys are typed only while the core waits for the keyboard
// (WaitForEvent(WaitFor::Keyboard)), one message per wait, exactly as the
// batch contract says. Ctrl+Break is the exception: while anything else
// runs, the reader looks one key ahead, and a Break found there is pressed
// at once, so "RUN" followed by "{BREAK}" stops a running loop. The look-ahead
// holds at most one key, so keys are never read further ahead than needed.
//
// Message boxes write their text to standard error and take their answer
// from the keys: the first key that is the initial of one of the buttons
// (A, R, I; Y, N, C; O) chooses it; at the end of input the first button
// (the default) is taken.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/host.h"
#include "shell/event_queue.h"
#include "shell/key_script.h"

namespace torvic::shell {

class BatchHost final : public platform::EventPump,
                        public platform::Timers,
                        public platform::Dialogs {
 public:
  // Reads keys from file descriptor `fd` (standard input).
  BatchHost(int fd, bool braceNames, platform::Clock& clock);

  // --- EventPump -----------------------------------------------------------
  void SetSink(platform::EventSink* sink) override { sink_ = sink; }
  bool PumpOnce() override;
  bool AnyPending() override;
  platform::WaitResult WaitForEvent(platform::WaitFor what, int timeoutMs) override;

  // --- Timers --------------------------------------------------------------
  bool SetTimer(int id, uint32_t intervalMs) override;
  void KillTimer(int id) override;

  // --- Dialogs -------------------------------------------------------------
  platform::Answer MessageBox(std::string_view text, std::string_view caption,
                              platform::Buttons buttons, platform::Icon icon) override;

 private:
  // Reads what standard input holds now (waiting up to waitMs for it to
  // become readable); false at the end of input.
  bool ReadInput(int waitMs);
  // The next key of the script, reading more input when needed (waiting up
  // to waitMs); nothing when none is available yet or input has ended.
  std::optional<ScriptKey> TakeKey(int waitMs);
  void Post(const ScriptKey& key);
  // Keeps the one-key look-ahead filled and presses a Break found there.
  void LookAheadForBreak();
  void FireDueTimers();
  void FireDueTimers(uint32_t now);
  // Milliseconds to the next timer, or -1 without timers.
  int MsToNextTimer();

  int fd_;
  bool inputEnded_ = false;
  KeyScriptReader reader_;
  std::optional<ScriptKey> held_;  // read ahead, typed at the next keyboard wait
  platform::Clock& clock_;
  platform::EventSink* sink_ = nullptr;
  EventQueue posted_;
  TimerTable timers_;
  platform::TurnPacer pacer_;
};

}  // namespace torvic::shell
