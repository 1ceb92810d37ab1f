// The system and interpreter values and dec, compiled by the expression
// compiler and run through the evaluator in a bare environment (no
// interpreter, no host): what they answer from the program itself, the
// desktop settings and their argument checks.
#include <gtest/gtest.h>

#include "expr/system_values.h"
#include "function_cases.h"
#include "platform/system_info.h"

namespace torvic::testing {
namespace {

constexpr int32_t kFce = kErrFunctionCallError;

TEST(SystemValues, TextsOfTheProgram) {
  Session s;
  const StrCase cases[] = {
      {"VER$", "TORVIC Version " TORVIC_VERSION, 0},
      {"COPYRIGHT$", "Copyright (C) Quellorix. All rights reserved.", 0},
      {"TITLE$", "TORVIC", 0},
      {"INFO$(1)", "An 80 x 25 BASIC console. Type HELP for help, EXIT to leave.", 0},
      {"INFO$(2)", "TORVIC", 0},
      {"INFO$(3)", "Copyright (C) Quellorix. All rights reserved.", 0},
      {"INFO$(4)", "Ready", 0},
      {"INFO$(7)", TORVIC_VERSION, 0},
      {"INFO$(0)", "", 0},
      {"INFO$(255.4)", "", 0},
      {"INFO$(255.5)", "", kFce},
      {"INFO$(-0.6)", "", kFce},
  };
  RunStringCases(s, cases, std::size(cases));
}

TEST(SystemValues, InfoRows) {
  Session s;
  const NumCase cases[] = {
      {"INFO(0)", 34, 0},
      {"INFO(-0.5)", 34, 0},
      {"INFO(1)", 12532364820.0, 0},
      {"INFO(12)", 255, 0},
      {"INFO(13)", kReleaseBuild, 0},
      {"INFO(23)", 15, 0},
      {"INFO(26)", 12372285600.0, 0},
      {"INFO(29)", 65536, 0},
      {"INFO(30)", 7, 0},
      {"INFO(31)", 17105418, 0},
      {"INFO(32)", 14, 0},
      // Rows only the interpreter knows are 0 without one.
      {"INFO(6)", 0, 0},
      {"INFO(33)", 0, 0},
      {"INFO(4)", 0, 0},
      {"INFO(255)", 0, 0},
      {"INFO(256)", 0, kFce},
      {"INFO(-1)", 0, kFce},
      {"INFO(\"1\")", 0, kErrTypeMismatch},
      {"INFO(21) > MKTIME(2024, 1, 1)", -1, 0},
  };
  RunNumericCases(s, cases, std::size(cases));
}

TEST(SystemValues, DesktopSettings) {
  Session s;
  platform::DesktopSettings& desktop = platform::Desktop();
  const platform::DesktopSettings saved = desktop;
  desktop = {600, 3, 12};
  EXPECT_EQ(s.Num("CBT"), 600);
  EXPECT_EQ(s.Num("INFO(19)"), 3);
  EXPECT_EQ(s.Num("INFO(20)"), 12);
  desktop.caretBlinkMs = platform::DesktopSettings::kNoBlink;
  EXPECT_EQ(s.Num("CBT"), 4294967295.0);
  desktop = saved;
  EXPECT_EQ(s.Num("CBT"), 530);
}

TEST(SystemValues, Dec) {
  Session s;
  const NumCase cases[] = {
      {"DEC(\"11111111\", 2)", 255, 0},
      {"DEC(\"FF\", 16)", 255, 0},
      {"DEC(\"ff\", 16)", 255, 0},
      {"DEC(\"  00fFx9\", 16)", 255, 0},
      {"DEC(\"777\", 8)", 511, 0},
      {"DEC(\"78\", 8)", 7, 0},
      {"DEC(\"12\", 2)", 1, 0},
      {"DEC(\"\", 16)", 0, 0},
      {"DEC(\"-1\", 16)", 0, 0},
      {"DEC(\"G\", 16)", 0, 0},
      {"DEC(\"  12.5e1x\")", 125, 0},
      {"DEC(\"&HFF\", 10)", 255, 0},
      {"DEC(\"1E999\", 10)", 0, kErrOverflow},
      {"DEC(\"12\", 9.5)", 12, 0},
      // 31 binary, 7 hexadecimal, 9 octal digits (10 from 3 down).
      {"DEC(\"1111111111111111111111111111111\", 2)", 2147483647, 0},
      {"DEC(\"00000001111111111111111111111111111111111\", 2)", 0, kErrOverflow},
      {"DEC(\"10000000000000000000000000000000\", 2)", 0, kErrOverflow},
      {"DEC(\"000FFFFFFF\", 16)", 268435455, 0},
      {"DEC(\"10000000\", 16)", 0, kErrOverflow},
      {"DEC(\"777777777\", 8)", 134217727, 0},
      {"DEC(\"3777777777\", 8)", 536870911, 0},
      {"DEC(\"1000000000\", 8)", 134217728, 0},
      {"DEC(\"4000000000\", 8)", 0, kErrOverflow},
      {"DEC(\"10000000000\", 8)", 0, kErrOverflow},
      {"DEC(\"12\", 3)", 0, kFce},
      {"DEC(\"12\", 0)", 0, kFce},
      {"DEC(\"12\", 16.5)", 0, kFce},
      {"DEC(1, 16)", 0, kErrTypeMismatch},
  };
  RunNumericCases(s, cases, std::size(cases));
}

}  // namespace
}  // namespace torvic::testing
