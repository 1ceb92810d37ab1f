// Programs against a small memory budget: each store a program can make
// grow ends in "?Out of memory" at the statement that asked, the session
// goes on, a new run gives the budget back, and an interpreter gives back
// everything it was charged.
#include <gtest/gtest.h>

#include "engine/session.h"
#include "platform/memory_budget.h"

namespace torvic {
namespace {

struct TightBudget {
  uint64_t saved = memory::Limit();
  explicit TightBudget(uint64_t bytes) { memory::ledger.limit = memory::Used() + bytes; }
  ~TightBudget() { memory::ledger.limit = saved; }
};

TEST(MemoryBudgetSessions, EveryGrowingStoreEndsInOutOfMemoryAtItsStatement) {
  struct Case {
    const char* name;
    const char* program;
    const char* report;
  } cases[] = {
      {"GOSUB stack", "10 GOSUB 10\n", "?Out of memory in 10, /GOSUB 10/"},
      {"PUSH", "10 X = 1: PUSH: GOTO 10\n", "?Out of memory in 10, /PUSH/"},
      {"ON GOSUB", "10 ON 1 GOSUB 10\n", "?Out of memory in 10, /ON 1 GOSUB 10/"},
      {"numeric array", "10 DIM A(65536)\n", "?Out of memory in 10, /DIM A(65536)/"},
      {"string elements",
       "10 DIM S$(999): FOR I = 0 TO 999\n20 S$(I) = STRING$(\"X\", 2000): NEXT\n",
       "?Out of memory in 20, /S$(I) = STRING$(\"X\", 2000)/"},
      {"growing string", "10 FOR I = 1 TO 99: A$(I) = A$(I - 1) + STRING$(\"Y\", 9000): NEXT\n",
       "?Out of memory in 10, /A$(I) = A$(I - 1) + STRING$(\"Y\", 9000)/"},
      {"REDIM", "10 DIM A(10): REDIM A(60000)\n", "?Out of memory in 10, /REDIM A(60000)/"},
      {"VARPTR identities", "10 DIM A(30000): FOR I = 0 TO 30000: X = VARPTR(A(I)): NEXT\n",
       "?Out of memory in 10, /X = VARPTR(A(I))/"},
      // FN recursion is bounded by the nesting cap long before the budget.
      {"FN recursion",
       "10 DEF FN G(X) = 1: DEF FN F(X) = FN G(X) + 1\n20 DEF FN G(X) = FN F(X)\n"
       "30 PRINT FN F(1)\n",
       "?Out of memory in 30, /PRINT FN F(1)/"},
  };
  for (const Case& c : cases) {
    const uint64_t baseline = memory::Used();
    {
      const TightBudget tight(256 << 10);
      Session s;
      s.Run(std::string(c.program) + "RUN\nPRINT 12345\nLIST 10\n10 REM\nRUN\n");
      EXPECT_TRUE(s.Has(c.report)) << c.name << "\n" << s.transcript;
      EXPECT_TRUE(s.Has("PRINT 12345\n 12345\nReady\nLIST 10\n10 ")) << c.name << "\n"
                                                                     << s.transcript;
      // The edit and the new run gave the stores back.
      EXPECT_LT(memory::Used() - baseline, 32u << 10) << c.name;
    }
    EXPECT_EQ(memory::Used(), baseline) << c.name;
  }
}

TEST(MemoryBudgetSessions, ATrapTakesTheErrorWhenTheBudgetIsSpent) {
  const TightBudget tight(128 << 10);
  Session s;
  s.Run(
      "10 ON ERROR GOTO 100\n20 GOSUB 20\n100 PRINT \"TRAPPED\"; ERR; ERL; FRE(0) < 65536\n"
      "110 RESUME 120\n120 END\nRUN\n");
  EXPECT_TRUE(s.Has("TRAPPED 35 20-1\n")) << s.transcript;
}

TEST(MemoryBudgetSessions, KeysWithoutRoomAreDroppedWithABeep) {
  const TightBudget tight(128 << 10);
  Session s;
  // Keys typed while the program runs, once it has spent the budget.
  bool typed = false;
  s.onLine = [&](const std::string& transcript) {
    if (typed || !Session::EndsWith(transcript, "SPENT\n")) return;
    typed = true;
    for (int i = 0; i < 200; ++i) {
      platform::ScriptedHost::Event e;
      e.kind = platform::ScriptedHost::Event::Char;
      e.key.key = 'Z';
      s.host.Post(e);
    }
  };
  // Long strings until the budget refuses one, then short ones until it
  // refuses again: what is left is less than the smallest block (so the
  // end prints a number: a string would need a block of its own).
  s.Run(
      "10 ON ERROR GOTO 100: DIM A$(999): P = 0: PRINT \"START\"\n"
      "20 FOR I = 0 TO 999: A$(I) = STRING$(\"X\", 500): NEXT\n"
      "30 FOR J = I TO 999: A$(J) = \"Y\": NEXT\n"
      "40 PRINT \"NOT SPENT\": END\n"
      "100 IF ERR <> 35 OR P = 2 THEN PRINT \"FAILED\"; ERR; ERL: END\n"
      "110 P = P + 1: IF P = 1 THEN RESUME 30\n"
      "120 RESUME 200\n"
      "200 PRINT \"SPENT\": K = 0\n"
      "210 K = K + 1: IF K < 300 THEN 210\n"
      "220 PRINT K: END\n"
      "RUN\n");
  EXPECT_TRUE(s.Has("SPENT\n 300\n")) << s.transcript;
  EXPECT_GT(s.host.Beeps(), 0);
}

TEST(MemoryBudgetSessions, AnInterpreterGivesBackAllItWasCharged) {
  const uint64_t baseline = memory::Used();
  {
    Session s;
    s.Run(
        "10 DIM A(100), B$(50): CONST K = 3: DEF FN F(X) = X + K\n"
        "20 FOR I = 1 TO 50: B$(I) = STR$(I) + \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\": GOSUB 100: NEXT\n"
        "30 LONGNAMEOFAVARIABLE$ = B$(7) + B$(8): X = VARPTR(A(3)) + FN F(2)\n"
        "40 SCREEN 1, 1, 10, 3, 0, 15: SCREEN -1: PUSH: STOP\n"
        "100 T$ = T$ + \"Z\": RETURN\n"
        "RUN\nPRINT LEN(T$)\nCONT\n");
    EXPECT_TRUE(s.Has(" 50\n")) << s.transcript;
    EXPECT_GT(memory::Used(), baseline);
  }
  EXPECT_EQ(memory::Used(), baseline);
}

}  // namespace
}  // namespace torvic
