// The built-in functions that act on the console through the interpreter:
// the key functions, `screen`, and the functions that read the console's
// state (cursor, colours, font, character set). Their workers reach the
// interpreter through the evaluator's environment, which in the running
// system is the interpreter's ExpressionContext; under any other environment
// (tests of the evaluator alone) they answer "?Not supported".
#pragma once

#include <cstdint>
#include <string_view>

#include "expr/functions.h"

namespace torvic {

// inkey$, get$: the next queued key as NextKey encodes it, or "".
int32_t FnNextKey(CallContext& ctx, const CValue* args, int count, CValue& result);
// screen(row, col, width, height, text, background): saves a screen image
// as SCREEN does and gives the number of images.
int32_t FnScreen(CallContext& ctx, const CValue* args, int count, CValue& result);

// column, row (csrlin): the cursor's column and row; pos(n): the column when
// n >= 0, the row when n < 0.
int32_t FnColumn(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnRow(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnPos(CallContext& ctx, const CValue* args, int count, CValue& result);
// color(n): the text colour when n >= 0 (the default), the background colour
// when n < 0.
int32_t FnColor(CallContext& ctx, const CValue* args, int count, CValue& result);
// font: the console font's size in points.
int32_t FnFont(CallContext& ctx, const CValue* args, int count, CValue& result);
// scrw, scrh: the console's size in characters, 80 and 25.
int32_t FnScrW(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnScrH(CallContext& ctx, const CValue* args, int count, CValue& result);
// select(n) or select(name$): selects the screen character set and gives
// its number; select(-1) gives the current one without changing it.
int32_t FnSelect(CallContext& ctx, const CValue* args, int count, CValue& result);

// The character set a name stands for ("ANSI" or "" 0, "GREEK" 161, ...,
// "OEM" 255; compared without regard to case), or -1 for any other name.
int32_t CharsetOfName(std::string_view name);

}  // namespace torvic
