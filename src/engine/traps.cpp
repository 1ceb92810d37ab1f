// Error, Break and timer traps, and the statements that set them and end
// their handlers: ON ERROR, ON BREAK, ON TIMER, RESUME, TIMER ON/OFF/STOP,
// TIMER =, GOTO TIMER, ERROR, and ASSERT and LOG (which only evaluate).
//
// A trap register holds the position of its ON statement, not the target:
// the target is read from that statement's operands each time the trap
// fires, so a missing target is reported then. A handler runs in a nested
// program loop (RunNested) with what it interrupted saved on the trap
// context stack; a RESUME form pops the context and ends the nested loop.
//
// Operand layouts read here (compile_control.cpp, CompileOn, CompileResume,
// CompileTimer; pattern "e" and the lists of compile_console.cpp):
//   ON ERROR   u8 48 | target, or u8 100 (RESUME NEXT)
//   ON BREAK   target
//   ON TIMER   u16 offset of the target | interval expr | target
//   RESUME     u8 1 (NEXT), or u8 0 | target (plain RESUME: line 0)
//   TIMER      u8 78 ON, 249 OFF, 112 STOP      TIMER =   expr
//   ERROR      expr
//   ASSERT     u8 count | expressions           LOG   u8 word | u8 count | expressions
#include <new>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/control_operands.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "frontend/compiled_line.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

constexpr int kOnTimerId = 1;
// The words the compiler stores as operands, by their keyword tokens.
constexpr uint8_t kOnErrorGoto = stmt::kGoto, kOnErrorResumeNext = stmt::kResume;
constexpr uint8_t kTimerOn = stmt::kOn, kTimerOff = tok::kOff, kTimerStop = stmt::kStop;

// A line-number target of 0 (ON ... GOTO 0, plain RESUME): u8 0 | u32 0.
bool IsLineZero(const uint8_t* code, size_t offset) {
  return code[offset] == 0 && ReadU32(code + offset + 1) == 0;
}

// The operands of the ON statement a trap register points at.
size_t TrapOperands(const TrapRegister& trap) { return trap.offset + kRecordFrameSize; }

}  // namespace

// ---------------------------------------------------------------------------
// The traps

bool Interpreter::NestingExhausted() {
  if (!traps_.NestingFull()) return false;
  ReportError(kErrOutOfMemory, Running() ? LineNumberOfCurrent() : -1, std::nullopt);
  AbortRun();
  return true;
}

void Interpreter::RunTrapHandler(TrapKind kind, ProgramLine* target, bool saveInput,
                                 bool resetLimit) {
  const size_t depth = traps_.ContextDepth();
  try {
    TrapContext c;
    c.line = pos_.Line();
    c.offset = pos_.Offset();
    c.lineChanged = pos_.LineChanged();
    c.inputMode = entry_.Mode();
    c.inputLimit = entry_.Editor().MaxLength();
    if (saveInput && entry_.Mode() == kReadingInput) {
      PartialInput typed = entry_.SavePartialInput();
      c.inputText = std::move(typed.text);
      c.inputCursor = typed.position;
    }
    traps_.PushContext(std::move(c));
  } catch (const std::bad_alloc&) {
    ReportError(kErrOutOfMemory, LineNumberOfCurrent(), std::nullopt);
    AbortRun();
    return;
  }
  // What the handler changes comes back however its loop is left: by a
  // stop reason, or by storage that ran out between its statements.
  struct Restore {
    Interpreter& in;
    TrapKind kind;
    size_t depth, start, end;
    ~Restore() {
      in.traps_.LeaveNesting();
      in.traps_.SetInHandler(kind, false);
      in.pos_.SetStatement(start, end);
      in.traps_.DropContextsAbove(depth);
    }
  } restore{*this, kind, depth, pos_.StatementStart(), pos_.PayloadEnd()};
  traps_.SetInHandler(kind, true);
  traps_.EnterNesting();
  pos_.MoveTo(target, 0);
  entry_.SetMode(kExecuting);
  if (resetLimit) entry_.Editor().SetMaxLength(LineEditor::kCapacity);
  RunNested();
}

void Interpreter::RaiseTrapError(int32_t code, TrapKind kind) {
  // As the dispatcher raises a statement error, positioned at the ON
  // statement, so that ON ERROR can trap it.
  const TrapRegister& trap = traps_.Register(kind);
  ProgramLine* const line = trap.line;
  const RecordFrame f = ReadFrame(line->Code(), trap.offset);
  traps_.RecordError(code, std::max(0, LineNumberOfCurrent()), f.column, line);
  int32_t result = code;
  if (Running() && traps_.IsSet(TrapKind::Error)) result = ErrorTrap(code);
  if (result == 0) return;
  if (result > 0) RaiseAt(result, f.column, f.textLength, line);
  AbortRun();
}

int32_t Interpreter::ErrorTrap(int32_t code) {
  const TrapRegister& onError = traps_.Register(TrapKind::Error);
  if (!onError.set) return code;
  ProgramLine* const onLine = onError.line;
  const uint8_t* on = onLine->Code();
  size_t p = TrapOperands(onError);
  const RecordFrame f = ReadFrame(on, onError.offset);
  const uint8_t choice = on[p++];
  if (choice == kOnErrorResumeNext) {
    // A reason already set (the window closing meanwhile) must not be
    // replaced by one that the loops clear.
    if (stopReason_ == StopReason::None) stopReason_ = StopReason::SkipStatement;
    return 0;
  }
  if (choice != kOnErrorGoto) {
    RaiseAt(kErrInternalError, f.column, f.textLength, onLine);
    return -kErrInternalError;
  }
  int32_t error = 0;
  ProgramLine* target = TargetOperand(*this, on, p, error);
  if (!target) {
    traps_.SetErrErl(error, std::max(0, onLine->SignedNumber()));
    RaiseAt(error, f.column, f.textLength, onLine);
    return -error;
  }
  // An error inside the error handler is reported, not trapped again.
  if (onError.inHandler) return code;
  if (traps_.NestingFull()) return kErrOutOfMemory;
  RunTrapHandler(TrapKind::Error, target, /*saveInput=*/false, /*resetLimit=*/true);
  return 0;
}

void Interpreter::BreakTrap() {
  const TrapRegister& onBreak = traps_.Register(TrapKind::Break);
  if (!onBreak.set || onBreak.inHandler) return;
  size_t p = TrapOperands(onBreak);
  int32_t error = 0;
  ProgramLine* target = TargetOperand(*this, onBreak.line->Code(), p, error);
  if (!target) return RaiseTrapError(error, TrapKind::Break);
  if (NestingExhausted()) return;
  RunTrapHandler(TrapKind::Break, target, /*saveInput=*/true, /*resetLimit=*/true);
}

void Interpreter::TimerTrap() {
  const TrapRegister& onTimer = traps_.Register(TrapKind::Timer);
  if (!onTimer.set || onTimer.inHandler) return;
  const uint8_t* on = onTimer.line->Code();
  size_t p = ReadU16(on + TrapOperands(onTimer));
  int32_t error = 0;
  ProgramLine* target = TargetOperand(*this, on, p, error);
  if (!target) return RaiseTrapError(error, TrapKind::Timer);
  if (NestingExhausted()) return;
  RunTrapHandler(TrapKind::Timer, target, /*saveInput=*/false, /*resetLimit=*/false);
}

void Interpreter::ClearTimerTrap() {
  host_.timers.KillTimer(kOnTimerId);
  traps_.Clear(TrapKind::Timer);
  memory_.SetTimerArmed(SettingsMemory::kTimerStopped);
}

// Window timer 1. Not delivered while stopped (run mode 0), while an INPUT
// waits, or while the timer's own handler runs; nor once the run is ending
// (a stop reason is pending), since a handler's RESUME would hide it.
void Interpreter::TimerEvent() {
  if (!traps_.IsSet(TrapKind::Timer) || !memory_.TimerArmed() || !Running() ||
      entry_.Mode() == kReadingInput || traps_.InHandler(TrapKind::Timer) ||
      stopReason_ != StopReason::None || quitPending_)
    return;
  TimerTrap();
}

// The Break key while a program runs with ON BREAK set. True when the trap
// took the key.
bool Interpreter::BreakKeyTrapped(bool fromInputEnd) {
  // At the end of scripted input the run must end: a handler could never
  // be interrupted by a key again.
  if (fromInputEnd || !commandExecuting_ || !Running() || !traps_.IsSet(TrapKind::Break))
    return false;
  if (stopReason_ != StopReason::None || quitPending_) return true;  // the run is ending anyway
  const bool inputWaiting = entry_.Mode() == kReadingInput;
  BreakTrap();
  if (inputWaiting) {
    // RESUME: the INPUT goes on waiting with its restored line.
    if (stopReason_ == StopReason::RetryStatement) stopReason_ = StopReason::None;
    else if (stopReason_ != StopReason::None) entry_.SetEnd(InputEnd::Cancelled);
  }
  return true;
}

// RESUME's restore of what the handler interrupted.
void Interpreter::ResumeContext(const TrapContext& c, bool full) {
  pos_.Restore(c.line, c.offset, c.lineChanged);
  entry_.SetMode(c.inputMode);
  if (!full) return;
  entry_.Editor().SetMaxLength(c.inputLimit);
  // The INPUT line comes back as it was typed, on a line of its own when
  // the handler wrote something, and the read goes on waiting.
  if (c.inputMode == kReadingInput)
    entry_.RestorePartialInput(PartialInput{c.inputText, c.inputCursor, c.inputLimit});
}

int32_t Interpreter::LineNumberOfCurrent() const {
  const ProgramLine* line = pos_.Line();
  return line ? line->SignedNumber() : -1;
}

// ---------------------------------------------------------------------------
// The statements

namespace handlers {

namespace {

// The ON statement being executed becomes the trap's position.
void SetTrap(Interpreter& in, TrapKind kind) {
  in.Traps().Set(kind, in.Position().Line(), in.Position().StatementStart());
}

}  // namespace

// ON ERROR GOTO target | ON ERROR RESUME NEXT
int32_t OnError(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t choice = code[offset];
  offset = in.Position().PayloadEnd();
  if (!in.Running()) return kErrModeError;
  if (choice == kOnErrorGoto &&
      IsLineZero(code, in.Position().StatementStart() + kRecordFrameSize + 1))
    in.Traps().Clear(TrapKind::Error);
  else SetTrap(in, TrapKind::Error);
  return 0;
}

// ON BREAK GOTO target
int32_t OnBreak(Interpreter& in, const uint8_t* code, size_t& offset) {
  const size_t target = offset;
  offset = in.Position().PayloadEnd();
  if (!in.Running()) return kErrModeError;
  if (IsLineZero(code, target)) {
    in.Traps().Clear(TrapKind::Break);
    return 0;
  }
  SetTrap(in, TrapKind::Break);
  in.Memory().SetFlag(SettingsMemory::kBreakEnableAddress, true);
  return 0;
}

// ON TIMER [= interval | (interval)] GOTO target
int32_t OnTimer(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (!in.Running()) {
    offset = in.Position().PayloadEnd();
    return kErrModeError;
  }
  const size_t target = ReadU16(code + offset);
  offset += 2;
  double ms = 0;
  if (int32_t e = NumberOperand(in, code, offset, ms); e || EvaluationStopped(in)) return e;
  offset = in.Position().PayloadEnd();
  if (!(ms > 0 && ms < 2147483648.0)) return kErrCommandError;
  if (target >= in.Position().PayloadEnd()) return kErrInternalError;
  if (IsLineZero(code, target)) {
    in.ClearTimerTrap();
    return 0;
  }
  if (!in.Host().timers.SetTimer(kOnTimerId, static_cast<uint32_t>(ms)))
    return kErrUnableToCreateTimer;
  in.Memory().SetTimerArmed(SettingsMemory::kTimerArmed);
  SetTrap(in, TrapKind::Timer);
  return 0;
}

// RESUME | RESUME 0 | RESUME NEXT | RESUME line | RESUME label
int32_t Resume(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t form = code[offset++];
  if (!in.Running()) {
    offset = in.Position().PayloadEnd();
    return kErrModeError;
  }
  TrapContext c;
  if (!in.Traps().PopContext(c)) {
    offset = in.Position().PayloadEnd();
    return kErrResumeWithoutOn;
  }
  if (form == 1) {
    in.ResumeContext(c, /*full=*/false);
    in.SetReason(StopReason::ResumeNext);
    return 0;
  }
  if (IsLineZero(code, offset)) {
    in.ResumeContext(c, /*full=*/true);
    in.SetReason(StopReason::ResumeRetry);
    return 0;
  }
  in.Entry().SetMode(c.inputMode);
  int32_t error = 0;
  ProgramLine* line = TargetOperand(in, code, offset, error);
  if (!line) return error;
  in.JumpTo(line);
  in.SetReason(StopReason::ResumeAt);
  return 0;
}

// TIMER ON | OFF | STOP
int32_t Timer(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t word = code[offset];
  offset = in.Position().PayloadEnd();
  if (word == kTimerStop) {
    in.ClearTimerTrap();
    return 0;
  }
  if (word != kTimerOn && word != kTimerOff) return kErrInternalError;
  if (!in.Traps().IsSet(TrapKind::Timer)) return kErrTimerNotSet;
  in.Memory().SetTimerArmed(word == kTimerOn ? SettingsMemory::kTimerArmed
                                             : SettingsMemory::kTimerDisarmed);
  return 0;
}

// TIMER = milliseconds: the TIMER function then reads about that many.
int32_t TimerSet(Interpreter& in, const uint8_t* code, size_t& offset) {
  double ms = 0;
  if (int32_t e = NumberOperand(in, code, offset, ms); e || EvaluationStopped(in)) return e;
  offset = in.Position().PayloadEnd();
  if (!(ms >= 0 && ms < 4294967296.0)) return kErrCommandError;
  const uint32_t n = static_cast<uint32_t>(ms);
  const uint32_t now = in.Host().clock.TickCount();
  in.SetTimerBase(now >= n ? now - n : 0);
  return 0;
}

// GOTO TIMER: the timer handler runs now, armed or not.
int32_t GotoTimer(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  if (!in.Running()) return kErrModeError;
  if (!in.Traps().IsSet(TrapKind::Timer)) return kErrTimerNotSet;
  in.TimerTrap();
  return 0;
}

// ERROR n: raises error n (1 to 255) like any statement error.
int32_t Error(Interpreter& in, const uint8_t* code, size_t& offset) {
  double n = 0;
  if (int32_t e = NumberOperand(in, code, offset, n, /*round=*/true); e || EvaluationStopped(in))
    return e;
  offset = in.Position().PayloadEnd();
  if (!(n >= 1 && n < 256)) return kErrCommandError;
  return static_cast<int32_t>(n);
}

namespace {

// Evaluates `count` expressions in order (the arguments' own errors come
// first), then answers "?Not supported": no log file exists.
int32_t EvaluateThenNotSupported(Interpreter& in, const uint8_t* code, size_t& offset,
                                 uint8_t count) {
  const Code span = StatementSpan(in, code);
  for (uint8_t i = 0; i < count; ++i) {
    CValue v;
    if (int32_t e = in.Expressions().Eval().EvaluateValue(span, offset, v);
        e || EvaluationStopped(in))
      return e;
  }
  offset = in.Position().PayloadEnd();
  return kErrNotSupported;
}

}  // namespace

// ASSERT condition [, message]
int32_t Assert(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t count = code[offset++];
  return EvaluateThenNotSupported(in, code, offset, count);
}

// LOG [ON | OFF] [expr, ...]
int32_t Log(Interpreter& in, const uint8_t* code, size_t& offset) {
  offset += 1;  // the ON / OFF word
  const uint8_t count = code[offset++];
  return EvaluateThenNotSupported(in, code, offset, count);
}

}  // namespace handlers

}  // namespace torvic
