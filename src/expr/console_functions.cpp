#include "expr/console_functions.h"

#include "base/errors.h"
#include "expr/evaluator.h"
#include "expr/numeric_rules.h"

namespace torvic {

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
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetString(console->NextKey());
  return kOk;
}

int32_t FnScreen(CallContext& ctx, const CValue* args, int count, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  if (count != 6) return kErrInternalError;
  double a[6];
  for (int i = 0; i < 6; ++i) a[i] = args[i].number;
  size_t images;
  if (int32_t r = console->OpenScreenImage(a, images)) return r;
  result.SetNumber(static_cast<double>(images));
  return kOk;
}

int32_t FnColumn(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetNumber(console->CursorColumn());
  return kOk;
}

int32_t FnRow(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetNumber(console->CursorRow());
  return kOk;
}

int32_t FnPos(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetNumber(args[0].number < 0 ? console->CursorRow() : console->CursorColumn());
  return kOk;
}

int32_t FnColor(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetNumber(args[0].number < 0 ? console->BackColor() : console->TextColor());
  return kOk;
}

int32_t FnFont(CallContext& ctx, const CValue*, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  result.SetNumber(console->FontPoints());
  return kOk;
}

int32_t FnScrW(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(kConsoleColumns);
  return kOk;
}

int32_t FnScrH(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(kConsoleRows);
  return kOk;
}

int32_t FnSelect(CallContext& ctx, const CValue* args, int, CValue& result) {
  ConsoleAccess* console = ctx.env.Console();
  if (!console) return kErrNotSupported;
  int32_t charset;
  if (args[0].IsString()) {
    charset = CharsetOfName(args[0].str.View());
  } else {
    const double n = RoundHalfUp(args[0].number);
    if (n == -1) {
      result.SetNumber(console->CharacterSet());
      return kOk;
    }
    charset = n >= 0 && n <= 255 ? static_cast<int32_t>(n) : -1;
  }
  if (int32_t r = console->SelectCharacterSet(charset)) return r;
  result.SetNumber(charset);
  return kOk;
}

}  // namespace torvic
