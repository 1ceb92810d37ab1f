// Errors and traps as sessions on the scripted host: ON ERROR with every
// RESUME form, ERROR n, Break with and without ON BREAK, ON TIMER on the
// virtual clock, and the bound on nested stopped states and handlers.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "console/settings.h"
#include "session.h"

namespace torvic {
namespace {

TEST(Traps, OnErrorAndResume) {
  RunSessionCases({
      {"resume next skips the failing statement with ERR and ERL kept",
       "10 ON ERROR GOTO 100\n20 A=1/0\n30 B=1: END\n100 E=ERR: L=ERL: RESUME NEXT\nRUN\n",
       {{'E', 9}, {'L', 20}, {'B', 1}, {'A', 0}},
       nullptr,
       "?"},
      {"resume retries the statement",
       "10 ON ERROR GOTO 100\n20 A=10/D\n30 END\n100 D=2: RESUME\nRUN\n",
       {{'A', 5}},
       nullptr,
       "?"},
      {"resume next inside a line skips only the statement",
       "10 ON ERROR GOTO 100\n20 A=1: B=1/0: C=1\n30 END\n100 RESUME NEXT\nRUN\n",
       {{'A', 1}, {'B', 0}, {'C', 1}}},
      {"resume to a line",
       "10 ON ERROR GOTO 100\n20 A=1/0\n30 B=1\n40 C=1: END\n100 RESUME 40\nRUN\n",
       {{'B', 0}, {'C', 1}}},
      {"resume to a missing line is the handler's error",
       "10 ON ERROR GOTO 100\n20 A=1/0\n100 RESUME 999\nRUN\n",
       {},
       "?Undefined line in 100, /RESUME 999/"},
      {"on error resume next",
       "10 ON ERROR RESUME NEXT\n20 A=1/0: B=1\n30 E=ERR\nRUN\n",
       {{'B', 1}, {'E', 9}}},
      {"an error in the handler is reported",
       "10 ON ERROR GOTO 100\n20 A=1/0\n100 B=1: C=1/0\nRUN\n",
       {{'B', 1}},
       "?/0 error in 100, /C=1/0/"},
      {"the handler's target is looked up when the error comes",
       "10 ON ERROR GOTO 999\n20 A=1: B=1/0\nRUN\n",
       {{'A', 1}},
       "?Undefined line in 10, /ON ERROR GOTO 999/"},
      {"on error goto 0 clears the trap",
       "10 ON ERROR GOTO 100: ON ERROR GOTO 0\n20 A=1/0\n100 END\nRUN\n",
       {},
       "?/0 error in 20, /A=1/0/"},
      {"syntax errors are trapped",
       "10 ON ERROR GOTO 100\n20 FOO BAR\n30 END\n100 E=ERR: RESUME NEXT\nRUN\n",
       {{'E', 43}},
       nullptr,
       "?"},
      {"resume at the prompt", "RESUME\n", {}, "?Mode error, /RESUME/"},
      {"resume outside a handler", "10 RESUME\nRUN\n", {}, "?RESUME without ON in 10, /RESUME/"},
      {"on error at the prompt", "ON ERROR GOTO 10\n", {}, "?Mode error, /ON ERROR GOTO 10/"},
      {"errors at the prompt are never trapped",
       "10 ON ERROR GOTO 100\n20 STOP\n100 A=1: RESUME NEXT\n"
       "RUN\nX=1/0\n",
       {{'A', 0}},
       "?/0 error, /X=1/0/"},
      {"RUN clears ERR and ERL", "10 E=ERR\nX=1/0\nRUN\n", {{'E', 0}}},
  });
}

TEST(Traps, SyntaxErrorsCanBypassOnError) {
  Session s;
  s.memory.SetMirror(26435, 197);
  s.Run("10 ON ERROR GOTO 100\n20 A=1: FOO BAR\n30 B=1/0\n100 E=ERR: RESUME NEXT\nRUN\n");
  EXPECT_TRUE(s.Has("?Syntax error in 20, /FOO BAR/")) << s.transcript;
  EXPECT_EQ(s.Var('E'), 0);
}

TEST(Traps, ErrorStatementAndErrorTexts) {
  Session s;
  s.Run(
      "10 ERROR 200\nRUN\nE=ERR\nERROR 0\nERROR 256\nERROR 100\nERROR 43\n"
      "A$=ERR$(43): B$=ERR$(60): C$=ERR$(9.5)\nD$=ERR$(256)\n");
  EXPECT_TRUE(s.Has("?User defined error in 10, /ERROR 200/")) << s.transcript;
  EXPECT_EQ(s.Var('E'), 200);
  EXPECT_TRUE(s.Has("?Command error, /ERROR 0/"));
  EXPECT_TRUE(s.Has("?Command error, /ERROR 256/"));
  EXPECT_TRUE(s.Has("?Undefined error, /ERROR 100/"));
  EXPECT_TRUE(s.Has("?Syntax error, /ERROR 43/"));
  EXPECT_EQ(s.Text("A"), "Syntax error");
  EXPECT_EQ(s.Text("B"), "");
  EXPECT_EQ(s.Text("C"), "Duplicate label");  // 9.5 rounds up to 10
  EXPECT_TRUE(s.Has("?Function call error, /D$=ERR$(256)/"));
}

TEST(Traps, AssertAndLogEvaluateThenAreNotSupported) {
  RunSessionCases({
      {"assert", "ASSERT 1, \"X\"\n", {}, "?Not supported, /ASSERT 1, \"X\"/"},
      {"assert evaluates first", "ASSERT 1/0\n", {}, "?/0 error"},
      {"log", "LOG ON\n", {}, "?Not supported, /LOG ON/"},
  });
}

TEST(Traps, ResumeRetriesForEverUntilBreak) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(500);
  };
  s.Run("10 ON ERROR GOTO 100\n20 A=1/0\n100 C=C+1: RESUME\nRUN\n");
  EXPECT_GT(s.Var('C'), 50);
  EXPECT_TRUE(s.Has("Break in 100") || s.Has("Break in 20")) << s.transcript;
}

TEST(Traps, BreakWithAndWithoutOnBreak) {
  {
    // The handler resumes, the program goes on and ends by itself.
    Session s;
    s.onLine = [&](const std::string& t) {
      if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(20);
    };
    s.Run(
        "10 ON BREAK GOTO 100\n20 A=A+1: IF A<200 THEN 20\n30 END\n100 B=A: C=C+1: RESUME\nRUN\n");
    EXPECT_EQ(s.Var('A'), 200);
    EXPECT_EQ(s.Var('C'), 1);
    EXPECT_GT(s.Var('B'), 0);
    EXPECT_FALSE(s.Has("Break")) << s.transcript;
  }
  {
    // BKOFF: the key does nothing; ON BREAK turns Break on again.
    Session s;
    s.onLine = [&](const std::string& t) {
      if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(20);
    };
    s.onLine = [&](const std::string& t) {
      if (Session::EndsWith(t, "RUN\n")) s.PostBreakAfter(20);
      if (Session::EndsWith(t, "CHECK=1\n")) {
        EXPECT_FALSE(s.memory.BreakEnabled());
        EXPECT_EQ(s.Var('A'), 200);
      }
    };
    s.Run("10 A=A+1: IF A<200 THEN 10\nBKOFF\nRUN\nCHECK=1\n10 ON BREAK GOTO 20\n20 END\nRUN\n");
    EXPECT_FALSE(s.Has("Break")) << s.transcript;
    EXPECT_TRUE(s.memory.BreakEnabled());
  }
  {
    // A second Break while the break handler runs is ignored.
    Session s;
    s.onLine = [&](const std::string& t) {
      if (Session::EndsWith(t, "RUN\n")) {
        s.PostBreakAfter(5);
        s.PostBreakAfter(5);
      }
    };
    s.Run("10 ON BREAK GOTO 100\n20 GOTO 20\n100 C=C+1: IF C<100 THEN 100\n110 END\nRUN\n");
    EXPECT_EQ(s.Var('C'), 100);
    EXPECT_FALSE(s.Has("Break")) << s.transcript;
  }
}

TEST(Traps, OnTimerOnTheVirtualClock) {
  {
    Session s;
    s.host.SetAutoAdvance(1);
    s.Run(
        "10 ON TIMER = 50 GOTO 100\n20 A=A+1: GOTO 20\n100 T=T+1: IF T=3 THEN END\n110 "
        "RESUME\nRUN\n");
    EXPECT_EQ(s.Var('T'), 3);
    EXPECT_GE(s.host.TickCount(), 150u);
    EXPECT_GT(s.Var('A'), 10);
    EXPECT_FALSE(s.host.IsTimerActive(1));  // END kills the timer
    EXPECT_EQ(s.memory.Byte(SettingsMemory::kTimerArmedAddress), SettingsMemory::kTimerStopped);
  }
  {
    // TIMER OFF holds the events back, TIMER ON lets them through again,
    // and the armed state shows at its settings address.
    Session s;
    s.host.SetAutoAdvance(1);
    s.Run(
        "10 ON TIMER = 10 GOTO 100\n20 TIMER OFF: FOR I=1 TO 100: NEXT: A=T\n"
        "40 TIMER ON\n50 IF T=0 THEN 50\n60 TIMER OFF: STOP\n100 T=T+1: RESUME\nRUN\n");
    EXPECT_EQ(s.Var('A'), 0);
    EXPECT_GE(s.Var('T'), 1);
    EXPECT_EQ(s.memory.Byte(SettingsMemory::kTimerArmedAddress), SettingsMemory::kTimerDisarmed);
    EXPECT_TRUE(s.host.IsTimerActive(1));
    EXPECT_FALSE(s.Has("?")) << s.transcript;
  }
  RunSessionCases({
      {"interval 0",
       "10 ON TIMER = 0 GOTO 100\nRUN\n",
       {},
       "?Command error in 10, /ON TIMER = 0 GOTO 100/"},
      {"goto 0 stops the timer",
       "10 ON TIMER = 1000 GOTO 100\n20 ON TIMER = 1000 GOTO 0\n30 TIMER ON\n100 END\nRUN\n",
       {},
       "?Timer not set in 30, /TIMER ON/"},
      {"goto timer without on timer",
       "10 GOTO TIMER\nRUN\n",
       {},
       "?Timer not set in 10, /GOTO TIMER/"},
      {"goto timer runs the handler at once",
       "10 ON TIMER = 100000 GOTO 100\n20 TIMER OFF: GOTO TIMER: B=1\n30 END\n100 A=1: "
       "RESUME\nRUN\n",
       {{'A', 1}, {'B', 1}}},
      {"timer stop without a timer", "TIMER STOP\n", {}, nullptr, "?"},
      {"on timer at the prompt", "ON TIMER = 10 GOTO 100\n", {}, "?Mode error"},
      {"a missing handler is raised where ON ERROR sees it",
       "10 ON ERROR GOTO 200\n20 ON TIMER = 100 GOTO 999\n30 GOTO TIMER\n40 END\n200 E=ERR: RESUME "
       "NEXT\nRUN\n",
       {{'E', 51}}},
  });
}

TEST(Traps, TimerEventsWaitWhileStopped) {
  Session s;
  s.host.SetAutoAdvance(5);
  s.Run(
      "10 ON TIMER = 10 GOTO 100\n20 STOP\n30 IF T=0 THEN 30\n40 END\n100 T=T+1: RESUME\nRUN\n"
      "A=1\nA=2\nA=3\nA=4\nB=T\nCONT\n");
  EXPECT_EQ(s.Var('B'), 0);
  EXPECT_GE(s.Var('T'), 1);
  EXPECT_FALSE(s.Has("?")) << s.transcript;
}

TEST(Traps, TimerEventsWaitWhileAnInputWaits) {
  Session s;
  s.host.SetAutoAdvance(5);
  s.Run("10 ON TIMER = 20 GOTO 100\n20 INPUT A\n30 B=T: END\n100 T=T+1: RESUME\nRUN\n1234567890\n");
  EXPECT_EQ(s.Var('A'), 1234567890);
  EXPECT_LE(s.Var('B'), 1);  // at most the one message queued when the INPUT ended
  EXPECT_TRUE(Session::EndsWith(s.transcript, "? 1234567890\nReady\n")) << s.transcript;
}

TEST(Traps, TimerFunctionAndItsBase) {
  Session s;
  s.host.Advance(12345);
  s.Run("TIMER = 5000: A = TIMER\nTIMER = 99999999: B = TIMER\nTIMER = -1\n");
  EXPECT_EQ(s.Var('A'), 5000);
  EXPECT_EQ(s.Var('B'), 12345);  // the base cannot go below 0
  EXPECT_TRUE(s.Has("?Command error, /TIMER = -1/")) << s.transcript;
}

TEST(Traps, NestingIsBoundedInsteadOfOverflowingTheStack) {
  {
    // Every RUN typed in the stopped state stops again, one level deeper.
    Session s;
    std::string typed = "10 STOP\nRUN\n";
    for (int i = 0; i < TrapState::kMaxNesting + 10; ++i) typed += "RUN\n";
    s.Run(typed + "A=1\n");
    EXPECT_TRUE(s.Has("?Out of memory")) << s.transcript.substr(s.transcript.size() - 300);
    EXPECT_EQ(s.in.StopDepth(), 0);
    EXPECT_EQ(s.Var('A'), 1);
  }
  {
    // A handler that restarts the program traps again at every run.
    Session s;
    s.Run("10 ON ERROR GOTO 100\n20 N=N+1: A=1/0\n100 RUN\nRUN\nB=1\n");
    EXPECT_TRUE(s.Has("?Out of memory in 20, /A=1/0/")) << s.transcript;
    EXPECT_EQ(s.in.Traps().NestDepth(), 0);
    EXPECT_EQ(s.Var('B'), 1);
  }
}

}  // namespace
}  // namespace torvic
