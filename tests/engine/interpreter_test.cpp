// Sessions on the scripted host: what needs events at chosen moments
// (Break and keys arriving while a program runs), the virtual clock, or
// the interpreter's state. Plain sessions live in tests/transcripts.
#include "engine/interpreter.h"

#include <gtest/gtest.h>

#include <functional>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/handlers.h"
#include "platform/scripted_host.h"
#include "session.h"

namespace torvic {
namespace {

namespace vk = platform::vk;

std::string Program(int lines) {
  std::string p;
  for (int i = 1; i <= lines; ++i) p += std::to_string(i * 10) + " A=A+1\n";
  return p;
}

TEST(InterpreterSession, BreakDuringARunThenContinueFinishesTheProgram) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (Session::EndsWith(t, "RUN\n")) s.host.PostBreak();
  };
  const std::string out = s.Run(Program(5) + "RUN\nA=A\nCONT\nEXIT\n");
  EXPECT_NE(out.find("RUN\nBreak in 20\nReady\nA=A\nReady\nCONT\nReady\nEXIT\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(s.in.StopDepth(), 0);
  EXPECT_FALSE(s.in.CanContinue());
}

TEST(InterpreterSession, KeysTypedDuringARunAreReplayedIntoTheNextLine) {
  Session s;
  s.onLine = [&](const std::string& t) {
    if (!Session::EndsWith(t, "RUN\n")) return;
    for (char c : std::string("B=1")) {
      s.host.PostKeyDown(static_cast<uint32_t>(std::toupper(c)));
      platform::ScriptedHost::Event e;
      e.kind = platform::ScriptedHost::Event::Char;
      e.key.key = static_cast<uint8_t>(c);
      s.host.Post(e);
    }
  };
  const std::string out = s.Run(Program(3) + "RUN\n\r");
  // After the run the prompt shows, the queued keys fill the new line and
  // the typed Enter executes it.
  EXPECT_TRUE(Session::EndsWith(out, "RUN\nReady\nB=1\nReady\n")) << out;
}

TEST(InterpreterSession, UpperCaseInputAppliesToEditedAndQueuedCharacters) {
  Session s;
  s.memory.SetMirror(22469, 255);
  const std::string out = s.Run("a=1\n");
  EXPECT_NE(out.find("A=1\n"), std::string::npos);
}

TEST(InterpreterSession, StatementDelayMakesEveryStatementWait) {
  Session s;
  s.host.SetAutoAdvance(1);  // each pump is a millisecond of virtual time
  s.memory.SetStatementDelay(255);
  s.Run(Program(4) + "RUN\n");
  // The last statement ends the run before its wait.
  EXPECT_GE(s.host.TickCount(), 3u * 255u);
  Session quick;
  quick.host.SetAutoAdvance(1);
  quick.Run(Program(4) + "RUN\n");
  EXPECT_LT(quick.host.TickCount(), 100u);  // at 0 the loop still pumps once per statement
  EXPECT_GT(quick.host.TickCount(), 4u);
}

TEST(InterpreterSession, EndOfInputAtAKeyWaitPressesBreakAndQuits) {
  Session s;
  s.host.TypeText("A=1\n");
  s.in.ShowPrompt();
  s.in.RunSession();
  EXPECT_TRUE(s.in.ExitRequested());
  // A program that asks for a key at the end of input gets Break.
  Session t;
  t.in.Program();
  t.in.SetReason(StopReason::None);
  EXPECT_EQ(t.in.NextKey(), "");
}

TEST(InterpreterSession, GetOfAnArrowKeyIsZeroAndTheVirtualKey) {
  Session s;
  platform::ScriptedHost::Event e;
  e.kind = platform::ScriptedHost::Event::KeyDown;
  e.key.key = vk::kUp;
  s.host.Post(e);
  // While executing, keys go to the queue; NextKey encodes the oldest.
  s.host.SetSink(&s.in);
  s.in.Keys().Clear();
  s.host.PumpOnce();  // idle: an editing key, not queued
  EXPECT_TRUE(s.in.Keys().Empty());
}

TEST(HandlerTable, EveryCodeHasAnEntryAndLaterStatementsAreNotSupported) {
  const auto& table = HandlerTable();
  for (StatementHandler h : table) EXPECT_NE(h, nullptr);
  Session s;
  size_t offset = 0;
  // OPEN (82) belongs to the data files: not supported until then.
  EXPECT_EQ(table[82](s.in, nullptr, offset), 33);
  EXPECT_EQ(table[130](s.in, nullptr, offset), 33);  // LPRINT, never
  EXPECT_EQ(table[249](s.in, nullptr, offset), 21);  // no statement: internal error
}

}  // namespace
}  // namespace torvic
