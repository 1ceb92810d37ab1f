// Compile routines of the variable and array statements: READ, DIM, REDIM,
// ERASE, CLEAR, OPTION, the MID$/LEFT$/RIGHT$ assignments, INC/DEC, SWAP,
// LSET/RSET, and POKE's relatives that take a target.
#include "frontend/compile_routines.h"
#include "frontend/keywords.h"

namespace torvic {

// READ target [, target ...]
//
//   target items | u8 0
bool CompileTargetList(LineCompiler& c) {
  do {
    if (!c.Target()) return false;
  } while (c.Accept(','));
  return c.out.Put8(0);
}

// DIM array(bounds) [, array(bounds) ...]                 (code 27)
//   for each array: u8 1 | element item (codes 8, 9; the subscripts are the
//   bound expressions) ; then u8 0
// REDIM [PRESERVE] array(bounds) [, ...]                  (code 92)
//   u8 1 with PRESERVE, else 0 | then as DIM
bool CompileDim(LineCompiler& c) {
  if (c.code == stmt::kRedim && !c.Option(c.AcceptWord(tok::kPreserve) ? 1 : 0)) return false;
  do {
    if (!c.out.Put8(1)) return false;
    const size_t item = c.Here();
    if (!c.Target()) return false;
    const uint8_t kind = c.out.At(item);
    if (kind != 8 && kind != 9) return false;  // an array needs its bounds
  } while (c.Accept(','));
  return c.out.Put8(0);
}

// ERASE [array [, array ...]]; CLEAR [array [, array ...]]
//
//   for each name: u8 1 | array-name item (code 5 for a one-letter numeric
//   name, 6 a longer numeric name, 7 a string name; no subscripts); u8 0. No names: all arrays
//   (CLEAR: and the scalars).
bool CompileArrayList(LineCompiler& c) {
  if (!c.AtEndOfStatement()) {
    do {
      if (!c.out.Put8(1) || !c.ArrayName()) return false;
    } while (c.Accept(','));
  }
  return c.out.Put8(0);
}

// OPTION BASE n | OPTION EXPLICIT
//
//   u8 0 | base expr    or    u8 1
bool CompileOption(LineCompiler& c) {
  if (c.AcceptWord(tok::kBase)) return c.out.Put8(0) && c.Expression();
  if (c.AcceptWord(tok::kExplicit)) return c.out.Put8(1);
  return false;
}

// MID$(target, position [, count]) = expr         (code 72)
//   target | position expr | count expr (65535 when omitted) | expr
// LEFT$(target [, count]) = expr; RIGHT$(...)     (codes 166, 177)
//   target | count expr (65535 when omitted) | expr
bool CompileMidLeftRight(LineCompiler& c) {
  if (!c.Accept('(') || !c.Target()) return false;
  if (c.code == stmt::kMid && !(c.Accept(',') && c.Expression())) return false;
  if (c.Accept(',')) {
    if (!c.Expression()) return false;
  } else if (!c.DefaultNumber(65535)) {
    return false;
  }
  return c.Accept(')') && c.Accept('=') && c.Expression();
}

// INC target; DEC target
//
//   target
bool CompileOneTarget(LineCompiler& c) { return c.Target(); }

// SWAP target, target (code 184; SWAP with line numbers is compile_program's)
//
//   target | target
bool CompileSwap(LineCompiler& c) {
  if (c.AtDigit()) {
    c.code = stmt::kSwapLines;
    return CompileLineCopy(c);
  }
  return c.Target() && c.Accept(',') && c.Target();
}

// LSET target = expr; RSET target = expr
//
//   target | expr
bool CompileLsetRset(LineCompiler& c) { return c.Target() && c.Accept('=') && c.Expression(); }

}  // namespace torvic
