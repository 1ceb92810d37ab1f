// Number formatting: the free format (STR$, PRINT, WRITE), the base
// conversions, MKN$ and the format language of USING$, through the
// evaluator; and the piecewise use of a format that PRINT USING makes.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "expr/number_format.h"
#include "function_cases.h"

namespace torvic::testing {
namespace {

TEST(NumberFormat, FreeFormatAndConversions) {
  const StrCase cases[] = {
      {"STR$(5)", "5", 0},
      {"STR$(-5)", "-5", 0},
      {"STR$(0.1 + 0.2)", "0.3", 0},
      {"STR$(1E15)", "1E+15", 0},
      {"STR$(123456789012345)", "123456789012345", 0},
      {"STR$(0.0001)", "0.0001", 0},
      {"STR$(0.00001)", "1E-05", 0},
      {"STR$(1 / 3)", "0.333333333333333", 0},
      {"STR$(-2.5E-300)", "-2.5E-300", 0},
      {"STR$(MAXNUM)", "1.79769313486232E+308", 0},
      {"STR$(-0)", "0", 0},
      {"STR$(ROUND(2.675, 2))", "2.68", 0},
      {"STR$(ROUND(1.005, 2))", "1.01", 0},
      {"HEX$(255)", "FF", 0},
      {"HEX$(-1)", "", kErrFunctionCallError},
      {"HEX$(0)", "0", 0},
      {"HEX$(4294967295)", "FFFFFFFF", 0},
      {"HEX$(4294967296)", "", kErrFunctionCallError},
      {"HEX$(254.5)", "FF", 0},
      {"HEX$(-0.4)", "0", 0},
      {"OCT$(8)", "10", 0},
      {"OCT$(4294967295)", "37777777777", 0},
      {"BIN$(5)", "101", 0},
      {"BIN$(0)", "0", 0},
      {"BIN$(-1)", "", kErrFunctionCallError},
  };
  Session s;
  RunStringCases(s, cases, std::size(cases));
  EXPECT_EQ(s.Num("MKN$(1) = CHR$(0, 0, 0, 0, 0, 0, 240, 63)"), -1);
  EXPECT_EQ(s.Num("LEN(MKN$(-1E300))"), 8);

  // PRINT's form: a blank before numbers that are not negative.
  EXPECT_EQ(FreeFormatText(5, true), " 5");
  EXPECT_EQ(FreeFormatText(-5, true), "-5");
  EXPECT_EQ(FreeFormatText(-0.0, true), " 0");
  EXPECT_EQ(FreeFormatText(1e-5, true), " 1E-05");
}

// The free format is printf's "%.15G" for any number.
TEST(NumberFormat, FreeFormatIsPrintfG15) {
  std::mt19937_64 rng(8);
  std::uniform_int_distribution<uint64_t> bits;
  char expected[64];
  for (int i = 0; i < 20000; ++i) {
    double x = std::bit_cast<double>(bits(rng));
    if (!std::isfinite(x)) continue;
    if (i % 2)
      x = std::ldexp(std::fmod(x, 1.0), static_cast<int>(i % 120) - 60);  // ordinary sizes too
    if (x == 0) continue;
    std::snprintf(expected, sizeof expected, "%.15G", x);
    ASSERT_EQ(FreeFormatText(x), expected) << x;
  }
  // Where the form changes (exponent at 1E15 and below 1E-4), the extremes,
  // digits that round up into one more place, and values a program cannot
  // make but a bug could.
  const double edges[] = {0.0, -1.0, 42.0, 123456789012345.0, -999999999999999.0, 1e14 + 1,
                          999999999999999.0, 1e15, 999999999999999.4, 999999999999999.5,
                          0.0001, 0.00009999999999999999, 1e-5, 0.1 + 0.2, 1.0 / 3, 2.0 / 3,
                          -123456.789, 1e300, -1e-300, 4.9406564584124654e-324,
                          1.7976931348623157e308, 9.9999999999999995e22, 0.5,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (const double x : edges) {
    std::snprintf(expected, sizeof expected, "%.15G", x);
    EXPECT_EQ(FreeFormatText(x), expected) << x;
  }
}

TEST(NumberFormat, UsingExamples) {
  const StrCase cases[] = {
      {"USING$(\"##.##\", 3.14159)", " 3.14", 0},
      // the comma belongs to the field only right after its # run
      {"USING$(\"#######,\", 1234567)", "%1,234,567", 0},
      {"USING$(\"#########,\", 1234567)", " 1,234,567", 0},
      {"USING$(\"###,###\", 1, 2)", "   1  2", 0},
      {"USING$(\"####,.##\", 1234.5)", "1,234.50", 0},
      {"USING$(\"**$##.##\", 1.5)", "***$1.50", 0},
      {"USING$(\"**##\", 5)", "***5", 0},
      {"USING$(\"$$##.##\", 12.5)", " $12.50", 0},
      {"USING$(\"$##\", 5)", "$ 5", 0},
      {"USING$(\"##.##-\", -1.5)", " 1.50-", 0},
      {"USING$(\"##.##-\", 1.5)", " 1.50 ", 0},
      {"USING$(\"##.##+\", 1.5)", " 1.50+", 0},
      {"USING$(\"##.##+\", -1.5)", " 1.50-", 0},
      {"USING$(\"+##\", 7)", " +7", 0},
      {"USING$(\"+##\", -7)", " -7", 0},
      {"USING$(\"+$$##\", 7)", "  +$7", 0},
      {"USING$(\"###\", 2.5)", "  3", 0},
      {"USING$(\"###\", -2.5)", " -2", 0},
      {"USING$(\"##.\", 2.5)", " 3.", 0},
      {"USING$(\"###\", 999)", "999", 0},
      {"USING$(\".##\", 0.5)", ".50", 0},
      {"USING$(\"#.##\", 0.5)", "0.50", 0},
      // exponent form: "^^^^" counts five characters
      {"USING$(\"##.##^^^^\", 123.456)", " 1.23E+002", 0},
      {"USING$(\"###.##^^^^\", 123.456)", " 12.35E+001", 0},
      {"USING$(\".##^^^^\", 123.456)", ".12E+003", 0},
      {"USING$(\"##.##^^^^\", 0.00123)", " 1.23E-003", 0},
      {"USING$(\"+##.##^^^^\", -123.456)", "-12.35E+001", 0},
      {"USING$(\"##.##^^^^\", 0)", " 0.00E+000", 0},
      // a magnitude of w digits or more takes the exponent form, and a field
      // too narrow for a digit still shows one
      {"USING$(\"##\", 123)", "%1E+002", 0},
      {"USING$(\"#^^^^\", 5)", "5E+000", 0},
      {"USING$(\"##.##\", 0.00001)", "%.10E-004", 0},
      // string fields
      {"USING$(\"!\", \"HELLO\")", "H", 0},
      {"USING$(\"!\", \"\")", " ", 0},
      {"USING$(\"\\  \\\", \"HELLO\")", "HELL", 0},
      {"USING$(\"\\  \\\", \"HI\")", "HI  ", 0},
      {"USING$(\"&\", \"abc\")", "abc", 0},
      {"USING$(\"%  %\", \"ab\")", "ab  ", 0},
      {"USING$(\"/    /\", \"abc\")", "   abc", 0},
      {"USING$(\"/  /\", \"abcdef\")", "abcd", 0},
      // literal text, escapes, reuse of the format
      {"USING$(\"#\", 1, 2, 3)", "123", 0},
      {"USING$(\"A#B\", 1, 2)", "A1BA2B", 0},
      {"USING$(\"Total: ###.## USD\", 12.5)", "Total:  12.50 USD", 0},
      {"USING$(\"_##\", 5)", "#5", 0},
      {"USING$(\"ab_\", 1)", "ab_", 0},
      {"USING$(\"% x%\", 1)", "% x%", 0},
      {"USING$(\"\\abc\", \"x\")", "\\abc", 0},
      {"USING$(\"+\", 5)", "+", 0},
      {"USING$(\"x!y#z\", \"Q\", 4)", "xQy4z", 0},
      // kinds and limits
      {"USING$(\"!\", 5)", "", kErrTypeMismatch},
      {"USING$(\"#\", \"a\")", "", kErrTypeMismatch},
      {"USING$(\"#!\", 1, 2)", "", kErrTypeMismatch},
      {"USING$(5, 1)", "", kErrTypeMismatch},
      {"USING$(\"&&\", REPEAT$(\"a\", 40000), REPEAT$(\"b\", 30000))", "", kErrStringTooLong},
      {"USING$(\"x&\", REPEAT$(\"a\", 65535))", "", kErrStringTooLong},
  };
  Session s;
  RunStringCases(s, cases, std::size(cases));
  EXPECT_EQ(s.Num("LEN(USING$(\"&\", REPEAT$(\"a\", 65535)))"), 65535);
  // A field wider than any stack buffer.
  EXPECT_EQ(s.Num("LEN(USING$(REPEAT$(\"#\", 400), 1E300))"), 400);
  EXPECT_EQ(s.Num("LEN(USING$(\".\" + REPEAT$(\"#\", 500), 0.5))"), 501);
}

// PRINT USING writes each piece as its value comes, and may empty the text
// between pieces.
TEST(NumberFormat, PiecewiseFormatting) {
  UsingFormat f("<#|!>");
  CBasicString out;
  ASSERT_EQ(f.Start(out), 0);
  EXPECT_EQ(out.ToStdString(), "<");
  EXPECT_EQ(f.Kind(), FieldKind::Number);
  out.SetEmpty();
  ASSERT_EQ(f.Put(CValue(7.0), out), 0);
  EXPECT_EQ(out.ToStdString(), "7|");
  EXPECT_EQ(f.Kind(), FieldKind::String);
  EXPECT_EQ(f.Put(CValue(1.0), out), kErrTypeMismatch);
  EXPECT_EQ(out.ToStdString(), "7|");  // nothing written
  ASSERT_EQ(f.Put(CValue("xy"), out), 0);
  EXPECT_EQ(out.ToStdString(), "7|x>");
  EXPECT_EQ(f.Kind(), FieldKind::Number);  // the format starts again
  ASSERT_EQ(f.Put(CValue(8.0), out), 0);
  EXPECT_EQ(out.ToStdString(), "7|x><8|");

  UsingFormat text("no fields");
  out.SetEmpty();
  ASSERT_EQ(text.Start(out), 0);
  EXPECT_EQ(text.Kind(), FieldKind::None);
  ASSERT_EQ(text.Put(CValue(1.0), out), 0);
  EXPECT_EQ(out.ToStdString(), "no fields");
}

}  // namespace
}  // namespace torvic::testing
