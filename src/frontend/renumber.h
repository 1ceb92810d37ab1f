// Renumbering the program (RENUM, RES, RESEQUENCE) and removing the numbers
// nothing jumps to (UNNUM).
//
// Both work on the jump-target chains of the compiled lines
// (reference_chains.h): a line-number item keeps the column and digit count
// of its number in the line's text, so RENUM can rewrite the number in the
// item and the digits in the text together. Small line numbers (RENUM's own
// operands, LIST ranges, RECALL) are not jump targets and never change.
#pragma once

#include <cstdint>
#include <functional>

#include "frontend/program.h"

namespace torvic {

struct RenumberRequest {
  uint16_t start = 10;             // the first new number
  uint32_t first = kNoLineNumber;  // renumber from the first line numbered at least this;
                                   // all bits set: from the start of the program
  uint16_t step = 10;
  bool keepUnnumbered = false;  // unnumbered lines stay unnumbered
};

struct RenumberResult {
  enum Kind {
    Renumbered,      // numbers, items and texts rewritten; modified flag set
    NothingChanged,  // every line already has its planned number
    OrderError,      // a number would not stand above the one before, or pass 65535
    LineTooLong,     // `line` would reach 256 characters; nothing was changed
  } kind = NothingChanged;
  const ProgramLine* line = nullptr;
};

// A jump target in `line` that names no line (reported while the rewrite
// goes on).
using MissingTargetReport = std::function<void(const ProgramLine& line, uint32_t number)>;

// Renumbers in three passes: plan the new numbers (nothing is changed when
// that fails), check that no text grows to 256 characters (nothing changed
// either), then rewrite every jump target that names a renumbered line:
// its item, its digits in the text, and the columns of everything after it
// in the line. Finally the lines take their new numbers.
//
// The start and step must not be 0 (the caller's "?Command error").
RenumberResult Renumber(ProgramList& program, const RenumberRequest& request,
                        const MissingTargetReport& onMissing);

// UNNUM: every numbered line that no jump target of any line names becomes
// unnumbered. True (and the modified flag set) when a line lost its number.
bool Unnumber(ProgramList& program);

}  // namespace torvic
