// Expressions compiled by the expression compiler and run by the evaluator:
// operators, numeric rules, literals, strings, the array-enquiry, list and
// pointer functions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iomanip>
#include <random>

#include "expr/numeric_rules.h"
#include "expr_session.h"

namespace torvic::testing {
namespace {

struct NumCase {
  const char* text;
  double value;  // when error is 0
  int32_t error;
};

TEST(Evaluator, NumericExpressions) {
  const NumCase cases[] = {
      // precedence and associativity
      {"2 ^ 3 ^ 2", 64, 0},
      {"-2 ^ 2", -4, 0},
      {"2 * -3", -6, 0},
      {"1 + 2 * 3", 7, 0},
      {"(1 + 2) * 3", 9, 0},
      {"10 - 4 - 3", 3, 0},
      {"2 ^ -1", 0.5, 0},
      {"- - 3", 3, 0},
      {"+5", 5, 0},
      {"((((7))))", 7, 0},
      {"8 / 4 / 2", 1, 0},
      {"1 + 2 = 3", -1, 0},
      {"NOT 1 = 2", -1, 0},
      {"NOT 0 AND 5", 5, 0},
      // integer operators
      {"7 \\ 2", 3, 0},
      {"7.5 \\ 2", 4, 0},
      {"7 DIV 2", 3, 0},
      {"-7 MOD 3", -1, 0},
      {"-7 \\ 2", -3, 0},
      {"7.9 DIV 2", 3, 0},
      {"7 \\ 0", 0, kErrDivisionByZero},
      {"7 MOD 0", 0, kErrDivisionByZero},
      {"7 / 0", 0, kErrDivisionByZero},
      {"7 DIV 0", 0, kErrDivisionByZero},
      {"-2147483648 \\ -1", 0, kErrOverflow},
      {"-2147483648 MOD -1", 0, kErrOverflow},
      {"3000000000 \\ 1", 0, kErrFunctionCallError},
      // 15-digit rounding
      {"0.1 + 0.2 = 0.3", -1, 0},
      {"1 / 3 * 3", 0.999999999999999, 0},
      {"0.3 - 0.1 = 0.2", -1, 0},
      // overflow, underflow, invalid
      {"1E308 * 10", 0, kErrOverflow},
      {"1E999", 0, kErrOverflow},
      {"1E-999", 0, kErrUnderflow},
      {"1E-300 * 1E-300", 0, kErrUnderflow},
      {"(-8) ^ 0.5", 0, kErrFunctionCallError},
      {"0 ^ -1", 0, kErrDivisionByZero},
      {"1E308 + 1E308", 0, kErrOverflow},
      {"0E999", 0, 0},
      // radix literals
      {"&HFFFFFFFF", 4294967295.0, 0},
      {"&H100000000", 0, kErrOverflow},
      {"&B101", 5, 0},
      {"&O17", 15, 0},
      {"&h00000000ff", 255, 0},
      {"&O37777777777", 4294967295.0, 0},
      {"&O40000000000", 0, kErrOverflow},
      {"&B11111111111111111111111111111111", 4294967295.0, 0},
      {"&B111111111111111111111111111111111", 0, kErrOverflow},
      // logical operators
      {"NOT 1.7", -2, 0},
      {"1.7 AND 3", 2, 0},
      {"NOT 0", -1, 0},
      {"5 AND 3", 1, 0},
      {"5 OR 3", 7, 0},
      {"5 XOR 3", 6, 0},
      {"5 EQV 5", -1, 0},
      {"5 EQV 3", 0, 0},
      {"0 IMP 0", -1, 0},
      {"1 IMP 0", 0, 0},
      {"3000000000 AND 1", 0, kErrFunctionCallError},
      {"NOT 3000000000", 0, kErrFunctionCallError},
      {"-1 AND &HFF", 255, 0},
      // relational operators with a blank inside and reversed spellings
      {"1 < > 2", -1, 0},
      {"1 >< 1", 0, 0},
      {"2 = < 2", -1, 0},
      {"2 => 3", 0, 0},
      {"\"abc\" < \"abd\"", -1, 0},
      {"\"ab\" < \"abc\"", -1, 0},
      {"\"\" = \"\"", -1, 0},
      {"CHR$(200) < \"A\"", -1, 0},
      // kinds
      {"\"A\" + 1", 0, kErrTypeMismatch},
      {"1 & 2", 0, kErrTypeMismatch},
      {"\"A\" < 1", 0, kErrTypeMismatch},
      {"-\"A\"", 0, kErrTypeMismatch},
      // lists and pointers
      {"MAX(3, 9, 4)", 9, 0},
      {"MIN(3, 9, 4)", 3, 0},
      {"MAX(3, 9)", 9, 0},
      {"MIN(-1)", -1, 0},
      {"MAX(1, \"A\", 2)", 0, kErrTypeMismatch},
      {"MAX(1, \"A\")", 0, kErrTypeMismatch},
      {"CHOOSE(1, 2, 3)", 0, kErrNotSupported},
      {"SWITCH(1, 2)", 0, kErrNotSupported},
      {"USR(1)", 0, 0},
      {"MAXLEN(Z$)", 65535, 0},
      {"VARPTR(Q) = VARPTR(Q)", -1, 0},
      {"VARPTR(Q) = VARPTR(R)", 0, 0},
      {"SADD(Q$) = VARPTR(Q$)", -1, 0},
      {"VARPTR$(Q) = VARPTR$(Q)", -1, 0},
      // functions that are not implemented answer "?Not supported"
      {"EVEN(-1)", 0, kErrNotSupported},
      {"EVEN(\"A\")", 0, kErrTypeMismatch},
      // constants
      {"%NOPE", 0, kErrUndefinedConstant},
  };
  Session s;
  for (const NumCase& c : cases) {
    Result r = s.Eval(c.text);
    ASSERT_TRUE(r.compiled) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
    if (c.error == 0) {
      ASSERT_TRUE(r.value.IsNumber()) << c.text;
      EXPECT_DOUBLE_EQ(r.value.number, c.value) << c.text;
    }
  }
}

TEST(Evaluator, StringExpressions) {
  struct Case {
    const char* text;
    const char* value;
    int32_t error;
  };
  const Case cases[] = {
      {"\"AB\" & \"CD\"", "ABCD", 0},
      {"\"AB\" + \"CD\"", "ABCD", 0},
      {"\"say \"\"hi\"\"\"", "say \"hi\"", 0},
      {"\"open", "open", 0},
      {"CHR$(72, 73)", "HI", 0},
      {"CHR$(65)", "A", 0},
      {"CHR$(256)", "", kErrFunctionCallError},
      {"CHR$(72, -1)", "", kErrFunctionCallError},
      {"CHR$(65.5)", "B", 0},
      {"USR(0) & \"\"", "", kErrTypeMismatch},
  };
  Session s;
  for (const Case& c : cases) {
    Result r = s.Eval(c.text);
    ASSERT_TRUE(r.compiled) << c.text;
    EXPECT_EQ(r.error, c.error) << c.text;
    if (c.error == 0) {
      ASSERT_TRUE(r.value.IsString()) << c.text;
      EXPECT_EQ(r.value.str.View(), c.value) << c.text;
    }
  }
}

TEST(Evaluator, ConcatenationLimit) {
  Session s;
  ASSERT_EQ(s.Let("A$ = CHR$(65)"), 0);
  for (int i = 0; i < 15; ++i) ASSERT_EQ(s.Let("A$ = A$ & A$"), 0) << i;  // 32768 bytes
  EXPECT_EQ(s.Let("B$ = A$ + A$"), kErrStringTooLong);
  EXPECT_EQ(s.Let("B$ = A$ & A$"), kErrStringTooLong);
  EXPECT_EQ(s.Let("B$ = A$ & CHR$(1)"), 0);
}

TEST(Evaluator, NumbersRoundTo15DigitsLikePrintf) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> mag(-30, 30);
  for (int i = 0; i < 20000; ++i) {
    const double x = std::pow(10.0, mag(rng)) * (rng() % 2 ? 1 : -1);
    if (x == std::trunc(x)) continue;  // whole results are kept as computed
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", x);
    EXPECT_EQ(Round15(x), std::strtod(buf, nullptr)) << buf;
  }
}

// The values where a cheaper rounding could part from printf: exact decimal
// ties (ties go to even), carries into the next power of ten, the edges of
// every decade, binary fractions, quotients of small integers, and
// neighbours one ulp away from each.
TEST(Evaluator, RoundingMatchesPrintfAtTiesDecadeEdgesAndNeighbours) {
  std::vector<double> cases = {123456789012345.5,
                               123456789012346.5,
                               0.5,
                               1.5,
                               2.5,
                               99999999999999.95,
                               9.999999999999995,
                               0.9999999999999995,
                               0.1 + 0.2,
                               1.0 / 3,
                               2.0 / 3,
                               1e-8 / 3,
                               1e15 - 0.5,
                               4503599627370495.5,
                               1e-9 / 7,
                               0.000123456789012345678};
  for (int k = -10; k <= 16; ++k) {
    const double p = std::pow(10.0, k);
    for (double f : {1.0, 1.5, 9.99999999999999, 9.999999999999999, 3.3333333333333335})
      cases.push_back(p * f);
  }
  for (int n = 1; n <= 2000; ++n) {
    cases.push_back(n / 7.0);
    cases.push_back(n / 1024.0 + 1e6);
    cases.push_back(n * 0.1);
    cases.push_back(n / 2.0 * 3 + 4 - 5);
  }
  for (double c : std::vector<double>(cases)) {
    cases.push_back(std::nextafter(c, 0.0));
    cases.push_back(std::nextafter(c, 1e300));
  }
  for (double c : cases) {
    for (double x : {c, -c}) {
      if (x == std::trunc(x)) continue;
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.15G", x);
      EXPECT_EQ(Round15(x), std::strtod(buf, nullptr)) << std::setprecision(17) << x << " " << buf;
    }
  }
}

// The variable cache keeps records by the address of the item that names
// them. Code rewritten at the same address under a new epoch names its own
// variables; an erased and re-dimensioned array is found anew; without
// SetCachedCode nothing is kept.
TEST(Evaluator, VariableCacheFollowsTheEpochAndRecordRemovals) {
  Session s;
  ASSERT_EQ(s.Let("AB = 1"), 0);
  ASSERT_EQ(s.Let("CD = 2"), 0);
  ASSERT_EQ(s.Dim("QQ(3)"), 0);
  ASSERT_EQ(s.Let("QQ(1) = 7"), 0);
  uint8_t buffer[128] = {};
  auto eval = [&](std::string_view text, uint64_t epoch) {
    CodeBuffer out;
    size_t pos = 0;
    const size_t start = out.Size();
    EXPECT_TRUE(CompileExpression(text, pos, out));
    std::memcpy(buffer, out.Data(), out.Size());
    s.ev.SetCachedCode(buffer, epoch);
    size_t at = start;
    CValue v;
    EXPECT_EQ(s.ev.EvaluateValue(Code(buffer, out.Size()), at, v), 0);
    s.ev.SetCachedCode(nullptr, 0);
    return v.IsNumber() ? v.number : -1;
  };
  EXPECT_EQ(eval("AB", 1), 1);
  EXPECT_EQ(eval("AB", 1), 1);  // from the cache
  EXPECT_EQ(eval("CD", 2), 2);  // same address, new epoch: looked up again
  EXPECT_EQ(eval("QQ(1)", 3), 7);
  ASSERT_EQ(s.Erase("QQ"), 0);
  ASSERT_EQ(s.Dim("QQ(3)"), 0);
  EXPECT_EQ(eval("QQ(1)", 3), 0);  // the erased record is not used again
  ASSERT_EQ(s.Let("QQ(1) = 5"), 0);
  EXPECT_EQ(eval("QQ(1)", 3), 5);
}

TEST(Evaluator, PendingStopEndsTheEvaluationWithoutError) {
  Session s;
  s.env.stop = true;
  Result r = s.Eval("1 + CHR$(1)");  // would be a type mismatch if it ran on
  EXPECT_EQ(r.error, 0);
}

TEST(Evaluator, DefaultItems) {
  Session s;
  // Items 128..133 are emitted only as defaults; check them by hand.
  CodeBuffer out;
  const uint8_t codes[] = {item::kForeground, item::kBackground, item::kZero130,
                           item::kCurrentVolume, item::kCurrentTime};
  for (uint8_t c : codes) {
    out.Reset();
    out.Put8(c);
    out.Put8(0);
    size_t pos = kLineHeaderSize;
    CValue v;
    ASSERT_EQ(s.ev.EvaluateValue(Session::Line(out), pos, v), 0);
    if (c == item::kCurrentVolume) EXPECT_EQ(v.str.View(), "WORK");
    else if (c == item::kCurrentTime)  // 2024-05-06 12:30:15
      EXPECT_DOUBLE_EQ(v.number, 13359472215.0);
    else EXPECT_DOUBLE_EQ(v.number, c == item::kForeground ? 7 : (c == item::kBackground ? 1 : 0));
  }
}

TEST(Evaluator, MalformedCodeIsAnInternalError) {
  Session s;
  const uint8_t bad[][4] = {{3, 99, 0, 0}, {77, 0, 0, 0}, {3, 8, 0, 0}, {1, 0, 0, 0}};
  for (const auto& b : bad) {
    size_t pos = 0;
    CValue v;
    EXPECT_EQ(s.ev.EvaluateValue(Code(b, 4), pos, v), kErrInternalError);
    s.ev.ResetStack();
  }
}

}  // namespace
}  // namespace torvic::testing
