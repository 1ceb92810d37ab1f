// The execution form: what the program loop needs of a running line's
// statements, decoded once from the compiled line and kept beside it.
//
// The compiled line stays the program's only code (it is what LIST, SAVE
// and the record readers see); the form is a cache of it. Each statement of
// a line is one FormStatement, in the order of the records:
//
//   start, end      the record's offset and the offset past its operands
//   following       how many of the line's entries come after this one
//   frame           the record frame (code, operand length, column, text)
//   kind            how the loop runs it (below)
//   operand         where the fast way starts reading its operands
//
// Kinds:
//   General  the statement's handler, as for any record;
//   Assign   LET of one target (a number or a string) the quick way: `plan` is the
//            assignment's quick plan (expr/quick_code.h), found once
//            instead of by address on every run;
//   If       IF whose condition has a quick plan: `plan`; `after` is the
//            offset of the THEN part, `falseTarget` of what follows when the
//            condition is false; when the THEN part begins with a GOTO to a
//            number (IF ... THEN 20), the IF makes that jump itself
//            (`thenJump`, `number`), and leaves a target it cannot find to
//            the GOTO, which reports it;
//   Goto, Gosub  a jump to a line number: `number`, the target read at
//            `operand` (Interpreter::FindTarget finds the line);
//   AssignFused, IfFused  as Assign and If, for the commonest plans, run
//            without the plan: a letter target (`place`) given a letter
//            (op Letter: *left) or a number (op Number: constant), or
//            `*left op right` where right is a letter (`right`) or a number
//            (`constant`) and op one of + - * / and the comparisons. The
//            operations are the plan's own (expr/operators.h), so the
//            results, errors and rounding are the same. A letter given
//            a one-number built-in of a letter (B=LOG(K): op Kernel,
//            `kernel`) or the letter squared (A=K^2: op Square) is fused
//            as well.
//   AssignElement  as AssignFused, for a numeric array element of one
//            letter subscript (M(L)=A): the element is found first, as the
//            plan's target step finds it (its site `number` in the
//            evaluator's assignment plans, the subscript at `place`), then
//            the value is fused as for AssignFused.
//   AssignChain, IfChain  as Assign (of a letter) and If, for plans that
//            are chains (expr/quick_chain.h: K/2*3+4-5, C MOD 7=0), which
//            the runner works out in one register rather than through the
//            plan's stack.
//   Next     NEXT of no name or of one letter (`number`: the letter, or
//            kAnyLoop), when the newest loop is a letter's loop of the
//            running program and the name fits it; anything else (and
//            every error of a NEXT without its FOR) takes the handler.
//   For      FOR of a letter (`place`, `number` its index) whose start
//            and limit are number literals or letters and whose step is a
//            number literal (FOR I=1 TO N): the start `left` or `constant`,
//            the limit `right` or `loop.limit`, the step `loop.step`;
//   Return   RETURN without a target, when the newest return point is in
//            the program; one into a command line, or without a GOSUB,
//            takes the handler.
// Anything the fast ways do not cover, and every run with a stop pending,
// takes the handler: the fast ways do what the handlers do, in the same
// order, so a program cannot tell which ran.
//
// A line's form is made the first time the program loop executes one of its
// statements, and lives as long as the code epoch (ProgramLine::CodeEpoch)
// and the evaluator's plans: any change to any line's code drops every form,
// and they are made again as the lines run. Forms live in one pool; a line
// knows where its statements start (ProgramLine::form); a line has at most
// kChunk (1,024) statements in its form, any further ones run by their
// handlers. A statement costs
// sizeof(FormStatement) (112 bytes) whatever its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/errors.h"
#include "expr/operators.h"
#include "expr/quick_code.h"
#include "frontend/compiled_line.h"
#include "frontend/program.h"

namespace torvic {

class Evaluator;

struct FormStatement {
  enum class Kind : uint8_t {
    General,
    Assign,
    If,
    Goto,
    Gosub,
    AssignFused,
    IfFused,
    AssignElement,
    AssignChain,
    IfChain,
    Next,
    Return,
    For
  };
  static constexpr uint32_t kAnyLoop = 0xFF;  // Next: a NEXT without a name
  Kind kind = Kind::General;
  quick::Op op = quick::Op::Number;  // AssignFused, IfFused
  uint16_t after = 0;                // If; Next: past the name
  uint16_t falseTarget = 0;          // If
  uint16_t following = 0;            // the entries after this one in its line's form
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t operand = 0;
  // Goto, Gosub, If (THEN n); Next: the letter named, or kAnyLoop;
  // AssignElement: the target's site
  uint32_t number = 0;
  uint32_t thenJump = 0;  // If: the target item of a THEN part's leading GOTO n, or 0
  RecordFrame frame{};
  struct LoopBounds {
    double limit;  // when `right` is null
    double step;
  };
  union {
    quick::Plan plan{};  // Assign, If, AssignChain, IfChain
    LoopBounds loop;     // For
  };
  // AssignFused, IfFused; For: the variable, and the start and the limit
  // when they are letters; AssignElement: the subscript, and the value's
  // operands
  double* place = nullptr;
  const double* left = nullptr;
  union {
    const double* right = nullptr;
    int32_t (*kernel)(double x, double& out);  // op Kernel
  };
  double constant = 0;  // For: the start when `left` is null
  // Goto, Gosub, If (THEN n): the line jumped to last, found while the
  // program's shape (ProgramList::Shape) was `targetShape`; 0 for none.
  mutable ProgramLine* target = nullptr;
  mutable uint64_t targetShape = 0;
};

// The value of a fused expression (see AssignFused): kOk or the error the
// plan's operation gives.
[[gnu::always_inline]] inline int32_t FusedValue(const FormStatement& f, double& out) {
  using quick::Op;
  const double* left = f.left;
  // The right operand of the binary operations (the kernel shares its
  // place, so only they read it).
  const auto right = [&f] { return f.right ? *f.right : f.constant; };
  switch (f.op) {
    case Op::Number: out = f.constant; return kOk;
    case Op::Letter: out = *left; return kOk;
    case Op::Square: return SquareNumber(*left, out);
    case Op::Kernel: return f.kernel(*left, out);
    case Op::Add: return AddNumbers(*left, right(), out);
    case Op::Subtract: return SubtractNumbers(*left, right(), out);
    case Op::Multiply: return MultiplyNumbers(*left, right(), out);
    case Op::Divide: return DivideNumbers(*left, right(), out);
    // -1 for true, 0 for false; a NaN compares unequal to everything.
    case Op::Less: out = *left < right() ? -1 : 0; return kOk;
    case Op::Greater: out = *left > right() ? -1 : 0; return kOk;
    case Op::Equal: out = *left == right() ? -1 : 0; return kOk;
    case Op::NotEqual: out = !(*left == right()) ? -1 : 0; return kOk;
    case Op::LessEqual: out = *left <= right() ? -1 : 0; return kOk;
    case Op::GreaterEqual: out = *left >= right() ? -1 : 0; return kOk;
    default: return kErrInternalError;  // the builder makes no other
  }
}

class ExecutionForms {
 public:
  ExecutionForms() = default;
  ExecutionForms(const ExecutionForms&) = delete;
  ExecutionForms& operator=(const ExecutionForms&) = delete;

  // The statement of `line` whose record starts at `offset`, making the
  // line's form (with the plans of `eval`) when it has none for this epoch;
  // null when there is none (a damaged line, no storage). Entries stay
  // where they are until the epoch moves on; callers read what they need
  // before the statement runs, since running may change the code.
  const FormStatement* At(const ProgramLine& line, size_t offset, Evaluator& eval) {
    const ProgramLine::FormSlot& slot = line.form;
    // A slot of this epoch points into the pool as it stands: the pool is
    // only emptied when the epoch has moved on.
    if (slot.epoch != ProgramLine::CodeEpoch()) [[unlikely]]
      return Make(line, offset, eval);
    const FormStatement* f = slot.first;
    const FormStatement* last = f + slot.count;
    for (; f != last; ++f)
      if (f->start == offset) return f;
    return nullptr;
  }

  // The entry of `line`'s first record, when its form of `epoch` is made,
  // starts there (no uncompiled text first) and has a fast way; else null,
  // and At finds the statement.
  static const FormStatement* LineEntry(const ProgramLine& line, uint64_t epoch) {
    const ProgramLine::FormSlot& slot = line.form;
    return slot.epoch == epoch && slot.entry ? slot.first : nullptr;
  }

  // Statements held by the forms made this epoch, and the bytes they take.
  size_t Statements() const { return statements_; }
  size_t Bytes() const { return chunks_.size() * kChunk * sizeof(FormStatement); }

 private:
  [[gnu::noinline]] const FormStatement* Make(const ProgramLine& line, size_t offset,
                                              Evaluator& eval);
  void Decode(const ProgramLine& line, FormStatement& f, Evaluator& eval);
  // Turns an Assign or If whose plan has a fused shape into its fused kind.
  static void Fuse(FormStatement& f, bool assignment, Evaluator& eval);
  // Room for n statements in a row (n <= kChunk), kept until the epoch moves.
  FormStatement* Allocate(size_t n);

  // Storage comes in chunks, so that entries never move while they live.
  static constexpr size_t kChunk = 1024;
  uint64_t epoch_ = ~uint64_t{0};
  std::vector<std::unique_ptr<FormStatement[]>> chunks_;
  size_t used_ = kChunk;  // entries used in the last chunk
  size_t statements_ = 0;
  std::vector<FormStatement> scratch_;  // one line's statements while they are decoded
};

}  // namespace torvic
