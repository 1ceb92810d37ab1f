#include "console/lineeditor.h"

#include <gtest/gtest.h>

#include "console/key_queue.h"
#include "console/screen.h"
#include "console/settings.h"
#include "support/scripted_host.h"

namespace torvic {
namespace {

namespace vk = platform::vk;

struct EditorFixture : ::testing::Test {
  platform::ScriptedHost host;
  platform::Host h = host.AsHost();
  SettingsMemory memory;
  ConsoleScreen screen{h, memory};
  LineEditor editor{screen};

  void Type(std::string_view s) {
    for (char c : s) editor.TypeChar(static_cast<uint8_t>(c));
  }
};

TEST_F(EditorFixture, InsertOverwriteAndTheEditingKeys) {
  editor.Clear();
  Type("PRINT 12");
  EXPECT_TRUE(editor.EditingKey(vk::kLeft, false, false));
  editor.TypeChar('X');
  EXPECT_EQ(editor.Text(), "PRINT 1X2");
  editor.ToggleInsert();  // overwrite
  editor.TypeChar('Y');
  EXPECT_EQ(editor.Text(), "PRINT 1XY");
  editor.TypeChar('Z');  // at the end overwrite extends the line
  EXPECT_EQ(editor.Text(), "PRINT 1XYZ");
  editor.EditingKey(vk::kHome, false, false);
  editor.EditingKey(vk::kDelete, false, false);
  EXPECT_EQ(editor.Text(), "RINT 1XYZ");
  editor.MoveTo(4);
  editor.EditingKey(vk::kEnd, true, false);  // Ctrl+End: cut the tail
  EXPECT_EQ(editor.Text(), "RINT");
  editor.MoveTo(2);
  editor.EditingKey(vk::kHome, true, false);  // Ctrl+Home: cut the head
  EXPECT_EQ(editor.Text(), "NT");
  EXPECT_EQ(editor.Position(), 0);
  editor.EditingKey(vk::kDelete, true, false);
  EXPECT_EQ(editor.Text(), "");
  EXPECT_FALSE(editor.EditingKey(vk::kInsert, false, true));  // no Shift forms
}

TEST_F(EditorFixture, TheLineIsDrawnOnTheScreenButNotEchoed) {
  struct Capture : EchoSink {
    std::string bytes;
    void Echo(const uint8_t* b, size_t n) override {
      bytes.append(reinterpret_cast<const char*>(b), n);
    }
  } capture;
  screen.SetEchoSink(&capture);
  editor.Clear();
  Type("AB");
  editor.MoveTo(0);
  editor.TypeChar('C');
  EXPECT_EQ(screen.RowText(0), "CAB");
  editor.Backspace();
  EXPECT_EQ(screen.RowText(0), "AB");  // the freed cell is erased
  EXPECT_EQ(capture.bytes, "");
  EXPECT_EQ(screen.Column(), 0);
}

TEST_F(EditorFixture, LongLinesWrapAndUpDownMoveByARow) {
  editor.Clear();
  Type(std::string(200, 'x'));
  EXPECT_EQ(screen.Row(), 2);
  EXPECT_EQ(screen.Column(), 40);
  editor.EditingKey(vk::kUp, false, false);
  EXPECT_EQ(editor.Position(), 120);
  editor.EditingKey(vk::kDown, false, false);
  EXPECT_EQ(editor.Position(), 200);
  editor.MoveTo(50);
  editor.EditingKey(vk::kUp, false, false);  // not beyond 80: like Home
  EXPECT_EQ(editor.Position(), 0);
  Type(std::string(100, 'y'));  // past the limit of 255 nothing happens
  EXPECT_EQ(editor.Length(), LineEditor::kCapacity);
}

TEST_F(EditorFixture, StatementStartsSkipTheNumberAndQuotedColons) {
  editor.Clear();
  Type(" 10  A=1: PRINT \"a:b\":  B=2");
  const std::vector<int32_t> starts = editor.StatementStarts();
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(editor.Text().substr(starts[0], 3), "A=1");
  EXPECT_EQ(editor.Text().substr(starts[1], 5), "PRINT");
  EXPECT_EQ(editor.Text().substr(starts[2], 3), "B=2");
  editor.MoveTo(0);
  editor.EditingKey(vk::kRight, true, false);
  EXPECT_EQ(editor.Position(), starts[0]);
  editor.EditingKey(vk::kRight, true, false);
  EXPECT_EQ(editor.Position(), starts[1]);
  editor.MoveToEnd();
  editor.EditingKey(vk::kLeft, true, false);
  EXPECT_EQ(editor.Position(), starts[2]);
}

TEST_F(EditorFixture, TabInBothModesRespectsTheRoomLeft) {
  editor.Clear();
  Type("AB");
  editor.Tab(false);
  EXPECT_EQ(editor.Text(), "AB        ");
  editor.Tab(true);
  EXPECT_EQ(editor.Position(), 2);
  // Overwrite at the end of a 250-character line: only 5 blanks fit.
  editor.Clear();
  Type(std::string(250, 'a'));
  editor.ToggleInsert();
  editor.Tab(false);
  EXPECT_EQ(editor.Length(), 255);
  // Overwrite walks over existing text before adding blanks.
  editor.Clear();
  Type("ABCD");
  editor.MoveTo(1);
  editor.Tab(false);
  EXPECT_EQ(editor.Text(), "ABCD     ");
}

TEST_F(EditorFixture, HistoryKeepsNoDuplicatesAndHonoursItsLimit) {
  editor.AddHistory("A", 2);
  editor.AddHistory("A", 2);
  EXPECT_EQ(editor.History().size(), 1u);
  editor.AddHistory("B", 2);
  editor.AddHistory("C", 2);
  ASSERT_EQ(editor.History().size(), 2u);
  EXPECT_EQ(editor.History()[0], "B");
  editor.Clear();
  editor.HistoryPrevious();
  EXPECT_EQ(editor.Text(), "C");
  editor.HistoryPrevious();
  EXPECT_EQ(editor.Text(), "B");
  editor.HistoryPrevious();  // nothing before the first
  EXPECT_EQ(editor.Text(), "B");
  editor.HistoryNext();
  EXPECT_EQ(editor.Text(), "C");
  editor.AddHistory("D", 0);  // limit 0 keeps nothing new
  EXPECT_EQ(editor.History().size(), 2u);
}

TEST(KeyQueue, ALetterQueuesAsOneCharacterRecord) {
  KeyQueue q;
  KeyRecord down;
  down.key = 'A';
  q.PushKeyDown(down);
  KeyRecord ch;
  ch.key = 'a';
  q.PushChar(ch);
  ASSERT_EQ(q.Size(), 1u);
  EXPECT_EQ(EncodeKey(q.Pop()), "a");
}

TEST(KeyQueue, EncodingOfKeyDownRecords) {
  struct Case {
    uint32_t key;
    bool ctrl, shift;
    std::string expected;
  } cases[] = {
      {vk::kUp, false, false, std::string("\0\x26", 2)},
      {'5', true, false,
       std::string("\0\x11"
                   "5",
                   3)},
      {vk::kTab, false, true, std::string("\0\x10\x09", 3)},
      {vk::kF1, true, true, std::string("\0\x11\0\x10\0\x70", 6)},
  };
  for (const Case& c : cases) {
    KeyRecord r;
    r.kind = KeyRecord::kKeyDown;
    r.key = c.key;
    r.ctrl = c.ctrl;
    r.shift = c.shift;
    EXPECT_EQ(EncodeKey(r), c.expected) << c.key;
  }
  KeyRecord shiftTab;
  shiftTab.key = 9;
  shiftTab.shift = true;
  EXPECT_EQ(EncodeKey(shiftTab), std::string("\0\x10\x09", 3));
}

}  // namespace
}  // namespace torvic
