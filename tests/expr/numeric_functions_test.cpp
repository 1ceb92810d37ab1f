// The numeric functions, called from expressions compiled by the expression
// compiler and run by the evaluator: results, domains and error codes.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "expr/numeric_functions.h"
#include "function_cases.h"

namespace torvic::testing {
namespace {

TEST(NumericFunctions, ConstantsAndRounding) {
  const NumCase cases[] = {
      {"PI", 3.14159265358979, 0},
      {"TWOPI", 6.28318530717958, 0},
      {"PI * 2 = TWOPI", -1, 0},
      {"TRUE", -1, 0},
      {"FALSE", 0, 0},
      {"MAXNUM", 1.7976931348623157e+308, 0},
      {"MINNUM", 2.2250738585072014e-308, 0},
      {"INT(-2.5)", -3, 0},
      {"FLOOR(2.5)", 2, 0},
      {"FIX(-2.5)", -2, 0},
      {"IP(2.7)", 2, 0},
      {"FP(-2.5)", -0.5, 0},
      {"FP(3)", 0, 0},
      {"CEIL(-2.5)", -2, 0},
      {"CEIL(2.1)", 3, 0},
      {"ABS(-4)", 4, 0},
      {"SGN(-3)", -1, 0},
      {"SGN(0)", 0, 0},
      {"SGN(0.1)", 1, 0},
      // the decimal-text method of round, and truncate
      {"ROUND(2.5, 0)", 3, 0},
      {"ROUND(-2.5, 0)", -3, 0},
      {"ROUND(1.005, 2)", 1.01, 0},
      {"ROUND(2.675, 2)", 2.68, 0},
      {"ROUND(-2.675, 2)", -2.68, 0},
      {"ROUND(1234.5678, 1)", 1234.6, 0},
      {"ROUND(7, 16)", 7, 0},
      {"ROUND(1, 17)", 0, kErrFunctionCallError},
      {"ROUND(1, -1)", 0, kErrFunctionCallError},
      {"ROUND(1.25, 0.6)", 1.3, 0},
      {"TRUNCATE(-1.239, 2)", -1.23, 0},
      {"TRUNCATE(1.999, 0)", 1, 0},
      {"TRUNCATE(2.5, 1)", 2.5, 0},
      {"TRUNCATE(1, 17)", 0, kErrFunctionCallError},
      {"MOD(-7, 3)", -1, 0},
      {"MOD(7, 0)", 0, kErrDivisionByZero},
      {"REMAINDER(7, 2)", 1, 0},
      {"REMAINDER(-7, 2)", -1, 0},
      {"REMAINDER(7.5, 2)", 1.5, 0},
      {"REMAINDER(1, 0)", 0, kErrDivisionByZero},
      {"HYPOT(3, 4)", 5, 0},
      {"COPYSIGN(3, -1)", -3, 0},
      {"COPYSIGN(-3, 1)", 3, 0},
  };
  Session s;
  RunNumericCases(s, cases, std::size(cases));
}

TEST(NumericFunctions, DomainsAndTheOperatorRules) {
  const NumCase cases[] = {
      {"SQR(16)", 4, 0},
      {"SQRT(2.25)", 1.5, 0},
      {"SQR(-1)", 0, kErrFunctionCallError},
      {"LOG(1)", 0, 0},
      {"LOG(0)", 0, kErrFunctionCallError},
      {"LOG(-1)", 0, kErrFunctionCallError},
      {"LOG2(8)", 3, 0},
      {"LOG2(0)", 0, kErrFunctionCallError},
      {"LOG10(1000)", 3, 0},
      {"LOG10(0)", 0, kErrFunctionCallError},
      {"ASIN(2)", 0, kErrFunctionCallError},
      {"ACOS(-1.5)", 0, kErrFunctionCallError},
      {"ASIN(1)", 1.5707963267948966, 0},
      {"ACOS(1)", 0, 0},
      {"ATN(0)", 0, 0},
      {"SIN(0)", 0, 0},
      {"COS(0)", 1, 0},
      {"TAN(0)", 0, 0},
      {"SEC(0)", 1, 0},
      {"INV(0)", 0, kErrDivisionByZero},
      {"RCP(4)", 0.25, 0},
      {"INV(3)", 0.333333333333333, 0},
      {"COT(0)", 0, kErrDivisionByZero},
      {"CSC(0)", 0, kErrDivisionByZero},
      // through ^, * and /: 15-digit rounding and the error mapping
      {"CBR(-27)", -3, 0},
      {"CBRT(8)", 2, 0},
      {"CBR(0)", 0, 0},
      {"CUBE(3)", 27, 0},
      {"CUBE(1E200)", 0, kErrOverflow},
      {"EXP(0)", 1, 0},
      {"EXP(1)", 2.71828182845905, 0},
      {"EXP(1000)", 0, kErrOverflow},
      {"EXP(-1000)", 0, kErrUnderflow},
      {"EXP2(10)", 1024, 0},
      {"EXP10(3)", 1000, 0},
      {"EXP10(-2)", 0.01, 0},
      {"DEG(PI)", 180, 0},
      {"RTD(1)", 57.2957795130823, 0},
      {"RAD(180) = PI", -1, 0},
      {"DEG(1E307)", 0, kErrOverflow},
      // hyperbolic functions refuse an infinite result of either sign
      {"SINH(0)", 0, 0},
      {"SINH(1000)", 0, kErrFunctionCallError},
      {"SINH(-1000)", 0, kErrFunctionCallError},
      {"COSH(1000)", 0, kErrFunctionCallError},
      {"COSH(0)", 1, 0},
      {"TANH(1000)", 1, 0},
      // not implemented
      {"EVEN(2)", 0, kErrNotSupported},
      {"ODD(1)", 0, kErrNotSupported},
      {"FACT(3)", 0, kErrNotSupported},
      {"IIF(1, 2, 3)", 0, kErrNotSupported},
      {"EVAL(\"1\")", 0, kErrNotSupported},
  };
  Session s;
  RunNumericCases(s, cases, std::size(cases));
}

TEST(NumericFunctions, PiIsTheFifteenDigitValue) {
  Session s;
  EXPECT_NE(s.Num("PI"), M_PI);
  EXPECT_EQ(s.Num("PI"), 3.14159265358979);
  EXPECT_EQ(s.Num("TWOPI"), 2 * 3.14159265358979);
}

TEST(NumericFunctions, TwoNumberFunctions) {
  const NumCase cases[] = {
      {"COMB(5, 2)", 10, 0},
      {"COMB(5, 5)", 1, 0},
      {"COMB(5, 0)", 1, 0},
      {"COMB(10, 3)", 120, 0},
      {"COMB(2, 5)", 0, kErrFunctionCallError},
      {"COMB(-1, 0)", 0, kErrFunctionCallError},
      {"COMB(4.6, 2.4)", 10, 0},
      {"PERM(5, 2)", 20, 0},
      {"PERM(5, 4)", 120, 0},
      {"PERM(5, 0)", 1, 0},
      {"PERM(5, 5)", 0, kErrFunctionCallError},
      {"PERM(2, -1)", 0, kErrFunctionCallError},
      // huge arguments end in an overflow quickly instead of looping
      {"COMB(1E300, 1)", 0, kErrOverflow},
      {"PERM(1E300, 1E299)", 0, kErrOverflow},
      {"ANGLE(0, 0)", 0, kErrFunctionCallError},
      {"ANGLE(-1, 0)", 0, 0},
      {"ANGLE(0, -1)", -1.570796326794895, 0},
      {"ANGLE(0, 1)", 1.570796326794895, 0},
      {"ANGLE(1, 1)", 0.7853981633974483, 0},
      {"ANGLE(-1, -1)", 0.7853981633974483, 0},
      {"MAX(2, 2)", 2, 0},
      {"MIN(-1, 4)", -1, 0},
      {"IS0(0, 7)", 7, 0},
      {"IS0(3, 7)", 3, 0},
      {"ISPOS(0, 7)", 7, 0},
      {"ISPOS(-2, 7)", -2, 0},
      {"ISNEG(0, 7)", 0, 0},
      {"ISNEG(-1, 7)", 7, 0},
      {"COMP(1, 2)", -1, 0},
      {"COMP(2, 1)", 1, 0},
      {"COMP(2, 2)", 0, 0},
      {"COMPI(-3, 2)", 1, 0},
      {"COMPI(-2, 2)", 0, 0},
      {"COMP(\"a\", \"B\")", 1, 0},
      {"COMPI(\"a\", \"B\")", -1, 0},
      {"COMPI(\"abc\", \"ABC\")", 0, 0},
      {"COMP(\"ab\", \"abc\")", -1, 0},
      {"COMP(CHR$(200), \"A\")", -1, 0},
      {"COMP(1, \"a\")", 0, kErrTypeMismatch},
  };
  Session s;
  RunNumericCases(s, cases, std::size(cases));
}

TEST(NumericFunctions, StringToNumber) {
  const NumCase cases[] = {
      {"VAL(\"  12abc\")", 12, 0},
      {"VAL(\"abc\")", 0, 0},
      {"VAL(\"&HFF\")", 255, 0},
      {"VAL(\"1E999\")", 0, kErrOverflow},
      {"VAL(\"-3.5E2\")", -350, 0},
      {"VAL(\"1E-999\")", 0, kErrUnderflow},
      {"VAL(\"1E-310\")", 0, kErrUnderflow},
      {"VAL(\"0E999\")", 0, 0},
      {"VAL(\"\")", 0, 0},
      {"VAL(\".5\")", 0.5, 0},
      {"VAL(\"5.\")", 5, 0},
      {"VAL(\"5E\")", 5, 0},
      {"VAL(\"5E+x\")", 5, 0},
      {"VAL(\"1e3x\")", 1000, 0},
      {"VAL(\"+7\")", 7, 0},
      {"VAL(\"-\")", 0, 0},
      {"VAL(\".\")", 0, 0},
      {"VAL(\"1.5.3\")", 1.5, 0},
      {"VAL(\"- 5\")", 0, 0},
      {"VAL(\"  &B101\")", 5, 0},
      {"VAL(\"&o17\")", 15, 0},
      {"VAL(\"&HFFFFFFFF\")", 4294967295.0, 0},
      {"VAL(\"&H000000001\")", 1, 0},
      {"VAL(\"&H100000000\")", 0, kErrOverflow},
      {"VAL(\"&O40000000000\")", 0, kErrOverflow},
      {"VAL(\"&Q1\")", 0, 0},
      {"VAL(\"&H\")", 0, 0},
      {"VAL(\"&\")", 0, 0},
      {"ORD(\"\")", 0, kErrFunctionCallError},
      {"ORD(\"A\")", 65, 0},
      {"ASC(\"a\")", 97, 0},
      {"ORD(CHR$(200))", 200, 0},
      {"CVN(\"1234567\")", 0, kErrFunctionCallError},
      {"CVN(MKN$(-3.25))", -3.25, 0},
      {"CVN(MKN$(MAXNUM) + \"extra\")", 1.7976931348623157e+308, 0},
      {"CVN(STRING$(CHR$(255), 8))", 0, kErrFunctionCallError},             // a NaN
      {"CVN(CHR$(0, 0, 0, 0, 0, 0, 240, 127))", 0, kErrFunctionCallError},  // infinity
      {"CDN(\"7x\")", 7, 0},
      {"CDN(\"x\")", 0, kErrFunctionCallError},
      {"CDN(\"\")", 0, kErrFunctionCallError},
      {"CHN(\"f\")", 15, 0},
      {"CHN(\"A\")", 10, 0},
      {"CHN(\"G\")", 0, kErrFunctionCallError},
      {"ALPHA(\"a\")", -1, 0},
      {"ALPHA(\"1\")", 0, 0},
      {"ALPHA(\"\")", 0, kErrFunctionCallError},
      {"ALPHA(CHR$(200))", 0, 0},
      {"DIGIT(\"5\")", -1, 0},
      {"DIGIT(\"a\")", 0, 0},
      {"ALNUM(\"_\")", 0, 0},
      {"ALNUM(\"Z\")", -1, 0},
      {"HEX(\"F\")", -1, 0},
      {"HEX(\"g\")", 0, 0},
      {"UPPER(\"a\")", 0, 0},
      {"UPPER(\"A\")", -1, 0},
      {"LOWER(\"a\")", -1, 0},
      {"CNTRL(CHR$(7))", -1, 0},
      {"CNTRL(CHR$(127))", -1, 0},
      {"CNTRL(\"a\")", 0, 0},
      {"PRINT(\" \")", -1, 0},
      {"PRINT(CHR$(200))", 0, 0},
      {"PRINT(CHR$(9))", 0, 0},
      {"LEN(\"abc\")", 3, 0},
      {"LEN(\"\")", 0, 0},
      {"EMPTY(0)", -1, 0},
      {"EMPTY(1)", 0, 0},
      {"EMPTY(\"\")", -1, 0},
      {"EMPTY(\"x\")", 0, 0},
      {"FRE(1)", 0, kErrFunctionCallError},
      {"FRE(0) > 0", -1, 0},
      {"FRE(\"\") > 0", -1, 0},
  };
  Session s;
  RunNumericCases(s, cases, std::size(cases));
}

TEST(NumericFunctions, RandomNumbers) {
  Session s;
  // From seed 0 the first draw is bits 16..30 of 2531011: 38.
  Randomize(0);
  EXPECT_EQ(s.Num("RND(1)"), 38.0 / 32768);
  EXPECT_EQ(s.Num("RND(0)"), 7719.0 / 32768);
  Randomize(0);
  EXPECT_EQ(s.Num("RND(1.4)"), 38.0 / 32768);  // rounded to 1

  const NumCase errors[] = {
      {"RND(32768)", 0, kErrFunctionCallError},
      {"RND(-1)", 0, kErrFunctionCallError},
      {"RND(-0.4)", 0, 0},  // rounds to 0, a fraction
  };
  for (const NumCase& c : errors) EXPECT_EQ(s.Error(c.text), c.error) << c.text;

  std::set<double> dice, coin;
  for (int i = 0; i < 2000; ++i) {
    const double f = s.Num("RND(0)");
    EXPECT_TRUE(f >= 0 && f < 1) << f;
    EXPECT_EQ(f * 32768, std::floor(f * 32768)) << f;  // steps of 1/32768
    dice.insert(s.Num("RND(6)"));
    coin.insert(s.Num("RND(1.5)"));  // rounded to 2
  }
  EXPECT_EQ(dice, (std::set<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(coin, (std::set<double>{1, 2}));
  const double top = s.Num("RND(32767)");
  EXPECT_TRUE(top >= 1 && top <= 32767 && top == std::floor(top));

  // The same seed gives the same sequence.
  Randomize(123456789);
  const double a = s.Num("RND(1000)"), b = s.Num("RND(1000)");
  Randomize(123456789);
  EXPECT_EQ(s.Num("RND(1000)"), a);
  EXPECT_EQ(s.Num("RND(1000)"), b);
  Randomize(0);
}

}  // namespace
}  // namespace torvic::testing
