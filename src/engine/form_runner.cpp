// The program loop's fast way through a running line's statements: the
// execution form's fast kinds (engine/execution_form.h), run one after
// another with the window's turn after each, as the loop would run them
// through ExecuteStatement.
#include <cmath>
#include <new>

#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/loop_steps.h"
#include "expr/evaluator.h"
#include "expr/quick_chain.h"

namespace torvic {

[[gnu::always_inline]] inline ProgramLine* Interpreter::FormTarget(const FormStatement& f,
                                                                   const uint8_t* site) {
  if (f.targetShape == program_.Shape()) [[likely]]
    return f.target;
  ProgramLine* line = FindTarget(site, f.number);
  // Kept as ResolveTarget keeps a target: from a numbered line of a
  // program whose numbers ascend, where the line found is the same from
  // anywhere. The entry lives no longer than the code of its epoch.
  if (line && program_.NumbersAscend() && pos_.Line()->IsNumbered()) {
    f.target = line;
    f.targetShape = program_.Shape();
  }
  return line;
}

// Where an IF of the form goes on: the THEN part (or straight to the line
// of its leading GOTO n, when that line is found), or the false target.
[[gnu::always_inline]] inline int32_t Interpreter::IfOutcome(const FormStatement& f,
                                                             const uint8_t* code, double v,
                                                             size_t after, size_t falseTarget,
                                                             size_t thenJump, size_t& offset) {
  if (v == 0 || std::isnan(v)) {
    offset = falseTarget;
    return 0;
  }
  if (thenJump != 0) {
    if (ProgramLine* line = FormTarget(f, code + thenJump)) {
      pos_.MoveTo(line, 0);  // JumpTo of a running program
      return 0;
    }
  }
  offset = after;
  return 0;
}

// A statement of the execution form's fast kinds, as its handler would
// run it (the handlers: control_flow.cpp, and LET as ExecuteStatement runs
// it without one); `offset` is past the frame.
[[gnu::always_inline]] inline int32_t Interpreter::RunFormStatement(const FormStatement& f,
                                                                    const uint8_t* code,
                                                                    size_t& offset) {
  // Everything of `f` is read before anything runs: a statement that
  // changes the code drops every form, this one too.
  switch (f.kind) {
    case FormStatement::Kind::Assign: {
      if (!eval_->PlansOf(ProgramLine::CodeEpoch(), /*assignment=*/true)) break;
      const quick::Plan plan = f.plan;
      const size_t end = f.end;
      size_t pos = f.operand;
      const int32_t e = eval_->RunAssignmentPlan(plan, pos);
      offset = end;
      return e;
    }
    case FormStatement::Kind::If: {
      if (!eval_->PlansOf(ProgramLine::CodeEpoch(), /*assignment=*/false)) break;
      const quick::Plan plan = f.plan;
      const size_t after = f.after, falseTarget = f.falseTarget, thenJump = f.thenJump;
      offset = f.operand;
      double v = 0;
      if (int32_t e = eval_->RunNumberPlan(plan, offset, v); e || stopReason_ != StopReason::None)
        return e;
      return IfOutcome(f, code, v, after, falseTarget, thenJump, offset);
    }
    case FormStatement::Kind::Goto:
    case FormStatement::Kind::Gosub: {
      const bool gosub = f.kind == FormStatement::Kind::Gosub;
      const size_t end = f.end;
      offset = f.operand + kJumpTargetItemSize;
      ProgramLine* line = FormTarget(f, code + f.operand);
      if (!line) return kErrUndefinedLine;
      // As JumpTo and GosubTo go in a running program; a return point
      // that finds no room throws std::bad_alloc (Out of memory) before
      // the jump.
      if (gosub) {
        offset = end;
        pos_.PushReturn({pos_.Line(), end});
      }
      pos_.MoveTo(line, 0);
      return 0;
    }
    case FormStatement::Kind::AssignFused: {
      double* place = f.place;
      offset = f.end;
      double v;
      if (int32_t e = FusedValue(f, v)) return e;
      *place = v;
      return 0;
    }
    case FormStatement::Kind::AssignChain: {
      if (!eval_->PlansOf(ProgramLine::CodeEpoch(), /*assignment=*/true)) break;
      const std::span<const quick::Step> steps = eval_->PlanSteps(f.plan, /*assignment=*/true);
      if (steps.empty()) break;
      double* place = f.plan.place;
      offset = f.end;
      double v;
      if (int32_t e = quick::RunChain(steps, v)) return e;
      *place = v;  // unrounded, as a plan stores it
      return 0;
    }
    case FormStatement::Kind::IfChain: {
      if (!eval_->PlansOf(ProgramLine::CodeEpoch(), /*assignment=*/false)) break;
      const std::span<const quick::Step> steps = eval_->PlanSteps(f.plan, /*assignment=*/false);
      if (steps.empty()) break;
      const size_t after = f.after, falseTarget = f.falseTarget, thenJump = f.thenJump;
      double v;
      if (int32_t e = quick::RunChain(steps, v)) {
        offset = f.operand;
        return e;
      }
      return IfOutcome(f, code, v, after, falseTarget, thenJump, offset);
    }
    case FormStatement::Kind::AssignElement: {
      // The element first, then the value, as the plan's steps run.
      if (!eval_->PlansOf(ProgramLine::CodeEpoch(), /*assignment=*/true)) break;
      offset = f.end;
      double* at;
      if (int32_t e = eval_->AssignmentElement(f.number, f.place, at)) return e;
      double v;
      if (int32_t e = FusedValue(f, v)) return e;
      *at = v;
      return 0;
    }
    case FormStatement::Kind::IfFused: {
      const size_t after = f.after, falseTarget = f.falseTarget, thenJump = f.thenJump;
      double v;
      if (int32_t e = FusedValue(f, v)) {
        offset = f.operand;
        return e;
      }
      return IfOutcome(f, code, v, after, falseTarget, thenJump, offset);
    }
    case FormStatement::Kind::Next: {
      ForRecord* r = pos_.NewestLoop();
      if (!r || !r->active || r->immediate || r->letter < 0 ||
          (f.number != FormStatement::kAnyLoop && static_cast<uint32_t>(r->letter) != f.number))
        break;  // the handler finds the loop by name, or says what is wrong
      const size_t end = f.end;
      offset = f.after;
      bool goOn = false;
      if (int32_t e = handlers::StepLoop(*this, *r, goOn)) return e;
      if (goOn) {
        pos_.ContinueAt(r->line, r->offset);  // past the FOR: not a line's start
        return 0;
      }
      pos_.LeaveLoop(*r);
      offset = end;
      return 0;
    }
    case FormStatement::Kind::Return: {
      // A RETURN into the program; one into a command line, and one
      // without its GOSUB, take the handler.
      const ReturnPoint* back = pos_.NewestReturn();
      if (!back || !back->line) break;
      const ReturnPoint to = *back;
      pos_.DropReturn();
      pos_.MoveTo(to.line, to.offset);
      return 0;
    }
    case FormStatement::Kind::For: {
      // All three values first: FOR I = I TO I takes the old I.
      const double start = f.left ? *f.left : f.constant;
      const double limit = f.right ? *f.right : f.loop.limit;
      const double step = f.loop.step;
      double* place = f.place;
      const size_t end = f.end;
      // Throws std::bad_alloc (Out of memory) with the list unchanged.
      ForRecord& r = pos_.EnterLoop(/*immediate=*/false, static_cast<int>(f.number), {});
      handlers::StartLoop(*this, r, place, start, limit, step, pos_.Line(), code, end);
      offset = end;
      return 0;
    }
    case FormStatement::Kind::General: break;
  }
  return kTakeHandler;
}

// The runner's end at a statement that failed, left a stop reason or ran
// by its handler: ExecuteStatement's own tail.
Interpreter::FastEnd Interpreter::FinishFast(int32_t result, const RecordFrame& frame,
                                             size_t& offset, size_t start, size_t end,
                                             const ProgramLine* line) {
  return FinishStatement(result, frame, offset, start, end, line) ? FastEnd::Ok : FastEnd::Failed;
}

int32_t Interpreter::RunFormStatementCall(const FormStatement& f, const uint8_t* code,
                                          size_t& offset) {
  return RunFormStatement(f, code, offset);
}

// Runs `f`, the statement at the running position, and the fast
// statements that follow it, for as long as each ends with no stop reason
// and the window's turn after it is a quiet one. What a statement leaves
// is what ExecuteStatement and the program loop would leave, so they can
// take over at any point:
//  - the statement bounds, the cached code and the pending-stop flag are
//    set as ExecuteStatement sets them;
//  - a jump (GOTO, GOSUB, RETURN, THEN n) is taken as the program loop
//    takes one on a line change, without the trace, which is off here;
//  - the end of a line goes on with the next line's first statement;
//  - after each statement comes the window's turn; a real one (not a
//    quiet one) hands back to the loop, which looks at the trace and the
//    statement delay again.
// A statement that fails, leaves a stop reason, or needs its handler
// (kTakeHandler) ends the run here with ExecuteStatement's own tail.
Interpreter::FastEnd Interpreter::RunFastStatements(const FormStatement* f) {
  size_t& offset = pos_.LoopOffset();
  ProgramLine* line = pos_.Line();
  const uint8_t* code = line->Code();
  const uint64_t epoch = ProgramLine::CodeEpoch();
  eval_->SetCachedCode(code, epoch);
  *pendingStop_ = false;
  for (;;) {
    const size_t start = offset, end = f->end;
    pos_.SetStatement(start, end);
    offset = start + kRecordFrameSize;
    int32_t result;
    try {
      result = RunFormStatement(*f, code, offset);
      if (result == kTakeHandler) [[unlikely]] {
        result = handlers_[f->frame.code](*this, code, offset);
        return FinishFast(result, f->frame, offset, start, end, line);
      }
    } catch (const std::bad_alloc&) { result = kErrOutOfMemory; }
    if (result != 0 || deferredError_ != 0 || stopReason_ != StopReason::None) [[unlikely]]
      return FinishFast(result, f->frame, offset, start, end, line);

    // Where the program goes on: a jump's line, the line NEXT went back
    // to, or the next line after the end of this one. A jump is left
    // marked (line changed, offset 0 for a line's start) until the turn
    // is known to be a quiet one: the loop, and a stop in the turn, see
    // it as they would after ExecuteStatement.
    const bool jumped = pos_.LineChanged();
    ProgramLine* now = pos_.Line();
    if (jumped && !now) return FastEnd::Next;  // the loop ends the run
    bool moved = jumped || now != line;
    line = now;
    if (moved) code = line->Code();
    if (!jumped && code[offset] == kRecordEnd) {
      ProgramLine* next = line->Next();
      if (!next) return FastEnd::Next;  // the loop ends the run
      pos_.FallThrough(next);
      line = next;
      code = line->Code();
      moved = true;
    }

    // The window's turn after the statement.
    if (!host_.pump.QuietTurn()) [[unlikely]] {
      if (moved) eval_->SetCachedCode(code, epoch);
      pos_.SetStatement(start, end);  // as the statement's tail leaves them
      PumpOnce();
      return stopReason_ == StopReason::None ? FastEnd::Next : FastEnd::Ok;
    }
    // The loop's own step on a line change (the trace being off).
    if (jumped) {
      pos_.ClearLineChanged();
      if (offset == 0) offset = kLineHeaderSize;
    }

    // The next statement: the form's next entry when execution simply
    // went on in the line; the first entry of a line when execution
    // starts it (after a jump, or from the line before); else the entry
    // at the new position. A jump to the end of a line goes on with the
    // next line, as the loop goes on without a turn.
    if (!moved) {
      if (f->following != 0 && f[1].start == offset) {
        ++f;
        continue;
      }
    } else {
      if (offset != kLineHeaderSize && code[offset] == kRecordEnd) {
        // Back at the end of a line (a RETURN to a GOSUB that ended it).
        ProgramLine* next = line->Next();
        if (!next) {
          eval_->SetCachedCode(code, epoch);
          return FastEnd::Next;  // the loop ends the run
        }
        pos_.FallThrough(next);
        line = next;
        code = line->Code();
      }
      eval_->SetCachedCode(code, epoch);
      if (offset == kLineHeaderSize) {
        if (const FormStatement* first = ExecutionForms::LineEntry(*line, epoch)) [[likely]] {
          f = first;
          continue;
        }
      }
    }
    f = EntryAtPosition(line, code, epoch);
    if (!f) return FastEnd::Next;
  }
}

const FormStatement* Interpreter::EntryAtPosition(ProgramLine*& line, const uint8_t*& code,
                                                  uint64_t epoch) {
  while (code[pos_.Offset()] == kRecordEnd) {
    ProgramLine* next = line->Next();
    if (!next) {
      eval_->SetCachedCode(code, epoch);
      return nullptr;
    }
    pos_.FallThrough(next);
    line = next;
    code = line->Code();
  }
  eval_->SetCachedCode(code, epoch);
  const FormStatement* f = nullptr;
  if (pos_.Offset() == kLineHeaderSize) f = ExecutionForms::LineEntry(*line, epoch);
  if (!f) f = forms_.At(*line, pos_.Offset(), *eval_);
  return f && f->kind != FormStatement::Kind::General ? f : nullptr;
}

}  // namespace torvic
