// The state of one line being compiled and the operand building blocks that
// every statement's compile routine is made of. Internal to the statement
// compiler (compiler*.cpp); the public entry points are in compiler.h.
//
// Building blocks (an operand area is a sequence of these, in source order):
//
//   expression      expression code ending in its 0 byte
//   default number  u8 1 | f64 value | u8 0        (an expression of one literal)
//   default item    u8 code 128..133 | u8 0         (an expression of one current setting)
//   presence byte   u8 1 and the argument, or u8 0 alone
//   option byte     u8 value (a letter option, or 1 for ON / 0 for OFF)
//   jump target     10-byte line-number item, or the label item:
//                     u8 1 | u16 link (label chain) | u8 0 | u8 length | name | u8 0
//   small number    u16, digits only (not on the jump-target chain, never renumbered)
//   range           u32 first | u8 kind (0 single line, 1 range) | u32 last
//                     (a missing number is all bits set, read as "open")
//   range list      { u8 1 | range } ... u8 0
//
// Routines return false to fail the statement; the caller rolls back the
// output and writes the 250 record, so no routine cleans up after itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/code_buffer.h"

namespace torvic {

// One entry of the DEF FN parameter table: a parameter's name (upper case)
// and whether it is a string parameter (written with "$").
struct FnParameter {
  std::string name;
  bool isString = false;
};

struct LineCompiler {
  std::string_view text;
  size_t pos = 0;
  CodeBuffer& out;
  int ifDepth = -1;   // raised by one for each IF being compiled on this line
  size_t record = 0;  // frame of the statement being compiled
  uint8_t code = 0;   // its record code; routines replace it when remapped
  int token = 0;      // the keyword token the statement started with
  // The parameters of the DEF FN body being compiled, else null.
  const std::vector<FnParameter>* fnParameters = nullptr;

  LineCompiler(std::string_view t, CodeBuffer& o) : text(t), out(o) {}

  // --- reading the source -------------------------------------------------
  void SkipSpaces();
  char Peek();              // next non-space character, or 0 at the end
  bool Accept(char c);      // skips spaces; consumes c when it is next
  bool AtEndOfStatement();  // skips spaces; the end-of-statement test
  bool AtDigit() { return Peek() >= '0' && Peek() <= '9'; }
  // The next word's token (spaces skipped) without consuming it, or -1.
  int PeekWord();
  // Consumes the next word when it is `token`.
  bool AcceptWord(int word);
  // Consumes the letters `lower` (case-insensitive) when they come next.
  bool AcceptLetters(std::string_view lower);

  // --- building blocks ----------------------------------------------------
  bool Expression();                   // any expression
  bool ExpressionOr(double fallback);  // an expression, or the default number when omitted
  // A DEF FN body: an expression in which the parameter names compile to
  // parameter references (codes 11 and 12 with the slot index).
  bool FnBody(const std::vector<FnParameter>& parameters);
  bool DefaultNumber(double value);
  bool DefaultItem(uint8_t itemCode);
  bool Option(uint8_t value) { return out.Put8(value); }
  // A variable or array-element reference, as an assignment target.
  bool Target();
  // A bare array name (no subscripts), as ERASE and CLEAR name arrays.
  bool ArrayName();
  // A jump target: digits (line number) or "*" and a label. A line number
  // goes on the jump-target chain unless it is 0 and `zeroOffChain`.
  bool JumpTarget(bool zeroOffChain = false);
  bool AtJumpTarget() { return AtDigit() || Peek() == '*'; }
  bool SmallLineNumber();  // u16 from digits only
  bool SmallLineNumberOr(uint16_t fallback);
  bool LineNumber32Or(uint32_t fallback);  // u32 from digits, or fallback when none
  bool Range();                            // one 9-byte range
  bool RangeList(bool mayBeEmpty);
  // Reserves a u16 to be patched later; 0 when it did not fit (Failed()).
  size_t ReserveU16() { return out.Reserve(2); }
  void PatchU16(size_t at, size_t value) {
    if (at != 0 && !out.Failed()) out.Patch16(at, static_cast<uint16_t>(value));
  }
  size_t Here() const { return out.Size(); }
};

// Statement compile routines of each family (compile_*.cpp); the dispatch
// table in compiler.cpp names them by token.
using CompileRoutine = bool (*)(LineCompiler&);

// Compiles one statement at c.pos: nothing for an empty statement; the
// statement's record, or a 250 record when it fails. Leaves c.pos at the
// statement's end (an end of statement).
void CompileStatement(LineCompiler& c);
// Rolls the output back to `record` and writes the 250 record for the text
// from `start` to the next end of statement (at or after c.pos); moves c.pos
// there.
void WriteUncompiled(LineCompiler& c, size_t record, size_t start);
// Writes a complete GOTO record (code 48) for a jump target standing alone:
// the implied GOTO after THEN and ELSE. It fails into a 250 record like any
// statement when the target is malformed or not followed by an end of
// statement.
void CompileImpliedGoto(LineCompiler& c);
// Compiles statements separated by ":" until "'", ELSE, END IF or the end of
// the line: the THEN and ELSE parts of an IF and the statements after a
// stray ELSE.
void CompileStatementRun(LineCompiler& c);

}  // namespace torvic
