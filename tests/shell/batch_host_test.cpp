// The batch host's look-ahead for Break, on a hand-moved clock: keys typed
// before a Break are typed first while the session keeps asking for keys,
// the Break passes them only once the session has stayed away from the
// keyboard for the patience, and the keys keep their order either way.
#include "shell/batch_host.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace torvic::shell {
namespace {

using platform::KeyEvent;
using platform::WaitFor;
using platform::WaitResult;

struct HandClock final : platform::Clock {
  uint32_t now = 1000;
  uint32_t TickCount() override { return now; }
  platform::LocalTime Now() override { return {}; }
  void Sleep(uint32_t ms) override { now += ms; }
};

// Writes the events it receives as text: a character, or "<BREAK>".
struct Recorder final : platform::EventSink {
  std::string seen;
  void OnKeyDown(const KeyEvent& e) override {
    seen += e.key == platform::vk::kCancel ? "<BREAK>" : "<KEY>";
  }
  void OnChar(const KeyEvent& e) override { seen += static_cast<char>(e.key); }
  void OnTimer(int) override {}
};

class LookAhead : public ::testing::Test {
 protected:
  void Start(const std::string& input) {
    ASSERT_EQ(::pipe(fds_), 0);
    ASSERT_EQ(::write(fds_[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fds_[1]);
    host_ = std::make_unique<BatchHost>(fds_[0], true, clock_);
    host_->SetSink(&sink_);
  }
  void TearDown() override { ::close(fds_[0]); }

  // A program running for `ms` milliseconds without asking for keys: a
  // statement per millisecond, each with its turn of the pump.
  void Run(uint32_t ms) {
    for (uint32_t i = 0; i < ms; ++i) {
      ++clock_.now;
      host_->PumpOnce();
    }
  }
  // A keyboard wait, and the turn that serves what it typed.
  void Type() {
    ASSERT_EQ(host_->WaitForEvent(WaitFor::Keyboard, -1), WaitResult::EventPending);
    host_->PumpOnce();
  }

  HandClock clock_;
  Recorder sink_;
  std::unique_ptr<BatchHost> host_;
  int fds_[2] = {-1, -1};
};

TEST_F(LookAhead, ABreakBehindKeysWaitsForThePatienceThenPassesThem) {
  Start("AB{BREAK}C");
  Run(BatchHost::kPatienceMs / 2);
  EXPECT_EQ(sink_.seen, "");  // "A" is held; the Break waits behind it
  EXPECT_EQ(host_->HeldKeys(), 1u);
  Run(BatchHost::kPatienceMs * 2);
  EXPECT_EQ(sink_.seen, "<BREAK>");
  // The keys before the Break, and after it the rest, in order.
  Type();
  Type();
  Type();
  EXPECT_EQ(sink_.seen, "<BREAK>ABC");
  EXPECT_EQ(host_->WaitForEvent(WaitFor::Keyboard, -1), WaitResult::InputExhausted);
}

TEST_F(LookAhead, KeysTheSessionAsksForAreTypedBeforeTheBreak) {
  Start("AB{BREAK}C");
  // Each keyboard wait starts the patience again: a program that asks for
  // a key every so often gets A and B before the Break.
  for (int i = 0; i < 2; ++i) {
    Run(BatchHost::kPatienceMs - 5);
    Type();
  }
  EXPECT_EQ(sink_.seen, "AB");
  Run(BatchHost::kPatienceMs / 2);  // the Break is the next key: at once
  EXPECT_EQ(sink_.seen, "AB<BREAK>");
  Type();
  EXPECT_EQ(sink_.seen, "AB<BREAK>C");
}

TEST_F(LookAhead, OneBreakAtATime) {
  Start("{BREAK}{BREAK}X");
  Run(BatchHost::kPatienceMs * 4);
  EXPECT_EQ(sink_.seen, "<BREAK><BREAK>");
  Type();
  EXPECT_EQ(sink_.seen, "<BREAK><BREAK>X");
}

}  // namespace
}  // namespace torvic::shell
