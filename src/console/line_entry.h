// Line entry: what a key does in each input mode, the key queue that holds
// the keys typed while a command runs, and the line reads that wait for the
// editor (INPUT, EDIT, the yes/no questions).
//
// Line entry owns the input line editor, the key queue and the input mode.
// It knows nothing of the interpreter: what only the interpreter can do (run
// an entered line, Break, the Pause key, a turn of the window while a read
// waits, the prompt, the place of the last error) it asks through
// LineEntryOwner, which the interpreter implements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "console/key_queue.h"
#include "console/lineeditor.h"
#include "platform/host.h"

namespace torvic {

class ConsoleScreen;
class SettingsMemory;

// A line read interrupted before Enter: what had been typed, where the
// edit position stood and the length limit in force (the Break trap keeps
// it across its handler; RESUME puts it back).
struct PartialInput {
  std::string text;
  int32_t position = 0;
  int32_t maxLength = LineEditor::kCapacity;
};

class LineEntryOwner {
 public:
  // Enter at the prompt: the editor holds the line.
  virtual void LineEntered() = 0;
  // Ctrl+Break, typed or replayed from the queue.
  virtual void BreakPressed() = 0;
  virtual void PausePressed() = 0;
  virtual void LockKeyPressed(platform::LockKey key) = 0;
  virtual void PrintPrompt() = 0;
  // One turn of a keyboard wait (the end of scripted input is handled
  // there); false when the wait must end without one (the session ends).
  virtual bool KeyboardTurn() = 0;
  // One turn of the window, never blocking.
  virtual void ServeEvents() = 0;
  // F8: the place of the last error, forgotten once taken. False when there
  // is none; `storedLine` is the stored line to edit (its number, a blank
  // and its text, `position` counted in that), or empty for the command
  // line last entered.
  virtual bool TakeErrorPlace(std::string& storedLine, int32_t& position) = 0;

 protected:
  ~LineEntryOwner() = default;
};

class LineEntry {
 public:
  // What the keyboard is doing: waiting at the prompt, editing a stored
  // line (EDIT), reading a line (INPUT and the questions), or nothing while
  // a command executes (keys are queued).
  enum InputMode : int32_t { kIdle = 0, kEditingLine = 1, kReadingInput = 2, kExecuting = 3 };
  // How a line read ended (None: it goes on waiting).
  enum class InputEnd { None, Accepted, Cancelled };

  LineEntry(ConsoleScreen& screen, SettingsMemory& memory, platform::Sound& sound,
            LineEntryOwner& owner);

  LineEditor& Editor() { return editor_; }
  const LineEditor& Editor() const { return editor_; }
  KeyQueue& Keys() { return keys_; }

  int32_t Mode() const { return mode_; }
  void SetMode(int32_t mode) { mode_ = mode; }
  InputEnd End() const { return end_; }
  void SetEnd(InputEnd end) { end_ = end; }

  // The host's key events.
  void KeyDown(const platform::KeyEvent& e);
  void Char(const platform::KeyEvent& e);

  // The line the interpreter runs for Enter at the prompt, as typed (F8
  // goes back into it).
  void RememberEntered(std::string line) { lastEntered_ = std::move(line); }

  // INPUT's line read: true when entered, false when cancelled.
  bool ReadLine(bool clearFirst);
  // EDIT: `text` edited in place from `position` (-1: its end); true when
  // accepted, false when cancelled (Esc).
  bool EditText(std::string_view text, int32_t position);
  bool AskYesNo(std::string_view question);
  // The keys typed while a command ran, replayed into the editor once a
  // line can be typed again.
  void DrainKeyQueue();
  // The INPUT line being typed, and its return after a trap handler: the
  // output line is ended if needed and the typed text shown again with the
  // cursor where it was; the read goes on waiting.
  PartialInput SavePartialInput() const;
  void RestorePartialInput(const PartialInput& saved);

 private:
  void EditingKeyDown(const platform::KeyEvent& e);
  void EditingChar(uint32_t c, bool shift);
  void QueueKey(const KeyRecord& r, bool keyDown);
  // Waits until the line read ends: true when accepted.
  bool WaitForLine();

  ConsoleScreen& screen_;
  SettingsMemory& memory_;
  platform::Sound& sound_;
  LineEntryOwner& owner_;
  LineEditor editor_;
  KeyQueue keys_;
  int32_t mode_ = kIdle;
  InputEnd end_ = InputEnd::None;
  bool draining_ = false;  // DrainKeyQueue is replaying the queue
  std::string lastEntered_;
};

}  // namespace torvic
