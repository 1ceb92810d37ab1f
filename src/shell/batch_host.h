// The host of the batch mode: standard input typed as keys, no window.
//
// Keys are typed only while the core waits for the keyboard
// (WaitForEvent(WaitFor::Keyboard)), one message per wait, exactly as the
// batch contract says; a key function's question (a keyboard wait with
// timeout 0) is answered with the script's next key too, waiting for it to
// arrive, so INKEY$ sees the same key on every machine.
//
// Ctrl+Break is the exception: while anything else runs, the reader looks
// one key ahead, and a Break found there is pressed at once, so "RUN"
// followed by "{BREAK}" stops a running loop. Keys before a Break are
// typed first, in order, as long as the session keeps asking for keys; once
// it has stayed away from the keyboard for kPatienceMs (a program that
// runs on without asking), the keys not yet typed are type-ahead: the
// reader reads on past them, up to kMaxHeldKeys, and presses the first
// Break it finds, while they stay held and are typed at the following
// keyboard waits. The patience is counted in milliseconds in which the
// core ran (or waited without the keyboard), not in wall time, so a script
// whose keys a program asks for a few statements later never has its Break
// jump ahead of them, however loaded the machine. Nothing is read ahead
// while a typed key or a pressed Break waits to be served, so a Break never
// overtakes a key already typed, and the keys after a Break are read only
// after it.
//
// Message boxes write their text to standard error and take their answer
// from the keys: the first key that is the initial of one of the buttons
// (A, R, I; Y, N, C; O) chooses it; at the end of input the first button
// (the default) is taken. The volume file dialog is asked on the console
// line, so the keys answer it as typed input and the transcript shows it.
//
// The session can also be ended from outside: a terminating signal
// (TerminationSignals) or standard output that cannot be written
// (Transcript). The host notices either at its next look at the input or
// at once in a wait, calls the end-session hook (which asks the interpreter
// to unwind, as closing the window does) and from then on types nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "platform/host.h"
#include "shell/event_queue.h"
#include "shell/key_script.h"
#include "shell/transcript.h"

namespace torvic {}

namespace torvic::shell {

class BatchHost final : public platform::EventPump,
                        public platform::Timers,
                        public platform::Dialogs {
 public:
  // Keys read ahead and not yet typed, at most: a Break later than this
  // many keys is seen once keys have been typed.
  static constexpr size_t kMaxHeldKeys = size_t{1} << 20;
  // How long the session may stay away from the keyboard before a Break is
  // pressed ahead of the keys typed before it.
  static constexpr uint32_t kPatienceMs = 50;

  // Reads keys from file descriptor `fd` (standard input).
  BatchHost(int fd, bool braceNames, platform::Clock& clock);

  // The transcript to write out at the host's looks and before every wait,
  // and whose failure ends the session.
  void SetTranscript(Transcript* transcript) { transcript_ = transcript; }
  // Called once when a signal or the transcript ends the session.
  void SetEndSession(std::function<void()> end) { endSession_ = std::move(end); }
  size_t HeldKeys() const { return held_.size(); }
  // The volume table the volume file dialog offers.

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
  // The file dialogs ask on the console line, so the key script answers
  // them and the transcript shows the question.
  platform::FileDialogResult ChooseFile(platform::FileDialogMode, platform::FileChoice&) override {
    return platform::FileDialogResult::AskOnConsole;
  }
  // There is no window: every window command is refused.
  bool PerformWindowCommand(platform::WindowCommand) override { return false; }

 private:
  // The next key for a dialog: a held one, else one read from the script;
  // nothing at the end of input or of the session.
  std::optional<ScriptKey> DialogKey();
  // Reads what standard input holds now, waiting up to waitMs (-1: no
  // limit) for it to become readable; a terminating signal ends the wait.
  // False at the end of input.
  bool ReadInput(int waitMs);
  // The next key of the script, reading more input when needed (waiting up
  // to waitMs); nothing when none is available yet, input has ended, or the
  // session is ending.
  std::optional<ScriptKey> TakeKey(int waitMs);
  void Post(const ScriptKey& key);
  // Reads ahead what input has arrived, holding the keys, and presses the
  // first Break found (past held keys only once the patience is used up).
  void LookAhead();
  void CountAway(uint32_t ms);
  // A key typed (or a Break pressed) that the pump has not served yet.
  bool KeyPosted() const;
  platform::WaitResult WaitForKeyboard();
  platform::WaitResult WaitForAnyEvent(int timeoutMs);
  // Sleeps up to ms, ended early by a terminating signal.
  void SleepUnlessSignalled(int ms);
  // A signal arrived or standard output failed.
  bool EndRequested() const;
  // Serves an end request once (the end-session hook); true while ending.
  bool CheckEnd();
  void FireDueTimers();
  void FireDueTimers(uint32_t now);
  // Milliseconds to the next timer, or -1 without timers.
  int MsToNextTimer();

  int fd_;
  bool inputEnded_ = false;
  KeyScriptReader reader_;
  std::deque<ScriptKey> held_;  // read ahead, typed at the next keyboard waits
  platform::Clock& clock_;
  platform::EventSink* sink_ = nullptr;
  EventQueue posted_;
  TimerTable timers_;
  platform::TurnPacer pacer_;
  Transcript* transcript_ = nullptr;
  std::function<void()> endSession_;
  bool ending_ = false;
  // Milliseconds the core has run or waited since it last waited for the
  // keyboard (up to kPatienceMs).
  uint32_t awayMs_ = 0;
};

}  // namespace torvic::shell
