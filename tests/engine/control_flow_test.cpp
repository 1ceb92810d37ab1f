// Control flow and the DATA pointer, run as sessions: each case types a
// program (and commands), then checks letter variables and the messages
// the console showed.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "session.h"

namespace torvic {
namespace {

TEST(ControlFlow, JumpsAndSubroutines) {
  RunSessionCases({
      {"goto skips", "10 GOTO 30\n20 A=1\n30 B=1\nRUN\n", {{'A', 0}, {'B', 1}}},
      {"goto backward and by label",
       "10 A=A+1\n20 IF A<3 THEN 10\n30 GOTO *L\n40 B=9\n50 *L: C=1\nRUN\n",
       {{'A', 3}, {'B', 0}, {'C', 1}}},
      {"undefined line", "10 GOTO 99\nRUN\n", {}, "?Undefined line in 10, /GOTO 99/"},
      {"undefined label",
       "10 GOSUB *NOWHERE\nRUN\n",
       {},
       "?Undefined label in 10, /GOSUB *NOWHERE/"},
      {"gosub returns after the statement",
       "10 GOSUB 100: A=A+1\n20 END\n100 B=A+5: RETURN\nRUN\n",
       {{'A', 1}, {'B', 5}}},
      {"nested subroutines",
       "10 GOSUB 100: C=1: END\n100 GOSUB 200: A=1: RETURN\n200 B=1: RETURN\nRUN\n",
       {{'A', 1}, {'B', 1}, {'C', 1}}},
      {"return to a target drops the return point",
       "10 GOSUB 100\n20 A=1: END\n100 RETURN 200\n200 B=1\n210 RETURN\nRUN\n",
       {{'A', 0}, {'B', 1}},
       "?RETURN without GOSUB in 210, /RETURN/"},
      {"gosub typed at the prompt comes back to the line",
       "100 A=5: RETURN\nGOSUB 100: B=A+1\n",
       {{'A', 5}, {'B', 6}}},
      {"goto typed at the prompt runs without clearing", "10 B=A\nA=7: GOTO 10\n", {{'B', 7}}},
      {"return at the prompt", "RETURN\n", {}, "?RETURN without GOSUB, /RETURN/"},
      {"on goto: 0 and past the count go on, negative is an error",
       "10 ON 0 GOTO 100, 200: A=1\n20 ON 3 GOTO 100, 200: B=1\n25 ON 2.9 GOTO 30, 40\n"
       "30 END\n40 C=1\n50 ON -1 GOTO 100\n100 END\n200 END\nRUN\n",
       {{'A', 1}, {'B', 1}, {'C', 1}},
       "?Command error in 50, /ON -1 GOTO 100/"},
      {"on 256", "ON 256 GOTO 10\n", {}, "?Command error, /ON 256 GOTO 10/"},
      {"on gosub returns after the list",
       "10 ON 2 GOSUB 100, 200: C=1\n20 END\n100 A=1: RETURN\n200 B=1: RETURN\nRUN\n",
       {{'A', 0}, {'B', 1}, {'C', 1}}},
  });
}

TEST(ControlFlow, IfAndGoif) {
  RunSessionCases({
      {"the rest of the line is the then part", "IF 0 THEN A=1: B=2\n", {{'A', 0}, {'B', 0}}},
      {"true runs the then part",
       "X=1: IF X THEN A=1 ELSE B=2: C=3\n",
       {{'A', 1}, {'B', 0}, {'C', 0}}},
      {"else runs to the end of the line",
       "X=0: IF X THEN A=1 ELSE B=2: C=3\n",
       {{'A', 0}, {'B', 2}, {'C', 3}}},
      {"nested if", "X=1: Y=0: IF X THEN IF Y THEN A=1 ELSE B=1\n", {{'A', 0}, {'B', 1}}},
      {"then line, else line",
       "10 IF A THEN 100 ELSE 200\n100 B=1: END\n200 C=1\nRUN\n",
       {{'B', 0}, {'C', 1}}},
      {"if goto", "10 IF 1 GOTO 30\n20 A=1\n30 B=1\nRUN\n", {{'A', 0}, {'B', 1}}},
      {"a string condition", "IF \"A\" THEN A=1\n", {{'A', 0}}, "?Type mismatch"},
      {"goif true, false with and without an else target",
       "10 GOIF 1, 30\n20 A=1\n30 GOIF 0, 100\n40 GOIF 0, 100, 60\n50 B=1\n60 C=1: END\n100 "
       "D=1\nRUN\n",
       {{'A', 0}, {'B', 0}, {'C', 1}, {'D', 0}}},
      {"stray else",
       "10 A=1: ELSE B=1\nRUN\n",
       {{'A', 1}, {'B', 0}},
       "?ELSE without matching IF in 10"},
  });
}

TEST(ControlFlow, ForAndNext) {
  RunSessionCases({
      {"the body runs once when the limit is passed",
       "10 FOR I=1 TO 0\n20 A=A+1\n30 NEXT\nRUN\n",
       {{'A', 1}, {'I', 2}}},
      {"counting and stepping down",
       "FOR I=10 TO 1 STEP -3: A=A+I: NEXT I\n",
       {{'A', 22}, {'I', -2}}},
      {"fractional steps", "FOR I=0 TO 1 STEP 0.25: A=A+1: NEXT\n", {{'A', 5}, {'I', 1.25}}},
      {"the limit is taken before the variable is set",
       "I=5: FOR I=I TO I+2: A=A+1: NEXT\n",
       {{'A', 3}, {'I', 8}}},
      {"named variables", "FOR KK=1 TO 4: A=A+KK: NEXT KK\n", {{'A', 10}}},
      {"next j, i closes both loops",
       "10 FOR I=1 TO 3\n20 FOR J=1 TO 2\n30 A=A+1\n40 NEXT J, I\n50 B=1\nRUN\n",
       {{'A', 6}, {'I', 4}, {'J', 3}, {'B', 1}}},
      {"next of an outer loop ends the inner one",
       "10 FOR I=1 TO 2\n20 FOR J=1 TO 5\n30 NEXT I\n40 NEXT J\nRUN\n",
       {{'I', 3}},
       "?NEXT without matching FOR in 40, /NEXT J/"},
      {"re-entering a loop after goto out of it",
       "10 FOR I=1 TO 3\n20 GOTO 40\n30 NEXT\n40 C=C+1: IF C<3 THEN 10\n50 FOR I=1 TO 2: N=N+1: "
       "NEXT\nRUN\n",
       {{'C', 3}, {'N', 2}},
       nullptr,
       "?NEXT"},
      {"next without for", "10 NEXT\nRUN\n", {}, "?NEXT without matching FOR in 10, /NEXT/"},
      {"next of another variable",
       "FOR I=1 TO 2: NEXT J\n",
       {},
       "?NEXT without matching FOR, /NEXT J/"},
      {"a loop typed at the prompt ends with its line",
       "FOR I=1 TO 3: A=A+1\nNEXT\n",
       {{'A', 1}},
       "?NEXT without matching FOR, /NEXT/"},
      {"loops survive END and GOTO into the body continues them",
       "10 FOR I=1 TO 3\n20 A=A+1: IF A=2 THEN END\n30 NEXT\nRUN\nGOTO 30\n",
       {{'A', 3}, {'I', 4}}},
      {"an overflowing step",
       "FOR I=1E308 TO 1E308 STEP 1E308: NEXT\n",
       {{'I', 1e308}},
       "?Overflow error, /NEXT/"},
      {"a loop typed while stopped leaves the program's loop alone",
       "10 FOR I=1 TO 3\n20 A=A+1: STOP\n30 NEXT\nRUN\nFOR J=1 TO 2: NEXT\nCONT\nCONT\nCONT\n",
       {{'A', 3}, {'I', 4}, {'J', 3}},
       nullptr,
       "?"},
  });
}

TEST(ControlFlow, DataPointer) {
  Session s;
  s.Run(
      "10 DATA 1, -2.5, &H10, 1E3 , \"X,Y\", hello world, \"A\"\"B\"\n"
      "20 READ A, B, C, D, S$, T$, U$\n30 DATA 7\n40 READ E: RESTORE 30: READ F\n"
      "50 RESTORE: READ G: READ H, I\nRUN\n");
  EXPECT_EQ(s.Var('A'), 1);
  EXPECT_EQ(s.Var('B'), -2.5);
  EXPECT_EQ(s.Var('C'), 16);
  EXPECT_EQ(s.Var('D'), 1000);
  EXPECT_EQ(s.Text("S"), "X,Y");
  EXPECT_EQ(s.Text("T"), "hello world");
  EXPECT_EQ(s.Text("U"), "A\"B");
  EXPECT_EQ(s.Var('E'), 7);
  EXPECT_EQ(s.Var('F'), 7);
  EXPECT_EQ(s.Var('G'), 1);
  EXPECT_EQ(s.Var('I'), 16);
  EXPECT_EQ(s.transcript.find('?'), std::string::npos) << s.transcript;

  RunSessionCases({
      {"a word into a number",
       "10 DATA ABC\n20 READ A\nRUN\n",
       {},
       "?Syntax error in 20, /READ A/"},
      {"text after a number", "10 DATA 12X\n20 READ A\nRUN\n", {}, "?Syntax error in 20"},
      {"text after a closing quote",
       "10 DATA \"AB\"C\n20 READ A$\nRUN\n",
       {},
       "?Syntax error in 20"},
      {"too large and too small",
       "10 DATA 1E999, 1E-999\n20 ON ERROR GOTO 100\n30 READ A\n40 READ B\n50 END\n"
       "100 E=E*100+ERR: RESUME NEXT\nRUN\n",
       {{'E', 3652}}},
      {"out of data",
       "10 DATA 1\n20 READ A, B\nRUN\n",
       {{'A', 1}},
       "?Out of data in 20, /READ A, B/"},
      {"restore to a missing line",
       "10 RESTORE 99\nRUN\n",
       {},
       "?Undefined line in 10, /RESTORE 99/"},
      {"restore to a label", "10 DATA 1\n20 *L: DATA 2\n30 RESTORE *L: READ A\nRUN\n", {{'A', 2}}},
      {"run starts at the first item again",
       "10 DATA 5\n20 READ A: B=B+A\nRUN\nRUN\n",
       {{'A', 5}},
       nullptr,
       "?Out of data"},
      {"the pointer survives an error",
       "10 DATA 1, 2\n20 READ A\n30 X=1/0\nRUN\nREAD B\n",
       {{'B', 2}}},
      {"array elements",
       "10 DATA 3, 4\n20 FOR I=1 TO 2: READ Q(I): NEXT: A=Q(1)+Q(2)\nRUN\n",
       {{'A', 7}}},
  });
}

TEST(ControlFlow, WaitServesTheWindowOnTheVirtualClock) {
  Session s;
  s.Run("10 T=TIMER: WAIT 250: A=TIMER-T\n20 WAIT -1\nRUN\n");
  EXPECT_GE(s.Var('A'), 250);
  EXPECT_LT(s.Var('A'), 260);
  EXPECT_TRUE(s.Has("?Command error in 20, /WAIT -1/")) << s.transcript;
}

TEST(ControlFlow, StepZeroLoopsUntilBreak) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(300);
  };
  s.Run("10 FOR I=1 TO 3 STEP 0\n20 A=A+1\n30 NEXT\nRUN\n");
  EXPECT_GT(s.Var('A'), 50);
  EXPECT_EQ(s.Var('I'), 1);
  EXPECT_TRUE(s.Has("Break in ")) << s.transcript;
}

TEST(ControlFlow, GosubTypedWhileStoppedGoesBackToTheStoppedProgram) {
  Session s;
  s.Run("10 A=1\n20 STOP\n30 B=1: END\n100 C=1: RETURN\nRUN\nGOSUB 100\nCONT\n");
  EXPECT_EQ(s.Var('C'), 1);
  EXPECT_EQ(s.Var('B'), 1);
  EXPECT_FALSE(s.Has("?")) << s.transcript;
}

// A jump remembers the line its target named; each case makes the same
// jumps run before and after the program changes, so a remembered line
// that outlived the change would show.
TEST(ControlFlow, JumpsFollowProgramEdits) {
  const std::string loop = "10 K=K+1: IF K<3 THEN 30\n20 END\n30 A=A+1: GOTO 10\n";
  const std::vector<std::string> typed = {
      loop + "RUN\n30\nRUN\n",
      loop + "RUN\n30 B=B+1: GOTO 10\nRUN\n",
      loop + "RUN\n30\n30 B=B+1: GOTO 10\nRUN\n",
      loop + "RUN\nRENUM 100,10\nRUN\n",
      loop + "RUN\nNEW\n10 K=K+1: IF K<3 THEN 30\n20 END\n30 B=B+1: GOTO 10\nRUN\n",
      loop + "RUN\n30\n25 B=B+1: GOTO 10\n26 A=A+1: GOTO 10\nRUN\n",
      loop + "RUN\n30\n20 GOTO 30\n30 B=B+1: IF K<3 THEN 10\nRUN\n",
  };
  struct Expected {
    const char* name;
    double a, b, k;
    const char* shown;
  };
  const std::vector<Expected> expected = {
      {"a deleted target is undefined", 0, 0, 1, "?Undefined line in 10"},
      {"a retyped target", 0, 2, 3, nullptr},
      {"a deleted target typed again", 0, 2, 3, nullptr},
      {"renumbered", 2, 0, 3, nullptr},
      {"a new program after NEW", 0, 2, 3, nullptr},
      {"a deleted target and new lines before it", 0, 0, 1, "?Undefined line in 10"},
      {"a new line jumps to a new target", 0, 3, 3, nullptr},
  };
  for (size_t i = 0; i < typed.size(); ++i) {
    Session s;
    s.Run(typed[i]);
    const Expected& e = expected[i];
    EXPECT_EQ(s.Var('A'), e.a) << e.name << "\n" << s.transcript;
    EXPECT_EQ(s.Var('B'), e.b) << e.name << "\n" << s.transcript;
    EXPECT_EQ(s.Var('K'), e.k) << e.name << "\n" << s.transcript;
    if (e.shown) { EXPECT_TRUE(s.Has(e.shown)) << e.name << "\n" << s.transcript; }
  }
}

TEST(ControlFlow, JumpsAfterStoppedStateEdits) {
  RunSessionCases({
      {"an edit while stopped ends CONT; GOTO runs the new line",
       "10 K=K+1: IF K<4 THEN 30\n20 END\n30 IF K=2 THEN STOP\n40 A=A+1: GOTO 10\nRUN\n"
       "40 B=B+1: GOTO 10\nCONT\nGOTO 40\n",
       {{'A', 0}, {'B', 2}, {'K', 2}},
       "?Cannot continue"},
      {"return to a deleted line's subroutine call",
       "10 GOSUB 100: A=1\n20 END\n100 STOP: RETURN\nRUN\n10\nRETURN\n",
       {{'A', 0}},
       "?RETURN without GOSUB"},
      {"a trap's target retyped",
       "10 ON ERROR GOTO 100\n20 K=K+1: IF K<3 THEN 50\n30 END\n50 X=1/0\n100 A=A+1: RESUME 20\n"
       "RUN\n100 B=B+1: RESUME 20\nRUN\n",
       {{'A', 0}, {'B', 2}, {'K', 3}}},
      {"on gosub to a retyped subroutine",
       "10 K=K+1: ON K GOSUB 100, 200: IF K<2 THEN 10\n20 END\n100 A=A+1: RETURN\n"
       "200 A=A+10: RETURN\nRUN\n200 B=B+1: RETURN\nRUN\n",
       {{'A', 1}, {'B', 1}, {'K', 2}}},
  });
}

TEST(ControlFlow, BreakStopsATightJumpLoop) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(300);
  };
  s.Run("10 A=A+1: GOTO 10\nRUN\n");
  EXPECT_GT(s.Var('A'), 50);
  EXPECT_TRUE(s.Has("Break in 10")) << s.transcript;
}

}  // namespace
}  // namespace torvic
