// The interpreter's keyboard side: what a key does in each input mode, the
// line reads that wait for the editor, the key functions' queue reads, and
// the hand-off of an entered line to EnterCommandLine.
#include <cstdio>
#include <new>
#include <optional>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "engine/settings_bridge.h"
#include "expr/evaluator.h"

namespace torvic {

namespace vk = platform::vk;

namespace {

bool IsModifierOrLock(uint32_t key) {
  switch (key) {
    case vk::kShift:
    case vk::kControl:
    case vk::kMenu:
    case vk::kCapital:
    case vk::kNumLock:
    case vk::kScroll: return true;
    default: return false;
  }
}

std::optional<platform::LockKey> LockKeyOf(uint32_t key) {
  switch (key) {
    case vk::kCapital: return platform::LockKey::CapsLock;
    case vk::kNumLock: return platform::LockKey::NumLock;
    case vk::kScroll: return platform::LockKey::ScrollLock;
    default: return std::nullopt;
  }
}

KeyRecord RecordOf(const platform::KeyEvent& e, uint32_t key) {
  KeyRecord r;
  r.key = key;
  r.repeat = e.repeat;
  r.flags = e.flags;
  r.ctrl = e.ctrl;
  r.shift = e.shift;
  return r;
}

}  // namespace

void Interpreter::OnKeyDown(const platform::KeyEvent& e) {
  if (e.isRepeat && !memory_.AutoRepeat()) return;
  // The Pause key is taken before the view sees it: it toggles the pause.
  if (e.key == vk::kPause && !e.ctrl && !e.shift && memory_.PauseKeyEnabled()) {
    paused_ = !paused_;
    if (paused_) NoQuietTurns();
    return;
  }
  const bool isBreak = e.key == vk::kCancel && e.ctrl && !e.shift;
  if ((inputMode_ == kExecuting || draining_) && !isBreak && !IsModifierOrLock(e.key)) {
    QueueKey(RecordOf(e, e.key), /*keyDown=*/true);
    return;
  }
  if (isBreak) {
    BreakKey();
    return;
  }
  if (IsModifierOrLock(e.key)) {
    // A lock key's new state is read again into its settings mirror.
    if (const std::optional<platform::LockKey> lock = LockKeyOf(e.key))
      settingsBridge_->ReadLockKey(*lock);
    return;
  }
  EditingKeyDown(e);
}

void Interpreter::EditingKeyDown(const platform::KeyEvent& e) {
  if (editor_.EditingKey(e.key, e.ctrl, e.shift)) return;
  if (inputMode_ != kIdle || e.ctrl) return;  // the function keys act at the prompt only
  switch (e.key) {
    case vk::kF1 + 4:  // F5: run
      if (e.shift) return;
      editor_.SetText("run", 3);
      EditingChar(13, false);
      return;
    case vk::kF1 + 7:  // F8: back to the last error
      if (e.shift || traps_.ErrorPosition() < 0) return;
      if (const ProgramLine* line = traps_.ErrorLine()) {
        // The stored line comes back as a numbered line to edit: Enter
        // stores it again, as the line editor of EDIT would.
        const std::string prefix = std::to_string(line->number) + " ";
        editor_.SetText(prefix + line->text,
                        static_cast<int32_t>(prefix.size()) + traps_.ErrorPosition());
      } else {
        editor_.SetText(lastEntered_, traps_.ErrorPosition());
      }
      traps_.ForgetErrorPosition();
      return;
    case vk::kF1 + 8:  // F9 / Shift+F9: the history
      e.shift ? editor_.HistoryNext() : editor_.HistoryPrevious();
      return;
    case vk::kF12:
      if (e.shift) return;
      screen_.ClearScreen();
      editor_.Clear();
      if (memory_.PromptAfterEveryLine()) ShowPrompt();
      return;
    default: return;
  }
}

void Interpreter::OnChar(const platform::KeyEvent& e) {
  if (e.isRepeat && !memory_.AutoRepeat()) return;
  uint32_t c = e.key & 0xFF;
  if (memory_.UpperCaseInput() && c >= 'a' && c <= 'z') c -= 32;
  if (inputMode_ == kExecuting || draining_) {
    QueueKey(RecordOf(e, c), /*keyDown=*/false);
    return;
  }
  EditingChar(c, e.shift);
}

void Interpreter::QueueKey(const KeyRecord& r, bool keyDown) {
  // The queue is charged to the memory budget. A key that finds no room is
  // dropped with a beep, as a full keyboard buffer drops it: no statement
  // asked for it, so there is none to fail.
  try {
    if (keyDown) keys_.PushKeyDown(r);
    else keys_.PushChar(r);
  } catch (const std::bad_alloc&) { host_.sound.Beep(); }
}

void Interpreter::EditingChar(uint32_t c, bool shift) {
  switch (c) {
    case 13:
    case 10: {
      editor_.MoveToEnd();
      // The entered line reaches the echo file (not while typing), except
      // a line typed with the echo off, which must stay unseen.
      if (EchoSink* echo = screen_.GetEchoSink(); echo && !editor_.EchoSuppressed())
        echo->Echo(reinterpret_cast<const uint8_t*>(editor_.Text().data()), editor_.Text().size());
      if (inputMode_ == kIdle) ExecuteEnteredLine();
      else if (inputMode_ == kEditingLine || inputMode_ == kReadingInput)
        inputEnd_ = InputEnd::Accepted;
      return;
    }
    case 27:
      if (inputMode_ == kEditingLine) {
        editor_.MoveToEnd();
        if (screen_.Column() != 0) screen_.NewLine();
        screen_.WriteText("Cancel");
        screen_.NewLine();
        inputEnd_ = InputEnd::Cancelled;
      } else {
        editor_.DeleteAll();
      }
      return;
    case 8: editor_.Backspace(); return;
    case 9:
      if (inputMode_ == kIdle || inputMode_ == kEditingLine || inputMode_ == kReadingInput)
        editor_.Tab(shift);
      return;
    default: editor_.TypeChar(static_cast<uint8_t>(c)); return;
  }
}

void Interpreter::OnTimer(int timerId) {
  if (timerId == ConsoleScreen::kSteadyCursorTimer) screen_.OnSteadyCursorTimer();
  if (timerId == 1) TimerEvent();  // ON TIMER
}

void Interpreter::BreakKey(bool fromInputEnd) {
  // At the end of scripted input a waiting program must end even with
  // Break disabled: no key could ever release it.
  if (!memory_.BreakEnabled() && !fromInputEnd) return;
  if (!commandExecuting_) {
    paused_ = false;
    editor_.DeleteAll();
    screen_.NewLine();
    if (memory_.PromptAfterEveryLine()) PrintPrompt();
    editor_.Clear();
    return;
  }
  if (BreakKeyTrapped(fromInputEnd)) return;
  if (inputMode_ == kEditingLine || inputMode_ == kReadingInput) inputEnd_ = InputEnd::Cancelled;
  paused_ = false;
  keys_.Clear();
  StopRun(StopReason::BreakKey);
}

// ---------------------------------------------------------------------------
// Line hand-off

void Interpreter::ExecuteEnteredLine() {
  // Once the session ends (the window closed, EXIT, the fuzz target's turn
  // budget) a line entered in the same turn is not run: nothing would give
  // the window a turn any more, so a program it started could not be ended.
  if (ExitRequested()) return;
  screen_.NewLine();
  screen_.RevealCursor();
  screen_.ShowCursor(false);
  bool promptDue = true;
  // Every statement of the line catches its own failures; what storage
  // runs out for outside them (the line's copies, the history, its
  // compiled copy, a trace between statements) fails the line with
  // "?Out of memory", and the prompt follows.
  try {
    std::string line = editor_.Text();
    lastEntered_ = line;
    memory_.SetMirror(SettingsMemory::kLastLineAddress, static_cast<uint8_t>(line.size()));
    for (size_t i = 0; i < line.size(); ++i)
      memory_.SetMirror(SettingsMemory::kLastLineAddress + 1 + static_cast<uint32_t>(i),
                        static_cast<uint8_t>(line[i]));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.empty()) {
      if (memory_.PromptAfterEveryLine()) PrintPrompt();
      editor_.Clear();
      screen_.ShowCursor(true);
      return;
    }
    ShowStatus("Executing...");
    stopReason_ = StopReason::None;
    commandExecuting_ = true;
    inputMode_ = kExecuting;
    recalled_.reset();
    editor_.AddHistory(line, memory_.HistoryLimit());
    lastCommand_ = line;
    promptDue = EnterCommandLine(line);
  } catch (const std::bad_alloc&) {
    ReportError(kErrOutOfMemory, -1, std::nullopt);
    if (stopDepth_ == 0) AbortRun();
  }
  inputMode_ = kIdle;
  commandExecuting_ = false;
  // Back at the prompt with nothing suspended: what the line's evaluations
  // kept for reuse goes back to the budget.
  if (stopDepth_ == 0) eval_->ReleaseStack();
  ShowStatus("");

  std::optional<std::string> recalled = std::move(recalled_);
  recalled_.reset();
  bool prompt = (promptDue && stopReason_ != StopReason::NoPrompt && !recalled) ||
                memory_.PromptAfterEveryLine();
  if (stopReason_ == StopReason::ExitRequested || stopReason_ == StopReason::ContinueRequested ||
      stopReason_ == StopReason::Abandoned)
    prompt = false;
  if (prompt) PrintPrompt();
  editor_.Clear();
  // A recalled line becomes the new input line, the edit position at its end.
  if (recalled && !ExitRequested())
    editor_.SetText(*recalled, static_cast<int32_t>(recalled->size()));
  screen_.ShowCursor(true);
  DrainKeyQueue();
}

void Interpreter::PrintPrompt() {
  static constexpr struct {
    int32_t style;
    const char* format;
  } kStyles[] = {
      {10, "[%s:]"}, {12, "[%s:] "}, {19, "%s:>"},  {66, "%s:> "}, {101, "%s:"},
      {102, "%s: "}, {103, "%s>"},   {104, "%s> "}, {105, "[%s]"}, {106, "[%s] "},
  };
  const char* format = nullptr;
  for (const auto& s : kStyles)
    if (s.style == memory_.PromptStyle()) format = s.format;
  if (format) screen_.WriteFormatted(format, VolumeName().c_str());
  else screen_.WriteText("Ready");
  const int32_t clock = memory_.PromptClock();
  if (clock == 119 || clock == 239) {
    const platform::LocalTime t = host_.clock.Now();
    if (clock == 119)
      screen_.WriteFormatted(" (%u:%02u%cm)",
                             static_cast<unsigned>(t.hour > 12 ? t.hour - 12 : t.hour),
                             static_cast<unsigned>(t.minute), t.hour < 12 ? 'a' : 'p');
    else
      screen_.WriteFormatted(" (%02u:%02u:%02u)", static_cast<unsigned>(t.hour),
                             static_cast<unsigned>(t.minute), static_cast<unsigned>(t.second));
  }
  if (memory_.NewLineAfterPrompt()) screen_.NewLine();
  screen_.RevealCursor();
}

void Interpreter::DrainKeyQueue() {
  while (!keys_.Empty() && inputMode_ != kExecuting) {
    // Keys that arrive while the queue is replayed join it at the back, so
    // type-ahead keeps its order.
    draining_ = true;
    PumpOnce();
    draining_ = false;
    if (keys_.Empty() || inputMode_ == kExecuting) break;
    const KeyRecord r = keys_.Pop();
    platform::KeyEvent e;
    e.key = r.key;
    e.repeat = r.repeat;
    e.flags = r.flags;
    e.ctrl = r.ctrl;
    e.shift = r.shift;
    if (r.kind == KeyRecord::kKeyDown) {
      if (e.key == vk::kCancel && e.ctrl) BreakKey();
      else EditingKeyDown(e);
    } else EditingChar(r.key, r.shift);
  }
}

// ---------------------------------------------------------------------------
// Reads

bool Interpreter::WaitForLine() {
  while (inputEnd_ == InputEnd::None && !quitPending_ && stopReason_ != StopReason::ExitRequested)
    if (!WaitTurn(true)) InputExhaustedInProgram();
  return inputEnd_ == InputEnd::Accepted;
}

bool Interpreter::ReadLine(bool clearFirst) {
  inputMode_ = kReadingInput;
  inputEnd_ = InputEnd::None;
  editor_.SetEchoSuppressed(!memory_.InputEcho());
  if (clearFirst) editor_.Clear();
  else editor_.Redisplay();
  const bool wasVisible = screen_.CursorVisible();
  screen_.ShowCursor(true);
  bool ok = false;
  try {
    DrainKeyQueue();
    ok = WaitForLine();
  } catch (const std::bad_alloc&) {
    // The statement reads on no more: it fails with the mode put back.
    inputMode_ = kExecuting;
    editor_.SetEchoSuppressed(false);
    throw;
  }
  inputMode_ = kExecuting;
  editor_.SetEchoSuppressed(false);
  screen_.ShowCursor(wasVisible);
  return ok;
}

bool Interpreter::EditLine(const ProgramLine& line, int32_t position) {
  const int32_t saved = inputMode_;
  if (line.IsNumbered()) screen_.WriteFormatted("%u ", line.number);
  editor_.Clear();
  inputMode_ = kEditingLine;
  inputEnd_ = InputEnd::None;
  editor_.SetText(line.text, position < 0 ? static_cast<int32_t>(line.text.size()) : position);
  screen_.ShowCursor(true);
  bool ok = false;
  try {
    DrainKeyQueue();
    ok = WaitForLine();
  } catch (const std::bad_alloc&) {
    inputMode_ = saved;
    throw;
  }
  inputMode_ = saved;
  return ok;
}

bool Interpreter::AskYesNo(std::string_view question) {
  if (screen_.Column() != 0) screen_.NewLine();
  screen_.WriteText(question);
  screen_.WriteText(" ");
  const int32_t column = screen_.Column(), row = screen_.Row();
  editor_.SetMaxLength(1);
  bool answer = false;
  for (;;) {
    screen_.SetCursor(column, row);
    screen_.WriteRaw(" ");  // erase the reply cell
    screen_.SetCursor(column, row);
    if (!ReadLine(true)) break;
    const char c = editor_.Text().empty() ? '\0' : editor_.Text()[0];
    if (c == 'Y' || c == 'y' || c == 'N' || c == 'n') {
      answer = c == 'Y' || c == 'y';
      screen_.NewLine();
      break;
    }
  }
  editor_.SetMaxLength(LineEditor::kCapacity);
  return answer;
}

bool Interpreter::WaitMore() {
  screen_.SetCursor(0, kScreenRows - 1);
  screen_.WriteText("More...");
  screen_.ShowCursor(true);
  while (keys_.Empty() && stopReason_ == StopReason::None && !quitPending_) {
    if (!WaitTurn(true)) InputExhaustedInProgram();
  }
  if (keys_.Empty()) return false;
  keys_.Pop();
  return true;
}

bool Interpreter::WaitForKey() {
  while (keys_.Empty() && stopReason_ == StopReason::None && !quitPending_)
    if (!WaitTurn(true)) InputExhaustedInProgram();
  return !keys_.Empty();
}

bool Interpreter::WaitServingEvents(uint32_t ms) {
  platform::Clock& clock = host_.clock;
  const uint32_t start = clock.TickCount();
  for (;;) {
    PumpOnce();
    if (stopReason_ == StopReason::RetryStatement) stopReason_ = StopReason::None;
    if (stopReason_ != StopReason::None || quitPending_) return false;
    const uint32_t elapsed = clock.TickCount() - start;
    if (elapsed >= ms) return true;
    if (!host_.pump.AnyPending())
      host_.pump.WaitForEvent(platform::WaitFor::AnyEvent, static_cast<int>(ms - elapsed));
  }
}

PartialInput Interpreter::SavePartialInput() const {
  return {editor_.Text(), editor_.Position(), editor_.MaxLength()};
}

void Interpreter::RestorePartialInput(const PartialInput& saved) {
  if (screen_.Column() != 0) screen_.NewLine();
  editor_.Clear();
  editor_.SetMaxLength(saved.maxLength);
  editor_.SetEchoSuppressed(!memory_.InputEcho());
  editor_.SetText(saved.text, saved.position);
  inputEnd_ = InputEnd::None;
}

std::string Interpreter::NextKey() {
  if (keys_.Empty()) {
    // A key function is a keyboard wait without a wait: the batch mode types
    // its next key now, and at the end of input the program gets Break.
    if (host_.pump.WaitForEvent(platform::WaitFor::Keyboard, 0) ==
        platform::WaitResult::InputExhausted)
      InputExhaustedInProgram();
    else PumpOnce();
  }
  if (keys_.Empty()) return {};
  return EncodeKey(keys_.Pop());
}

}  // namespace torvic
