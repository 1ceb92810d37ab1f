// The desktop's rules that need no window: the start-up options, the
// clipboard's text both ways, the status panes, the instance lock.
#include <gtest/gtest.h>

#include <cstdlib>

#include "console/screen.h"
#include "engine/session.h"
#include "shell/batch_mode.h"
#include "shell/instance_lock.h"
#include "shell/scratch_folder.h"
#include "shell/screen_text.h"
#include "shell/status_panes.h"

namespace torvic::shell {
namespace {

TEST(StartupOptions, NamesAfterDashOrSlashInAnyCase) {
  struct Case {
    const char* arg;
    bool taken;
    StartupOptions expected;
  };
  const Case cases[] = {
      {"-nostartup", true, {true, true, true, false}},
      {"/NOSTARTUP", true, {true, true, true, false}},
      {"-NoColor", true, {true, false, false, false}},
      {"/nomessage", true, {false, true, false, false}},
      {"-noprogram", true, {false, false, true, false}},
      {"/NoRestore", true, {false, false, false, true}},
      {"--norestore", false, {}},
      {"norestore", false, {}},
      {"/home/user/prog.tvc", false, {}},
      {"-", false, {}},
  };
  for (const Case& c : cases) {
    StartupOptions o;
    EXPECT_EQ(ScanStartupOption(c.arg, o), c.taken) << c.arg;
    EXPECT_EQ(o.noColor, c.expected.noColor) << c.arg;
    EXPECT_EQ(o.noMessage, c.expected.noMessage) << c.arg;
    EXPECT_EQ(o.noProgram, c.expected.noProgram) << c.arg;
    EXPECT_EQ(o.noRestore, c.expected.noRestore) << c.arg;
  }
  // Beside the other options, and a program file for the window.
  bool isBatch = false;
  BatchOptions options;
  std::string error;
  ASSERT_TRUE(ParseBatchArguments({"/norestore", "--window", "game.tvc"}, isBatch, options, error))
      << error;
  EXPECT_TRUE(options.startup.noRestore);
  EXPECT_TRUE(options.window);
  EXPECT_EQ(options.program, "game.tvc");
  EXPECT_FALSE(ParseBatchArguments({"--window", "--batch"}, isBatch, options, error));
  EXPECT_FALSE(ParseBatchArguments({"--keys"}, isBatch, options, error));
}

TEST(PastedKeys, LineEndsTabsControlsAndForeignCharacters) {
  struct Case {
    std::u32string text;
    int charset;
    std::vector<uint8_t> keys;
  };
  const Case cases[] = {
      {U"A\r\nB\nC\rD", 0, {'A', 13, 'B', 13, 'C', 13, 'D'}},
      {U"\r\n\r\n", 0, {13, 13}},
      {U"X\tY", 0, {'X', 9, 'Y'}},
      {U"a\x01\x1b\x7f"
       U"b",
       0,
       {'a', 'b'}},
      {U"\u20ac\u00e9\u4e2d", 0, {0x80, 0xE9, '?'}},
      {U"\u00e9", 204, {'?'}},  // Cyrillic has no e acute
  };
  for (const Case& c : cases) EXPECT_EQ(PastedKeys(c.text, c.charset), c.keys);
}

TEST(SelectionText, ReadingOrderTrimmedRowsAndGlyphs) {
  Session s;
  s.screen.ClearScreen();
  s.screen.WriteText("HELLO WORLD   ");
  s.screen.NewLine();
  s.screen.WriteText("SECOND \x80");
  s.screen.NewLine();
  s.screen.DrawCellGlyph(1);  // a cell glyph copies as a blank
  s.screen.WriteText("Z");
  EXPECT_EQ(SelectionText(s.screen, {6, 0}, {3, 1}), "WORLD\nSECO");
  EXPECT_EQ(SelectionText(s.screen, {3, 1}, {6, 0}), "WORLD\nSECO");  // either order
  EXPECT_EQ(SelectionText(s.screen, {7, 1}, {79, 1}), "\xe2\x82\xac");
  EXPECT_EQ(SelectionText(s.screen, {0, 2}, {1, 2}), " Z");
  EXPECT_TRUE(InSelection({70, 0}, {2, 1}, {79, 0}));
  EXPECT_TRUE(InSelection({70, 0}, {2, 1}, {0, 1}));
  EXPECT_FALSE(InSelection({70, 0}, {2, 1}, {3, 1}));
  const std::string all = ScreenText(s.screen);
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 24);
  EXPECT_EQ(all.substr(0, 12), "HELLO WORLD\n");
}

TEST(StatusPanes, ReadFromTheInterpreter) {
  Session s;
  StatusPanes p = ReadStatusPanes(s.in);
  EXPECT_EQ(p.message, "For Help, press F1");
  EXPECT_EQ(p.mode, "CMD");
  EXPECT_EQ(p.insert, "INS");
  EXPECT_TRUE(p.Lit(Indicator::Break));
  EXPECT_FALSE(p.Lit(Indicator::Modified));
  s.Run("10 REM\nTRON\nCONFIRM ON\nSECURE ON\n");
  s.in.Entry().Editor().ToggleInsert();
  p = ReadStatusPanes(s.in);
  EXPECT_EQ(p.insert, "OVR");
  for (Indicator i : {Indicator::Modified, Indicator::Trace, Indicator::Confirm, Indicator::Secure})
    EXPECT_TRUE(p.Lit(i)) << kIndicatorTexts[static_cast<size_t>(i)];
  for (Indicator i :
       {Indicator::Log, Indicator::Profile, Indicator::Debug, Indicator::Auto, Indicator::Hidden})
    EXPECT_FALSE(p.Lit(i));
}

TEST(InstanceLock, TheSecondHolderSeesTheFirst) {
  const testing::ScratchFolder runtime("runtime");
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  const std::string saved = old ? old : "";
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  {
    InstanceLock first;
    EXPECT_FALSE(first.AnotherInstance());
    EXPECT_EQ(InstanceLock::Path(), runtime.path().string() + "/QX_TORVIC_MUTEX");
    InstanceLock second;
    EXPECT_TRUE(second.AnotherInstance());
  }
  InstanceLock again;  // the first has gone
  EXPECT_FALSE(again.AnotherInstance());
  if (old) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace torvic::shell
