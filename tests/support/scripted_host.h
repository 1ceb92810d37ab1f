// ScriptedHost: a host without a window, for tests and fuzzers.
//
// - A virtual clock that only moves when told to (Advance, Sleep, a wait
//   that times out, or the optional auto-advance per pumped turn), so timer
//   and tone tests need no real sleeps.
// - Two event queues that mirror the batch contract: "posted" events are
//   served by the next PumpOnce; "typed" keys are held back until the core
//   waits for the keyboard, then released one message at a time.
// - Window timers that fire, in the virtual clock's time, as OnTimer events.
// - Message boxes recorded with scripted answers (default: the first button).
// - An in-memory settings store; recorded beeps, tones and titles.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/host.h"

namespace torvic::platform {

class ScriptedHost final : public EventPump,
                           public Clock,
                           public Timers,
                           public Dialogs,
                           public SettingsStore,
                           public Sound,
                           public Process {
 public:
  ScriptedHost();

  Host AsHost(Surface* surface = nullptr);

  // --- scripting -----------------------------------------------------------
  struct Event {
    enum Kind { KeyDown, Char, Timer } kind = Char;
    KeyEvent key;
    int timerId = 0;
  };
  void Post(const Event& e);  // served by the next pump
  void PostKeyDown(uint32_t vk, bool ctrl = false, bool shift = false);
  void PostBreak();  // Ctrl+Break, at once
  // Typed keys, released only while the core waits for the keyboard.
  void TypeKeyDown(uint32_t vk, bool ctrl = false, bool shift = false);
  void TypeChar(uint32_t ch, bool ctrl = false, bool shift = false);
  void TypeText(std::string_view text);  // each byte a character, '\n' is Enter
  size_t TypedPending() const { return typed_.size(); }

  void Advance(uint32_t ms);  // move the virtual clock
  void SetAutoAdvance(uint32_t msPerPump) { autoAdvance_ = msPerPump; }
  void SetLocalTime(const LocalTime& t) { now_ = t; }

  void QueueAnswer(Answer a) { answers_.push_back(a); }
  void QueueFileChoice(FileDialogResult r, FileChoice c = {}) {
    fileChoices_.push_back({r, std::move(c)});
  }
  // The modes of the file dialogs asked for, in order.
  const std::vector<FileDialogMode>& FileDialogs() const { return fileDialogs_; }
  struct BoxRecord {
    std::string text, caption;
    Buttons buttons;
    Icon icon;
    Answer answer;
  };
  const std::vector<BoxRecord>& Boxes() const { return boxes_; }
  // The window commands asked for; performed only once a test says the
  // host has a window.
  void SetHasWindow(bool has) { hasWindow_ = has; }
  const std::vector<WindowCommand>& WindowCommands() const { return windowCommands_; }
  int Beeps() const { return beeps_; }
  struct ToneRecord {
    uint32_t hertz, ms;
  };
  const std::vector<ToneRecord>& Tones() const { return tones_; }
  int TonesStopped() const { return tonesStopped_; }
  bool RestartRequested() const { return restart_; }
  int SecondInstancesStarted() const { return instances_; }
  bool IsTimerActive(int id) const;
  // Lock keys the tests can see and press; unknown to the core until set.
  void SetLockKeyState(LockKey key, bool on) { locks_[static_cast<int>(key)] = on; }
  int LockKeyPresses() const { return lockPresses_; }

  // --- EventPump -----------------------------------------------------------
  void SetSink(EventSink* sink) override { sink_ = sink; }
  bool PumpOnce() override;
  bool AnyPending() override;
  WaitResult WaitForEvent(WaitFor what, int timeoutMs) override;
  std::optional<bool> LockKeyState(LockKey key) override { return locks_[static_cast<int>(key)]; }
  bool PressLockKey(LockKey key) override {
    std::optional<bool>& state = locks_[static_cast<int>(key)];
    if (!state) return false;
    *state = !*state;
    ++lockPresses_;
    return true;
  }

  // --- Clock ---------------------------------------------------------------
  uint32_t TickCount() override { return tick_; }
  LocalTime Now() override { return now_; }
  void Sleep(uint32_t ms) override { Advance(ms); }

  // --- Timers --------------------------------------------------------------
  bool SetTimer(int id, uint32_t intervalMs) override;
  void KillTimer(int id) override;

  // --- Dialogs -------------------------------------------------------------
  Answer MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                    Icon icon) override;
  // Answers queued with QueueFileChoice, in order; without one the console
  // line is asked.
  FileDialogResult ChooseFile(FileDialogMode mode, FileChoice& choice) override;
  bool PerformWindowCommand(WindowCommand command) override {
    windowCommands_.push_back(command);
    return hasWindow_;
  }

  // --- SettingsStore -------------------------------------------------------
  std::optional<uint32_t> GetNumber(std::string_view key, std::string_view name) override;
  bool SetNumber(std::string_view key, std::string_view name, uint32_t value) override;
  std::optional<std::string> GetString(std::string_view key, std::string_view name) override;
  bool SetString(std::string_view key, std::string_view name, std::string_view value) override;
  std::optional<std::vector<uint8_t>> GetBytes(std::string_view key,
                                               std::string_view name) override;
  bool SetBytes(std::string_view key, std::string_view name,
                const std::vector<uint8_t>& value) override;
  bool KeyExists(std::string_view key) override;
  bool CreateKey(std::string_view key) override;
  std::vector<std::string> EnumSubKeys(std::string_view key) override;
  bool DeleteKey(std::string_view key) override;

  // --- Sound ---------------------------------------------------------------
  void Beep() override { ++beeps_; }
  // A tone is recorded; SOUND's wait moves the virtual clock.
  void StartTone(uint32_t hertz, uint32_t ms) override { tones_.push_back(ToneRecord{hertz, ms}); }
  void StopTone() override { ++tonesStopped_; }

  // --- Process -------------------------------------------------------------
  bool StartSecondInstance() override {
    ++instances_;
    return true;
  }
  void SetRestartAtExit(bool restart) override { restart_ = restart; }
  void SetWindowTitle(std::string_view title) override { title_ = title; }
  std::string WindowTitle() override { return title_; }

 private:
  struct TimerState {
    uint32_t interval;
    uint32_t due;
  };
  void Dispatch(const Event& e);
  void FireDueTimers();
  bool NextTimerDue(uint32_t& due) const;

  EventSink* sink_ = nullptr;
  std::deque<Event> posted_;
  std::deque<Event> typed_;
  std::map<int, TimerState> timers_;
  uint32_t tick_ = 0;
  uint32_t autoAdvance_ = 0;
  LocalTime now_{2026, 12, 6, 0, 12, 0, 0, 0};

  std::deque<Answer> answers_;
  std::deque<std::pair<FileDialogResult, FileChoice>> fileChoices_;
  std::vector<FileDialogMode> fileDialogs_;
  std::vector<BoxRecord> boxes_;
  bool hasWindow_ = false;
  std::vector<WindowCommand> windowCommands_;
  int beeps_ = 0;
  std::vector<ToneRecord> tones_;
  int tonesStopped_ = 0;
  bool restart_ = false;
  int instances_ = 0;
  std::string title_ = "TORVIC";
  std::optional<bool> locks_[3];
  int lockPresses_ = 0;

  struct Values {
    std::map<std::string, uint32_t> numbers;
    std::map<std::string, std::string> strings;
    std::map<std::string, std::vector<uint8_t>> bytes;
  };
  std::map<std::string, Values> keys_;  // full key path -> values
};

}  // namespace torvic::platform
