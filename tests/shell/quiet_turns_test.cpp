// The batch host's quiet turns: after a turn that found nothing, the turns
// up to the next clock reading skip the host, but anything queued meanwhile
// ends them, so the very next turn serves it.
#include <gtest/gtest.h>

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

}  // namespace
