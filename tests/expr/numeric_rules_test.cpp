// The shared numeric rules and the numeric operators against plain
// reference computations: 15-digit rounding against "%.15G" and strtod, and
// every numeric binary operator against the straightforward computation that
// brackets pow with the floating-point environment and checks each result in
// full. Results are compared bit for bit (the sign of zero included), errors
// by code.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "base/errors.h"
#include "expr/numeric_rules.h"
#include "expr/operators.h"

namespace torvic::testing {
namespace {

// ---------------------------------------------------------------------------
// References.

double ReferenceRound15(double x) {
  if (!std::isfinite(x) || x == std::trunc(x)) return x;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", x);
  return std::strtod(buf, nullptr);
}

int32_t ReferenceResultError(double a, double b, double r, bool product) {
  if (std::isfinite(r) && r != 0 && std::fpclassify(r) != FP_SUBNORMAL) return kOk;
  if (std::isnan(r)) return (std::isnan(a) || std::isnan(b)) ? kOk : kErrFunctionCallError;
  if (std::isinf(r)) return (std::isinf(a) || std::isinf(b)) ? kOk : kErrOverflow;
  if (!product) return kOk;
  if (r == 0) return (a != 0 && b != 0 && !std::isinf(b)) ? kErrUnderflow : kOk;
  return kErrUnderflow;
}

int32_t ReferenceBinary(uint8_t code, double a, double b, double& out) {
  double r;
  switch (code) {
    case op::kPower: {
      std::feclearexcept(FE_ALL_EXCEPT);
      r = std::pow(a, b);
      const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW);
      if (raised & FE_DIVBYZERO) return kErrDivisionByZero;
      if (raised & FE_INVALID) return kErrFunctionCallError;
      if (raised & FE_OVERFLOW) return kErrOverflow;
      if (raised & FE_UNDERFLOW) return kErrUnderflow;
      if (int32_t e = ReferenceResultError(a, b, r, true)) return e;
      break;
    }
    case op::kMultiply:
      r = a * b;
      if (int32_t e = ReferenceResultError(a, b, r, true)) return e;
      break;
    case op::kDivide:
      if (b == 0) return kErrDivisionByZero;
      r = a / b;
      if (int32_t e = ReferenceResultError(a, b, r, true)) return e;
      break;
    case op::kPlus:
      r = a + b;
      if (int32_t e = ReferenceResultError(a, b, r, false)) return e;
      break;
    case op::kMinus:
      r = a - b;
      if (int32_t e = ReferenceResultError(a, b, r, false)) return e;
      break;
    case op::kDiv:
      if (b == 0) return kErrDivisionByZero;
      r = a / b;
      if (int32_t e = ReferenceResultError(a, b, r, true)) return e;
      out = std::trunc(r);
      return kOk;
    default: {  // \ and MOD
      const double x = std::floor(a + 0.5), y = std::floor(b + 0.5);
      auto fits = [](double v) { return v > -2147483649.0 && v < 2147483648.0; };
      if (!fits(x) || !fits(y)) return kErrFunctionCallError;
      const int32_t i = static_cast<int32_t>(x), j = static_cast<int32_t>(y);
      if (j == 0) return kErrDivisionByZero;
      if (i == INT32_MIN && j == -1) return kErrOverflow;
      out = code == op::kIntDivide ? i / j : i % j;
      return kOk;
    }
  }
  out = ReferenceRound15(r);
  return kOk;
}

double ReferenceCompare(uint8_t code, double a, double b) {
  const int c = a < b ? -1 : (a > b ? 1 : (a == b ? 0 : 2));
  bool t = false;
  switch (code) {
    case op::kEqual: t = c == 0; break;
    case op::kNotEqual: t = c != 0; break;
    case op::kLess: t = c == -1; break;
    case op::kGreater: t = c == 1; break;
    case op::kLessEqual: t = c == -1 || c == 0; break;
    case op::kGreaterEqual: t = c == 1 || c == 0; break;
  }
  return t ? -1 : 0;
}

uint64_t Bits(double x) { return std::bit_cast<uint64_t>(x); }

// ---------------------------------------------------------------------------
// 15-digit rounding.

// Both signs of: random magnitudes over the decades that programs use, random
// bit patterns over the whole range (subnormals included), the neighbours of
// every power of ten and of the values just below one (where the rounding
// carries into the next decade), exact ties at the fifteenth digit, the
// binary fractions at the edge of the sixteenths shortcut, and fractions
// between 2^47 and 2^52 where the fifteen digits end at or above the point.
std::vector<double> RoundingInputs() {
  std::vector<double> v = {0.0,
                           DBL_MIN,
                           DBL_TRUE_MIN,
                           DBL_MAX,
                           INFINITY,
                           NAN,
                           0.5,
                           0.1 + 0.2,
                           1.0 / 3,
                           99999999999.0625,
                           100000000000.0625,
                           99999999999.9375,
                           123456789012345.5,
                           123456789012346.5,
                           0x1p52 - 0.5,
                           0x1p50 + 0.25,
                           999999999999999.5,
                           1e15 + 0.5,
                           1e-8 / 3,
                           1e-9 / 3,
                           1e22 / 3};
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> decade(-30, 30);
  for (int i = 0; i < 60000; ++i) v.push_back(std::pow(10.0, decade(rng)));
  for (int i = 0; i < 60000; ++i) v.push_back(std::abs(std::bit_cast<double>(rng() >> 1)));
  for (int i = 0; i < 20000; ++i)
    v.push_back(std::ldexp(static_cast<double>(rng() >> 11), -(int)(rng() % 9) - 1) +
                static_cast<double>(rng() % 100000));
  for (int i = 0; i < 20000; ++i)
    v.push_back(0x1p47 + std::ldexp(static_cast<double>(rng() >> 12), -(int)(rng() % 6)));
  for (int k = -40; k <= 30; ++k) {
    const double p = std::pow(10.0, k);
    for (double f : {1.0, 9.99999999999999, 9.999999999999995, 9.9999999999999995,
                     1.000000000000005, 5.0000000000000050})
      v.push_back(p * f);
  }
  // Exact ties: a 15-digit integer plus one half, scaled by a power of two
  // so that the tie sits at the fifteenth digit of a smaller number too.
  for (int i = 0; i < 2000; ++i) {
    const double tie = static_cast<double>(100000000000000 + rng() % 900000000000000) + 0.5;
    for (int s : {0, -1, -3, -10, -20}) v.push_back(std::ldexp(tie, s));
  }
  for (int n = 1; n <= 3000; ++n) v.push_back(n / 16.0 + 99999990000.0);
  const size_t base = v.size();
  for (size_t i = 0; i < base; ++i) {
    for (int step = 0; step < 2; ++step) {
      v.push_back(std::nextafter(v[i], 0.0));
      v.push_back(std::nextafter(v[i], INFINITY));
    }
  }
  for (size_t i = 0, n = v.size(); i < n; ++i) v.push_back(-v[i]);
  return v;
}

TEST(NumericRules, Round15AgreesWithPrintfAndStrtodBitForBit) {
  int failures = 0;
  for (double x : RoundingInputs()) {
    const double want = ReferenceRound15(x);
    const double got = Round15(x);
    if (Bits(got) != Bits(want) && !(std::isnan(got) && std::isnan(want))) {
      ADD_FAILURE() << std::hexfloat << x << ": " << got << " instead of " << want;
      if (++failures > 20) return;
    }
  }
}

// ---------------------------------------------------------------------------
// The operators.

constexpr uint8_t kNumericCodes[] = {op::kPlus,  op::kMinus,     op::kMultiply, op::kDivide,
                                     op::kPower, op::kIntDivide, op::kDiv,      op::kMod};
constexpr uint8_t kRelationalCodes[] = {op::kEqual,   op::kNotEqual,  op::kLess,
                                        op::kGreater, op::kLessEqual, op::kGreaterEqual};

// Edge values and the values the power shortcut turns on: whole bases
// around 2^53 and its roots, small whole and fractional exponents, and the
// bases and exponents whose powers land near the ends of the normal range.
std::vector<double> OperandEdges() {
  std::vector<double> v = {0.0,       DBL_TRUE_MIN, DBL_MIN,
                           DBL_MAX,   INFINITY,     NAN,
                           1,         0.5,          2,
                           3,         10,           2.5,
                           8,         1.0 / 3,      0.1,
                           1e-300,    1e300,        1e-160,
                           1e160,     1e308,        1e-308,
                           0x1p53,    0x1p53 - 1,   0x1p52 + 1,
                           94906265,  94906266,     208063,
                           208064,    4.4e-16,      2.718281828459045,
                           7,         52,           53,
                           63,        64,           65,
                           1022,      1023,         1024,
                           1074,      1075,         745.5,
                           709.78,    2147483647.5, 2147483648.0,
                           1e15 + 0.5};
  for (size_t i = 0, n = v.size(); i < n; ++i) v.push_back(-v[i]);
  return v;
}

void ExpectAgreement(uint8_t code, double a, double b, int& failures) {
  double want = 12345, got = 12345;
  const int32_t we = ReferenceBinary(code, a, b, want);
  // Stale flags from earlier work must not count.
  std::feraiseexcept(FE_UNDERFLOW | FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO);
  const int32_t ge = NumericBinary(code, a, b, got);
  CValue left(a);
  const CValue right(b);
  const int32_t ae = ApplyBinaryOperator(code, left, right);
  const double applied = ae == kOk ? left.number : 12345;
  if (ae != kOk && Bits(left.number) != Bits(a)) ADD_FAILURE() << "operand changed on error";
  const bool same = ge == we && ae == we &&
                    (std::isnan(want) ? std::isnan(got) && std::isnan(applied)
                                      : Bits(got) == Bits(want) && Bits(applied) == Bits(want));
  if (!same && ++failures <= 20)
    ADD_FAILURE() << "code " << int(code) << " on " << std::hexfloat << a << ", " << b << ": error "
                  << ge << "/" << ae << " value " << got << "/" << applied << " instead of error "
                  << we << " value " << want;
}

TEST(NumericRules, NumericOperatorsAgreeWithTheGuardedComputation) {
  const std::vector<double> edges = OperandEdges();
  int failures = 0;
  for (uint8_t code : kNumericCodes)
    for (double a : edges)
      for (double b : edges) ExpectAgreement(code, a, b, failures);
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> decade(-20, 20), exponent(-800, 800);
  for (int i = 0; i < 20000; ++i) {
    const double a = std::pow(10.0, decade(rng)) * (rng() % 2 ? 1 : -1);
    const double b = std::pow(10.0, decade(rng)) * (rng() % 2 ? 1 : -1);
    for (uint8_t code : kNumericCodes) ExpectAgreement(code, a, b, failures);
    // e ^ x, 2 ^ x and small bases to large powers: the ends of the range.
    ExpectAgreement(op::kPower, 2.718281828459045, exponent(rng), failures);
    ExpectAgreement(op::kPower, rng() % 2 ? 2 : 0.5, exponent(rng) * 1.4, failures);
    ExpectAgreement(op::kPower, std::abs(a), b / 100, failures);
  }
  // Whole bases to whole exponents around the 2^53 limit of the products.
  for (double a = -300; a <= 300; ++a)
    for (double b = -3; b <= 70; ++b) ExpectAgreement(op::kPower, a, b, failures);
  for (int i = 0; i < 20000; ++i) {
    const int n = 1 + static_cast<int>(rng() % 64);
    const double limit = std::pow(0x1p53, 1.0 / n);
    const double a = std::floor(limit) + static_cast<double>(rng() % 5) - 2;
    ExpectAgreement(op::kPower, rng() % 2 ? a : -a, n, failures);
    ExpectAgreement(op::kPower, static_cast<double>(rng() >> (11 + rng() % 53)), n, failures);
  }
  std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(NumericRules, ComparisonsAgreeIncludingNaNAndSignedZero) {
  const std::vector<double> edges = OperandEdges();
  int failures = 0;
  for (uint8_t code : kRelationalCodes)
    for (double a : edges)
      for (double b : edges) {
        CValue left(a);
        ASSERT_EQ(ApplyBinaryOperator(code, left, CValue(b)), kOk);
        const double want = ReferenceCompare(code, a, b);
        if ((Bits(left.number) != Bits(want) || Bits(CompareNumbers(code, a, b)) != Bits(want)) &&
            ++failures <= 20)
          ADD_FAILURE() << "code " << int(code) << " on " << a << ", " << b;
      }
}

// The inline path is only for two numbers: a string on either side keeps
// the kind rules, and the operands stay as they were on error.
TEST(NumericRules, MixedKindsStillTakeTheGeneralPath) {
  struct Case {
    uint8_t code;
    bool leftString, rightString;
    int32_t error;
  };
  const Case cases[] = {
      {op::kPlus, true, false, kErrTypeMismatch},
      {op::kPlus, false, true, kErrTypeMismatch},
      {op::kMinus, true, true, kErrTypeMismatch},
      {op::kDivide, true, false, kErrTypeMismatch},
      {op::kLess, true, false, kErrTypeMismatch},
      {op::kEqual, false, true, kErrTypeMismatch},
      {op::kConcat, false, false, kErrTypeMismatch},
      {op::kPlus, true, true, kOk},
      {op::kLess, true, true, kOk},
  };
  for (const Case& c : cases) {
    CValue left = c.leftString ? CValue(std::string_view("7")) : CValue(7.0);
    const CValue right = c.rightString ? CValue(std::string_view("8")) : CValue(8.0);
    EXPECT_EQ(ApplyBinaryOperator(c.code, left, right), c.error) << int(c.code);
    if (c.error != kOk) { EXPECT_EQ(left.IsString(), c.leftString) << int(c.code); }
  }
  CValue s(std::string_view("A"));
  ASSERT_EQ(ApplyBinaryOperator(op::kPlus, s, CValue(std::string_view("B"))), kOk);
  EXPECT_EQ(s.str.View(), "AB");
}

}  // namespace
}  // namespace torvic::testing
