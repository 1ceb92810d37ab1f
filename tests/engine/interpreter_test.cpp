// Sessions on the scripted host: what needs events at chosen moments
// (Break and keys arriving while a program runs), the virtual clock, or
// the interpreter's state. Plain sessions live in tests/transcripts.
#include "engine/interpreter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "engine/screen_images.h"
#include "session.h"
#include "support/scripted_host.h"

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

// The tone's wait is the core's, serving events: the virtual clock moves by
// the length, a timer trap runs during it, and Break ends a tone of any
// length and silences it.
TEST(ConsoleStatements, AToneWaitsServingEventsSoBreakEndsIt) {
  Session s;
  s.Run("SOUND 440,2500\n");
  ASSERT_EQ(s.host.Tones().size(), 1u);
  EXPECT_EQ(s.host.Tones()[0].ms, 2500u);
  EXPECT_GE(s.host.TickCount(), 2500u);
  EXPECT_EQ(s.host.TonesStopped(), 0);

  Session timer;
  const std::string ticks = timer.Run(
      "10 ON TIMER=1000 GOTO 100\n20 SOUND 440,2500\n30 PRINT \"N\";N:END\n"
      "100 N=N+1:RESUME\nRUN\n");
  EXPECT_NE(ticks.find("N 2\n"), std::string::npos) << ticks;

  Session t;
  t.onLine = [&](const std::string& line) {
    if (Session::EndsWith(line, "RUN\n")) t.host.PostBreak();
  };
  const std::string out = t.Run("10 SOUND 440,2147483647\n20 PRINT \"after\"\nRUN\n");
  EXPECT_NE(out.find("Break in 10"), std::string::npos) << out;
  EXPECT_EQ(t.host.Tones().size(), 1u);
  EXPECT_EQ(t.host.TonesStopped(), 1);
  EXPECT_LT(t.host.TickCount(), 1000u);
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

// RANDOMIZE seeds the generator with the tick count: the next draw is the
// one the generator's rule gives for that seed.
TEST(VariableStatements, RandomizeSeedsTheGeneratorFromTheTickCount) {
  for (uint32_t tick : {0u, 1000u, 123456789u}) {
    Session s;
    s.host.Advance(tick);
    s.Run("RANDOMIZE: A = RND(32767)\n");
    const uint32_t seed = tick * 214013u + 2531011u;
    const double r = static_cast<double>((seed >> 16) & 0x7FFF);
    EXPECT_EQ(s.Var('A'), std::floor(r / 32768 * 32767) + 1) << tick;
  }
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
  EXPECT_NE(out.find("RUN\nBreak in 20\nReady\nA=A\nReady\nCONT\nReady\nEXIT\n"), std::string::npos)
      << out;
  EXPECT_EQ(s.in.StopDepth(), 0);
  EXPECT_FALSE(s.in.CanContinue());
}

TEST(InterpreterSession, ALineEnteredOnceTheSessionEndsIsNotRun) {
  Session s;
  s.Run("10 GOTO 10\n");  // the end of input ends the session, as closing the window does
  ASSERT_TRUE(s.in.ExitRequested());
  // Keys the host still delivers in that turn: a RUN would loop for ever,
  // since no turn is given to the window any more.
  for (const char c : std::string("RUN\r")) {
    platform::KeyEvent e;
    e.key = static_cast<uint8_t>(c);
    s.in.OnChar(e);
  }
  EXPECT_EQ(s.in.Reason(), StopReason::ExitRequested);
  EXPECT_FALSE(s.in.Running());
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
  s.in.Entry().Keys().Clear();
  s.host.PumpOnce();  // idle: an editing key, not queued
  EXPECT_TRUE(s.in.Entry().Keys().Empty());
}

// ---------------------------------------------------------------------------
// Listing and program editing: paging, Break during a listing, the settings.

std::string LongLines(int lines, size_t textLength) {
  std::string p;
  for (int i = 1; i <= lines; ++i)
    p += std::to_string(i * 10) + " REM " + std::string(textLength - 4, 'X') + "\n";
  return p;
}

TEST(ListingSession, PagedListingWaitsAfter24ScreenLinesAndAKeyGoesOn) {
  Session s;
  s.memory.SetMirror(6817, 255);
  const std::string out = s.Run(Program(30) + "LIST\n ");
  // A line per row: "More..." after the 24th, the space key goes on.
  EXPECT_NE(out.find("240 A=A+1\nMore...250 A=A+1\n"), std::string::npos) << out;
  EXPECT_TRUE(Session::EndsWith(out, "300 A=A+1\nReady\n")) << out;
  EXPECT_EQ(out.find("More...", out.find("More...") + 1), std::string::npos);
  EXPECT_TRUE(s.in.Entry().Keys().Empty());  // the key was used up
  for (int row = 0; row < kScreenRows; ++row)
    EXPECT_EQ(s.screen.RowText(row).find("More"), std::string::npos);

  // Lines of three rows (3 + 160 characters) fill a page after eight lines.
  Session t;
  t.memory.SetMirror(6817, 255);
  const std::string tall = t.Run(LongLines(9, 160) + "LIST\n ");
  const size_t more = tall.find("More...");
  ASSERT_NE(more, std::string::npos);
  EXPECT_EQ(tall.compare(more - 4, 4, "XXX\n"), 0);
  EXPECT_EQ(tall.compare(more + 7, 7, "90 REM "), 0) << tall;
}

TEST(ListingSession, BreakEndsAListingAtMoreOrBetweenLines) {
  Session s;
  s.memory.SetMirror(6817, 255);
  // No key comes at "More...": the end of input presses Break.
  const std::string out = s.Run(Program(30) + "LIST\n");
  EXPECT_NE(out.find("240 A=A+1\nMore...\nBreak\nReady\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("250 A=A+1", out.find("LIST\n")), std::string::npos);

  Session t;
  t.onLine = [&](const std::string& text) {
    if (text.find("LIST\n") != std::string::npos && Session::EndsWith(text, "\n50 A=A+1\n"))
      t.host.PostBreak();
  };
  const std::string unpaged = t.Run(Program(30) + "LIST\n");
  EXPECT_NE(unpaged.find("LIST\n10 A=A+1\n20 A=A+1\n30 A=A+1\n40 A=A+1\n50 A=A+1\nBreak\nReady\n"),
            std::string::npos)
      << unpaged;
}

TEST(ListingSession, SettingsTurnListingOffNamesToLowerCaseAndKeepUnnumberedLines) {
  Session s;
  s.memory.SetMirror(28779, 32);  // listing not allowed
  s.memory.SetMirror(18450, 4);   // $XREF names in lower case
  s.memory.SetMirror(39072, 1);   // RENUM keeps unnumbered lines
  const std::string out = s.Run(
      "10 GOTO 30\n20 AB$ = \"\"\n30 C = 1: GOTO 10\nLIST\n$XREF 2\nUNNUM\nRENUM 100\n$XREF "
      "0\nLINES\n");
  EXPECT_NE(out.find("LIST\nReady\n$XREF 2\nab$ : 20\nc : 30\nReady\n"), std::string::npos) << out;
  // Line 20 lost its number and kept it lost; 10 and 30 became 100 and 110.
  EXPECT_NE(out.find("$XREF 0\n100 : 110\n110 : 100\nReady\nLINES\n 3\n"), std::string::npos)
      << out;
  EXPECT_FALSE(s.in.Program().First()->Next()->IsNumbered());
}

TEST(ListingSession, EveryChangeSetsOrRecomputesTheModifiedFlag) {
  struct Case {
    const char* command;
    bool modified;
  };
  const Case cases[] = {
      {"LIST", false},  {"DEL 10", true},  {"DEL 15", false}, {"DEL -", false}, {"KEEP 10", true},
      {"RENUM", false}, {"RENUM 5", true}, {"UNNUM", true},   {"LINES", false},
  };
  for (const Case& c : cases) {
    Session s;
    const std::string command = std::string("\n") + c.command + "\n";
    // The flag is cleared when the command's line has been entered.
    s.onLine = [&](const std::string& text) {
      if (Session::EndsWith(text, command)) s.in.Program().SetModified(false);
    };
    s.Run("10 GOTO 20\n20 A=1" + command);
    EXPECT_EQ(s.in.Program().Modified(), c.modified) << c.command;
  }
}

}  // namespace
}  // namespace torvic
