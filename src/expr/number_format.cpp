#include "expr/number_format.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/errors.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

// Appends one printf conversion to s; the stack buffer serves every field
// of ordinary width, so only very wide fields make s grow.
__attribute__((format(printf, 2, 3))) void AppendPrintf(std::string& s, const char* fmt, ...) {
  char buf[128];
  va_list ap, again;
  va_start(ap, fmt);
  va_copy(again, ap);
  const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  if (n >= 0 && static_cast<size_t>(n) < sizeof buf) {
    s.append(buf, static_cast<size_t>(n));
  } else if (n > 0) {
    const size_t old = s.size();
    s.resize(old + static_cast<size_t>(n) + 1);
    std::vsnprintf(s.data() + old, static_cast<size_t>(n) + 1, fmt, again);
    s.resize(old + static_cast<size_t>(n));
  }
  va_end(again);
}

// Appends t, or answers "?String too long" when the result would reach
// 65536 bytes (the format language never clamps silently).
int32_t Emit(CBasicString& out, std::string_view t) {
  if (!out.FitsAppend(static_cast<int64_t>(t.size()))) return kErrStringTooLong;
  out.Append(t);
  return kOk;
}

// Appends t padded to `width` with `fill`: on the left (right-aligned) or on
// the right.
int32_t EmitPadded(CBasicString& out, std::string_view t, size_t width, char fill, bool padLeft) {
  const size_t pad = t.size() < width ? width - t.size() : 0;
  if (!out.FitsAppend(static_cast<int64_t>(t.size() + pad))) return kErrStringTooLong;
  const std::string_view fillText(&fill, 1);
  if (padLeft) out.AppendRepeated(fillText, static_cast<int64_t>(pad));
  out.Append(t);
  if (!padLeft) out.AppendRepeated(fillText, static_cast<int64_t>(pad));
  return kOk;
}

}  // namespace

// ---------------------------------------------------------------------------

size_t FreeFormat(double x, char* buf, bool leadingBlank) {
  // Negative zero (the negation of 0) is zero: it prints as 0, not -0.
  if (x == 0) x = 0;
  size_t n = 0;
  if (leadingBlank && !(x < 0)) buf[n++] = ' ';
  // A whole number of at most fifteen digits prints as its digits.
  if (x > -1e15 && x < 1e15) {
    const auto whole = static_cast<int64_t>(x);
    if (static_cast<double>(whole) == x)
      return static_cast<size_t>(std::to_chars(buf + n, buf + kFreeFormatBuffer, whole).ptr - buf);
  }
  // Otherwise fifteen significant digits, trailing zeros dropped, the exponent form
  // where printf's %.15G would choose it: to_chars follows the same rules
  // (and rounds as exactly) without parsing a format for every number.
  const std::to_chars_result r =
      std::to_chars(buf + n, buf + kFreeFormatBuffer, x, std::chars_format::general, 15);
  if (r.ec != std::errc()) return n;
  for (char* c = buf + n; c != r.ptr; ++c)
    if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
  return static_cast<size_t>(r.ptr - buf);
}

void AppendFreeFormat(CBasicString& out, double x, bool leadingBlank) {
  char buf[kFreeFormatBuffer];
  out.Append(std::string_view(buf, FreeFormat(x, buf, leadingBlank)));
}

std::string FreeFormatText(double x, bool leadingBlank) {
  char buf[kFreeFormatBuffer];
  return std::string(buf, FreeFormat(x, buf, leadingBlank));
}

int32_t AppendRadixDigits(CBasicString& out, double x, int radix) {
  const double r = RoundHalfUp(x);
  if (!(r >= 0 && r < 4294967296.0)) return kErrFunctionCallError;
  uint32_t v = static_cast<uint32_t>(r);
  char buf[32];
  size_t at = sizeof buf;
  do {
    buf[--at] = "0123456789ABCDEF"[v % static_cast<uint32_t>(radix)];
    v /= static_cast<uint32_t>(radix);
  } while (v != 0);
  out.Append(std::string_view(buf + at, sizeof buf - at));
  return kOk;
}

void AppendNumberImage(CBasicString& out, double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  char bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(bits >> (8 * i));
  out.Append(std::string_view(bytes, 8));
}

// ---------------------------------------------------------------------------
// The format language.

struct UsingFormat::Field {
  FieldKind kind = FieldKind::None;
  size_t end = 0;    // position after the field
  size_t width = 0;  // characters it fills ("^^^^" counts 5)
  // Numeric fields.
  int intDigits = 0, decimals = 0;
  bool point = false, comma = false, exponent = false, star = false, dollar = false;
  bool plusLead = false, plusTrail = false, minusTrail = false;
  // String fields: '!', '&', '\\' (left-aligned; the "%" form too) or '/'.
  char form = 0;
};

namespace {

using Field = UsingFormat::Field;

// The text of x in numeric field f, before padding: digits, point, commas,
// "$" and the sign.
void NumericFieldText(const Field& f, double x, std::string& s) {
  s.clear();
  const int w = static_cast<int>(f.width), d = f.decimals;
  const double ax = std::fabs(x);
  if (f.exponent || (x != 0 && std::fabs(std::log10(ax)) >= w)) {
    // Exponent form: mantissa and exponent of the 15-digit exponent text,
    // the mantissa rescaled so that the field's integer digits are used.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", ax);
    char* ePos = std::strchr(buf, 'E');
    int e = 0;
    if (ePos) {
      e = std::atoi(ePos + 1);
      *ePos = '\0';  // the mantissa alone
    }
    double m = std::strtod(buf, nullptr);
    const int k = w - d - 5 - (f.point ? 1 : 0) - (f.dollar ? 1 : 0);
    int i = k - 1;
    // A field with room neither for an integer digit nor for decimals would
    // show no digit at all ("E+003" for 123 in "##"): it gets one integer
    // digit instead, and then the "%" of a too-wide result.
    if (i < 1 && d == 0) i = 1;
    if (m != 0) {
      const int power = i < 1 ? -1 : i - 1;
      m *= std::pow(10.0, power);
      e -= power;
    }
    const int width = std::max(0, f.point ? i + d + 1 : i + d);
    AppendPrintf(s, "%*.*fE%c%03i", width, d, m, e < 0 ? '-' : '+', std::abs(e));
    if (i < 1 && !s.empty()) s.erase(0, 1);
  } else {
    if (f.point && d >= 1) {
      AppendPrintf(s, "%.*f", d, ax);
      if (f.intDigits == 0 && !s.empty() && s[0] == '0') s.erase(0, 1);
    } else {
      // Whole numbers are rounded half up before the sign is applied.
      AppendPrintf(s, f.point ? "%.f." : "%.f", std::fabs(RoundHalfUp(x)));
    }
    if (f.comma) {
      size_t run = 0;
      while (run < s.size() && s[run] >= '0' && s[run] <= '9') ++run;
      for (size_t at = run; at > 3; at -= 3) s.insert(at - 3, 1, ',');
    }
  }
  if (f.dollar) s.insert(0, 1, '$');
  const bool showSign = x < 0 || f.plusLead || f.plusTrail;
  const char sign = x < 0 ? '-' : '+';
  if (f.plusTrail || f.minusTrail) s.push_back(showSign ? sign : ' ');
  else if (showSign) s.insert(0, 1, sign);
}

int32_t EmitNumber(CBasicString& out, const Field& f, double x) {
  // One scratch text for every field: formatting does not allocate once it
  // has grown to the widest field seen.
  static std::string text;
  NumericFieldText(f, x, text);
  if (text.size() > f.width) {
    // Too wide: shown whole, marked with a "%" in front.
    if (!out.FitsAppend(static_cast<int64_t>(text.size()) + 1)) return kErrStringTooLong;
    out.AppendByte('%');
    out.Append(text);
    return kOk;
  }
  return EmitPadded(out, text, f.width, f.star ? '*' : ' ', true);
}

int32_t EmitString(CBasicString& out, const Field& f, std::string_view s) {
  switch (f.form) {
    case '!': {
      const char c = s.empty() || s[0] == '\0' ? ' ' : s[0];
      return Emit(out, std::string_view(&c, 1));
    }
    case '&': return Emit(out, s);
    case '/': return EmitPadded(out, s.substr(0, f.width), f.width, ' ', true);
    default: return EmitPadded(out, s.substr(0, f.width), f.width, ' ', false);
  }
}

}  // namespace

// [+] [** [$] | $$] #... [,] [. #...] [^^^^] [+|-]  |  !  |  &  |  \...\  |
// % blanks %  |  /.../
bool UsingFormat::FieldAt(size_t p, Field& f) const {
  const std::string_view s = format_;
  const size_t n = s.size();
  f = Field{};
  switch (s[p]) {
    case '!':
    case '&':
      f.kind = FieldKind::String;
      f.form = s[p];
      f.end = p + 1;
      f.width = 1;
      return true;
    case '\\':
    case '/':
    case '%': {
      size_t q = p + 1;
      if (s[p] == '%') {
        while (q < n && s[q] == ' ') ++q;
        if (q >= n || s[q] != '%') return false;
      } else {
        q = s.find(s[p], p + 1);
        if (q == std::string_view::npos) return false;
      }
      f.kind = FieldKind::String;
      f.form = s[p] == '/' ? '/' : '\\';
      f.width = q - p + 1;
      f.end = q + 1;
      return true;
    }
    default: break;
  }
  size_t q = p;
  if (s[q] == '+') {
    f.plusLead = true;
    ++q;
  }
  if (q + 1 < n && s[q] == '*' && s[q + 1] == '*') {
    f.star = true;
    q += 2;
    if (q < n && s[q] == '$') {
      f.dollar = true;
      ++q;
    }
  } else if (q + 1 < n && s[q] == '$' && s[q + 1] == '$') {
    f.dollar = true;
    q += 2;
  }
  while (q < n && s[q] == '#') {
    ++f.intDigits;
    ++q;
  }
  if (f.intDigits > 0 && q < n && s[q] == ',') {
    f.comma = true;
    ++q;
  }
  if (q < n && s[q] == '.') {
    size_t r = q + 1;
    int places = 0;
    while (r < n && s[r] == '#') {
      ++places;
      ++r;
    }
    // A point starts or continues a field only with digit positions around.
    if (f.intDigits > 0 || places > 0) {
      f.point = true;
      f.decimals = places;
      q = r;
    }
  }
  if (f.intDigits == 0 && f.decimals == 0) return false;
  if (s.substr(q, 4) == "^^^^") {
    f.exponent = true;
    q += 4;
  }
  if (!f.plusLead && q < n && (s[q] == '+' || s[q] == '-')) {
    (s[q] == '+' ? f.plusTrail : f.minusTrail) = true;
    ++q;
  }
  f.kind = FieldKind::Number;
  f.end = q;
  f.width = q - p + (f.exponent ? 1 : 0);  // an exponent always takes five characters
  return true;
}

int32_t UsingFormat::Literal(CBasicString& out) {
  const size_t n = format_.size();
  size_t run = pos_;  // start of the plain text not yet written
  Field f;
  while (pos_ < n) {
    const char c = format_[pos_];
    if (c != '_' && !FieldAt(pos_, f)) {
      ++pos_;
      continue;
    }
    if (int32_t e = Emit(out, format_.substr(run, pos_ - run))) return e;
    if (c != '_') return kOk;  // at a field
    // "_" makes the next character literal; a "_" at the very end is itself.
    const size_t take = pos_ + 1 < n ? pos_ + 1 : pos_;
    if (int32_t e = Emit(out, format_.substr(take, 1))) return e;
    pos_ = take + 1;
    run = pos_;
  }
  return Emit(out, format_.substr(run, pos_ - run));
}

bool UsingFormat::HasField() const {
  if (hasField_ < 0) {
    hasField_ = 0;
    Field f;
    for (size_t p = 0; p < format_.size(); ++p) {
      if (format_[p] == '_') {
        ++p;  // the escaped character is text
      } else if (FieldAt(p, f)) {
        hasField_ = 1;
        first_ = p;
        break;
      }
    }
  }
  return hasField_ == 1;
}

int32_t UsingFormat::Start(CBasicString& out) {
  pos_ = 0;
  return Literal(out);
}

FieldKind UsingFormat::Kind() const {
  if (!HasField()) return FieldKind::None;
  // At the end of the format the next value starts it again: its first field.
  Field f;
  return FieldAt(pos_ < format_.size() ? pos_ : first_, f) ? f.kind : FieldKind::None;
}

int32_t UsingFormat::Put(const CValue& v, CBasicString& out) {
  if (!HasField()) return kOk;  // a format of text alone uses no values
  if (Kind() != (v.IsNumber() ? FieldKind::Number : FieldKind::String)) return kErrTypeMismatch;
  if (pos_ >= format_.size()) {
    pos_ = 0;
    if (int32_t e = Literal(out)) return e;
  }
  Field f;
  FieldAt(pos_, f);
  if (int32_t e = v.IsNumber() ? EmitNumber(out, f, v.number) : EmitString(out, f, v.str.View()))
    return e;
  pos_ = f.end;
  return Literal(out);
}

int32_t FormatUsing(CBasicString& out, std::string_view format, const CValue* values, int count) {
  UsingFormat f(format);
  if (int32_t e = f.Start(out)) return e;
  for (int i = 0; i < count; ++i)
    if (int32_t e = f.Put(values[i], out)) return e;
  return kOk;
}

// ---------------------------------------------------------------------------
// Workers.

int32_t FnStr(CallContext&, const CValue* a, int, CValue& r) {
  AppendFreeFormat(r.MakeString(), a[0].number);
  return kOk;
}
int32_t FnHexText(CallContext&, const CValue* a, int, CValue& r) {
  return AppendRadixDigits(r.MakeString(), a[0].number, 16);
}
int32_t FnOctText(CallContext&, const CValue* a, int, CValue& r) {
  return AppendRadixDigits(r.MakeString(), a[0].number, 8);
}
int32_t FnBinText(CallContext&, const CValue* a, int, CValue& r) {
  return AppendRadixDigits(r.MakeString(), a[0].number, 2);
}
int32_t FnMkn(CallContext&, const CValue* a, int, CValue& r) {
  AppendNumberImage(r.MakeString(), a[0].number);
  return kOk;
}
// using$(format, values...): the evaluator has checked that the format is a
// string and that at least one value follows.
int32_t FnUsing(CallContext&, const CValue* a, int count, CValue& r) {
  return FormatUsing(r.MakeString(), a[0].str.View(), a + 1, count - 1);
}

}  // namespace torvic
