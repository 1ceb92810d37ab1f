// The statements that move the execution point or repeat code: GOTO, GOSUB,
// RETURN, ON ... GOTO/GOSUB, IF, GOIF, FOR, NEXT and WAIT. Each reads the
// operand layout its compile routine writes (compile_control.cpp; the
// statement table, frontend/statements.def, names the routine).
//
// In a running program the `offset` a handler receives is the interpreter's
// current offset itself, so a handler reads all its operands before it
// jumps and never touches the offset after a jump. In immediate mode it is
// the command line's own offset, and a jump runs the program at once.
#include <cmath>
#include <new>

#include <algorithm>

#include "base/errors.h"
#include "engine/control_operands.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/loop_steps.h"
#include "expr/expression_code.h"
#include "expr/operators.h"
#include "frontend/keywords.h"

namespace torvic::handlers {

// GOSUB and ON ... GOSUB: push the return point, then jump. A GOSUB typed
// at the prompt pushes a point in the immediate line; when its subroutine
// returns there, a program that was stopped underneath goes on from where
// it was stopped, not from the subroutine's RETURN.
int32_t GosubTo(Interpreter& in, ProgramLine* line, size_t returnOffset) {
  const bool running = in.Running();
  try {
    in.Position().PushReturn(
        {running ? in.Position().Line() : nullptr, running ? returnOffset : 0});
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  if (running) {
    in.JumpTo(line);
    return 0;
  }
  ProgramLine* const stoppedLine = in.Position().Line();
  const size_t stoppedOffset = in.Position().Offset();
  in.JumpTo(line);
  if (in.Reason() == StopReason::ReturnedToImmediate && in.StopDepth() > 0)
    in.Position().MoveTo(stoppedLine, stoppedOffset);
  return 0;
}

namespace {

// FOR and NEXT variable items: u8 5 | u16 link | u8 0 | u8 letter, or
// u8 6 | u16 link | u8 0 | name field (expr/expression_code.h). `item` is where
// the item starts, the identity NEXT remembers it by.
struct LoopVariable {
  int letter = -1;
  std::string_view name;
  const uint8_t* item = nullptr;
};

inline bool ReadLoopVariable(Code code, size_t& offset, LoopVariable& v) {
  uint8_t kind = 0, letter = 0;
  v.item = code.data() + offset;
  if (CodeHas(code, offset, 5) && code[offset] == item::kLetter) {
    // The usual item, read in one step.
    letter = code[offset + 4];
    offset += 5;
    v.letter = letter;
    return letter < 26;
  }
  if (!ReadCode8(code, offset, kind) || !CodeHas(code, offset, 3)) return false;
  offset += 3;
  if (kind == item::kLetter) {
    if (!ReadCode8(code, offset, letter) || letter >= 26) return false;
    v.letter = letter;
    return true;
  }
  return kind == item::kNumericScalar && ReadCodeName(code, offset, v.name);
}

// NEXT's test: the item that named this loop before names it again while
// the code is unchanged; otherwise the names are compared, and a match is
// remembered for a program line's item.
bool NextNames(ForRecord& r, const LoopVariable& v) {
  if (v.letter >= 0) return r.letter == v.letter;
  if (r.letter >= 0) return false;
  const uint64_t epoch = ProgramLine::CodeEpoch();
  if (r.nextItem == v.item && r.nextEpoch == epoch) return true;
  if (r.name != v.name) return false;
  if (!r.immediate) {
    r.nextItem = v.item;
    r.nextEpoch = epoch;
  }
  return true;
}

// The newest active loop of the current run mode (for `v`, when given). An
// immediate loop only counts inside the command line that made it.
ForRecord* FindActiveLoop(Interpreter& in, const uint8_t* code, const LoopVariable* v) {
  const bool immediate = !in.Running();
  return in.Position().FindLoop([&](ForRecord& r) {
    if (!r.active || r.immediate != immediate || (immediate && r.code != code)) return false;
    return !v || NextNames(r, *v);
  });
}

// A finished loop ends the loops made after it (the inner ones) too. Ended
// records are dropped rather than kept inactive: nothing finds an inactive
// record except a FOR on its variable, which replaces it all the same, and
// without them the next NEXT finds its loop at the end of the list.
void EndLoop(Interpreter& in, const ForRecord& r) { in.Position().LeaveLoop(r); }

}  // namespace

double* VariablePlace(Interpreter& in, int letter, std::string_view name) {
  VariableStore& vars = in.Expressions().Vars();
  if (letter >= 0) return &vars.Letter(letter);
  CVariable* v = vars.Scalar(kNumericScalar, name);
  return v ? &v->number : nullptr;
}

// GOTO target
int32_t Goto(Interpreter& in, const uint8_t* code, size_t& offset) {
  int32_t error = 0;
  ProgramLine* line = TargetOperand(in, code, offset, error);
  if (!line) return error;
  in.JumpTo(line);
  return 0;
}

// GOSUB target
int32_t Gosub(Interpreter& in, const uint8_t* code, size_t& offset) {
  int32_t error = 0;
  ProgramLine* line = TargetOperand(in, code, offset, error);
  if (!line) return error;
  offset = in.Position().PayloadEnd();
  return GosubTo(in, line, in.Position().PayloadEnd());
}

// RETURN [target]: u8 0, or u8 1 and a jump target
int32_t Return(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t form = code[offset++];
  ReturnPoint back;
  if (!in.Position().PopReturn(back)) return kErrReturnWithoutGosub;
  if (form == 1) {
    int32_t error = 0;
    ProgramLine* line = TargetOperand(in, code, offset, error);
    if (!line) return error;
    in.JumpTo(line);
    return 0;
  }
  offset = in.Position().PayloadEnd();
  if (!back.line) {
    // Back to the command line that made the GOSUB: the program loop that
    // ran the subroutine ends and the immediate line goes on.
    in.SetReason(StopReason::ReturnedToImmediate);
    return 0;
  }
  in.Position().MoveTo(back.line, back.offset);
  // RETURN typed while the program is stopped in a subroutine resumes it.
  if (!in.Running()) in.RunProgram();
  return 0;
}

// ON expr GOTO|GOSUB target, ...:
//   expr | u8 GOSUB or GOTO (their codes) | u16 end of the statement | u8 count | targets
int32_t OnGoto(Interpreter& in, const uint8_t* code, size_t& offset) {
  double v = 0;
  if (int32_t e = NumberOperand(in, code, offset, v); e || EvaluationStopped(in)) return e;
  if (!(v >= 0 && v < 256)) return kErrCommandError;
  const auto n = static_cast<uint32_t>(v);
  const Code span = StatementSpan(in, code);
  uint8_t choice = 0, count = 0;
  uint16_t end = 0;
  if (!ReadCode8(span, offset, choice) || !ReadCode16(span, offset, end) ||
      !ReadCode8(span, offset, count) || (choice != stmt::kGosub && choice != stmt::kGoto) ||
      count < 1)
    return kErrInternalError;
  if (n == 0 || n > count) {
    offset = in.Position().PayloadEnd();
    return 0;
  }
  for (uint32_t i = 1; i < n; ++i)
    if (!ReadJumpTarget(code, offset).valid) return kErrInternalError;
  int32_t error = 0;
  ProgramLine* line = TargetOperand(in, code, offset, error);
  if (!line) return error;
  offset = in.Position().PayloadEnd();
  if (choice == stmt::kGosub) return GosubTo(in, line, end);
  in.JumpTo(line);
  return 0;
}

// IF condition THEN ... [ELSE ...]:
//   u16 THEN start (for the cross-reference walk) | condition | u16 false target
// The THEN part's records follow inside this record's operand area, so a
// true condition simply goes on with them.
int32_t If(Interpreter& in, const uint8_t* code, size_t& offset) {
  offset += 2;
  double v = 0;
  if (int32_t e = NumberOperand(in, code, offset, v); e || EvaluationStopped(in)) return e;
  uint16_t falseTarget = 0;
  if (!ReadCode16(StatementSpan(in, code), offset, falseTarget) || falseTarget < offset ||
      falseTarget > in.Position().PayloadEnd())
    return kErrInternalError;
  if (v == 0 || std::isnan(v)) offset = falseTarget;
  return 0;
}

// GOIF condition, target1 [, target2]:
//   condition | u16 offset of the flag byte | target1 | u8 0, or u8 1 | target2
int32_t Goif(Interpreter& in, const uint8_t* code, size_t& offset) {
  double v = 0;
  if (int32_t e = NumberOperand(in, code, offset, v); e || EvaluationStopped(in)) return e;
  uint16_t flagAt = 0;
  if (!ReadCode16(StatementSpan(in, code), offset, flagAt) || flagAt < offset ||
      flagAt >= in.Position().PayloadEnd())
    return kErrInternalError;
  if (v == 0 || std::isnan(v)) {
    offset = flagAt;
    if (code[offset++] == 0) {
      offset = in.Position().PayloadEnd();
      return 0;
    }
  }
  int32_t error = 0;
  ProgramLine* line = TargetOperand(in, code, offset, error);
  if (!line) return error;
  offset = in.Position().PayloadEnd();
  in.JumpTo(line);
  return 0;
}

// FOR variable = start TO limit [STEP step]:
//   variable item (5 or 6) | start | limit | step (the number 1 when omitted)
int32_t For(Interpreter& in, const uint8_t* code, size_t& offset) {
  LoopVariable var;
  if (!ReadLoopVariable(StatementSpan(in, code), offset, var)) return kErrInternalError;
  // All three first, in this order: FOR I = I TO I + 5 takes the old I.
  double start = 0, limit = 0, step = 0;
  if (int32_t e = NumberOperand(in, code, offset, start); e || EvaluationStopped(in)) return e;
  if (int32_t e = NumberOperand(in, code, offset, limit); e || EvaluationStopped(in)) return e;
  if (int32_t e = NumberOperand(in, code, offset, step); e || EvaluationStopped(in)) return e;
  double* place = VariablePlace(in, var.letter, var.name);
  if (!place) return kErrOutOfMemory;

  const bool immediate = !in.Running();
  ForRecord* r = nullptr;
  // The list's growth is charged to the memory budget; a record that could
  // not be made leaves the list as it was.
  try {
    r = &in.Position().EnterLoop(immediate, var.letter, var.name);
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  StartLoop(in, *r, place, start, limit, step, immediate ? nullptr : in.Position().Line(), code,
            in.Position().PayloadEnd());
  offset = in.Position().PayloadEnd();
  return 0;
}

namespace {

// NEXT from the item at `offset` on, each variable's loop found by a scan
// of the FOR list.
[[gnu::noinline]] int32_t NextItems(Interpreter& in, const uint8_t* code, size_t& offset,
                                    bool named) {
  // Nothing a step does moves the statement's end: read it once.
  const size_t end = in.Position().PayloadEnd();
  const Code span(code, end);
  do {
    LoopVariable var;
    if (named && !ReadLoopVariable(span, offset, var)) return kErrInternalError;
    ForRecord* r = FindActiveLoop(in, code, named ? &var : nullptr);
    if (!r) return kErrNextWithoutFor;
    bool goOn = false;
    if (int32_t e = StepLoop(in, *r, goOn)) return e;
    if (goOn) {
      if (in.Running()) in.Position().MoveTo(r->line, r->offset);
      else offset = r->offset;
      return 0;
    }
    EndLoop(in, *r);
  } while (named && offset < end && code[offset] != 0);
  offset = end;
  return 0;
}

}  // namespace

// NEXT [variable, ...]: variable items (5 or 6) | u8 0
//
// The usual NEXT of a running program names no variable or the letter of
// the newest loop, which is then the loop the scan would find: that case
// steps at once, and everything else (and the items after a loop that
// ended) goes through NextItems.
int32_t Next(Interpreter& in, const uint8_t* code, size_t& offset) {
  const size_t end = in.Position().PayloadEnd();
  ForRecord* newest = in.Position().NewestLoop();
  if (!in.Running() || !newest)
    return NextItems(in, code, offset, offset < end && code[offset] != 0);
  ForRecord& r = *newest;
  const bool named = offset < end && code[offset] != 0;
  if (!r.active || r.immediate || r.letter < 0) return NextItems(in, code, offset, named);
  if (named) {
    if (end - offset < 5 || code[offset] != item::kLetter || code[offset + 4] != r.letter)
      return NextItems(in, code, offset, named);
    offset += 5;
  }
  bool goOn = false;
  if (int32_t e = StepLoop(in, r, goOn)) return e;
  if (goOn) {
    in.Position().MoveTo(r.line, r.offset);
    return 0;
  }
  EndLoop(in, r);
  if (named && offset < end && code[offset] != 0) return NextItems(in, code, offset, true);
  offset = end;
  return 0;
}

// WAIT milliseconds (1000 when omitted): the window is served meanwhile, so
// Break and the timer trap act during the wait.
int32_t Wait(Interpreter& in, const uint8_t* code, size_t& offset) {
  double ms = 0;
  if (int32_t e = NumberOperand(in, code, offset, ms); e || EvaluationStopped(in)) return e;
  if (!(ms >= 0 && ms < 2147483648.0)) return kErrCommandError;
  // Before any pump: a trap handler that runs meanwhile comes back here.
  offset = in.Position().PayloadEnd();
  in.WaitServingEvents(static_cast<uint32_t>(ms));
  return 0;
}

}  // namespace torvic::handlers
