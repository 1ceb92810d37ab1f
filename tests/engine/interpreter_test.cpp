// Sessions on the scripted host: what needs events at chosen moments
// (Break and keys arriving while a program runs), the virtual clock, or
// the interpreter's state. Plain sessions live in tests/transcripts.
#include "engine/interpreter.h"

#include <gtest/gtest.h>

#include <functional>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/errors.h"
#include "engine/handlers.h"
#include "engine/screen_images.h"
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

// --- console statements ------------------------------------------------------

TEST(ConsoleStatements, SoundBeepAndTitleReachTheHost) {
  Session s;
  s.Run("SOUND 440,250:BEEP:TITLE \"A\"+CHR$(0)+\"B\"\nSOUND 32767,0\nTITLE \"\"\n");
  ASSERT_EQ(s.host.Tones().size(), 2u);
  EXPECT_EQ(s.host.Tones()[0].hertz, 440u);
  EXPECT_EQ(s.host.Tones()[0].ms, 250u);
  EXPECT_EQ(s.host.Tones()[1].hertz, 32767u);
  EXPECT_EQ(s.host.Beeps(), 1);
  // NUL dropped; an empty title gives the window its own back.
  EXPECT_EQ(s.host.WindowTitle(), "TORVIC");
  Session t;
  t.Run("TITLE \"A\"+CHR$(0)+\"B\"\n");
  EXPECT_EQ(t.host.WindowTitle(), "AB");
}

TEST(ConsoleStatements, ALongToneIsPlayedInSlicesThatBreakCanEnd) {
  Session s;
  s.Run("SOUND 440,2500\n");
  ASSERT_EQ(s.host.Tones().size(), 3u);
  EXPECT_EQ(s.host.Tones()[0].ms, 1000u);
  EXPECT_EQ(s.host.Tones()[2].ms, 500u);
  Session t;
  t.onLine = [&](const std::string& line) {
    if (Session::EndsWith(line, "RUN\n")) t.host.PostBreak();
  };
  const std::string out = t.Run("10 SOUND 440,2147483647\n20 PRINT \"after\"\nRUN\n");
  EXPECT_NE(out.find("Break in 10"), std::string::npos) << out;
  EXPECT_LE(t.host.Tones().size(), 2u);
}

TEST(ConsoleStatements, GetWithTheNoWaitSettingLeavesTheTargetAlone) {
  Session s;
  s.memory.SetMirror(15041, 7);
  const std::string out = s.Run("10 K$=\"kept\":GET K$:PRINT K$\nRUN\n");
  EXPECT_NE(out.find("RUN\nkept\n"), std::string::npos) << out;
}

TEST(ConsoleStatements, ScreenImagesStopAt255AndGoWithTheRunState) {
  Session s;
  ScreenImageStack& images = s.in.ScreenImages();
  const CellRect cell{0, 0, 1, 1};
  for (int i = 0; i < 255; ++i) ASSERT_EQ(images.Open(cell, 1, 2), 0);
  EXPECT_EQ(images.Open(cell, 1, 2), kErrCommandError);
  EXPECT_EQ(s.memory.Byte(33307), 255);
  EXPECT_EQ(s.memory.Byte(33934), 255);
  s.in.ResetAfterEdit();
  EXPECT_EQ(images.Count(), 0u);
  EXPECT_EQ(s.memory.Byte(33307), 0);
  // Saving with clear-after-save off leaves the cells as they were.
  s.screen.WriteText("xyz");
  s.memory.SetMirror(17984, 2);
  ASSERT_EQ(images.Open({0, 0, 3, 1}, 1, 2), 0);
  EXPECT_EQ(s.screen.RowText(0).substr(0, 3), "xyz");
  s.memory.SetMirror(17984, 0);
  ASSERT_EQ(images.Open({0, 0, 3, 1}, 3, 4), 0);
  EXPECT_EQ(s.screen.RowText(0), "");
  images.Restore(-1);
  EXPECT_EQ(s.screen.RowText(0).substr(0, 3), "xyz");
  EXPECT_EQ(s.screen.TextColor(), 1);
  EXPECT_EQ(s.screen.BackColor(), 2);
  s.in.EndRun();
  EXPECT_EQ(images.Count(), 0u);
}

TEST(ConsoleStatements, AboutAddsTheSystemInformationWhenAsked) {
  Session plain;
  const std::string out = plain.Run("ABOUT\n");
  EXPECT_NE(out.find("ABOUT\nTORVIC Version "), std::string::npos) << out;
  EXPECT_EQ(out.find("Free Disk Space"), std::string::npos);
  Session full;
  full.memory.SetMirror(45254, 20);
  const std::string more = full.Run("ABOUT\n");
  EXPECT_NE(more.find("32 bit edition for Windows 95"), std::string::npos) << more;
  EXPECT_NE(more.find("Physical Memory Available to Windows: "), std::string::npos);
  EXPECT_NE(more.find("Free Disk Space: "), std::string::npos);
}

TEST(ConsoleStatements, ExecConvertsTheProgramCaseOutsideStrings) {
  Session s;
  s.memory.SetMirror(3800, 64);
  s.Run("10 print \"keep\":a=1\nEXEC 55939\n");
  ASSERT_NE(s.in.Program().First(), nullptr);
  EXPECT_EQ(s.in.Program().First()->text, "PRINT \"keep\":A=1");
  EXPECT_TRUE(s.in.Program().Modified());
  Session lower;
  lower.memory.SetMirror(3800, 128);
  lower.Run("10 PRINT \"KEEP\":A=1\nEXEC 55939\n");
  ASSERT_NE(lower.in.Program().First(), nullptr);
  EXPECT_EQ(lower.in.Program().First()->text, "print \"KEEP\":a=1");
}

TEST(ConsoleStatements, PressAnyKeyTakesOneKey) {
  Session s;
  const std::string out = s.Run("10 EXEC 37637:GET K$:PRINT ASC(K$)\nRUN\nab");
  EXPECT_NE(out.find("Press any key to continue... 98\n"), std::string::npos) << out;
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
