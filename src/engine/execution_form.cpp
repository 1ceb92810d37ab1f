// The execution form's builder (layout and kinds in execution_form.h).
#include "engine/execution_form.h"

#include <algorithm>
#include <new>
#include <span>

#include "base/codebytes.h"
#include "expr/evaluator.h"
#include "expr/expression_code.h"
#include "expr/quick_chain.h"
#include "frontend/code_buffer.h"
#include "frontend/statements.h"

namespace torvic {

const FormStatement* ExecutionForms::Make(const ProgramLine& line, size_t offset, Evaluator& eval) {
  const uint64_t epoch = ProgramLine::CodeEpoch();
  if (epoch != epoch_) {
    chunks_.clear();
    used_ = kChunk;
    statements_ = 0;
    epoch_ = epoch;
  }
  const uint8_t* code = line.Code();
  const size_t length = line.CodeLength();
  FormStatement* first = nullptr;
  try {
    scratch_.clear();
    // The records in order; structural records (uncompiled text, jumps
    // inside the line) have no entry, the loop meets them before the form.
    for (size_t at = kLineHeaderSize; at < length && scratch_.size() < kChunk;) {
      const uint8_t c = code[at];
      if (c == kRecordEnd) break;
      if (c == kRecordUncompiled) {
        at += kUncompiledRecordSize;
        continue;
      }
      if (c == kRecordJump) {
        at += kJumpRecordSize;
        continue;
      }
      if (at + kRecordFrameSize > length) break;
      FormStatement f;
      f.frame = ReadFrame(code, at);
      f.start = static_cast<uint32_t>(at);
      f.end = static_cast<uint32_t>(at + kRecordFrameSize + f.frame.operandLength);
      if (f.end > length) break;
      f.operand = static_cast<uint32_t>(at + kRecordFrameSize);
      Decode(line, f, eval);
      scratch_.push_back(f);
      // IF holds its THEN part (and any ELSE) inside its operands, as
      // records of their own: the walk goes on there.
      const size_t thenPart = f.frame.code == stmt::kIf && f.operand + 2 <= f.end
                                  ? ReadU16(code + at + kRecordFrameSize)
                                  : 0;
      at = thenPart > at + kRecordFrameSize && thenPart <= f.end ? thenPart : f.end;
    }
    first = Allocate(scratch_.size());
  } catch (const std::bad_alloc&) {
    // A cache: without storage the line runs by its handlers.
    return nullptr;
  }
  for (size_t i = 0; i < scratch_.size(); ++i)
    scratch_[i].following = static_cast<uint16_t>(scratch_.size() - 1 - i);
  std::copy(scratch_.begin(), scratch_.end(), first);
  statements_ += scratch_.size();
  const bool entry = !scratch_.empty() && first->start == kLineHeaderSize &&
                     first->kind != FormStatement::Kind::General;
  line.form = ProgramLine::FormSlot{epoch_, first, static_cast<uint32_t>(scratch_.size()), entry};
  return At(line, offset, eval);
}

FormStatement* ExecutionForms::Allocate(size_t n) {
  // A line of no statements (only text that did not compile) takes no
  // room, even before the epoch's first chunk.
  if (chunks_.empty() || used_ + n > kChunk) {
    chunks_.push_back(std::make_unique<FormStatement[]>(kChunk));
    used_ = 0;
  }
  FormStatement* at = chunks_.back().get() + used_;
  used_ += n;
  return at;
}

// Chooses the fast way for one statement, leaving General when its
// operands are not exactly what the fast way reads (the handler then
// reports whatever is wrong with them).
namespace {

// A jump target item at code[at] (ending by `end`) that names a line by
// number (u8 0, u32 number, ...): its number. Labels are false.
bool NumberTarget(const uint8_t* code, size_t at, size_t end, uint32_t& number) {
  if (at + kJumpTargetItemSize > end || code[at] != 0) return false;
  number = ReadU32(code + at + 1);
  return true;
}

}  // namespace

void ExecutionForms::Decode(const ProgramLine& line, FormStatement& f, Evaluator& eval) {
  const uint8_t* code = line.Code();
  const Code span(code, f.end);
  const size_t op = f.operand;
  switch (f.frame.code) {
    case stmt::kLet:
      // One target: u8 1, then the target, its 0 byte and the expression.
      if (op < f.end && code[op] == 1 &&
          eval.FindPlan(span, op + 1, epoch_, /*assignment=*/true, f.plan) &&
          f.plan.endsStatement) {
        f.kind = FormStatement::Kind::Assign;
        f.operand = static_cast<uint32_t>(op + 1);
        Fuse(f, /*assignment=*/true, eval);
      }
      return;
    case stmt::kIf: {
      // u16 (passed over), the condition, u16 offset of the false part.
      const size_t cond = op + 2;
      if (cond >= f.end || Evaluator::IsLoneLiteral(span, cond)) return;
      if (!eval.FindPlan(span, cond, epoch_, /*assignment=*/false, f.plan)) return;
      const size_t after = cond + f.plan.length + 2;
      if (after > f.end) return;
      const uint16_t falseTarget = ReadU16(code + after - 2);
      if (falseTarget < after || falseTarget > f.end) return;
      f.kind = FormStatement::Kind::If;
      f.operand = static_cast<uint32_t>(cond);
      f.after = static_cast<uint16_t>(after);
      f.falseTarget = falseTarget;
      // THEN n: a GOTO record by number at the start of the THEN part.
      if (after + kRecordFrameSize < f.end && code[after] == stmt::kGoto) {
        const size_t target = after + kRecordFrameSize;
        const size_t gotoEnd = target + ReadFrame(code, after).operandLength;
        if (gotoEnd <= f.end && NumberTarget(code, target, gotoEnd, f.number))
          f.thenJump = static_cast<uint32_t>(target);
      }
      Fuse(f, /*assignment=*/false, eval);
      return;
    }
    case stmt::kNext:
      // No name (a 0 byte, or nothing), or one letter item (5 bytes) and
      // then the end.
      if (op >= f.end || code[op] == 0) {
        f.number = FormStatement::kAnyLoop;
        f.after = static_cast<uint16_t>(op);
      } else if (f.end - op >= 5 && code[op] == item::kLetter && code[op + 4] <= 25 &&
                 (op + 5 == f.end || code[op + 5] == 0)) {
        f.number = code[op + 4];
        f.after = static_cast<uint16_t>(op + 5);
      } else {
        return;
      }
      f.kind = FormStatement::Kind::Next;
      return;
    case stmt::kFor: {
      // The letter item, then the start, the limit and the step.
      if (f.end - op < 5 || code[op] != item::kLetter || code[op + 4] > 25) return;
      size_t at = op + 5;
      double* letters = &eval.Vars().Letter(0);
      // A number literal, or (`letterToo`) a letter, alone in its expression.
      const auto operand = [&](const double*& place, double& constant, bool letterToo) {
        if (Evaluator::IsLoneLiteral(span, at)) {
          constant = ReadF64(code + at + 1);
          at += Evaluator::kLoneLiteralSize;
          return true;
        }
        if (!letterToo || at + 6 > f.end || code[at] != item::kLetter || code[at + 4] > 25 ||
            code[at + 5] != item::kEnd)
          return false;
        place = letters + code[at + 4];
        at += 6;
        return true;
      };
      const double* start = nullptr;
      const double* limit = nullptr;
      const double* step = nullptr;
      double startValue = 0, limitValue = 0, stepValue = 0;
      if (!operand(start, startValue, true) || !operand(limit, limitValue, true) ||
          !operand(step, stepValue, false) || at != f.end)
        return;
      f.kind = FormStatement::Kind::For;
      f.number = code[op + 4];
      f.place = letters + f.number;
      f.left = start;
      f.constant = startValue;
      f.right = limit;
      f.loop = FormStatement::LoopBounds{limitValue, stepValue};
      return;
    }
    case stmt::kReturn:
      // u8 0: no target.
      if (op < f.end && code[op] == 0) f.kind = FormStatement::Kind::Return;
      return;
    case stmt::kGoto:
    case stmt::kGosub:
      // A target by number only; labels take the handler.
      if (!NumberTarget(code, op, f.end, f.number)) return;
      f.kind = f.frame.code == stmt::kGoto ? FormStatement::Kind::Goto : FormStatement::Kind::Gosub;
      return;
    default: return;
  }
}

namespace {

// The fused value of `steps` in `f` (op, left, right or constant, kernel):
// false, with `f` as it was, when they have no fused shape.
bool FusedShape(FormStatement& f, std::span<const quick::Step> steps, bool assignment) {
  using quick::Op;
  if (steps.size() == 1 && assignment) {
    const quick::Step& s = steps[0];
    if (s.op == Op::Number) f.constant = s.number;
    else if (s.op == Op::Letter) f.left = s.place;
    else return false;
    f.op = s.op;
    return true;
  }
  if (steps.size() != 2 || steps[0].op != Op::Letter) return false;
  // A kernel or the square of a letter, or + - * / or a comparison with
  // its right operand (a letter or a number) folded into its step.
  const quick::Step &a = steps[0], &o = steps[1];
  Op base = Op::Add;
  bool letter = false;
  if (o.op == Op::Kernel) {
    f.op = Op::Kernel;
    f.kernel = o.kernel;
  } else if (o.op == Op::Square) {
    f.op = Op::Square;
  } else if (quick::FoldedRightOperand(o.op, base, letter) && base != Op::OtherBinary) {
    f.op = base;
    if (letter) f.right = o.place;
    else f.constant = o.number;
  } else {
    return false;
  }
  f.left = a.place;
  return true;
}

}  // namespace

void ExecutionForms::Fuse(FormStatement& f, bool assignment, Evaluator& eval) {
  using quick::Op;
  std::span<const quick::Step> steps = eval.PlanSteps(f.plan, assignment);
  if (f.plan.strings) return;
  if (assignment && !f.plan.place) {
    // The target is found by a step: fused when it is a numeric element
    // of one letter subscript (M(L)=...), whose step comes first.
    if (steps.empty() || steps[0].op != Op::TargetElementLetter ||
        !FusedShape(f, steps.subspan(1), assignment))
      return;
    f.number = steps[0].site;
    f.place = steps[0].place;  // the subscript
    f.kind = FormStatement::Kind::AssignElement;
    return;
  }
  if (FusedShape(f, steps, assignment)) {
    if (assignment) f.place = f.plan.place;
    f.kind = assignment ? FormStatement::Kind::AssignFused : FormStatement::Kind::IfFused;
  } else if (quick::IsChain(steps)) {
    f.kind = assignment ? FormStatement::Kind::AssignChain : FormStatement::Kind::IfChain;
  }
}

}  // namespace torvic
