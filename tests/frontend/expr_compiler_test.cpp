// The expression compiler: what compiles and what does not, the code of
// defaults and special forms, the reference chains, and the function table.
#include <gtest/gtest.h>

#include <vector>

#include "expr/expr_session.h"
#include "expr/function_table.h"
#include "frontend/compiled_line.h"
#include "frontend/keywords.h"

namespace torvic::testing {
namespace {

std::vector<uint8_t> CompileBytes(std::string_view text, size_t* consumed = nullptr) {
  CodeBuffer out;
  size_t pos = 0;
  if (!CompileExpression(text, pos, out)) return {};
  if (consumed) *consumed = pos;
  return std::vector<uint8_t>(out.Data() + kLineHeaderSize, out.Data() + out.Size());
}

TEST(ExprCompiler, RefusesMalformedText) {
  const char* bad[] = {
      "",          "1 +",       "(1",        "(1 + 2",      "*3",           "&X1",
      "&H",        "&HG",       ".",         "MID$(A$,,3)", "LEFT$",        "ABS(1, 2)",
      "ABS",       "TOTAL",     "ORDER + 1", "A(",          "A()",          "A(1,",
      "FN",        "CHR$()",    "MAX()",     "SWITCH(1)",   "USR(1, 2)",    "LBOUND()",
      "MAXLEN(A)", "VARPTR(1)", "%",         "%TO",         "INSTR(\"A\")", "MKTIME(1, 2)",
  };
  for (const char* t : bad) EXPECT_TRUE(CompileBytes(t).empty()) << t;
}

TEST(ExprCompiler, StopsWhereTheExpressionEnds) {
  struct Case {
    const char* text;
    size_t consumed;
  };
  const Case cases[] = {
      {"1 TO 10", 1}, {"A) + 1", 1}, {"X, Y", 1},      {"1E", 1},
      {"1E+", 1},     {"2ANDX", 5},  {"\"A\" ; B", 3}, {"A$ : PRINT", 2},
  };
  for (const Case& c : cases) {
    size_t consumed = 0;
    ASSERT_FALSE(CompileBytes(c.text, &consumed).empty()) << c.text;
    EXPECT_EQ(consumed, c.consumed) << c.text;
  }
}

// Expected code, written as the items the compiler must produce.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& Num(double v) {
    b.push_back(item::kNumber);
    uint8_t d[8];
    WriteF64(d, v);
    b.insert(b.end(), d, d + 8);
    return *this;
  }
  Bytes& Str(std::string_view s) {
    U8(item::kString).U8(static_cast<uint8_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    return U8(0);
  }
  // Call item; links are whatever the chain gives, so they are masked.
  Bytes& Call(uint8_t number, uint8_t flag, uint8_t signature) {
    return U8(item::kCall).U8(0xEE).U8(0xEE).U8(0).U8(number).U8(flag).U8(signature);
  }
};

// Compares with 0xEE 0xEE standing for any link.
void ExpectCode(std::string_view text, const Bytes& want) {
  std::vector<uint8_t> got = CompileBytes(text);
  ASSERT_EQ(got.size(), want.b.size() + 1) << text;
  for (size_t i = 0; i < want.b.size(); ++i) {
    if (want.b[i] == 0xEE && i + 1 < want.b.size() && want.b[i + 1] == 0xEE) {
      ++i;
      continue;
    }
    EXPECT_EQ(got[i], want.b[i]) << text << " at " << i;
  }
  EXPECT_EQ(got.back(), 0) << text;
}

TEST(ExprCompiler, DefaultArgumentsAndSpecialForms) {
  ExpectCode("LEFT$(\"HELLO\")", Bytes().Str("HELLO").Num(1).Call(69, 1, 19));
  ExpectCode(
      "MID$(A$, 2)",
      Bytes().U8(7).U8(0xEE).U8(0xEE).U8(0).U8(1).U8('A').U8(0).Num(2).Num(1).Call(82, 1, 20));
  ExpectCode("DATE$", Bytes().U8(item::kCurrentTime).Call(29, 1, 14));
  ExpectCode("DATE $", Bytes().U8(item::kCurrentTime).Call(29, 1, 14));
  ExpectCode("QUOTE$(\"X\")", Bytes().Str("X").Str("\"\"").Call(100, 1, 22));
  ExpectCode("SCREEN(1,2,3,4)",
             Bytes().Num(1).Num(2).Num(3).Num(4).U8(128).U8(129).Call(244, 0, 6));
  ExpectCode("MAX(1, 2)", Bytes().Num(1).Num(2).Call(78, 0, 4));
  ExpectCode("MAX(1, 2, 3)", Bytes().Num(1).Num(2).Num(3).Call(78, 0, 145).U8(3));
  ExpectCode("CHR$(1)", Bytes().Num(1).Call(16, 1, 14));
  ExpectCode("CHR$(1, 2)", Bytes().Num(1).Num(2).Call(16, 1, 144).U8(2));
  ExpectCode("INSTR(1, \"A\", \"B\")", Bytes().Num(1).Str("A").Str("B").Call(63, 0, 7));
  ExpectCode("MKTIME(1, 2, 3)", Bytes().Num(1).Num(2).Num(3).Num(0).Num(0).Num(0).Call(88, 0, 130));
  ExpectCode("USR3(1)", Bytes().Num(1).Call(215, 0, 160).U8(3));
  ExpectCode("SADD(A$)",
             Bytes().Call(206, 0, 134).U8(7).U8(0xEE).U8(0xEE).U8(0).U8(1).U8('A').U8(0));
  ExpectCode("LBOUND(B)",
             Bytes().Call(250, 0, 176).U8(5).U8(0xEE).U8(0xEE).U8(0).U8(1).Num(1).U8(0));
  ExpectCode("SWITCH(1, 2, 3, 4)", Bytes().Num(1).Num(2).Num(3).Num(4).Call(187, 0, 133).U8(2));
  ExpectCode(
      "FN F(1)",
      Bytes().Num(1).U8(4).U8(0xEE).U8(0xEE).U8(0).U8(50).U8(0).U8(128).U8(1).U8('F').U8(0).U8(1));
  ExpectCode("-2 ^ 2", Bytes().Num(2).Num(2).U8(3).U8(2).U8(3).U8(1));
  ExpectCode("NOT A = B", Bytes()
                              .U8(5)
                              .U8(0xEE)
                              .U8(0xEE)
                              .U8(0)
                              .U8(0)
                              .U8(5)
                              .U8(0xEE)
                              .U8(0xEE)
                              .U8(0)
                              .U8(1)
                              .U8(3)
                              .U8(11)
                              .U8(3)
                              .U8(17));
}

TEST(ExprCompiler, ReferencesAreThreadedOnTheirChains) {
  CodeBuffer out;
  const std::string_view text = "A + B1(C) + %K + LEN(D$) + FN G";
  size_t pos = 0;
  ASSERT_TRUE(CompileExpression(text, pos, out));
  auto walk = [&](Chain c) {
    std::vector<uint8_t> codes;
    for (uint16_t at = ChainHead(out.Data(), c); at != 0; at = ReadU16(out.Data() + at))
      codes.push_back(out.Data()[at - 1]);  // the item code sits before its link
    return codes;
  };
  EXPECT_EQ(walk(Chain::Variable), (std::vector<uint8_t>{5, 8, 5, 7}));
  EXPECT_EQ(walk(Chain::Constant), (std::vector<uint8_t>{10}));
  EXPECT_EQ(walk(Chain::BuiltinFunction), (std::vector<uint8_t>{4}));
  EXPECT_EQ(walk(Chain::UserFunction), (std::vector<uint8_t>{4}));
}

TEST(ExprCompiler, DefFnParametersCompileToSlots) {
  DefFnParams params;
  params.params[0] = {"X", false};
  params.params[1] = {"N", true};
  params.count = 2;
  CodeBuffer out;
  size_t pos = 0;
  ASSERT_TRUE(CompileExpression("X + N$ + N", pos, out, &params));
  const uint8_t* p = out.Data() + kLineHeaderSize;
  EXPECT_EQ(p[0], item::kNumericParam);
  EXPECT_EQ(p[1], 0);
  EXPECT_EQ(p[2], item::kStringParam);
  EXPECT_EQ(p[3], 1);
  EXPECT_EQ(p[4], item::kOperator);
  EXPECT_EQ(p[6], item::kLetter);  // N without "$" is the letter variable
}

TEST(ExprCompiler, LongNamesShareTheirFirst31Characters) {
  Session s;
  ASSERT_EQ(s.Let("V234567890123456789012345678901XYZ = 5"), 0);
  EXPECT_EQ(s.Num("V234567890123456789012345678901ABC"), 5);
}

TEST(FunctionTable, RowsAndMatching) {
  auto table = FunctionTable();
  ASSERT_EQ(table.size(), 268u);
  EXPECT_STREQ(table.front().name, "column");
  EXPECT_STREQ(table.back().name, "ubound");
  struct Case {
    const char* text;
    const char* name;
    size_t length;
  };
  const Case cases[] = {
      {"LOWER$(X$)", "lower$", 6}, {"LOWER(X$)", "lower", 5}, {"left $(A$)", "left$", 6},
      {"INPUT $", "input", 0},     {"HEX$(1)", "hex$", 4},    {"TIMER", "timer", 5},
      {"SQRT(2)", "sqrt", 4},      {"USR1(2)", "usr", 3},     {"instrrev(A$)", "instrrev", 8},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    const int row = FunctionNameAt(c.text, pos);
    if (c.length == 0) {  // input$ needs its "$" directly after the letters
      EXPECT_TRUE(row < 0 || std::string_view(table[static_cast<size_t>(row)].name) != "input$")
          << c.text;
      continue;
    }
    ASSERT_GE(row, 0) << c.text;
    EXPECT_STREQ(table[static_cast<size_t>(row)].name, c.name) << c.text;
    EXPECT_EQ(pos, c.length) << c.text;
  }
  // Every default belongs to an optional-arguments row, so none is dead.
  for (const DefaultArg& d : DefaultArgTable()) {
    bool found = false;
    for (const FunctionRow& r : table)
      if (r.number == d.number && r.optionalArgs && d.position < r.argCount) found = true;
    EXPECT_TRUE(found) << int(d.number);
  }
}

}  // namespace
}  // namespace torvic::testing
