// Variables, arrays, constants and user functions, driven through compiled
// statements and expressions.
#include <gtest/gtest.h>

#include "expr_session.h"

namespace torvic::testing {
namespace {

TEST(Variables, ReadsCreateVariables) {
  Session s;
  EXPECT_EQ(s.Num("Q"), 0);
  Result r = s.Eval("N1$");
  ASSERT_TRUE(r.value.IsString());
  EXPECT_TRUE(r.value.str.Empty());
  EXPECT_NE(s.vars.FindScalar(kStringScalar, "N1"), nullptr);
  EXPECT_EQ(s.vars.FindScalar(kNumericScalar, "Q"), nullptr);  // a letter: no named record
}

TEST(Variables, LetGroupsAndKinds) {
  Session s;
  struct Case {
    const char* let;
    int32_t error;
    const char* check;
    double value;
  };
  const Case cases[] = {
      {"A, B, C = 7", 0, "A + B + C", 21},
      {"A = 1, B = 2", 0, "A * 10 + B", 12},
      {"A, B$ = 1", kErrTypeMismatch, "A", 1},
      {"B$ = 1", kErrTypeMismatch, "0", 0},
      {"X = 1 / 3", 0, "X * 3", 0.999999999999999},
      {"X(2.5) = 4", 0, "X(3)", 4},
      {"T$, U$ = \"hi\"", 0, "T$ = U$ AND U$ = \"hi\"", -1},
      {"LONGNAME = 3, LONGNAME$ = \"s\"", 0, "LONGNAME", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(s.Let(c.let), c.error) << c.let;
    EXPECT_EQ(s.Num(c.check), c.value) << c.let;
  }
}

TEST(Variables, AutomaticArrays) {
  Session s;
  struct Case {
    bool running;
    const char* let;
    int32_t error;
  };
  const Case cases[] = {
      {true, "A(10) = 1", 0},
      {true, "A(11) = 1", kErrBadSubscript},
      {true, "B(1,2,3,4) = 0", kErrBadSubscript},
      {true, "C(1,2,3) = 5", 0},
      {true, "C(1,2) = 5", kErrBadSubscript},
      {true, "D(-1) = 0", kErrBadSubscript},
      {true, "D(65537) = 0", kErrBadSubscript},
      {true, "E$(0) = \"x\"", 0},
      {false, "F(0) = 1", 0},
  };
  for (const Case& c : cases) {
    s.env.running = c.running;
    EXPECT_EQ(s.Let(c.let), c.error) << c.let;
  }
  EXPECT_EQ(s.vars.FindArray(kNumericArray, "A")->extents[0], 11);
}

TEST(Variables, DimRules) {
  Session s;
  struct Case {
    const char* dim;
    int32_t error;
  };
  const Case cases[] = {
      {"A(0)", kErrBadSubscript},
      {"A$(0)", 0},
      {"B(5)", 0},
      {"B(5)", kErrAlreadyDimensioned},
      {"C(4096, 4096)", kErrBadSubscript},
      {"D(65536)", 0},
      {"E(65537)", kErrBadSubscript},
      {"F(1,1,1,1,1,1,1,1,1,1)", 0},
      {"G(1,1,1,1,1,1,1,1,1,1,1)", kErrBadSubscript},
      {"H(2), B(3), I(4)", kErrAlreadyDimensioned},  // H stays
      {"J(\"x\")", kErrTypeMismatch},
  };
  for (const Case& c : cases) EXPECT_EQ(s.Dim(c.dim), c.error) << c.dim;
  EXPECT_NE(s.vars.FindArray(kNumericArray, "H"), nullptr);
  EXPECT_EQ(s.vars.FindArray(kNumericArray, "I"), nullptr);
  EXPECT_EQ(s.Erase("B"), 0);
  EXPECT_EQ(s.Dim("B(5)"), 0);
}

TEST(Variables, OptionBase) {
  Session s;
  // The base is an expression, rounded; only 0 and 1 are bases.
  for (const char* bad : {"2", "-1", "1.5", "B+2"})
    EXPECT_EQ(s.Option(false, bad), kErrCommandError) << bad;
  EXPECT_EQ(s.Option(false, "\"1\""), kErrTypeMismatch);
  EXPECT_EQ(s.Let("B = 0.6"), 0);
  EXPECT_EQ(s.Option(false, "B"), 0);
  EXPECT_EQ(s.Dim("A(3)"), 0);
  EXPECT_EQ(s.Num("LBOUND(A)"), 1);
  EXPECT_EQ(s.Num("UBOUND(A)"), 3);
  EXPECT_EQ(s.Num("SIZE(A)"), 3);
  EXPECT_EQ(s.Error("A(0)"), kErrBadSubscript);
  EXPECT_EQ(s.Option(false, "0"), kErrAlreadyDimensioned);
  s.env.running = false;
  EXPECT_EQ(s.Option(true), kErrModeError);
  // Automatic arrays in immediate mode use base 0.
  EXPECT_EQ(s.Let("Z(0) = 1"), 0);
}

TEST(Variables, OptionExplicit) {
  Session s;
  EXPECT_EQ(s.Option(true), 0);
  EXPECT_EQ(s.Let("A(1) = 1"), kErrBadSubscript);
  EXPECT_EQ(s.Erase("NOPE"), kErrBadSubscript);
  EXPECT_EQ(s.Clear("NOPE"), kErrBadSubscript);
  EXPECT_EQ(s.Let("S = 1"), 0);  // scalars are still created
  s.env.running = false;
  EXPECT_EQ(s.Let("A(1) = 1"), 0);
}

TEST(Variables, RedimPreserveMatchesBySubscripts) {
  Session s;
  ASSERT_EQ(s.Dim("M(2, 2)"), 0);  // 3 x 3
  for (int i = 0; i <= 2; ++i)
    for (int j = 0; j <= 2; ++j)
      ASSERT_EQ(s.Let("M(" + std::to_string(i) + "," + std::to_string(j) +
                      ") = " + std::to_string(i * 10 + j)),
                0);
  ASSERT_EQ(s.Dim("M(5, 5)", 1), 0);
  for (int i = 0; i <= 5; ++i)
    for (int j = 0; j <= 5; ++j)
      EXPECT_EQ(s.Num("M(" + std::to_string(i) + "," + std::to_string(j) + ")"),
                i <= 2 && j <= 2 ? i * 10 + j : 0);
  ASSERT_EQ(s.Dim("M(1, 1)", 1), 0);  // shrinking keeps what still fits
  EXPECT_EQ(s.Num("M(1, 1)"), 11);
  EXPECT_EQ(s.Dim("M(5)", 1), kErrBadSubscript);  // dimension count must match
  ASSERT_EQ(s.Dim("M(3, 3)", 0), 0);
  EXPECT_EQ(s.Num("M(1, 1)"), 0);
  EXPECT_EQ(s.Dim("N$(4)", 1), 0);  // absent: created as by DIM
}

TEST(Variables, EraseAndClear) {
  Session s;
  ASSERT_EQ(s.Let("A(1) = 5, A$(2) = \"x\", B = 3, B$ = \"y\""), 0);
  EXPECT_EQ(s.Clear("A"), 0);
  EXPECT_EQ(s.Num("A(1)"), 0);
  EXPECT_EQ(s.Num("A$(2) = \"x\""), -1);
  EXPECT_EQ(s.Erase("ZQ$"), 0);
  EXPECT_EQ(s.vars.FindArray(kStringArray, "ZQ"), nullptr);
  EXPECT_EQ(s.Clear(""), 0);
  EXPECT_EQ(s.Num("B"), 0);
  EXPECT_EQ(s.Num("A$(2) = \"\""), -1);
  ASSERT_EQ(s.Let("B = 3"), 0);
  s.env.settings.SetMirror(12420, 15);  // CLEAR keeps the scalars
  EXPECT_EQ(s.Clear(""), 0);
  EXPECT_EQ(s.Num("B"), 3);
  EXPECT_EQ(s.Erase(""), 0);
  EXPECT_EQ(s.vars.FindArray(kStringArray, "A"), nullptr);
}

TEST(Variables, ArrayEnquiry) {
  Session s;
  EXPECT_EQ(s.Num("LBOUND(Z, 2)"), 0);
  const CVariable* z = s.vars.FindArray(kNumericArray, "Z");
  ASSERT_NE(z, nullptr);
  EXPECT_EQ(z->dimensions, 2);
  EXPECT_EQ(s.Num("MAXSIZE(Z)"), 121);
  EXPECT_EQ(s.Error("MAXSIZE(W)"), kErrBadSubscript);
  EXPECT_EQ(s.vars.FindArray(kNumericArray, "W"), nullptr);
  EXPECT_EQ(s.Error("UBOUND(Z, 3)"), kErrBadSubscript);
  EXPECT_EQ(s.Error("UBOUND(Z, 0)"), kErrBadSubscript);
  EXPECT_EQ(s.Error("SIZE(Y, 4)"), kErrBadSubscript);  // more than 3 automatic dimensions
  ASSERT_EQ(s.Dim("Q$(4, 7)"), 0);
  EXPECT_EQ(s.Num("UBOUND(Q$, 2) * 100 + SIZE(Q$)"), 705);
}

TEST(Variables, Constants) {
  Session s;
  EXPECT_EQ(s.Const("%X = Y + 1"), kErrIllegalConstant);
  EXPECT_EQ(s.Const("%X = FN F(1)"), kErrIllegalConstant);
  EXPECT_EQ(s.Const("%X = %NOPE + 1"), kErrUndefinedConstant);
  EXPECT_EQ(s.Const("%X = \"A\""), kErrTypeMismatch);
  EXPECT_EQ(s.Const("%X = 2"), 0);
  EXPECT_EQ(s.Num("%X"), 2);
  EXPECT_EQ(s.Const("%X = 3"), kErrConstRedefined);
  EXPECT_EQ(s.Const("%Y = %X * MAX(1, 4)"), 0);
  EXPECT_EQ(s.Num("%Y"), 8);
  s.env.running = false;
  EXPECT_EQ(s.Const("%Z = 1"), kErrModeError);
}

TEST(Variables, UserFunctions) {
  Session s;
  EXPECT_EQ(s.DefFn("F(X) = X * 2 + Y"), 0);
  ASSERT_EQ(s.Let("Y = 1"), 0);
  EXPECT_EQ(s.Num("FN F(4)"), 9);
  EXPECT_EQ(s.Error("FN F(1, 2)"), kErrFunctionCallError);
  EXPECT_EQ(s.Error("FN NOPE(1)"), kErrUndefinedFunction);
  EXPECT_EQ(s.DefFn("G(A) = FN H(A)"), kErrUndefinedFunction);
  EXPECT_EQ(s.DefFn("G(A) = %NOPE"), kErrUndefinedConstant);
  EXPECT_EQ(s.DefFn("S(A$, N) = N + (A$ = \"x\")"), 0);
  EXPECT_EQ(s.Num("FN S(\"x\", 5)"), 4);
  EXPECT_EQ(s.DefFn("W(A$) = A$"), 0);
  EXPECT_EQ(s.Error("FN W(\"x\")"), kErrTypeMismatch);  // numbers only
  EXPECT_EQ(s.DefFn("K = 42"), 0);
  EXPECT_EQ(s.Num("FN K"), 42);
  EXPECT_EQ(s.DefFn("P(X) = X"), 0);
  EXPECT_EQ(s.Error("FN P(\"s\")"), kErrTypeMismatch);  // a string in a numeric parameter
  s.env.running = false;
  EXPECT_EQ(s.DefFn("Q(X) = X"), kErrModeError);
}

TEST(Variables, NestedCallsKeepTheirOwnParameters) {
  Session s;
  ASSERT_EQ(s.DefFn("INNER(X) = X * 100"), 0);
  ASSERT_EQ(s.DefFn("OUTER(X) = FN INNER(X + 1) + X"), 0);
  EXPECT_EQ(s.Num("FN OUTER(2)"), 302);
}

TEST(Variables, RecursionIsBounded) {
  Session s;
  ASSERT_EQ(s.DefFn("R(X) = X"), 0);
  ASSERT_EQ(s.DefFn("R(X) = FN R(X + 1)"), 0);  // now calls itself
  EXPECT_EQ(s.Error("FN R(1)"), kErrOutOfMemory);
  EXPECT_EQ(s.vars.ParamDepth(), 0u);
  ASSERT_EQ(s.DefFn("R(X) = X"), 0);
  EXPECT_EQ(s.Num("FN R(7)"), 7);  // the evaluator is usable again
}

TEST(Variables, UsrServices) {
  Session s;
  EXPECT_EQ(s.DefUsr(0, "70000"), kErrCommandError);
  EXPECT_EQ(s.DefUsr(0, "-1"), kErrCommandError);
  ASSERT_EQ(s.Let("T$ = \"a\" + CHR$(13, 10) + \"b\" + CHR$(10), V = 1.5, F$ = \"WORK:GOOD.DAT\""),
            0);
  ASSERT_EQ(s.DefUsr(1, "17968"), 0);
  Result r = s.Eval("USR1(VARPTR(T$))");
  EXPECT_EQ(r.value.str.View(), std::string_view("a\rb\n"));
  r = s.Eval("USR1(VARPTR(V))");
  ASSERT_EQ(r.value.str.Length(), 8);
  EXPECT_EQ(ReadF64(r.value.str.Data()), 1.5);
  r = s.Eval("USR1(12345)");
  EXPECT_TRUE(r.value.IsString() && r.value.str.Empty());
  ASSERT_EQ(s.DefUsr(2, "21148"), 0);
  EXPECT_EQ(s.Num("USR2(VARPTR(F$))"), 1);
  EXPECT_EQ(s.Num("USR2(VARPTR(T$))"), 0);
  ASSERT_EQ(s.DefUsr(3, "768"), 0);
  EXPECT_EQ(s.Num("USR3(0)"), 0);
  EXPECT_FALSE(s.env.breakText.empty());
  EXPECT_EQ(s.Error("USR(\"x\")"), kErrTypeMismatch);
}

TEST(Variables, FieldBoundStringsAreUnboundByAssignment) {
  Session s;
  uint8_t record[4] = {'a', 'b', 'c', 'd'};
  CVariable* v = s.vars.Scalar(kStringScalar, "R");
  v->str.Bind(record, 4);
  EXPECT_EQ(s.Num("MAXLEN(R$)"), 4);
  ASSERT_EQ(s.Let("R$ = \"zz\""), 0);
  EXPECT_FALSE(v->str.Borrowed());
  EXPECT_EQ(std::string_view(reinterpret_cast<char*>(record), 4), "abcd");
  EXPECT_EQ(s.Num("MAXLEN(R$)"), 65535);
}

TEST(Variables, ResetProgramStateAndIncDec) {
  Session s;
  ASSERT_EQ(s.Let("A = 1, B$ = \"x\", C(1) = 2"), 0);
  ASSERT_EQ(s.Const("%K = 1"), 0);
  ASSERT_EQ(s.Option(false, "1"), kErrAlreadyDimensioned);
  s.vars.ResetProgramState();
  EXPECT_FALSE(s.vars.ArraysExist());
  EXPECT_EQ(s.Num("A"), 0);
  EXPECT_NE(s.vars.FindScalar(kStringScalar, "B"), nullptr);  // records stay
  EXPECT_EQ(s.Error("%K"), kErrUndefinedConstant);
  EXPECT_EQ(s.Option(false, "1"), 0);
  // INC looks its target up first, then answers "?Not supported".
  CodeBuffer out;
  size_t pos = 0;
  ASSERT_TRUE(CompileVariableReference("ZVAR", pos, out));
  EXPECT_EQ(ExecuteIncDec(s.ev, Session::Line(out), kLineHeaderSize), kErrNotSupported);
  EXPECT_NE(s.vars.FindScalar(kNumericScalar, "ZVAR"), nullptr);
}

TEST(BasicString, CompareSearchAndClamp) {
  struct Cmp {
    const char* a;
    const char* b;
    int want;
  };
  const Cmp cmps[] = {
      {"abc", "abd", -1}, {"ab", "abc", -1}, {"", "", 0}, {"\xC8", "A", -1}, {"b", "a", 1}};
  for (const Cmp& c : cmps) EXPECT_EQ(CBasicString::Compare(c.a, c.b), c.want) << c.a << "/" << c.b;
  EXPECT_EQ(CBasicString::CompareNoCase("Hello", "hELLO"), 0);
  CBasicString s("abcabc");
  EXPECT_EQ(s.Find("bc", 1), 2);
  EXPECT_EQ(s.Find("bc", 3), 5);
  EXPECT_EQ(s.Find("x", 1), -1);
  EXPECT_EQ(s.Find("", 4), 1);
  EXPECT_EQ(CBasicString().Find("a", 1), -1);
  EXPECT_EQ(s.FindLast("abc", 6), 4);
  EXPECT_EQ(s.FindLast("abc", 5), 1);
  EXPECT_EQ(s.FindLastByte('a'), 4);
  CBasicString big;
  big.AppendRepeated("xyz", 30000);
  EXPECT_EQ(big.Length(), CBasicString::kMaxLength);
  big.Append(big);  // self-append clamps too
  EXPECT_EQ(big.Length(), CBasicString::kMaxLength);
  s.Assign(s.View().substr(2));  // assignment from its own bytes
  EXPECT_EQ(s.View(), "cabc");
}

}  // namespace
}  // namespace torvic::testing
