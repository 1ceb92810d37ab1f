// The string functions and the MID$ / LEFT$ / RIGHT$ statements, compiled
// by the expression and statement compilers and run through the evaluator.
#include <gtest/gtest.h>

#include <string>

#include "expr/string_functions.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "function_cases.h"

namespace torvic::testing {
namespace {

TEST(StringFunctions, CuttingAndBuilding) {
  const StrCase cases[] = {
      {"LEFT$(\"abc\", 5)", "abc", 0},
      {"LEFT$(\"abc\", 0)", "", 0},
      {"LEFT$(\"abc\", -1)", "", kErrFunctionCallError},
      {"LEFT$(\"HELLO\")", "H", 0},
      {"LEFT$(\"abc\", 1.5)", "ab", 0},
      {"LEFT$(\"abc\", 65536)", "", kErrFunctionCallError},
      {"RIGHT$(\"abc\", 2)", "bc", 0},
      {"RIGHT$(\"abc\", 5)", "abc", 0},
      {"RIGHT$(\"abc\")", "c", 0},
      {"RIGHT$(\"abc\", 70000)", "", kErrFunctionCallError},
      {"MID$(\"abcdef\", 3, 2)", "cd", 0},
      {"MID$(\"abcdef\", 7)", "", 0},
      {"MID$(\"abcdef\", 0)", "", kErrFunctionCallError},
      {"MID$(\"abcdef\", 5, 10)", "ef", 0},
      {"MID$(\"abcdef\", 2)", "b", 0},
      {"SEG$(\"abcdef\", 6, 0)", "", 0},
      {"MID$(\"abc\", 1, -1)", "", kErrFunctionCallError},
      // Counts and positions round half up at both ends of their ranges.
      {"LEFT$(\"abc\", -0.5)", "", 0},
      {"LEFT$(\"abc\", -0.51)", "", kErrFunctionCallError},
      {"LEFT$(\"abc\", 65535.49)", "abc", 0},
      {"LEFT$(\"abc\", 65535.5)", "", kErrFunctionCallError},
      {"MID$(\"abc\", 0.5, 1)", "a", 0},
      {"MID$(\"abc\", 0.49, 1)", "", kErrFunctionCallError},
      {"MID$(\"abc\", 2.5, 0.5)", "c", 0},
      {"MID$(\"abc\", 1, 0.49)", "", 0},
      {"STRING$(\"XYZ\", 3)", "XXX", 0},
      {"STRING$(\"\", 3)", "", kErrFunctionCallError},
      {"STRING$(\"a\", -1)", "", kErrFunctionCallError},
      {"SPACE$(3)", "   ", 0},
      {"SPACE$(-1)", "", kErrFunctionCallError},
      {"REPEAT$(\"ab\", 40000)", "", kErrStringTooLong},
      {"REPEAT$(\"\", 9)", "", 0},
      {"REPEAT$(\"ab\", 3)", "ababab", 0},
      {"REPEAT$(\"a\", 65536)", "", kErrFunctionCallError},
      {"NUL$", std::string(1, '\0'), 0},
      {"ESC$", "\x1b", 0},
      {"RET$", "\r", 0},
      {"LCASE$(\"AbC1\")", "abc1", 0},
      {"LOWER$(\"XY\")", "xy", 0},
      {"UCASE$(\"aBc1\")", "ABC1", 0},
      {"UPPER$(\"q\")", "Q", 0},
      {"UCASE$(CHR$(233))", "\xe9", 0},
      {"REVERSE$(\"abc\")", "cba", 0},
      {"REVERSE$(\"\")", "", 0},
      {"COMPRESS$(\"  a   b \")", "a b", 0},
      {"COMPRESS$(\"   \")", "", 0},
      {"SQUEEZE$(\"a  b  c\")", "a b c", 0},
      {"COMPRESS$(\"ab\")", "ab", 0},
      {"LTRIM$(\"xxaxx\", \"x\")", "axx", 0},
      {"RTRIM$(\"xxaxx\", \"xyz\")", "xxa", 0},
      {"TRIM$(\"xxaxx\", \"x\")", "a", 0},
      {"LTRIM$(\"  a \")", "a ", 0},
      {"TRIM$(\"   \")", "", 0},
      {"TRIM$(\"a\", \"\")", "", kErrFunctionCallError},
      {"SET$(\"abc\", \"*\")", "***", 0},
      {"SET$(\"abc\")", "   ", 0},
      {"SET$(\"\", \"*\")", "", 0},
      {"QUOTE$(\"hi\")", "\"hi\"", 0},
      {"QUOTE$(\"hi\", \"(\")", "", kErrFunctionCallError},
      {"ENCLOSE$(\"hi\", \"<>\")", "<hi>", 0},
      {"ISEMPTY$(\"\", \"b\")", "b", 0},
      {"ISEMPTY$(\"a\", \"b\")", "a", 0},
      // not implemented, after the kinds are checked
      {"PROPER$(\"x\")", "", kErrNotSupported},
      {"REPLACE$(\"a\", 1, \"c\")", "", kErrNotSupported},
      {"REPLACE$(\"a\", \"b\", \"c\")", "", kErrTypeMismatch},
      {"CENTER$(\"a\", 5)", "", kErrNotSupported},
  };
  Session s;
  RunStringCases(s, cases, std::size(cases));
  EXPECT_EQ(s.Num("LEN(REPEAT$(\"a\", 65535))"), 65535);
  EXPECT_EQ(s.Num("LEN(STRING$(\"a\", 65535) + \"\")"), 65535);
}

TEST(StringFunctions, SearchingAndComparing) {
  const NumCase cases[] = {
      {"INSTR(\"abcabc\", \"c\")", 3, 0},
      {"INSTR(4, \"abcabc\", \"c\")", 6, 0},
      {"INSTR(\"abc\", \"\")", 1, 0},
      {"INSTR(\"\", \"x\")", 0, 0},
      {"INSTR(\"abc\", \"x\")", 0, 0},
      {"INSTR(0, \"abc\", \"a\")", 0, kErrFunctionCallError},
      {"INSTR(7, \"abcabc\", \"c\")", 0, 0},
      {"INDEXOF(\"abcabc\", \"ca\")", 3, 0},
      {"MATCH(\"abc\", \"abcd\")", 0, 0},
      {"LASTINDEXOF(\"abcabc\", \"bc\")", 5, 0},
      {"LASTINDEXOF(\"abcabc\", \"bc\", 4)", 2, 0},
      {"LASTINDEXOF(\"abcabc\", \"bc\", 1)", 0, 0},
      {"LASTINDEXOF(\"abcabc\", \"bc\", 99)", 5, 0},
      {"LASTINDEXOF(\"abcabc\", \"bc\", 0)", 0, kErrFunctionCallError},
      {"LASTINDEXOF(\"abc\", \"b\", 65536)", 0, kErrFunctionCallError},
      {"LASTINDEXOF(\"abc\", \"\")", 1, 0},
      {"INSTRREV(\"\", \"x\")", 0, 0},
      {"COUNT(\"aaaa\", \"aa\")", 2, 0},
      {"COUNT(\"abcabc\", \"c\")", 2, 0},
      {"COUNT(\"ababab\", \"aba\")", 1, 0},
      {"COUNT(\"\", \"a\")", 0, 0},
      {"COUNT(\"a\", \"\")", 0, 0},
      {"BEGINSWITH(\"abc\", \"ab\")", -1, 0},
      {"BEGINSWITH(\"abc\", \"\")", -1, 0},
      {"BEGINSWITH(\"ab\", \"abc\")", 0, 0},
      {"ENDSWITH(\"abc\", \"bc\")", -1, 0},
      {"ENDSWITH(\"abc\", \"ab\")", 0, 0},
  };
  Session s;
  RunNumericCases(s, cases, std::size(cases));
}

// A volume table with one volume, WORK, holding the first two temporary
// names.
struct TwoFileVolumes : FileNameVolumes {
  std::string CurrentVolume() override { return "WORK"; }
  bool VolumeExists(std::string_view v) override { return v == "WORK"; }
  bool FileExists(std::string_view v, std::string_view name) override {
    return v == "WORK" && (name == "00000000.tmp" || name == "00000001.tmp");
  }
};

TEST(StringFunctions, FileNames) {
  const StrCase cases[] = {
      {"SPLITNAME$(\"WORK:DATA.TXT\")", "DATA", 0},
      {"SPLITNAME$(\"WORK:DATA.TXT\", 1)", "TXT", 0},
      {"SPLITNAME$(\"WORK:DATA.TXT\", -1)", "WORK", 0},
      {"SPLITNAME$(\"NAME\", 0)", "NAME", 0},
      {"SPLITNAME$(\"NAME\", 1)", "", 0},
      {"SPLITNAME$(\"NAME\", -1)", "", 0},
      {"SPLITNAME$(\"A:B.C.D\")", "B.C", 0},
      {"SPLITNAME$(\"A.B:C\", -1)", "A.B", 0},
      {"SPLITNAME$(\"A.B:C\", 1)", "", 0},
      {"SPLITNAME$(\"X\", 2)", "", kErrFunctionCallError},
      {"FULLNAME$(\"LETTER\")", "TORVIC:LETTER.dat", 0},
      {"FULLNAME$(\"W:X.txt\")", "W:X.txt", 0},
      {"FULLNAME$(\"X.\")", "TORVIC:X.", 0},
      {"FULLNAME$(\"X\", \"bas\")", "TORVIC:X.bas", 0},
      {"FULLNAME$(\"\")", "", kErrFunctionCallError},
      {"TEMPNAME$(\"NOPE\")", "", kErrVolumeDoesNotExist},
      {"TEMPNAME$(\"\")", "", kErrFunctionCallError},
      {"TEMPNAME$(\"BAD NAME\")", "", kErrFunctionCallError},
      {"TEMPNAME$(\"ABCDEFGHIJKLMNOP\")", "", kErrFunctionCallError},
  };
  Session s;
  RunStringCases(s, cases, std::size(cases));

  // The built-in volume holds no files, so each call takes the next counter.
  const std::string a = s.Eval("TEMPNAME$(\"torvic\")").value.str.ToStdString();
  const std::string b = s.Eval("TEMPNAME$(\"TORVIC\", \"x\")").value.str.ToStdString();
  ASSERT_EQ(a.size(), 19u) << a;
  EXPECT_EQ(a.substr(0, 7), "torvic:");
  EXPECT_EQ(a.substr(15), ".tmp");
  EXPECT_EQ(a.substr(7, 8).find_first_not_of("0123456789ABCDEF"), std::string::npos) << a;
  EXPECT_EQ(b.substr(0, 7), "TORVIC:");
  EXPECT_NE(a.substr(7, 8), b.substr(7, 8));

  // With a volume table: the current volume, and names whose files exist
  // are skipped.
  TwoFileVolumes work;
  SetFileNameVolumes(&work);
  EXPECT_EQ(s.Eval("FULLNAME$(\"LETTER\")").value.str.ToStdString(), "WORK:LETTER.dat");
  EXPECT_EQ(s.Error("TEMPNAME$(\"TORVIC\")"), kErrVolumeDoesNotExist);
  SetTempNameCounter(0);
  EXPECT_EQ(s.Eval("TEMPNAME$(\"WORK\")").value.str.ToStdString(), "WORK:00000002.tmp");
  EXPECT_EQ(s.Eval("TEMPNAME$(\"WORK\")").value.str.ToStdString(), "WORK:00000003.tmp");
  SetFileNameVolumes(nullptr);
}

// Runs a MID$, LEFT$ or RIGHT$ statement (the text after the word), compiled
// by the statement compiler as a typed line is; -1 when it does not compile.
int32_t RunStatement(Session& s, bool mid, std::string_view text) {
  CodeBuffer out;
  CompileLine((mid ? "MID$" : "LEFT$") + std::string(text), out);
  const RecordFrame frame = ReadFrame(out.Data(), kLineHeaderSize);
  if (frame.code != (mid ? stmt::kMid : stmt::kLeft)) return -1;
  const size_t operands = kLineHeaderSize + kRecordFrameSize;
  const Code area(out.Data(), operands + frame.operandLength);
  const int32_t e = (mid ? ExecuteMidStatement : ExecuteLeftRightStatement)(s.ev, area, operands);
  s.ev.ResetStack();
  return e;
}

TEST(StringFunctions, MidStatement) {
  struct Case {
    const char* before;
    const char* statement;
    const char* after;  // A$ afterwards
    int32_t error;
  };
  const Case cases[] = {
      {"HELLO", "(A$, 4, 5) = \"PING\"", "HELPING", 0},
      {"HELLO", "(A$, 7, 1) = \"X\"", "HELLO", kErrCommandError},
      {"HELLO", "(A$, 6) = \"!!\"", "HELLO!!", 0},  // count omitted: all of r
      {"HELLO", "(A$, 2, 1) = \"abc\"", "HaLLO", 0},
      {"HELLO", "(A$, 1, 0) = \"abc\"", "HELLO", 0},
      {"HELLO", "(A$, 2) = \"\"", "HELLO", 0},  // never shrinks
      {"HELLO", "(A$, 0, 1) = \"x\"", "HELLO", kErrCommandError},
      {"HELLO", "(A$, 1, -1) = \"x\"", "HELLO", kErrCommandError},
      {"HELLO", "(A$, 1, 70000) = \"x\"", "HELLO", kErrCommandError},
      {"HELLO", "(A$, 1.5, 1) = \"x\"", "HxLLO", 0},  // rounded half up
      // the ranges are checked before the replacement is evaluated
      {"HELLO", "(A$, 9, 1) = 1", "HELLO", kErrCommandError},
      {"HELLO", "(A$, 1, 1) = 1", "HELLO", kErrTypeMismatch},
      {"", "(A$, 1) = \"new\"", "new", 0},
  };
  Session s;
  for (const Case& c : cases) {
    s.vars.Scalar(kStringScalar, "A")->str.Assign(c.before);
    EXPECT_EQ(RunStatement(s, true, c.statement), c.error) << c.statement;
    EXPECT_EQ(s.vars.Scalar(kStringScalar, "A")->str.ToStdString(), c.after) << c.statement;
  }
  // A numeric target compiles and is refused when the statement runs.
  EXPECT_EQ(RunStatement(s, true, "(A, 1) = \"x\""), kErrTypeMismatch);
  EXPECT_EQ(RunStatement(s, true, "(A$, , 3) = \"x\""), -1);

  // An array element, and growth stopping at the string limit.
  ASSERT_EQ(s.Dim("B$(3)"), 0);
  EXPECT_EQ(RunStatement(s, true, "(B$(2), 1) = \"xy\""), 0);
  EXPECT_EQ(s.Eval("B$(2)").value.str.ToStdString(), "xy");
  s.vars.Scalar(kStringScalar, "L")->str.Assign(std::string(65535, 'a'));
  EXPECT_EQ(RunStatement(s, true, "(L$, 65535) = \"xyz\""), 0);
  const CBasicString& l = s.vars.Scalar(kStringScalar, "L")->str;
  EXPECT_EQ(l.Length(), 65535);
  EXPECT_EQ(l[65534], 'x');

  // A variable bound to a record buffer is unbound and takes the cut
  // replacement whole; the buffer keeps its bytes.
  uint8_t record[5] = {'A', 'B', 'C', 'D', 'E'};
  CBasicString& f = s.vars.Scalar(kStringScalar, "F")->str;
  f.Bind(record, 5);
  EXPECT_EQ(RunStatement(s, true, "(F$, 2, 2) = \"xyz\""), 0);
  EXPECT_FALSE(f.Borrowed());
  EXPECT_EQ(f.ToStdString(), "xy");
  EXPECT_EQ(std::string(record, record + 5), "ABCDE");
}

TEST(StringFunctions, LeftAndRightStatements) {
  Session s;
  s.vars.Scalar(kStringScalar, "A")->str.Assign("HELLO");
  EXPECT_EQ(RunStatement(s, false, "(A$, 2) = \"xy\""), kErrNotSupported);
  EXPECT_EQ(RunStatement(s, false, "(A$, -1) = \"xy\""), kErrCommandError);
  EXPECT_EQ(RunStatement(s, false, "(A$, 65536) = \"xy\""), kErrCommandError);
  EXPECT_EQ(RunStatement(s, false, "(A$, 2) = 5"), kErrTypeMismatch);
  EXPECT_EQ(s.vars.Scalar(kStringScalar, "A")->str.ToStdString(), "HELLO");
}

}  // namespace
}  // namespace torvic::testing
