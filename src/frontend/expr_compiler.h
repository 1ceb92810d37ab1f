// The expression compiler: source text into expression code, the postfix
// byte code that the evaluator (expr/evaluator.h) runs. Expressions are compiled
// once, when their line is entered, into the line's CodeBuffer; the items
// that name something are threaded on the line's reference chains.
//
// The expression code it writes is described in expr/expression_code.h,
// beside the item codes the evaluator reads.
//
// Every compile function returns false for malformed text; what it wrote
// is then garbage that the statement compiler cuts with CodeBuffer::Truncate
// (as it does for any failed statement). On success `pos` is just past what
// was consumed (trailing blanks are not consumed).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "expr/expression_code.h"
#include "frontend/code_buffer.h"

namespace torvic {

// The parameter names of the DEF FN being compiled (the statement compiler
// fills it from the parameter list; at most 10).
struct DefFnParams {
  static constexpr int kMax = kMaxFnParameters;
  struct Param {
    std::string name;  // upper case, without "$"
    bool isString = false;
  };
  std::array<Param, kMax> params;
  int count = 0;
  // The slot of a parameter with this name and kind, or -1.
  int Find(std::string_view name, bool isString) const;
};

// expression: compiles the expression at text[pos] (leading blanks skipped)
// and its 0 byte. With `params` (only for a DEF FN body) parameter names
// compile to items 11 and 12.
bool CompileExpression(std::string_view text, size_t& pos, CodeBuffer& out,
                       const DefFnParams* params = nullptr);

// name | name$ | name(subscripts) | name$(subscripts): a variable or array
// element reference as a target (LET, FOR, INPUT, NEXT, READ) or as a DIM or
// REDIM entry (whose subscripts are the bounds). Writes item 5..9 and, when
// `code` is given, stores the item code there so the caller can check the
// kind it needs.
bool CompileVariableReference(std::string_view text, size_t& pos, CodeBuffer& out,
                              uint8_t* code = nullptr);

// name | name$: an array named without subscripts (ERASE, CLEAR): item 5..7.
bool CompileArrayName(std::string_view text, size_t& pos, CodeBuffer& out, uint8_t* code = nullptr);

// %name: the named-constant item 10; `definition` sets its flag (the name of
// CONST itself).
bool CompileConstantName(std::string_view text, size_t& pos, CodeBuffer& out, bool definition);

// name: the name item of DEF FN (after the words DEF FN):
//   u16 link (user-function chain) | u8 1 | u8 name length | name | u8 0
// The name is also stored in *name when given.
bool CompileUserFunctionDefinitionName(std::string_view text, size_t& pos, CodeBuffer& out,
                                       std::string* name = nullptr);

// Reads a variable-style name at pos (refused when a keyword or function
// name starts there): upper-cased, 31 significant characters, with the "$"
// (blanks allowed before it) reported in *isString. Used for DEF FN
// parameter lists.
bool ReadVariableName(std::string_view text, size_t& pos, std::string& name, bool* isString);

// Skips blanks.
void SkipBlanks(std::string_view text, size_t& pos);

}  // namespace torvic
