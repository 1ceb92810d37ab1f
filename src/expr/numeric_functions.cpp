#include "expr/numeric_functions.h"

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/errors.h"
#include "expr/numeric_rules.h"
#include "expr/operators.h"
#include "expr/system_functions.h"

namespace torvic {

namespace {

// pi is the 15-digit value, not the double nearest to pi: programs compare
// against printed values, and pi * 2 = twopi must hold.
constexpr double kPi = 3.14159265358979;
constexpr double kE = 2.718281828459045;
constexpr double kHalfPi = 1.570796326794895;
constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;

// The one random seed of the interpreter.
uint32_t randomSeed = 0;

int32_t Number(CValue& result, double v) {
  result.SetNumber(v);
  return kOk;
}

// The result of a binary operator applied with the shared numeric rules.
int32_t Through(uint8_t code, double a, double b, CValue& result) {
  double v;
  if (int32_t e = NumericBinary(code, a, b, v)) return e;
  return Number(result, v);
}

// The one-number kernels' result, and the same for a library result that
// may not be a number: a NaN stands for an argument outside the function's
// domain.
inline int32_t Out(double& out, double v) {
  out = v;
  return kOk;
}
inline int32_t CheckedOut(double v, double& out) {
  if (std::isnan(v)) return kErrFunctionCallError;
  return Out(out, v);
}

// Character classes of the default locale's ASCII range; bytes 128..255
// belong to none.
bool IsUpper(uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(uint8_t c) { return c >= 'a' && c <= 'z'; }
bool IsAlpha(uint8_t c) { return IsUpper(c) || IsLower(c); }
bool IsDigit(uint8_t c) { return c >= '0' && c <= '9'; }
int HexValue(uint8_t c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The first byte of a string argument, which the character tests need.
bool FirstByte(const CValue& a, uint8_t& c) {
  if (a.str.Empty()) return false;
  c = a.str[0];
  return true;
}

int32_t ClassTest(const CValue* args, CValue& result, bool (*test)(uint8_t)) {
  uint8_t c;
  if (!FirstByte(args[0], c)) return kErrFunctionCallError;
  return Number(result, test(c) ? -1 : 0);
}

// &H hex, &O octal or &B binary digits at s[p] (s[p] is '&'), read as the
// expression compiler reads such a literal: leading zeros skipped, at most 8
// hexadecimal, 11 octal (the eleventh beginning with 3 at most) or 32 binary
// significant digits. False when no literal is there.
bool ReadRadixLiteral(std::string_view s, size_t p, double& value, bool& overflow,
                      size_t* end = nullptr) {
  if (p + 1 >= s.size()) return false;
  const char kind = static_cast<char>(s[p + 1] | 0x20);
  const int bits = kind == 'h' ? 4 : kind == 'o' ? 3 : kind == 'b' ? 1 : 0;
  if (bits == 0) return false;
  auto digit = [&](char c) {
    const int d = bits == 4 ? HexValue(static_cast<uint8_t>(c))
                            : (IsDigit(static_cast<uint8_t>(c)) ? c - '0' : -1);
    return d < (1 << bits) ? d : -1;
  };
  size_t q = p + 2;
  if (q >= s.size() || digit(s[q]) < 0) return false;
  while (q < s.size() && s[q] == '0') ++q;
  const size_t first = q;
  uint64_t v = 0;
  while (q < s.size() && digit(s[q]) >= 0) {
    if (q - first < 12) v = (v << bits) | static_cast<uint64_t>(digit(s[q]));
    ++q;
  }
  const size_t significant = q - first;
  const size_t limit = bits == 4 ? 8 : bits == 1 ? 32 : 11;
  overflow = significant > limit || (bits == 3 && significant == 11 && s[first] > '3');
  value = static_cast<double>(v);
  if (end) *end = q;
  return true;
}

// The decimal order of magnitude of a number text that does not fit in a
// double: positive means too large.
long DecimalOrder(std::string_view mantissa, std::string_view exponent) {
  long e = 0;
  bool negative = false;
  size_t i = 0;
  if (!exponent.empty() && (exponent[0] == '+' || exponent[0] == '-'))
    negative = exponent[i++] == '-';
  for (; i < exponent.size(); ++i) e = std::min(e * 10 + (exponent[i] - '0'), 100000L);
  if (negative) e = -e;
  long order = 0, intCount = 0;
  size_t k = 0;
  for (; k < mantissa.size() && mantissa[k] != '.'; ++k)
    if (mantissa[k] != '0' || intCount > 0) ++intCount;
  if (intCount > 0) {
    order = intCount;
  } else {
    for (++k; k < mantissa.size() && mantissa[k] == '0'; ++k) --order;
  }
  return e + order;
}

}  // namespace

// ---------------------------------------------------------------------------
// Random numbers.

void Randomize(uint32_t seed) { randomSeed = seed; }
uint32_t RandomSeed() { return randomSeed; }
uint32_t RandomDraw() {
  randomSeed = randomSeed * 214013u + 2531011u;
  return (randomSeed >> 16) & 0x7FFF;
}

// ---------------------------------------------------------------------------
// Constants.

int32_t FnPi(CallContext&, const CValue*, int, CValue& r) { return Number(r, kPi); }
int32_t FnTwoPi(CallContext&, const CValue*, int, CValue& r) { return Number(r, 2 * kPi); }
int32_t FnMaxNum(CallContext&, const CValue*, int, CValue& r) { return Number(r, DBL_MAX); }
int32_t FnMinNum(CallContext&, const CValue*, int, CValue& r) { return Number(r, DBL_MIN); }
int32_t FnTrue(CallContext&, const CValue*, int, CValue& r) { return Number(r, -1); }
int32_t FnFalse(CallContext&, const CValue*, int, CValue& r) { return Number(r, 0); }

// ---------------------------------------------------------------------------
// One number: the kernels (see numeric_functions.h).

namespace kernel {

int32_t Abs(double x, double& out) { return Out(out, std::fabs(x)); }
int32_t Sgn(double x, double& out) { return Out(out, x > 0 ? 1 : x < 0 ? -1 : 0); }
int32_t Int(double x, double& out) { return Out(out, std::floor(x)); }
int32_t Ceil(double x, double& out) { return Out(out, std::ceil(x)); }
int32_t Fix(double x, double& out) { return Out(out, std::trunc(x)); }
int32_t Fp(double x, double& out) { return Out(out, x - std::trunc(x)); }
int32_t Sqr(double x, double& out) {
  if (x < 0) return kErrFunctionCallError;
  return Out(out, std::sqrt(x));
}
// The real cube root: |x| ^ (1/3) with the sign of x.
int32_t Cbr(double x, double& out) {
  double v;
  if (int32_t e = NumericBinary(op::kPower, std::fabs(x), 1.0 / 3.0, v)) return e;
  return Out(out, x < 0 ? -v : v);
}
int32_t Cube(double x, double& out) { return NumericBinary(op::kPower, x, 3, out); }
int32_t Exp(double x, double& out) { return NumericBinary(op::kPower, kE, x, out); }
int32_t Exp2(double x, double& out) { return NumericBinary(op::kPower, 2, x, out); }
int32_t Exp10(double x, double& out) { return NumericBinary(op::kPower, 10, x, out); }
int32_t Log(double x, double& out) {
  if (!(x > 0)) return kErrFunctionCallError;
  return Out(out, std::log(x));
}
int32_t Log2(double x, double& out) {
  if (!(x > 0)) return kErrFunctionCallError;
  return NumericBinary(op::kDivide, std::log(x), std::log(2.0), out);
}
int32_t Log10(double x, double& out) {
  if (!(x > 0)) return kErrFunctionCallError;
  return Out(out, std::log10(x));
}
int32_t Inv(double x, double& out) { return NumericBinary(op::kDivide, 1, x, out); }
int32_t Sin(double x, double& out) { return CheckedOut(std::sin(x), out); }
int32_t Cos(double x, double& out) { return CheckedOut(std::cos(x), out); }
int32_t Tan(double x, double& out) { return CheckedOut(std::tan(x), out); }
// The reciprocal functions refuse only an exact zero below them.
int32_t Sec(double x, double& out) {
  const double c = std::cos(x);
  if (c == 0) return kErrDivisionByZero;
  return CheckedOut(1 / c, out);
}
int32_t Csc(double x, double& out) {
  const double s = std::sin(x);
  if (s == 0) return kErrDivisionByZero;
  return CheckedOut(1 / s, out);
}
int32_t Cot(double x, double& out) {
  const double t = std::tan(x);
  if (t == 0) return kErrDivisionByZero;
  return CheckedOut(1 / t, out);
}
int32_t Asin(double x, double& out) {
  if (!(x >= -1 && x <= 1)) return kErrFunctionCallError;
  return Out(out, std::asin(x));
}
int32_t Acos(double x, double& out) {
  if (!(x >= -1 && x <= 1)) return kErrFunctionCallError;
  return Out(out, std::acos(x));
}
int32_t Atn(double x, double& out) { return Out(out, std::atan(x)); }
// sinh and cosh overflow for large arguments; an infinity of either sign is
// refused, so no infinite value ever reaches a variable.
int32_t Sinh(double x, double& out) {
  const double v = std::sinh(x);
  if (std::isinf(v)) return kErrFunctionCallError;
  return Out(out, v);
}
int32_t Cosh(double x, double& out) {
  const double v = std::cosh(x);
  if (std::isinf(v)) return kErrFunctionCallError;
  return Out(out, v);
}
int32_t Tanh(double x, double& out) { return Out(out, std::tanh(x)); }
int32_t Deg(double x, double& out) {
  return NumericBinary(op::kMultiply, x, kDegreesPerRadian, out);
}
int32_t Rad(double x, double& out) {
  return NumericBinary(op::kMultiply, x, kRadiansPerDegree, out);
}

}  // namespace kernel

// rnd(0) and rnd(1): a fraction 0 <= r < 1 in steps of 1/32768; rnd(n) for
// n = 2..32767: a whole number 1..n.
int32_t FnRnd(CallContext&, const CValue* a, int, CValue& r) {
  const double n = RoundHalfUp(a[0].number);
  if (n < 0 || n > 32767) return kErrFunctionCallError;
  const double fraction = RandomDraw() / 32768.0;
  if (n <= 1) return Number(r, fraction);
  return Number(r, std::trunc(fraction * n) + 1);
}

// ---------------------------------------------------------------------------
// Two numbers.

int32_t FnMod(CallContext&, const CValue* a, int, CValue& r) {
  return Through(op::kMod, a[0].number, a[1].number, r);
}
// a - b * (a / b cut toward zero), the quotient through "/".
int32_t FnRemainder(CallContext&, const CValue* a, int, CValue& r) {
  double q;
  if (int32_t e = NumericBinary(op::kDivide, a[0].number, a[1].number, q)) return e;
  return Number(r, a[0].number - a[1].number * std::trunc(q));
}

namespace {

// The decimal-places argument of round and truncate: rounded, 0..16; the
// scale 10^places is exact for every one of them.
bool DecimalPlaces(double b, double& scale) {
  const double places = RoundHalfUp(b);
  if (!(places >= 0 && places <= 16)) return false;
  scale = std::pow(10.0, places);
  return true;
}

}  // namespace

// Rounds on the decimal text of the scaled fraction rather than on its
// binary value, so that round(2.675, 2) is 2.68 as the number is written,
// although the double nearest 2.675 lies just below it.
int32_t FnRound(CallContext&, const CValue* a, int, CValue& r) {
  double scale;
  if (!DecimalPlaces(a[1].number, scale)) return kErrFunctionCallError;
  const double x = a[0].number;
  double whole;
  const double fraction = std::modf(x, &whole);
  char text[40];
  const int n = std::snprintf(text, sizeof text, "%.1f", scale * std::fabs(fraction) + 0.5);
  // The text up to its decimal point is the count of scaled units.
  double units = 0;
  int i = 0;
  for (; i < n && IsDigit(static_cast<uint8_t>(text[i])); ++i) units = units * 10 + (text[i] - '0');
  const double v = std::fabs(whole) + units / scale;
  return Number(r, x < 0 ? -v : v);
}
int32_t FnTruncate(CallContext&, const CValue* a, int, CValue& r) {
  double scale;
  if (!DecimalPlaces(a[1].number, scale)) return kErrFunctionCallError;
  double whole;
  const double fraction = std::modf(a[0].number, &whole);
  return Number(r, whole + std::trunc(scale * fraction) / scale);
}
int32_t FnHypot(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, std::hypot(a[0].number, a[1].number));
}
int32_t FnCopySign(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, std::copysign(a[0].number, a[1].number));
}
// The angle of the point (a, b) as the arctangent of b / a: between -pi/2
// and pi/2 (a negative a does not move it to the other quadrants).
int32_t FnAngle(CallContext&, const CValue* args, int, CValue& r) {
  const double a = args[0].number, b = args[1].number;
  if (a == 0) {
    if (b == 0) return kErrFunctionCallError;
    return Number(r, b > 0 ? kHalfPi : -kHalfPi);
  }
  if (b == 0) return Number(r, 0);
  double q;
  if (int32_t e = NumericBinary(op::kDivide, b, a, q)) return e;
  return Number(r, std::atan(q));
}
// a! / (b! (a-b)!) as a * (a-1) * ... * (b+1), divided by (a-b), ..., 2.
// Every factor is at least 2 or the loops are short, so a result too large
// for a double stops them with "?Overflow error" within about a thousand
// steps.
int32_t FnComb(CallContext&, const CValue* args, int, CValue& r) {
  const double a = RoundHalfUp(args[0].number), b = RoundHalfUp(args[1].number);
  if (!(a >= 0 && b >= 0 && b <= a)) return kErrFunctionCallError;
  double v = 1;
  for (double f = a; f > b; f -= 1)
    if (int32_t e = NumericBinary(op::kMultiply, v, f, v)) return e;
  for (double f = a - b; f >= 2; f -= 1)
    if (int32_t e = NumericBinary(op::kDivide, v, f, v)) return e;
  return Number(r, v);
}
// a! / (a-b)! as (a-b+1) * ... * a; b must be below a.
int32_t FnPerm(CallContext&, const CValue* args, int, CValue& r) {
  const double a = RoundHalfUp(args[0].number), b = RoundHalfUp(args[1].number);
  if (!(a >= 0 && b >= 0 && b < a)) return kErrFunctionCallError;
  double v = 1;
  for (double f = a - b + 1; f <= a; f += 1)
    if (int32_t e = NumericBinary(op::kMultiply, v, f, v)) return e;
  return Number(r, v);
}
int32_t FnIs0(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].number == 0 ? a[1].number : a[0].number);
}
int32_t FnIsNeg(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].number < 0 ? a[1].number : a[0].number);
}
int32_t FnIsPos(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].number >= 0 ? a[1].number : a[0].number);
}

// comp and compi: -1, 0 or 1; on two strings by the string comparison
// (compi on upper-cased bytes), on two numbers by value (compi on absolute
// values). The evaluator has checked that the kinds agree.
int32_t FnComp(CallContext&, const CValue* a, int, CValue& r) {
  if (a[0].IsString()) return Number(r, CBasicString::Compare(a[0].str.View(), a[1].str.View()));
  const double x = a[0].number, y = a[1].number;
  return Number(r, x < y ? -1 : x > y ? 1 : 0);
}
int32_t FnCompI(CallContext&, const CValue* a, int, CValue& r) {
  if (a[0].IsString())
    return Number(r, CBasicString::CompareNoCase(a[0].str.View(), a[1].str.View()));
  const double x = std::fabs(a[0].number), y = std::fabs(a[1].number);
  return Number(r, x < y ? -1 : x > y ? 1 : 0);
}

// ---------------------------------------------------------------------------
// One value of either kind.

int32_t FnEmpty(CallContext&, const CValue* a, int, CValue& r) {
  const bool empty = a[0].IsString() ? a[0].str.Empty() : a[0].number == 0;
  return Number(r, empty ? -1 : 0);
}
int32_t FnFre(CallContext&, const CValue* a, int, CValue& r) {
  if (a[0].IsNumber() && a[0].number != 0) return kErrFunctionCallError;
  return Number(r, AvailableMemory());
}

// ---------------------------------------------------------------------------
// One string.

int32_t ReadLeadingNumber(std::string_view s, double& out, size_t* end) {
  out = 0;
  if (end) *end = 0;
  size_t p = 0;
  while (p < s.size() && s[p] == ' ') ++p;
  if (p < s.size() && s[p] == '&') {
    bool overflow = false;
    double v;
    if (!ReadRadixLiteral(s, p, v, overflow, end)) return kOk;
    if (overflow) return kErrOverflow;
    out = v;
    return kOk;
  }
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  auto digitAt = [&](size_t i) { return i < s.size() && IsDigit(static_cast<uint8_t>(s[i])); };
  const size_t start = p;
  while (digitAt(p)) ++p;
  if (p < s.size() && s[p] == '.' && (p > start || digitAt(p + 1))) {
    ++p;
    while (digitAt(p)) ++p;
  }
  if (p == start) return kOk;  // no number: 0
  const size_t mantissaEnd = p;
  if (p < s.size() && (s[p] == 'E' || s[p] == 'e')) {
    size_t q = p + 1;
    if (q < s.size() && (s[q] == '+' || s[q] == '-')) ++q;
    if (digitAt(q)) {
      while (digitAt(q)) ++q;
      p = q;  // an E without digits is not part of the number
    }
  }
  if (end) *end = p;
  const std::string_view text = s.substr(start, p - start);
  const std::string_view mantissa = s.substr(start, mantissaEnd - start);
  double v = 0;
  const auto res =
      std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    const std::string_view exponent =
        p > mantissaEnd ? s.substr(mantissaEnd + 1, p - mantissaEnd - 1) : "";
    return DecimalOrder(mantissa, exponent) > 0 ? kErrOverflow : kErrUnderflow;
  }
  if (res.ec != std::errc()) return kOk;
  // A non-zero number that only fits as a subnormal is an underflow, as it
  // is for a literal in an expression.
  if ((v == 0 || std::fpclassify(v) == FP_SUBNORMAL) &&
      mantissa.find_first_of("123456789") != std::string_view::npos)
    return kErrUnderflow;
  out = negative ? -v : v;
  return kOk;
}

int32_t FnVal(CallContext&, const CValue* a, int, CValue& r) {
  double v;
  if (int32_t e = ReadLeadingNumber(a[0].str.View(), v)) return e;
  return Number(r, v);
}

// dec(s, base): the number written in s in base 2, 8 or 16 (base 10 reads
// as val). Leading blanks and then zeros are skipped and digits of the base
// read up to the first other character. Significant digits allowed: 31
// binary, 7 hexadecimal and 9 octal, or 10 when the first is at most 3
// (one digit fewer than a literal allows, read the way ReadRadixLiteral
// reads its eleventh octal digit); more are "?Overflow error".
int32_t FnDec(CallContext& ctx, const CValue* a, int count, CValue& r) {
  const double base = RoundHalfUp(a[1].number);
  if (base == 10) return FnVal(ctx, a, count, r);
  if (base != 2 && base != 8 && base != 16) return kErrFunctionCallError;
  const int b = static_cast<int>(base);
  const size_t most = b == 2 ? 31 : b == 8 ? 10 : 7;
  const std::string_view s = a[0].str.View();
  size_t p = 0;
  while (p < s.size() && s[p] == ' ') ++p;
  while (p < s.size() && s[p] == '0') ++p;
  const size_t first = p;
  uint32_t value = 0;
  for (; p < s.size(); ++p) {
    const int digit = HexValue(static_cast<uint8_t>(s[p]));
    if (digit < 0 || digit >= b) break;
    if (p - first == most) return kErrOverflow;
    value = value * static_cast<uint32_t>(b) + static_cast<uint32_t>(digit);
  }
  if (b == 8 && p - first == most && s[first] > '3') return kErrOverflow;
  return Number(r, value);
}

// The first 8 bytes as a little-endian double. A NaN or an infinity is
// refused: no other operation can make one, and arithmetic on it would
// spread it unnoticed.
int32_t FnCvn(CallContext&, const CValue* a, int, CValue& r) {
  const CBasicString& s = a[0].str;
  if (s.Length() < 8) return kErrFunctionCallError;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | s[i];
  const double v = std::bit_cast<double>(bits);
  if (!std::isfinite(v)) return kErrFunctionCallError;
  return Number(r, v);
}

int32_t FnOrd(CallContext&, const CValue* a, int, CValue& r) {
  uint8_t c;
  if (!FirstByte(a[0], c)) return kErrFunctionCallError;
  return Number(r, c);
}
int32_t FnCdn(CallContext&, const CValue* a, int, CValue& r) {
  uint8_t c;
  if (!FirstByte(a[0], c) || !IsDigit(c)) return kErrFunctionCallError;
  return Number(r, c - '0');
}
int32_t FnChn(CallContext&, const CValue* a, int, CValue& r) {
  uint8_t c;
  if (!FirstByte(a[0], c) || HexValue(c) < 0) return kErrFunctionCallError;
  return Number(r, HexValue(c));
}
int32_t FnAlpha(CallContext&, const CValue* a, int, CValue& r) { return ClassTest(a, r, IsAlpha); }
int32_t FnDigit(CallContext&, const CValue* a, int, CValue& r) { return ClassTest(a, r, IsDigit); }
int32_t FnAlnum(CallContext&, const CValue* a, int, CValue& r) {
  return ClassTest(a, r, [](uint8_t c) { return IsAlpha(c) || IsDigit(c); });
}
int32_t FnHex(CallContext&, const CValue* a, int, CValue& r) {
  return ClassTest(a, r, [](uint8_t c) { return HexValue(c) >= 0; });
}
int32_t FnUpper(CallContext&, const CValue* a, int, CValue& r) { return ClassTest(a, r, IsUpper); }
int32_t FnLower(CallContext&, const CValue* a, int, CValue& r) { return ClassTest(a, r, IsLower); }
int32_t FnCntrl(CallContext&, const CValue* a, int, CValue& r) {
  return ClassTest(a, r, [](uint8_t c) { return c < 32 || c == 127; });
}
int32_t FnPrint(CallContext&, const CValue* a, int, CValue& r) {
  return ClassTest(a, r, [](uint8_t c) { return c >= 32 && c < 127; });
}
int32_t FnLen(CallContext&, const CValue* a, int, CValue& r) {
  return Number(r, a[0].str.Length());
}

}  // namespace torvic
