// The execution form's builder (layout and kinds in execution_form.h).
#include "engine/execution_form.h"

#include <new>

#include "base/codebytes.h"
#include "expr/evaluator.h"
#include "expr/expression_code.h"
#include "frontend/code_buffer.h"
#include "frontend/statements.h"

namespace torvic {

const FormStatement* ExecutionForms::Make(const ProgramLine& line, size_t offset) {
  const uint64_t epoch = ProgramLine::CodeEpoch();
  if (epoch != epoch_) {
    pool_.clear();
    epoch_ = epoch;
  }
  const size_t first = pool_.size();
  const uint8_t* code = line.Code();
  const size_t length = line.CodeLength();
  try {
    // The records in order; structural records (uncompiled text, jumps
    // inside the line) have no entry, the loop meets them before the form.
    for (size_t at = kLineHeaderSize; at < length;) {
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
      Decode(line, f);
      pool_.push_back(f);
      // IF holds its THEN part (and any ELSE) inside its operands, as
      // records of their own: the walk goes on there.
      const size_t thenPart = f.frame.code == stmt::kIf && f.operand + 2 <= f.end
                                  ? ReadU16(code + at + kRecordFrameSize)
                                  : 0;
      at = thenPart > at + kRecordFrameSize && thenPart <= f.end ? thenPart : f.end;
    }
  } catch (const std::bad_alloc&) {
    // A cache: without storage the line runs by its handlers.
    pool_.resize(first);
    return nullptr;
  }
  line.form = ProgramLine::FormSlot{epoch_, static_cast<uint32_t>(first),
                                    static_cast<uint32_t>(pool_.size() - first)};
  for (size_t i = first; i < pool_.size(); ++i)
    if (pool_[i].start == offset) return &pool_[i];
  return nullptr;
}

// Chooses the fast way for one statement, leaving General when its
// operands are not exactly what the fast way reads (the handler then
// reports whatever is wrong with them).
void ExecutionForms::Decode(const ProgramLine& line, FormStatement& f) {
  const uint8_t* code = line.Code();
  const Code span(code, f.end);
  const size_t op = f.operand;
  switch (f.frame.code) {
    case stmt::kLet:
      // One target: u8 1, then the target, its 0 byte and the expression.
      if (op < f.end && code[op] == 1 &&
          eval_.FindPlan(span, op + 1, epoch_, /*assignment=*/true, f.plan) &&
          f.plan.endsStatement) {
        f.kind = FormStatement::Kind::Assign;
        f.operand = static_cast<uint32_t>(op + 1);
      }
      return;
    case stmt::kIf: {
      // u16 (passed over), the condition, u16 offset of the false part.
      const size_t cond = op + 2;
      // A lone number literal is read without a plan (EvaluateNumber).
      if (cond >= f.end ||
          (cond + 10 <= f.end && code[cond] == item::kNumber && code[cond + 9] == item::kEnd))
        return;
      if (!eval_.FindPlan(span, cond, epoch_, /*assignment=*/false, f.plan)) return;
      const size_t after = cond + f.plan.length + 2;
      if (after > f.end) return;
      const uint16_t falseTarget = ReadU16(code + after - 2);
      if (falseTarget < after || falseTarget > f.end) return;
      f.kind = FormStatement::Kind::If;
      f.operand = static_cast<uint32_t>(cond);
      f.after = static_cast<uint16_t>(after);
      f.falseTarget = falseTarget;
      return;
    }
    case stmt::kGoto:
    case stmt::kGosub:
      // A target by number only; labels take the handler.
      if (op + kJumpTargetItemSize > f.end || code[op] != 0) return;
      f.kind = f.frame.code == stmt::kGoto ? FormStatement::Kind::Goto : FormStatement::Kind::Gosub;
      f.number = ReadU32(code + op + 1);
      return;
    default: return;
  }
}

}  // namespace torvic
