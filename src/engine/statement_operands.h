// Reading a statement's operand area in the order its compile routine wrote
// it (layouts: the diagram above the routine the statement table names).
//
// Every read is bounds-checked against the end of the record's operands, so
// damaged code answers "?Internal error" instead of reading past the record.
//
// A stop reason that appears while an argument is evaluated (Break, an END
// inside a user function's service) ends the statement without an error
// and without its effect. The reader notes it: once stopped, further reads
// return 0 and check nothing, so a handler reads all its arguments and asks
// Stopped() once before it acts. A handler that stopped leaves the offset
// where it was, so that CONT after Break executes the statement again.
#pragma once

#include <cstdint>

#include "base/code_reader.h"
#include "base/errors.h"
#include "engine/expression_context.h"
#include "engine/interpreter.h"

namespace torvic {

class OperandReader {
 public:
  OperandReader(Interpreter& in, const uint8_t* code, size_t offset)
      : in_(in), code_(code, in.Position().PayloadEnd()), pos_(offset) {}

  // One byte of the layout (form, flag, item code).
  int32_t Byte(uint8_t& b) { return ReadCode8(code_, pos_, b) ? 0 : kErrInternalError; }
  // The next byte without consuming it; 0 at the end of the area.
  uint8_t PeekByte() const { return pos_ < code_.size() ? code_[pos_] : 0; }

  int32_t Value(CValue& v);
  int32_t Number(double& x);
  int32_t String(CBasicString& s);
  // A number truncated toward zero that must lie in lo..hi, else `error`.
  // NaN and infinities are out of every range.
  int32_t Whole(int32_t& out, int32_t lo, int32_t hi, int32_t error = kErrCommandError);
  // A variable target (INPUT, GET, ASK): resolved to a writable place.
  int32_t Target(ResolvedRef& ref);

  bool Stopped() const { return stopped_; }
  // The statement has done its work: the offset moves past its operands.
  int32_t Done(size_t& offset) const {
    offset = in_.Position().PayloadEnd();
    return 0;
  }

  Evaluator& Eval() { return in_.Expressions().Eval(); }
  size_t& Position() { return pos_; }

 private:
  // Notes a stop reason left by an evaluation.
  int32_t Checked(int32_t result);

  Interpreter& in_;
  Code code_;
  size_t pos_;
  bool stopped_ = false;
};

// True when x, truncated toward zero, lies in lo..hi; the whole value in `out`.
bool TruncatedInRange(double x, int32_t lo, int32_t hi, int32_t& out);

}  // namespace torvic
