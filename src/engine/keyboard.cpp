// The interpreter's side of the keyboard: what line entry (console/
// line_entry.h) asks of it, Break and the Pause key, the hand-off of an
// entered line to EnterCommandLine, the prompt, and the waits for a key.
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

void Interpreter::OnKeyDown(const platform::KeyEvent& e) { entry_.KeyDown(e); }

void Interpreter::OnChar(const platform::KeyEvent& e) { entry_.Char(e); }

void Interpreter::OnTimer(int timerId) {
  if (timerId == ConsoleScreen::kSteadyCursorTimer) screen_.OnSteadyCursorTimer();
  if (timerId == 1) TimerEvent();  // ON TIMER
}

// ---------------------------------------------------------------------------
// What line entry asks

void Interpreter::LineEntered() { ExecuteEnteredLine(); }

void Interpreter::BreakPressed() { BreakKey(); }

void Interpreter::PausePressed() {
  paused_ = !paused_;
  if (paused_) NoQuietTurns();
}

void Interpreter::LockKeyPressed(platform::LockKey key) { settingsBridge_->ReadLockKey(key); }

bool Interpreter::KeyboardTurn() {
  if (quitPending_ || stopReason_ == StopReason::ExitRequested) return false;
  if (!WaitTurn(true)) InputExhaustedInProgram();
  return true;
}

void Interpreter::ServeEvents() { PumpOnce(); }

bool Interpreter::TakeErrorPlace(std::string& storedLine, int32_t& position) {
  position = traps_.ErrorPosition();
  if (position < 0) return false;
  storedLine.clear();
  if (const ProgramLine* line = traps_.ErrorLine()) {
    const std::string prefix = std::to_string(line->number) + " ";
    storedLine = prefix + line->text;
    position += static_cast<int32_t>(prefix.size());
  }
  traps_.ForgetErrorPosition();
  return true;
}

bool Interpreter::EditLine(const ProgramLine& line, int32_t position) {
  if (line.IsNumbered()) screen_.WriteFormatted("%u ", line.number);
  return entry_.EditText(line.text, position);
}

void Interpreter::BreakKey(bool fromInputEnd) {
  // At the end of scripted input a waiting program must end even with
  // Break disabled: no key could ever release it.
  if (!memory_.BreakEnabled() && !fromInputEnd) return;
  if (!commandExecuting_) {
    paused_ = false;
    entry_.Editor().DeleteAll();
    screen_.NewLine();
    if (memory_.PromptAfterEveryLine()) PrintPrompt();
    entry_.Editor().Clear();
    return;
  }
  if (BreakKeyTrapped(fromInputEnd)) return;
  if (entry_.Mode() == kEditingLine || entry_.Mode() == kReadingInput)
    entry_.SetEnd(InputEnd::Cancelled);
  paused_ = false;
  entry_.Keys().Clear();
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
    std::string line = entry_.Editor().Text();
    entry_.RememberEntered(line);
    memory_.SetMirror(SettingsMemory::kLastLineAddress, static_cast<uint8_t>(line.size()));
    for (size_t i = 0; i < line.size(); ++i)
      memory_.SetMirror(SettingsMemory::kLastLineAddress + 1 + static_cast<uint32_t>(i),
                        static_cast<uint8_t>(line[i]));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.empty()) {
      if (memory_.PromptAfterEveryLine()) PrintPrompt();
      entry_.Editor().Clear();
      screen_.ShowCursor(true);
      return;
    }
    ShowStatus("Executing...");
    stopReason_ = StopReason::None;
    commandExecuting_ = true;
    entry_.SetMode(kExecuting);
    recalled_.reset();
    entry_.Editor().AddHistory(line, memory_.HistoryLimit());
    lastCommand_ = line;
    promptDue = EnterCommandLine(line);
  } catch (const std::bad_alloc&) {
    ReportError(kErrOutOfMemory, -1, std::nullopt);
    if (stopDepth_ == 0) AbortRun();
  }
  entry_.SetMode(kIdle);
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
  entry_.Editor().Clear();
  // A recalled line becomes the new input line, the edit position at its end.
  if (recalled && !ExitRequested())
    entry_.Editor().SetText(*recalled, static_cast<int32_t>(recalled->size()));
  screen_.ShowCursor(true);
  entry_.DrainKeyQueue();
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

// ---------------------------------------------------------------------------
// Reads

bool Interpreter::WaitMore() {
  screen_.SetCursor(0, kScreenRows - 1);
  screen_.WriteText("More...");
  screen_.ShowCursor(true);
  while (entry_.Keys().Empty() && stopReason_ == StopReason::None && !quitPending_) {
    if (!WaitTurn(true)) InputExhaustedInProgram();
  }
  if (entry_.Keys().Empty()) return false;
  entry_.Keys().Pop();
  return true;
}

bool Interpreter::WaitForKey() {
  while (entry_.Keys().Empty() && stopReason_ == StopReason::None && !quitPending_)
    if (!WaitTurn(true)) InputExhaustedInProgram();
  return !entry_.Keys().Empty();
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

std::string Interpreter::NextKey() {
  if (entry_.Keys().Empty()) {
    // A key function is a keyboard wait without a wait: the batch mode types
    // its next key now, and at the end of input the program gets Break.
    if (host_.pump.WaitForEvent(platform::WaitFor::Keyboard, 0) ==
        platform::WaitResult::InputExhausted)
      InputExhaustedInProgram();
    else PumpOnce();
  }
  if (entry_.Keys().Empty()) return {};
  return EncodeKey(entry_.Keys().Pop());
}

}  // namespace torvic
