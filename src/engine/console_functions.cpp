#include "engine/console_functions.h"

#include "base/errors.h"
#include "console/palette.h"
#include "console/screen.h"
#include "engine/expression_context.h"
#include "engine/screen_images.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

Interpreter* InterpreterOf(CallContext& ctx) {
  auto* context = dynamic_cast<ExpressionContext*>(&ctx.env);
  return context ? &context->Owner() : nullptr;
}

// The screen of the interpreter behind the call, or null.
ConsoleScreen* ScreenOf(CallContext& ctx) {
  Interpreter* in = InterpreterOf(ctx);
  return in ? &in->Screen() : nullptr;
}

}  // namespace

int32_t CharsetOfName(std::string_view name) {
  static constexpr struct {
    const char* name;
    int32_t charset;
  } kNames[] = {
      {"ANSI", 0},     {"GREEK", 161},   {"TURKISH", 162}, {"HEBREW", 177},      {"ARABIC", 178},
      {"BALTIC", 186}, {"RUSSIAN", 204}, {"OEM", 255},     {"EAST EUROPE", 238},
  };
  if (name.empty()) return 0;
  for (const auto& n : kNames)
    if (CBasicString::CompareNoCase(name, n.name) == 0) return n.charset;
  return -1;
}

int32_t FnNextKey(CallContext& ctx, const CValue*, int, CValue& result) {
  Interpreter* in = InterpreterOf(ctx);
  if (!in) return kErrNotSupported;
  result.SetString(in->NextKey());
  // A trap handler that ended with RESUME while the key was looked for.
  if (in->Reason() == StopReason::RetryStatement) in->SetReason(StopReason::None);
  return kOk;
}

int32_t FnScreen(CallContext& ctx, const CValue* args, int count, CValue& result) {
  Interpreter* in = InterpreterOf(ctx);
  if (!in) return kErrNotSupported;
  if (count != 6) return kErrInternalError;
  double a[6];
  for (int i = 0; i < 6; ++i) a[i] = args[i].number;
  size_t images;
  if (int32_t r = OpenScreenImage(*in, a, images)) return r;
  result.SetNumber(static_cast<double>(images));
  return kOk;
}

int32_t FnColumn(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  result.SetNumber(screen->Column());
  return kOk;
}

int32_t FnRow(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  result.SetNumber(screen->Row());
  return kOk;
}

int32_t FnPos(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  result.SetNumber(args[0].number < 0 ? screen->Row() : screen->Column());
  return kOk;
}

int32_t FnColor(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  result.SetNumber(args[0].number < 0 ? screen->BackColor() : screen->TextColor());
  return kOk;
}

int32_t FnFont(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  result.SetNumber(screen->FontPoints());
  return kOk;
}

int32_t FnScrW(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(kScreenColumns);
  return kOk;
}

int32_t FnScrH(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(kScreenRows);
  return kOk;
}

int32_t FnSelect(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleScreen* screen = ScreenOf(ctx);
  if (!screen) return kErrNotSupported;
  int32_t charset;
  if (args[0].IsString()) {
    charset = CharsetOfName(args[0].str.View());
  } else {
    const double n = RoundHalfUp(args[0].number);
    if (n == -1) {
      result.SetNumber(screen->Charset());
      return kOk;
    }
    charset = n >= 0 && n <= 255 ? static_cast<int32_t>(n) : -1;
  }
  if (!ConsoleScreen::IsAcceptedCharset(charset)) return kErrFunctionCallError;
  if (int32_t r = screen->SetCharacterSet(charset)) return r;
  result.SetNumber(charset);
  return kOk;
}

}  // namespace torvic
