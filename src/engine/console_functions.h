// The built-in functions that act on the console through the interpreter:
// the key functions and `screen`. Their workers reach the interpreter
// through the evaluator's environment, which in the running system is the
// interpreter's ExpressionContext; under any other environment (tests of
// the evaluator alone) they answer "?Not supported".
#pragma once

#include "expr/functions.h"

namespace torvic {

// inkey$, get$: the next queued key as NextKey encodes it, or "".
int32_t FnNextKey(CallContext& ctx, const CValue* args, int count, CValue& result);
// screen(row, col, width, height, text, background): saves a screen image
// as SCREEN does and gives the number of images.
int32_t FnScreen(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
