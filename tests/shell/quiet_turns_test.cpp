// The batch host's quiet turns: after a turn that found nothing, the turns
// up to the next clock reading skip the host, but anything queued meanwhile
// ends them, so the very next turn serves it. The pacer decides how many
// turns that is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "shell/batch_host.h"

namespace {

using torvic::platform::KeyEvent;

// A clock the test moves by hand.
struct HandClock final : torvic::platform::Clock {
  uint32_t now = 1000;
  uint32_t TickCount() override { return now; }
  torvic::platform::LocalTime Now() override { return {}; }
  void Sleep(uint32_t ms) override { now += ms; }
};

struct Sink final : torvic::platform::EventSink {
  int timers = 0;
  void OnKeyDown(const KeyEvent&) override {}
  void OnChar(const KeyEvent&) override {}
  void OnTimer(int) override { ++timers; }
};

TEST(QuietTurns, AQueuedTimerEndsThemAndIsServedNext) {
  HandClock clock;
  torvic::shell::BatchHost host(-1, false, clock);
  Sink sink;
  host.SetSink(&sink);
  ASSERT_TRUE(host.SetTimer(1, 5));
  EXPECT_FALSE(host.Turn());  // nothing due: the following turns are quiet
  clock.now += 10;
  EXPECT_TRUE(host.AnyPending());  // queues the due timer
  EXPECT_TRUE(host.Turn());        // served at once, not after the quiet turns
  EXPECT_EQ(sink.timers, 1);
}

TEST(QuietTurns, ADueTimerIsServedWithinSixteenTurns) {
  HandClock clock;
  torvic::shell::BatchHost host(-1, false, clock);
  Sink sink;
  host.SetSink(&sink);
  ASSERT_TRUE(host.SetTimer(1, 5));
  EXPECT_FALSE(host.Turn());
  clock.now += 10;
  int turns = 0;
  while (sink.timers == 0 && turns < 100) {
    host.Turn();
    ++turns;
  }
  EXPECT_EQ(sink.timers, 1);
  EXPECT_LE(turns, 16);
}

TEST(QuietTurns, AfterAStillClockADueTimerWaitsAtMostTheLongestStride) {
  HandClock clock;
  torvic::shell::BatchHost host(-1, false, clock);
  Sink sink;
  host.SetSink(&sink);
  ASSERT_TRUE(host.SetTimer(1, 5));
  for (int i = 0; i < 100000; ++i) host.Turn();  // the stride grows to its longest
  clock.now += 10;
  uint32_t turns = 0;
  while (sink.timers == 0 && turns < 100000) {
    host.Turn();
    ++turns;
  }
  EXPECT_EQ(sink.timers, 1);
  EXPECT_LE(turns, torvic::platform::TurnPacer::kMaxStride);
}

// The pacer on a simulated clock, for turns of different costs: the host
// looks at its input at most once per millisecond and, once the stride has
// followed the turns' speed, never waits much more than a millisecond; fast
// turns read the clock far less often than every 16th turn.
TEST(QuietTurns, ThePacerFollowsTheSpeedOfTheTurns) {
  struct Case {
    uint64_t turnNs;
  };
  const Case cases[] = {{20}, {300}, {5000}, {90000}, {700000}, {1000000}, {4000000}};
  for (const Case& c : cases) {
    torvic::platform::TurnPacer pacer;
    uint64_t ns = 0, turns = 0, readings = 0, lastLook = 0, widestGap = 0;
    uint32_t lastLookMs = 0;
    bool lookedTwiceInAMillisecond = false;
    while (ns < 300'000'000) {  // 300 ms
      ns += c.turnNs;
      ++turns;
      if (pacer.Due()) {
        ++readings;
        const auto ms = static_cast<uint32_t>(ns / 1'000'000);
        if (pacer.NewMillisecond(ms)) {
          if (ms == lastLookMs) lookedTwiceInAMillisecond = true;
          if (lastLook > 50'000'000) widestGap = std::max(widestGap, ns - lastLook);
          lastLook = ns;
          lastLookMs = ms;
        }
      }
      const uint32_t quiet = pacer.QuietTurns();
      ns += quiet * c.turnNs;
      turns += quiet;
    }
    EXPECT_FALSE(lookedTwiceInAMillisecond) << c.turnNs;
    EXPECT_LE(widestGap, 2'000'000 + 2 * c.turnNs) << c.turnNs;
    if (c.turnNs < 1000) {
      EXPECT_LE(readings * 64, turns) << c.turnNs;
    }
  }
}

}  // namespace

// The core ends the quiet turns when the pause starts or the session ends:
// the next turn must reach the host, and the host serving nothing then
// grants new ones.
TEST(QuietTurns, EndingThemMakesTheNextTurnReal) {
  HandClock clock;
  torvic::shell::BatchHost host(-1, false, clock);
  Sink sink;
  host.SetSink(&sink);
  EXPECT_FALSE(host.Turn());
  ASSERT_TRUE(host.QuietTurn());  // granted by the turn that found nothing
  host.EndQuietTurns();
  EXPECT_FALSE(host.QuietTurn());
  EXPECT_FALSE(host.Turn());
  EXPECT_TRUE(host.QuietTurn());
}
