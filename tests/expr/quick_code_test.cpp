// The quick path of number expressions runs only for the running program's
// lines; commands typed at the prompt take the general evaluator. So each
// expression here is printed twice, once from a program line and once as
// a command, and the two outputs must agree (values, errors, variables
// created on the way).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "../engine/session.h"

namespace torvic {
namespace {

// Variables every case can read; Q has elements 0..5 and R is 3 x 4.
constexpr const char* kSetup =
    "A=3:B=-2.5:C=0:D=1E300:E=0.1:XX=7:YY=-0.000001:DIM Q(5):Q(1)=2:Q(2)=10:Q(3)=0.5:"
    "DIM R(3,4):R(2,3)=6";

// Without the line number of program errors, and without line ends (a
// message that reaches column 80 wraps without one).
std::string Comparable(std::string s) {
  for (size_t at; (at = s.find(" in 10")) != std::string::npos;) s.erase(at, 6);
  std::erase(s, '\n');
  return s;
}

// What the program line prints, and what the same command prints.
std::pair<std::string, std::string> BothWays(const std::string& expr) {
  Session program;
  program.Run(std::string("5 ") + kSetup + "\n10 PRINT " + expr + "\nRUN\n");
  std::string ran = program.transcript;
  ran = ran.substr(ran.find("RUN\n") + 4);

  Session command;
  const std::string line = "PRINT " + expr + "\n";
  command.Run(std::string(kSetup) + "\n" + line);
  std::string typed = command.transcript;
  typed = typed.substr(typed.rfind(line) + line.size());
  return {Comparable(ran), Comparable(typed)};
}

// The same through an assignment: a program line's LET of one number
// target runs without its handler, a command's LET takes the general way.
std::pair<std::string, std::string> AssignedBothWays(const std::string& expr) {
  return BothWays(std::string("0:Z=") + expr + ":PRINT Z;");
}

TEST(QuickCode, ProgramLinesPrintWhatCommandsPrint) {
  const std::vector<const char*> cases = {
      "A+B*2-XX/4",
      "A/3*3",
      "E+E+E",
      "0.1*3",
      "1/3",
      "A^2",
      "2^0.5",
      "(-8)^(1/3)",
      "B\\A",
      "7 MOD A",
      "A AND 6",
      "NOT B",
      "NOT 1.7",
      "A OR XX",
      "A XOR 1",
      "A EQV 3",
      "A IMP 0",
      "A<XX",
      "A>XX",
      "A=3",
      "A<>3",
      "A<=3",
      "A>=4",
      "-A",
      "--A",
      "D*D",
      "D*-D",
      "1E-300*1E-300",
      "A/C",
      "C/C",
      "A\\C",
      "A MOD C",
      "D+D",
      "-D-D",
      "YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*"
      "YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY*YY",
      "Q(1)+Q(2)*Q(3)",
      "Q(Q(1))",
      "Q(A-1)",
      "Q(6)",
      "Q(-1)",
      "Q(1.5)",
      "Q(2.5)",
      "R(2,3)*2",
      "R(3,4)",
      "R(4,1)",
      "R(1)",
      "S(3)+1",
      "S(11)",
      "T(1,2,3)",
      "ZZ+1",
      "SIN(A)+COS(B)",
      "LOG(A)",
      "LOG(C)",
      "LOG(B)",
      "SQR(B)",
      "SQR(XX)",
      "EXP(1000)",
      "EXP(-1000)",
      "INT(B)",
      "ABS(B)",
      "SGN(B)",
      "ATN(1)*4",
      "PI",
      "MAX(A,XX)",
      "MIN(A,B)",
      "FACT(5)",
      "4294967296 AND 1",
      "1+(2+(3+(4+(5+(6+(7+(8+(9+(10+(11+(12+(13+(14+(15+(16+(17+(18+(19+(20+(21+(22+(23+(24+(25+("
      "26+(27+(28+(29+(30+(31+(32+(33+34))))))))))))))))))))))))))))))))",
      "A+\"x\"",
      "LEN(\"abc\")+A",
      "%UNDEF+1",
      // Squares: whole numbers up to 2^26 multiply, everything else takes ^.
      "B^2",
      "D^2",
      "E^2",
      "YY^2",
      "(A-3)^2",
      "(-0)^2",
      "67108863^2",
      "67108864^2",
      "-1E10^2",
      "Q(2)^2^2",
      "2^2",
      // Every one-number function that needs only its number.
      "CBR(-8)",
      "CUBE(B)",
      "EXP2(10)",
      "EXP10(400)",
      "LOG2(8)",
      "LOG10(C)",
      "INV(C)",
      "INV(B)",
      "TAN(A)",
      "SEC(0)",
      "CSC(C)",
      "COT(A)",
      "ASIN(2)",
      "ACOS(E)",
      "SINH(1000)",
      "COSH(B)",
      "TANH(A)",
      "DEG(A)",
      "RAD(180)",
      "FP(B)",
      "FIX(B)",
      "CEIL(B)",
      "INT(-E)",
      "SGN(C)",
  };
  for (const char* expr : cases) {
    const auto [ran, typed] = BothWays(expr);
    EXPECT_EQ(ran, typed) << expr;
    const auto [assigned, typedAssigned] = AssignedBothWays(expr);
    EXPECT_EQ(assigned, typedAssigned) << "Z=" << expr;
  }
}

// Random expressions over the same variables: atoms, unary and binary
// operators and number functions nested a few levels.
class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}
  std::string Expression(int depth) {
    const int pick = Pick(depth <= 0 ? 3 : 9);
    switch (pick) {
      case 0: return Atom();
      case 1: return Atom();
      case 2: return Atom();
      case 3: return "-" + Expression(depth - 1);
      case 4:
        return "(" + Expression(depth - 1) + ")" + Operator() + "(" + Expression(depth - 1) + ")";
      case 5: return Expression(depth - 1) + Operator() + Expression(depth - 1);
      case 6: return Function() + "(" + Expression(depth - 1) + ")";
      case 7: return "Q(" + Expression(depth - 1) + ")";
      default: return "NOT (" + Expression(depth - 1) + ")";
    }
  }

 private:
  int Pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  std::string Atom() {
    static const char* const atoms[] = {"A",     "B",   "C",    "D",    "E",      "XX",   "YY",
                                        "ZZ",    "0",   "1",    "2",    "0.5",    "3.25", "1E20",
                                        "1E-20", "255", "Q(1)", "Q(2)", "R(2,3)", "7"};
    return atoms[Pick(sizeof atoms / sizeof *atoms)];
  }
  std::string Operator() {
    static const char* const ops[] = {"+",    "-",     "*", "/",  "^", "\\", " MOD ", " AND ",
                                      " OR ", " XOR ", "=", "<>", "<", ">",  "<=",    ">="};
    return ops[Pick(sizeof ops / sizeof *ops)];
  }
  std::string Function() {
    static const char* const fns[] = {"SIN", "COS", "INT", "ABS", "SQR", "LOG",   "EXP",
                                      "ATN", "SGN", "TAN", "CBR", "FP",  "LOG10", "SINH"};
    return fns[Pick(sizeof fns / sizeof *fns)];
  }
  std::mt19937 rng_;
};

TEST(QuickCode, RandomExpressionsAgreeWithTheGeneralEvaluator) {
  Generator g(20261206);
  for (int i = 0; i < 400; ++i) {
    const std::string expr = g.Expression(4);
    const auto [ran, typed] = i % 2 ? BothWays(expr) : AssignedBothWays(expr);
    ASSERT_EQ(ran, typed) << expr;
  }
}

// Plans keep variable records and decoded code; none of it may outlive the
// code or the records it was made from.
TEST(QuickCode, RetypedLinesAreDecodedAgain) {
  // Freed code is soon reused for new code of the same size: a line
  // retyped again and again lands where an earlier version was.
  std::string typed;
  std::string expected;
  for (int i = 0; i < 12; ++i) {
    static const char* const versions[] = {"AB+CD", "CD-AB", "AB*CD"};
    typed += std::string("10 AB=3:CD=2:PRINT ") + versions[i % 3] + "\nRUN\n";
    expected += i % 3 == 0 ? " 5\n" : i % 3 == 1 ? "-1\n" : " 6\n";
  }
  Session s;
  s.Run(typed);
  std::string printed;
  for (size_t at = 0; (at = s.transcript.find("RUN\n", at)) != std::string::npos; at += 4)
    printed += s.transcript.substr(at + 4, s.transcript.find('\n', at + 4) - at - 3);
  EXPECT_EQ(printed, expected) << s.transcript;
}

TEST(QuickCode, PlansFollowEditsAndRemovedVariables) {
  const std::vector<SessionCase> cases = {
      // Retyped twice, the third code is likely to sit where the first was.
      {"a retyped line reads its own names",
       "10 AB=1:CD=2:PRINT AB\nRUN\n10 AB=1:CD=2:PRINT AB\nRUN\n10 AB=1:CD=2:PRINT CD\nRUN\n",
       {},
       "RUN\n 2\n"},
      {"ERASE and DIM again: the new array is read",
       "10 DIM Q(5):Q(3)=7:X=Q(3):ERASE Q:DIM Q(20):Q(15)=4:Y=Q(15)+Q(3)\nRUN\n",
       {{'X', 7}, {'Y', 4}}},
      {"ERASE in a loop: the element is made anew each time",
       "10 FOR I=1 TO 3:V(1)=V(1)+I:S=S+V(1):ERASE V:NEXT I\nRUN\n",
       {{'S', 6}}},
      {"an array element read before and after REDIM",
       "10 DIM W(2):W(2)=5:A=W(2):REDIM W(9):W(9)=3:B=W(9)+W(2)\nRUN\n",
       {{'A', 5}, {'B', 3}}},
      // USR of an unknown address stops the run inside the expression: the
      // rest of the LET must not be read from inside that expression.
      {"a stop inside a LET expression ends the statement",
       "10 DEF USR1=999:A=5:A=USR1(2)+3,B=9\nRUN\n",
       {{'B', 0}},
       "Break in 10",
       "Internal error"},
      {"the same line run twice after a variable is created elsewhere",
       "10 P=P+K1\n20 K1=K1+1:IF K1<5 THEN 10\nRUN\n",
       {{'P', 10}}},
  };
  RunSessionCases(cases);
}

}  // namespace
}  // namespace torvic
