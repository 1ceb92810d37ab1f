#include <gtest/gtest.h>

#include "support/scripted_host.h"

namespace torvic::platform {
namespace {

struct Recorder : EventSink {
  std::string log;
  void OnKeyDown(const KeyEvent& e) override { log += "K" + std::to_string(e.key) + " "; }
  void OnChar(const KeyEvent& e) override { log += "C" + std::to_string(e.key) + " "; }
  void OnTimer(int id) override { log += "T" + std::to_string(id) + " "; }
};

TEST(ScriptedHost, TypedKeysWaitForAKeyboardWait) {
  ScriptedHost host;
  Recorder rec;
  host.SetSink(&rec);
  host.TypeText("A\n");
  EXPECT_FALSE(host.PumpOnce());  // a running program's pump types nothing
  EXPECT_EQ(host.WaitForEvent(WaitFor::AnyEvent, 0), WaitResult::TimedOut);
  EXPECT_EQ(host.WaitForEvent(WaitFor::Keyboard, -1), WaitResult::EventPending);
  EXPECT_TRUE(host.PumpOnce());
  EXPECT_EQ(host.WaitForEvent(WaitFor::Keyboard, -1), WaitResult::EventPending);
  EXPECT_TRUE(host.PumpOnce());
  EXPECT_EQ(rec.log, "C65 C13 ");
  EXPECT_EQ(host.WaitForEvent(WaitFor::Keyboard, -1), WaitResult::InputExhausted);
}

TEST(ScriptedHost, BreakIsPostedAtOnceAndKeyDownTakesItsCharacter) {
  ScriptedHost host;
  Recorder rec;
  host.SetSink(&rec);
  host.PostBreak();
  ScriptedHost::Event c;
  c.kind = ScriptedHost::Event::Char;
  c.key.key = 3;
  host.Post(c);
  EXPECT_TRUE(host.PumpOnce());
  EXPECT_EQ(rec.log, "K3 C3 ");
  EXPECT_FALSE(host.AnyPending());
}

TEST(ScriptedHost, TimersFireInVirtualTimeWithoutPilingUp) {
  ScriptedHost host;
  Recorder rec;
  host.SetSink(&rec);
  host.SetTimer(1, 100);
  host.Advance(99);
  EXPECT_FALSE(host.AnyPending());
  host.Advance(350);  // several periods pass: still one pending message
  EXPECT_TRUE(host.PumpOnce());
  EXPECT_FALSE(host.PumpOnce());
  // Only a key ends a keyboard wait: with nothing typed it is over at once.
  uint32_t before = host.TickCount();
  EXPECT_EQ(host.WaitForEvent(WaitFor::Keyboard, -1), WaitResult::InputExhausted);
  EXPECT_EQ(host.TickCount(), before);
  // Any other wait runs virtual time up to the next timer.
  EXPECT_EQ(host.WaitForEvent(WaitFor::AnyEvent, -1), WaitResult::EventPending);
  EXPECT_EQ(host.TickCount() - before, 51u);  // next period ends at 500
  host.PumpOnce();
  host.KillTimer(1);
  EXPECT_EQ(host.WaitForEvent(WaitFor::AnyEvent, -1), WaitResult::InputExhausted);
  EXPECT_EQ(rec.log, "T1 T1 ");
}

TEST(ScriptedHost, MessageBoxesTakeScriptedAnswersThenTheDefault) {
  ScriptedHost host;
  host.QueueAnswer(Answer::No);
  EXPECT_EQ(host.MessageBox("Load?", "TORVIC", Buttons::YesNo, Icon::Question), Answer::No);
  EXPECT_EQ(host.MessageBox("x", "TORVIC", Buttons::AbortRetryIgnore, Icon::Exclamation),
            Answer::Abort);
  ASSERT_EQ(host.Boxes().size(), 2u);
  EXPECT_EQ(host.Boxes()[0].text, "Load?");
}

TEST(ScriptedHost, SettingsStoreKeysAndSubKeys) {
  ScriptedHost host;
  host.SetString("Volumes/WORK", "Folder", "/tmp/work");
  host.SetNumber("Volumes/WORK", "Attributes", 3);
  host.SetNumber("Volumes/TORVIC", "Attributes", 1);
  host.SetNumber("Settings", "FontSize", 12);
  auto subs = host.EnumSubKeys("Volumes");
  EXPECT_EQ(subs, (std::vector<std::string>{"TORVIC", "WORK"}));
  EXPECT_EQ(host.GetNumber("Settings", "FontSize"), 12u);
  EXPECT_FALSE(host.GetNumber("Settings", "Missing").has_value());
  EXPECT_TRUE(host.DeleteKey("Volumes/WORK"));
  EXPECT_FALSE(host.KeyExists("Volumes/WORK"));
  EXPECT_TRUE(host.KeyExists("Volumes"));
}

}  // namespace
}  // namespace torvic::platform
