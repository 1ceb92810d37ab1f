// The statements that create, change and remove variables: LET, DIM,
// REDIM, ERASE, CLEAR, OPTION BASE / EXPLICIT, CONST, DEF FN, DEF USR, and
// SWAP / INC / DEC (keywords that answer "?Not supported"). Each runs on its
// compiled operand area (a span over the compiled line and the offset of the
// operand area) and returns a BASIC error code. A failing statement leaves
// earlier effects in place (arrays created before the failing one, targets
// created before the failure).
//
// Operand areas (items are expression code, expression_code.h; "ref" is a
// variable item 5..9 from CompileVariableReference, "array" an array name
// item 5..7 from CompileArrayName, "element" an item 8 or 9 whose subscript
// expressions are the bounds):
//
//   LET      for each group: u8 1 | ref ... | u8 0 | expr ; then u8 0
//   DIM      for each array: u8 1 | element ; then u8 0
//   REDIM    u8 preserve (1 with PRESERVE) | as DIM
//   ERASE    array ... | u8 0            (no names: every array)
//   CLEAR    array ... | u8 0            (no names: scalars and arrays)
//   OPTION   u8 0 | expr base            OPTION BASE (0 or 1 after rounding)
//            u8 1                        OPTION EXPLICIT
//   CONST    constant item 10 with flag 1 | expr
//   DEF FN   u16 link | u8 1 | u8 length | name | u8 0 | u8 parameter count |
//            u16 offset in the line of the byte after the body | body expr
//   DEF USR  u8 slot digit | expr
//   INC/DEC  ref
//   SWAP     anything (not looked at)
#pragma once

#include <cstdint>

#include "expr/evaluator.h"

namespace torvic {

int32_t ExecuteLet(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteDim(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteRedim(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteErase(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteClear(Evaluator& ev, Code code, size_t pos);
// CLEAR without names, also CLR alone: the scalars reset (unless the CLEAR
// option at settings address 12420 keeps them), every array zeroed with its
// shape kept.
void ClearVariables(Evaluator& ev);
int32_t ExecuteOption(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteConst(Evaluator& ev, Code code, size_t pos);
// `line` identifies the program line that holds the definition.
int32_t ExecuteDefFn(Evaluator& ev, Code code, size_t pos, const void* line);
int32_t ExecuteDefUsr(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteIncDec(Evaluator& ev, Code code, size_t pos);
int32_t ExecuteSwap(Evaluator& ev, Code code, size_t pos);

}  // namespace torvic
