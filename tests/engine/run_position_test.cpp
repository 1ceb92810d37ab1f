// The run position's loop list and return stack, and the trap state's
// contexts: the bookkeeping that FOR, NEXT, GOSUB, RETURN, the traps and
// RESUME rely on, including what must hold when the memory budget is spent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run_position.h"
#include "engine/trap_state.h"
#include "platform/memory_budget.h"

namespace torvic {
namespace {

struct TightBudget {
  uint64_t saved = memory::Limit();
  TightBudget() { memory::ledger.limit = memory::Used(); }
  ~TightBudget() { memory::ledger.limit = saved; }
};

struct Loop {
  bool immediate;
  int letter;
  const char* name;
};

// The FOR list, oldest first, as "I:A" / "P:COUNT" (immediate or program,
// then the variable).
std::vector<std::string> Loops(RunPosition& pos) {
  std::vector<std::string> out;
  pos.FindLoop([&](ForRecord& r) {
    out.insert(out.begin(), std::string(r.immediate ? "I:" : "P:") +
                                (r.letter >= 0 ? std::string(1, char('A' + r.letter)) : r.name));
    return false;
  });
  return out;
}

TEST(RunPosition, EnterLoopReusesTheRecordOfTheSameVariableAndRunMode) {
  struct Case {
    const char* name;
    std::vector<Loop> entered;
    std::vector<std::string> list;
  } cases[] = {
      {"new variables are added newest last",
       {{false, 0, ""}, {false, 1, ""}, {false, -1, "COUNT"}},
       {"P:A", "P:B", "P:COUNT"}},
      {"the same letter moves up and is not added again",
       {{false, 0, ""}, {false, 1, ""}, {false, 0, ""}},
       {"P:B", "P:A"}},
      {"the same name moves up",
       {{false, -1, "X1"}, {false, -1, "X2"}, {false, -1, "X1"}},
       {"P:X2", "P:X1"}},
      {"a letter and a name never match", {{false, 0, ""}, {false, -1, "A"}}, {"P:A", "P:A"}},
      {"immediate and program loops of one variable are two records",
       {{false, 8, ""}, {true, 8, ""}, {false, 8, ""}},
       {"I:I", "P:I"}},
  };
  for (const Case& c : cases) {
    RunPosition pos;
    for (const Loop& l : c.entered) pos.EnterLoop(l.immediate, l.letter, l.name);
    EXPECT_EQ(Loops(pos), c.list) << c.name;
    ASSERT_NE(pos.NewestLoop(), nullptr) << c.name;
    EXPECT_TRUE(pos.NewestLoop()->active) << c.name;
  }
}

TEST(RunPosition, LeavingALoopEndsTheLoopsInsideIt) {
  RunPosition pos;
  for (int letter : {0, 1, 2, 3}) pos.EnterLoop(false, letter, "");
  ForRecord* b = pos.FindLoop([](ForRecord& r) { return r.letter == 1; });
  ASSERT_NE(b, nullptr);
  pos.LeaveLoop(*b);
  EXPECT_EQ(Loops(pos), (std::vector<std::string>{"P:A"}));
  pos.LeaveLoop(*pos.NewestLoop());
  EXPECT_EQ(pos.NewestLoop(), nullptr);
}

TEST(RunPosition, ImmediateLoopsEndWithTheirCommandLineAndResetsForgetEverything) {
  RunPosition pos;
  pos.EnterLoop(false, 0, "");
  pos.EnterLoop(true, 1, "");
  pos.EnterLoop(true, 2, "");
  EXPECT_EQ(pos.ActiveLoops(), 3u);
  pos.DeactivateImmediateLoops();
  EXPECT_EQ(pos.ActiveLoops(), 1u);
  // A new FOR on a deactivated variable makes it active again.
  pos.EnterLoop(true, 2, "");
  EXPECT_EQ(pos.ActiveLoops(), 2u);
  pos.PushReturn({nullptr, 16});
  pos.ForgetLoopsAndReturns();
  EXPECT_EQ(pos.ActiveLoops(), 0u);
  EXPECT_EQ(pos.NewestLoop(), nullptr);
  EXPECT_EQ(pos.GosubDepth(), 0u);
}

TEST(RunPosition, ReturnsComeBackNewestFirstAndAnEmptyStackSaysSo) {
  RunPosition pos;
  ReturnPoint p;
  EXPECT_FALSE(pos.PopReturn(p));
  pos.PushReturn({nullptr, 10});
  pos.PushReturn({nullptr, 20});
  EXPECT_EQ(pos.GosubDepth(), 2u);
  ASSERT_TRUE(pos.PopReturn(p));
  EXPECT_EQ(p.offset, 20u);
  ASSERT_TRUE(pos.PopReturn(p));
  EXPECT_EQ(p.offset, 10u);
  EXPECT_FALSE(pos.PopReturn(p));
}

TEST(RunPosition, WithoutRoomTheListsStayAsTheyWere) {
  RunPosition pos;
  pos.EnterLoop(false, 0, "");
  pos.PushReturn({nullptr, 10});
  TightBudget spent;
  // A new loop or return needs room the budget does not have; an existing
  // loop's record is reused without any.
  EXPECT_THROW(for (int letter = 1; letter < 26; ++letter) pos.EnterLoop(false, letter, ""),
               std::bad_alloc);
  const std::vector<std::string> before = Loops(pos);
  EXPECT_THROW(pos.EnterLoop(false, -1, "NEWNAME"), std::bad_alloc);
  EXPECT_EQ(Loops(pos), before);
  EXPECT_NO_THROW(pos.EnterLoop(false, 0, ""));
  EXPECT_THROW(for (int i = 0; i < 64; ++i) pos.PushReturn({nullptr, 0}), std::bad_alloc);
}

TEST(TrapState, ContextsHaveRoomForTheDeepestNestingWithTheBudgetSpent) {
  TrapState traps;
  TightBudget spent;
  for (int i = 0; i <= TrapState::kMaxNesting; ++i) {
    TrapContext c;
    c.inputMode = i == 5 ? 2 : 3;
    EXPECT_NO_THROW(traps.PushContext(std::move(c))) << i;
  }
  EXPECT_EQ(traps.ContextDepth(), static_cast<size_t>(TrapState::kMaxNesting) + 1);
  traps.DropContextsAbove(10);
  EXPECT_EQ(traps.ContextDepth(), 10u);
  TrapContext top;
  ASSERT_TRUE(traps.PopContext(top));
  EXPECT_EQ(traps.ContextDepth(), 9u);
  // One of the remaining contexts saved an INPUT being read.
  EXPECT_TRUE(traps.DiscardContexts(2));
  EXPECT_FALSE(traps.PopContext(top));
  EXPECT_FALSE(traps.DiscardContexts(2));
}

TEST(TrapState, RegistersAreSetAndClearedOneByOne) {
  TrapState traps;
  traps.Set(TrapKind::Break, nullptr, 40);
  traps.SetInHandler(TrapKind::Break, true);
  traps.Set(TrapKind::Timer, nullptr, 24);
  traps.Clear(TrapKind::Timer);
  EXPECT_FALSE(traps.IsSet(TrapKind::Error));
  EXPECT_TRUE(traps.IsSet(TrapKind::Break));
  EXPECT_EQ(traps.Register(TrapKind::Break).offset, 40u);
  EXPECT_FALSE(traps.IsSet(TrapKind::Timer));
  // Clearing a trap leaves its running handler running.
  traps.Clear(TrapKind::Break);
  EXPECT_TRUE(traps.InHandler(TrapKind::Break));
  traps.ClearAll();
  EXPECT_FALSE(traps.InHandler(TrapKind::Break));
}

}  // namespace
}  // namespace torvic
