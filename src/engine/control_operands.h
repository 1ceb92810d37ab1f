// Operand reads shared by the control, DATA and trap handlers: expressions
// evaluated inside the statement's own operand area, and jump targets
// resolved to their line. Layouts: above the compile routines the statement
// table (frontend/statements.def) names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/errors.h"
#include "engine/expression_context.h"
#include "engine/interpreter.h"
#include "engine/jump_target.h"

namespace torvic {

// The code of the statement being executed, bounded by its operand area, so
// no evaluation reads past the record.
inline Code StatementSpan(Interpreter& in, const uint8_t* code) {
  return Code(code, in.Position().PayloadEnd());
}

// A handler that evaluates returns at once when the evaluation failed or
// left a stop reason (Break inside a function, an exit).
inline bool EvaluationStopped(Interpreter& in) { return in.Reason() != StopReason::None; }

inline int32_t NumberOperand(Interpreter& in, const uint8_t* code, size_t& offset, double& out,
                             bool round = false) {
  return in.Expressions().Eval().EvaluateNumber(StatementSpan(in, code), offset, out, round);
}

// The jump target at `offset` (moved past it) as a line: null with `error`
// 51, 50 or 21 when it names no line. Numbers are searched from the
// current line; a site met before costs no search (Interpreter::FindTarget).
inline ProgramLine* TargetOperand(Interpreter& in, const uint8_t* code, size_t& offset,
                                  int32_t& error) {
  const uint8_t* const site = code + offset;
  const JumpTarget t = ReadJumpTarget(code, offset);
  if (!t.valid) {
    error = kErrInternalError;
    return nullptr;
  }
  ProgramLine* line = t.byLabel ? in.FindLabel(t.label) : in.FindTarget(site, t.number);
  error = line ? 0 : (t.byLabel ? kErrUndefinedLabel : kErrUndefinedLine);
  return line;
}

}  // namespace torvic
