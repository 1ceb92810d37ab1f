// The step NEXT takes in a loop, shared by its handler (control_flow.cpp)
// and the program loop's execution form, which runs the usual NEXT without
// the handler.
#pragma once

#include <cmath>
#include <string_view>

#include "engine/expression_context.h"
#include "engine/interpreter.h"
#include "expr/operators.h"

namespace torvic::handlers {

// The place of a loop variable: a letter, or the numeric scalar `name`
// (created as a read creates it; null when memory runs out).
double* VariablePlace(Interpreter& in, int letter, std::string_view name);

// The loop variable's number: the place the FOR found while no variable
// record has been removed since (a letter's place never changes), else
// found again by name, as a new record when CLEAR or ERASE removed it.
[[gnu::always_inline]] inline double* LoopPlace(Interpreter& in, ForRecord& r) {
  if (r.letter >= 0) return r.place;
  const uint64_t removals = in.Expressions().Vars().Removals();
  if (r.place && r.removals == removals) return r.place;
  r.place = VariablePlace(in, r.letter, r.name);
  r.removals = removals;
  return r.place;
}

// What a FOR leaves: the loop's record filled (the loop goes on at `end`
// of `code`, in `line`, null for a command line) and the variable, at
// `place`, given its start value.
inline void StartLoop(Interpreter& in, ForRecord& r, double* place, double start, double limit,
                      double step, ProgramLine* line, const uint8_t* code, size_t end) {
  r.limit = limit;
  r.step = step;
  r.line = line;
  r.code = code;
  r.offset = end;
  r.place = place;
  r.removals = in.Expressions().Vars().Removals();
  r.nextItem = nullptr;
  *place = start;
}

// One NEXT step for a loop: add the step, then decide. A NaN in the
// variable, the limit or the step ends the loop, as every comparison with
// a NaN is false; a step of 0 loops until Break.
[[gnu::always_inline]] inline int32_t StepLoop(Interpreter& in, ForRecord& r, bool& goOn) {
  double* place = LoopPlace(in, r);
  if (!place) return kErrOutOfMemory;
  double next = 0;
  if (int32_t e = AddNumbers(*place, r.step, next)) return e;
  *place = next;
  // Comparisons with a NaN are false, so only a step of 0 tests for one.
  if (r.step > 0) goOn = next <= r.limit;
  else if (r.step < 0) goOn = next >= r.limit;
  else goOn = !std::isnan(r.step) && !std::isnan(next) && !std::isnan(r.limit);
  return 0;
}

}  // namespace torvic::handlers
