// The execution form: what the program loop needs of a running line's
// statements, decoded once from the compiled line and kept beside it.
//
// The compiled line stays the program's only code (it is what LIST, SAVE
// and the record readers see); the form is a cache of it. Each statement of
// a line is one FormStatement, in the order of the records:
//
//   start, end      the record's offset and the offset past its operands
//   frame           the record frame (code, operand length, column, text)
//   kind            how the loop runs it (below)
//   operand         where the fast way starts reading its operands
//
// Kinds:
//   General  the statement's handler, as for any record;
//   Assign   LET of one number target the quick way: `plan` is the
//            assignment's quick plan (expr/quick_code.h), found once
//            instead of by address on every run;
//   If       IF whose condition has a quick plan: `plan`; `after` is the
//            offset of the THEN part, `falseTarget` of what follows when the
//            condition is false;
//   Goto, Gosub  a jump to a line number: `number`, the target read at
//            `operand` (Interpreter::FindTarget finds the line).
// Anything the fast ways do not cover, and every run with a stop pending,
// takes the handler: the fast ways do what the handlers do, in the same
// order, so a program cannot tell which ran.
//
// A line's form is made the first time the program loop executes one of its
// statements, and lives as long as the code epoch (ProgramLine::CodeEpoch)
// and the evaluator's plans: any change to any line's code drops every form,
// and they are made again as the lines run. Forms live in one pool; a line
// knows where its statements start (ProgramLine::form). A statement costs
// sizeof(FormStatement) (56 bytes) whatever its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "expr/quick_code.h"
#include "frontend/compiled_line.h"
#include "frontend/program.h"

namespace torvic {

class Evaluator;

struct FormStatement {
  enum class Kind : uint8_t { General, Assign, If, Goto, Gosub };
  Kind kind = Kind::General;
  uint16_t after = 0;        // If
  uint16_t falseTarget = 0;  // If
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t operand = 0;
  uint32_t number = 0;  // Goto, Gosub
  RecordFrame frame{};
  quick::Plan plan;  // Assign, If
};

class ExecutionForms {
 public:
  explicit ExecutionForms(Evaluator& eval) : eval_(eval) {}
  ExecutionForms(const ExecutionForms&) = delete;
  ExecutionForms& operator=(const ExecutionForms&) = delete;

  // The statement of `line` whose record starts at `offset`, making the
  // line's form when it has none for this epoch; null when there is none
  // (a damaged line, no storage). The entry may move when another line's
  // form is made: callers read what they need before anything runs.
  const FormStatement* At(const ProgramLine& line, size_t offset) {
    const ProgramLine::FormSlot& slot = line.form;
    // A slot of this epoch was made into the pool as it stands: the pool is
    // only emptied when the epoch has moved on.
    if (slot.epoch != ProgramLine::CodeEpoch()) [[unlikely]]
      return Make(line, offset);
    const FormStatement* f = pool_.data() + slot.first;
    const FormStatement* last = f + slot.count;
    for (; f != last; ++f)
      if (f->start == offset) return f;
    return nullptr;
  }

  // Statements held by the forms made this epoch, and their bytes.
  size_t Statements() const { return pool_.size(); }
  size_t Bytes() const { return pool_.capacity() * sizeof(FormStatement); }

 private:
  [[gnu::noinline]] const FormStatement* Make(const ProgramLine& line, size_t offset);
  void Decode(const ProgramLine& line, FormStatement& f);

  Evaluator& eval_;
  uint64_t epoch_ = ~uint64_t{0};
  std::vector<FormStatement> pool_;
};

}  // namespace torvic
