// The built-in functions that act on the console: the key functions,
// `screen`, and the functions that read the console's state (cursor,
// colours, font, character set). Their workers reach the console through
// the evaluator's environment (EvalEnvironment::Console); an environment
// without one (tests of the evaluator alone) makes them answer "?Not
// supported".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "expr/functions.h"

namespace torvic {

// The console's size in characters, which scrw and scrh give.
inline constexpr int32_t kConsoleColumns = 80, kConsoleRows = 25;

// What the console functions ask of the running system. The interpreter
// answers from its screen, key queue and screen images
// (engine/expression_context.h).
class ConsoleAccess {
 public:
  virtual ~ConsoleAccess() = default;
  // inkey$, get$: the next queued key as the key queue encodes it, or "".
  virtual std::string NextKey() = 0;
  // screen(row, col, width, height, text, background): saves a screen
  // image as SCREEN does; `images` is then the number of images.
  virtual int32_t OpenScreenImage(const double (&args)[6], size_t& images) = 0;
  virtual int32_t CursorColumn() = 0;
  virtual int32_t CursorRow() = 0;
  virtual int32_t TextColor() = 0;
  virtual int32_t BackColor() = 0;
  virtual double FontPoints() = 0;
  virtual int32_t CharacterSet() = 0;
  // Makes `charset` the screen's character set: "?Function call error" for
  // a set the screen does not accept.
  virtual int32_t SelectCharacterSet(int32_t charset) = 0;
};

// inkey$, get$: the next queued key, or "".
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
