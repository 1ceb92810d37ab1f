// The settings map on a whole interpreter: POKE, POKE$, PEEK and PEEK$ as
// typed lines, and each action row's effect on the screen, the line editor,
// the key queue and the interpreter.
#include "console/settings_map.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/expression_context.h"
#include "engine/interpreter.h"
#include "expr/numeric_functions.h"
#include "support/scripted_host.h"

namespace torvic {
namespace {

using platform::LockKey;

struct Machine : EchoSink {
  platform::ScriptedHost host;
  platform::Host h = host.AsHost();
  SettingsMemory memory;
  ConsoleScreen screen{h, memory};
  std::unique_ptr<Interpreter> in;
  std::string transcript;
  std::function<void(const std::string&)> onLine;

  explicit Machine(std::function<void(platform::ScriptedHost&)> beforeStart = nullptr) {
    if (beforeStart) beforeStart(host);
    screen.SetEchoSink(this);
    in = std::make_unique<Interpreter>(h, screen, memory);
  }
  void Echo(const uint8_t* b, size_t n) override {
    for (size_t i = 0; i < n; ++i) {
      transcript += b[i] == 13 ? '\n' : static_cast<char>(b[i]);
      if (b[i] == 13 && onLine) onLine(transcript);
    }
  }
  std::string Run(std::string_view typed) {
    host.TypeText(typed);
    in->ShowPrompt();
    in->RunSession();
    return transcript;
  }
  int32_t Poke(uint32_t address, uint8_t value) { return in->Settings().PokeByte(address, value); }
  int32_t Peek(uint32_t address) { return in->Settings().PeekByte(address); }
  double A() { return in->Expressions().Vars().Letter(0); }
  bool Has(std::string_view text) const { return transcript.find(text) != std::string::npos; }
};

// --- the tables themselves ---------------------------------------------------

TEST(SettingsTable, RowsAreInAddressOrderAndUnique) {
  for (size_t i = 1; i < std::size(kWriteRows); ++i)
    EXPECT_LT(kWriteRows[i - 1].address, kWriteRows[i].address) << kWriteRows[i].address;
  std::set<uint16_t> seen;
  for (const ReadRow& r : kReadRows) EXPECT_TRUE(seen.insert(r.address).second) << r.address;
}

// --- stored values -----------------------------------------------------------

TEST(SettingsMap, WrittenBytesAreStoredByTheirRules) {
  struct Case {
    uint32_t address;
    uint8_t written;
    int32_t peeked;
  };
  const Case cases[] = {
      {872, 3, 6},     {872, 0, 0},       {872, 200, 24},  {872, 12, 12},  // printing font size
      {1994, 20, 0},   {1995, 99, 15},    {1994, 9, 9},                    // colours
      {1107, 7, 7},    {5776, 0, 0},                                       // lock mirrors keep V
      {1969, 224, 0},  {1969, 5, 0},      {1999, 117, 0},                  // actions store nothing
      {1966, 34, 34},  {43113, 127, 127}, {41307, 66, 66},                 // plain flags keep V
      {40000, 77, 77}, {0, 1, 1},         {65535, 2, 2},                   // no row: stored
      {51520, 1, 255}, {51520, 9, 255},                                    // no timer set
      {29538, 7, 0},                                                       // not an accepted set
  };
  for (const Case& c : cases) {
    Machine m;
    EXPECT_EQ(m.Poke(c.address, c.written), 0) << c.address;
    EXPECT_EQ(m.Peek(c.address), c.peeked) << c.address << "," << int(c.written);
  }
}

TEST(SettingsMap, ReadsOfUntouchedAndLiveAddresses) {
  Machine m;
  const std::pair<uint32_t, int32_t> cases[] = {
      {23, 1},   {21998, 25}, {21999, 80},  {12345, 0},  {56136, 32},
      {872, 10}, {5794, 255}, {51520, 255}, {1995, 15},  {49565, 1},
      {586, 0},  {5025, 0},   {29538, 0},   {61803, 10}, {59125, 0},
  };
  for (const auto& [address, value] : cases) EXPECT_EQ(m.Peek(address), value) << address;
  // Bytes at live addresses are not what PEEK answers there.
  m.memory.SetMirror(21998, 3);
  EXPECT_EQ(m.Peek(21998), 25);
}

TEST(SettingsMap, LiveValuesFollowTheInterpreter) {
  Machine m;
  m.in->Entry().Keys().PushChar({});
  EXPECT_EQ(m.Peek(5025), 1);
  m.in->Traps().Set(TrapKind::Error, nullptr, 0);
  m.in->Traps().Set(TrapKind::Timer, nullptr, 0);
  EXPECT_EQ(m.Peek(586), 5);
  m.screen.BeginDeferredUpdate();
  EXPECT_EQ(m.Peek(59125), 128);
  Randomize(0);
  const int32_t r = m.Peek(65104);
  Randomize(0);
  EXPECT_EQ(r, static_cast<int32_t>(RandomDraw() * 255 / 32767));
}

// --- actions -----------------------------------------------------------------

TEST(SettingsMap, ScreenSettingsApplyAtOnce) {
  struct Case {
    uint32_t address;
    uint8_t value;
    std::function<bool(ConsoleScreen&)> holds;
  };
  const Case cases[] = {
      {1994, 20, [](ConsoleScreen& s) { return s.TextColor() == 0 && !s.Inverse(); }},
      {1995, 4, [](ConsoleScreen& s) { return s.BackColor() == 4; }},
      {3998, 255, [](ConsoleScreen& s) { return s.Inverse(); }},
      {38829, 8, [](ConsoleScreen& s) { return s.TextColor() == 0 && s.BackColor() == 15; }},
      {41223, 146, [](ConsoleScreen& s) { return !s.ControlCharacters(); }},
      {41223, 145, [](ConsoleScreen& s) { return s.ControlCharacters(); }},
      {46090, 214, [](ConsoleScreen& s) { return !s.Escapes(); }},
      {10516, 2, [](ConsoleScreen& s) { return s.CoordinateOrder(); }},
      {6023, 128, [](ConsoleScreen& s) { return s.ScrollInhibit(); }},
      {23168, 224, [](ConsoleScreen& s) { return s.Caret().steady; }},
      {49565, 0, [](ConsoleScreen& s) { return !s.CursorVisible(); }},
      {11266, 3, [](ConsoleScreen& s) { return s.MarginColor() == 3; }},
      {11266, 40, [](ConsoleScreen& s) { return s.MarginColor() == 255; }},
      {1210, 255, [](ConsoleScreen& s) { return s.ScrollLock(); }},
  };
  for (const Case& c : cases) {
    Machine m;
    m.screen.SetColors(7, 1);
    if (c.address == 1994) m.screen.SetInverse(true);
    EXPECT_EQ(m.Poke(c.address, c.value), 0);
    EXPECT_TRUE(c.holds(m.screen)) << c.address << "," << int(c.value);
    // Stored rows keep the byte (1994 after its conversion); 38829 acts only.
    const uint8_t mirror = c.address == 1994 ? 0 : c.address == 38829 ? 0 : c.value;
    EXPECT_EQ(m.memory.Byte(c.address), mirror) << c.address;
  }
}

TEST(SettingsMap, ScrollOneRowAndClearedOptions) {
  Machine m;
  m.screen.SetCursor(0, 5);
  m.screen.WriteText("X");
  m.Poke(8204, 1);
  EXPECT_EQ(m.screen.RowText(5)[0], 'X');  // only 2 scrolls
  m.Poke(8204, 2);
  EXPECT_EQ(m.screen.RowText(4)[0], 'X');

  m.Poke(10516, 2);
  m.Poke(12420, 15);
  m.Poke(15041, 7);
  m.Poke(4879, 4);
  EXPECT_TRUE(m.memory.ClearKeepsScalars());
  m.Poke(4879, 5);
  EXPECT_FALSE(m.screen.CoordinateOrder());
  EXPECT_FALSE(m.memory.ClearKeepsScalars());
  EXPECT_FALSE(m.memory.GetNoWait());
}

TEST(SettingsMap, KeyQueueAndHistoryActions) {
  Machine m;
  m.in->Entry().Keys().PushChar({});
  m.Poke(1999, 116);
  EXPECT_FALSE(m.in->Entry().Keys().Empty());
  m.Poke(1999, 117);
  EXPECT_TRUE(m.in->Entry().Keys().Empty());

  LineEditor& editor = m.in->Entry().Editor();
  editor.AddHistory("A=1", 32);
  m.Poke(24352, 127);
  EXPECT_EQ(editor.History().size(), 1u);
  m.Poke(24352, 128);
  EXPECT_TRUE(editor.History().empty());

  // A new limit clears the history and then holds it.
  editor.AddHistory("A=1", 32);
  EXPECT_EQ(m.Poke(56136, 2), 0);
  EXPECT_TRUE(editor.History().empty());
  m.Run("A=1\nA=2\nA=3\n");
  EXPECT_EQ(editor.History(), (std::vector<std::string>{"A=2", "A=3"}));
}

TEST(SettingsMap, RandomNumbersAndRestartOnExit) {
  Machine m;
  m.host.Advance(12345);
  m.Poke(34352, 4);
  const uint32_t before = RandomSeed();
  m.Poke(34352, 5);
  EXPECT_EQ(RandomSeed(), 12345u);
  (void)before;

  m.Poke(1032, 3);
  EXPECT_TRUE(m.host.RestartRequested());
  m.Poke(1032, 2);
  EXPECT_FALSE(m.host.RestartRequested());
  // The request is one shot: INIT seeds the random numbers with 0 and
  // cancels it.
  m.Poke(1032, 3);
  m.Run("INIT\n");
  EXPECT_EQ(RandomSeed(), 0u);
  EXPECT_FALSE(m.host.RestartRequested());
  EXPECT_EQ(m.Peek(1032), 0);
}

TEST(SettingsMap, RestartAndRenewIsAColdStart) {
  Machine m;
  Randomize(99);
  m.Run("10 A=1\nPOKE 6732,0\n");
  EXPECT_TRUE(m.in->Program().Empty());
  EXPECT_EQ(RandomSeed(), 0u);
  EXPECT_FALSE(m.host.RestartRequested());  // taken by the NEW's INIT
  EXPECT_EQ(m.screen.RowText(0).rfind(ConsoleScreen::kBannerLines[0], 0), 0u);
  EXPECT_TRUE(m.Has(std::string(ConsoleScreen::kBannerLines[2]) + "\nReady\n")) << m.transcript;
}

TEST(SettingsMap, RestartAndRenewEndsARunningProgram) {
  // The program's lines are freed under the statement: nothing after it
  // runs, plain or inside an IF.
  for (std::string_view line : {"10 POKE 6732,0:A=1\n20 A=2\n", "10 IF 1 THEN POKE 6732,0:A=1\n"}) {
    Machine m;
    m.Run(std::string(line) + "RUN\nB=3\n");
    EXPECT_TRUE(m.in->Program().Empty());
    EXPECT_EQ(m.A(), 0) << line;
    EXPECT_EQ(m.in->Expressions().Vars().Letter(1), 3) << m.transcript;
  }
}

TEST(SettingsMap, RestartAndRenewAsksFirstAndARefusalIsBreak) {
  Machine m;
  m.Run("CONFIRM ON\n10 A=1\nPOKE 6732,1\nn\n");
  EXPECT_TRUE(m.Has("New?  n\nBreak\n")) << m.transcript;  // the reply cell is erased
  EXPECT_EQ(m.in->Program().Count(), 1u);
  EXPECT_FALSE(m.host.RestartRequested());
}

TEST(SettingsMap, TimerEventsWithoutATimer) {
  Machine m;
  EXPECT_EQ(m.Poke(51520, 0), 46);  // ?Timer not set
  EXPECT_EQ(m.Poke(51520, 1), 0);
  EXPECT_EQ(m.Peek(51520), 255);
  // With a timer set, 0 and 1 disarm and arm it, anything else stops it.
  m.in->Traps().Set(TrapKind::Timer, nullptr, 0);
  m.host.SetTimer(1, 1000);
  EXPECT_EQ(m.Poke(51520, 0), 0);
  EXPECT_EQ(m.Peek(51520), 0);
  EXPECT_EQ(m.Poke(51520, 1), 0);
  EXPECT_EQ(m.Peek(51520), 1);
  EXPECT_EQ(m.Poke(51520, 2), 0);
  EXPECT_FALSE(m.in->Traps().IsSet(TrapKind::Timer));
  EXPECT_FALSE(m.host.IsTimerActive(1));
  EXPECT_EQ(m.Peek(51520), 255);
}

TEST(SettingsMap, TimerEventsAndTrapBitsInARunningProgram) {
  Machine m;
  m.Run(
      "10 ON ERROR GOTO 100\n20 ON TIMER = 1000 GOTO 100\n30 A=PEEK(586)\n"
      "40 POKE 51520,0:B=PEEK(51520)\n50 POKE 51520,1:C=PEEK(51520)\n"
      "60 POKE 51520,7:D=PEEK(586)\n70 END\n100 RESUME NEXT\nRUN\n");
  VariableStore& v = m.in->Expressions().Vars();
  EXPECT_EQ(v.Letter(0), 5) << m.transcript;  // error and timer traps set
  EXPECT_EQ(v.Letter(1), 0);                  // disarmed
  EXPECT_EQ(v.Letter(2), 1);                  // armed
  EXPECT_EQ(v.Letter(3), 1);                  // stopped: only the error trap is left
  EXPECT_FALSE(m.host.IsTimerActive(1));
}

TEST(SettingsMap, DataPointerResetAndItsLiveByte) {
  Machine m;
  m.Run(
      "10 DATA 5,6\n20 READ A:C=PEEK(38360)\n30 POKE 49956,1:READ B\n"
      "40 POKE 49956,2:READ D\nRUN\n");
  VariableStore& v = m.in->Expressions().Vars();
  EXPECT_EQ(v.Letter(1), 6) << m.transcript;  // 1 is no reset
  EXPECT_EQ(v.Letter(2), 1);                  // the pointer is in line 10
  EXPECT_EQ(v.Letter(3), 5);                  // back to the first item
}

TEST(SettingsMap, LockKeysToggleTheDesktopOnlyWhenNeeded) {
  Machine m([](platform::ScriptedHost& host) {
    host.SetLockKeyState(LockKey::NumLock, true);
    host.SetLockKeyState(LockKey::CapsLock, false);
  });
  // The mirrors start from the desktop's state; an unknown key stays 0.
  EXPECT_EQ(m.Peek(1107), 255);
  EXPECT_EQ(m.Peek(5776), 0);
  EXPECT_EQ(m.Peek(1210), 0);

  m.Poke(1107, 255);  // already on
  EXPECT_EQ(m.host.LockKeyPresses(), 0);
  m.Poke(5776, 255);
  EXPECT_EQ(m.host.LockKeyPresses(), 1);
  EXPECT_EQ(m.host.LockKeyState(LockKey::CapsLock), true);
  m.Poke(5776, 17);  // any other value means off, and is kept as written
  EXPECT_EQ(m.host.LockKeyPresses(), 2);
  EXPECT_EQ(m.Peek(5776), 17);
  // A desktop that does not tell keeps only the mirror.
  m.Poke(1210, 255);
  EXPECT_EQ(m.host.LockKeyPresses(), 2);
  EXPECT_EQ(m.Peek(1210), 255);
  // Pressing a lock key reads its state again.
  m.host.SetLockKeyState(LockKey::NumLock, false);
  m.host.SetSink(m.in.get());
  m.host.PostKeyDown(platform::vk::kNumLock);
  m.host.PumpOnce();
  EXPECT_EQ(m.Peek(1107), 0);
}

TEST(SettingsMap, TurningThePauseKeyOffReleasesAPause) {
  Machine m;
  m.host.SetSink(m.in.get());
  m.host.PostKeyDown(platform::vk::kPause);
  m.host.PumpOnce();
  ASSERT_TRUE(m.in->Paused());
  m.Poke(11799, 127);
  EXPECT_TRUE(m.in->Paused());
  m.Poke(11799, 128);
  EXPECT_FALSE(m.in->Paused());
  EXPECT_FALSE(m.memory.PauseKeyEnabled());
}

TEST(SettingsMap, RecoveringWithNothingDiscardedLeavesTheProgram) {
  Machine m;
  m.Run("10 A=1\nPOKE 1969,224\n");
  EXPECT_EQ(m.in->Program().Count(), 1u);
  EXPECT_TRUE(m.in->Program().Modified());
}

// --- the statements and functions --------------------------------------------

TEST(SettingsStatements, PokeAndPeekAsTyped) {
  struct Case {
    std::string_view typed;
    double a;
  };
  const Case cases[] = {
      {"POKE 872,3:A=PEEK(872)", 6},
      {"POKE 1994,20:A=PEEK(1994)", 0},
      {"POKE 1.4,2.5:A=PEEK(1)", 3},  // rounded half up
      {"A=PEEK(21998)*100+PEEK(21999)", 2580},
      {"A=PEEK(8334)", 12},  // the length of this very line
      {"A=ORD(PEEK$(8335,1))", 'A'},
      {"POKE$ 100,\"AB\":A=PEEK(101)", 'B'},
      {"A=LEN(PEEK$(65530,6))", 6},
      {"A=LEN(PEEK$(7,0))", 0},
      {"A=5:POKE 12420,15:CLEAR", 5},  // CLEAR's option keeps the scalars
      {"A=5:POKE 12420,14:CLEAR", 0},
  };
  for (const Case& c : cases) {
    Machine m;
    m.Run(std::string(c.typed) + "\n");
    EXPECT_EQ(m.A(), c.a) << c.typed << "\n" << m.transcript;
    EXPECT_FALSE(m.Has("?")) << m.transcript;
  }
}

TEST(SettingsStatements, OutOfRangeArgumentsWriteNothing) {
  const std::string_view cases[] = {
      "POKE 65536,1",  "POKE -1,0",        "POKE 5,256",    "POKE 5,-1",
      "A=PEEK(65536)", "A=PEEK$(65535,2)", "A=PEEK$(0,-1)", "A=PEEK(-0.6)",
  };
  for (std::string_view typed : cases) {
    Machine m;
    m.Run(std::string(typed) + "\n");
    EXPECT_TRUE(m.Has("?Function call error, /" + std::string(typed) + "/")) << m.transcript;
    EXPECT_EQ(m.memory.Byte(5), 0);
  }
}

TEST(SettingsStatements, PokeStringStopsAtTheTop) {
  Machine m;
  m.Run("POKE$ 65534,\"ABC\"\n");
  EXPECT_TRUE(m.Has("?Function call error, /POKE$ 65534,\"ABC\"/")) << m.transcript;
  EXPECT_EQ(m.memory.Byte(65534), 'A');
  EXPECT_EQ(m.memory.Byte(65535), 'B');
  EXPECT_EQ(m.memory.Byte(0), 0);  // no wrap to the bottom
}

TEST(SettingsStatements, UpperCaseInputOnAndOff) {
  Machine m;
  m.Run("POKE 22469,255\nb=1\nPOKE 22469,0\nb=2\n");
  EXPECT_TRUE(m.Has("\nB=1\n")) << m.transcript;
  EXPECT_TRUE(m.Has("\nb=2\n")) << m.transcript;
}

TEST(SettingsStatements, BreakDisabledLetsTheRunFinish) {
  for (uint8_t enable : {0, 255}) {
    Machine m;
    m.onLine = [&](const std::string& t) {
      if (t.size() >= 4 && t.compare(t.size() - 4, 4, "RUN\n") == 0) m.host.PostBreak();
    };
    std::string program;
    for (int i = 1; i <= 20; ++i) program += std::to_string(i * 10) + " A=A+1\n";
    m.Run("POKE 5794," + std::to_string(enable) + "\n" + program + "RUN\n");
    EXPECT_EQ(m.Has("Break"), enable == 255) << m.transcript;
    EXPECT_EQ(m.A(), enable == 255 ? 1 : 20);
  }
}

}  // namespace
}  // namespace torvic
