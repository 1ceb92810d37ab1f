// The terminal front end's rules that need no terminal: what a cell shows,
// the colours, the keys, the message box's layout, the description chosen.
// The whole front end runs in a real terminal in terminal_session_test.
#include <curses.h>
#include <gtest/gtest.h>

#include "console/code_pages.h"
#include "shell/message_buttons.h"
#include "shell/terminal_cells.h"
#include "shell/terminal_keys.h"
#include "shell/terminal_message_box.h"
#include "shell/terminal_session.h"
#include "shell/terminal_view.h"

namespace torvic::shell {
namespace {

namespace vk = platform::vk;

TEST(TerminalCells, EachCellShowsOneCharacter) {
  const char16_t* ansi = CodePageForCharset(0);
  const char16_t* oem = CodePageForCharset(255);
  auto cell = [](uint8_t byte, uint8_t flags = 0) { return Cell{byte, 0, 15, flags}; };
  struct Case {
    const char* what;
    Cell cell;
    const char16_t* codePage;
    char32_t shown;
  };
  const Case cases[] = {
      {"a letter", cell('A'), ansi, U'A'},
      {"the euro sign of the ANSI set", cell(128), ansi, U'\u20AC'},
      {"a byte the ANSI set leaves undefined", cell(129), ansi, U' '},
      {"byte 127", cell(127), ansi, U' '},
      {"a box-drawing byte of the OEM set", cell(205), oem, U'\u2550'},
      {"a low byte as its glyph", cell(1), oem, U'\u263A'},
      {"glyph 1, the solid cell", cell(1, cellflag::kGlyph), ansi, U'\u2588'},
      {"glyph 10, the lower half", cell(10, cellflag::kGlyph), ansi, U'\u2584'},
      {"glyph 0 and 15 and above show nothing", cell(200, cellflag::kGlyph), ansi, U' '},
      {"a line across", cell(' ', cellflag::kLineLeft | cellflag::kLineRight), ansi, U'\u2500'},
      {"a corner", cell(' ', cellflag::kLineRight | cellflag::kLineDown), ansi, U'\u250C'},
      {"a crossing", cell(' ', cellflag::kLines), ansi, U'\u253C'},
      {"a line ending in the cell", cell(' ', cellflag::kLineUp), ansi, U'\u2575'},
      {"a character on a line stays", cell('X', cellflag::kLineLeft), ansi, U'X'},
  };
  for (const Case& c : cases) EXPECT_EQ(CellCharacter(c.cell, c.codePage), c.shown) << c.what;
}

TEST(TerminalCells, AsciiStandInsAndTypedCharacters) {
  EXPECT_EQ(AsciiStandIn(U'q'), 'q');
  EXPECT_EQ(AsciiStandIn(U'\u2500'), '-');
  EXPECT_EQ(AsciiStandIn(U'\u2502'), '|');
  EXPECT_EQ(AsciiStandIn(U'\u250C'), '+');
  EXPECT_EQ(AsciiStandIn(U'\u2588'), '#');
  EXPECT_EQ(AsciiStandIn(U'\u20AC'), '?');
  const char16_t* ansi = CodePageForCharset(0);
  EXPECT_EQ(ByteOfCharacter(U'\u20AC', ansi), std::optional<uint8_t>(128));
  EXPECT_EQ(ByteOfCharacter(U'e', ansi), std::optional<uint8_t>('e'));
  EXPECT_EQ(ByteOfCharacter(U'\u263A', ansi), std::nullopt);  // only a glyph of a low byte
  EXPECT_EQ(ByteOfCharacter(U'\u4E2D', ansi), std::nullopt);
  EXPECT_EQ(ByteOfCharacter(U'\u0416', CodePageForCharset(204)), std::optional<uint8_t>(0xC6));
}

TEST(TerminalCells, ColoursForEachDepth) {
  EXPECT_EQ(ColorDepthOf(0x1000000), ColorDepth::Direct);
  EXPECT_EQ(ColorDepthOf(256), ColorDepth::Sixteen);
  EXPECT_EQ(ColorDepthOf(8), ColorDepth::Eight);
  EXPECT_EQ(ColorDepthOf(-1), ColorDepth::None);
  struct Case {
    int32_t text, back;
    ColorDepth depth;
    TerminalColors colors;
  };
  const Case cases[] = {
      {0, 15, ColorDepth::Sixteen, {0, 15}},
      {14, 1, ColorDepth::Sixteen, {14, 1}},
      {99, 99, ColorDepth::Sixteen, {0, 15}},  // folded as the settings memory folds them
      {12, 15, ColorDepth::Eight, {4, 7, true}},
      {7, 8, ColorDepth::Eight, {7, 7}},  // grey behind text is silver, not black
      {1, 14, ColorDepth::Direct, {0x800000, 0x00FFFF}},
      {0, 15, ColorDepth::Direct, {0x010101, 0xFFFFFF}},  // black above the indexed colours
      {0, 15, ColorDepth::None, {-1, -1, false, false}},
      {15, 0, ColorDepth::None, {-1, -1, false, true}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ColorsOf(c.text, c.back, c.depth), c.colors) << c.text << " on " << c.back;
}

TEST(TerminalKeys, CharactersAsKeys) {
  const char16_t* ansi = CodePageForCharset(0);
  struct Case {
    char32_t c;
    uint32_t key;
    std::optional<uint8_t> character;
    bool ctrl, shift;
  };
  const Case cases[] = {
      {U'a', 'A', 'a', false, false},
      {U'A', 'A', 'A', false, true},
      {U'5', '5', '5', false, false},
      {U' ', vk::kSpace, ' ', false, false},
      {U'!', 0, '!', false, false},
      {U'\u20AC', 0, 128, false, false},
      {1, 'A', 1, true, false},
      {3, 'C', std::nullopt, true, false},
      {8, vk::kBack, 8, false, false},
      {127, vk::kBack, 8, false, false},
      {9, vk::kTab, 9, false, false},
      {13, vk::kReturn, 13, false, false},
      {27, vk::kEscape, 27, false, false},
      {0, 0, 0, true, false},
      {28, 0, 28, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<uint32_t>(c.c));
    const std::optional<KeyPress> p = TerminalKeys::FromCharacter(c.c, ansi);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->virtualKey, c.key);
    EXPECT_EQ(p->ctrl, c.ctrl);
    EXPECT_EQ(p->shift, c.shift);
    if (c.c != 3) { EXPECT_EQ(p->character, c.character); }
  }
  EXPECT_FALSE(TerminalKeys::FromCharacter(U'\u4E2D', ansi));  // not in the character set
  // Ctrl+C read as a character is Ctrl+Break.
  EXPECT_EQ(TranslateKeyPress(*TerminalKeys::FromCharacter(3, ansi)).keyDown.key, vk::kCancel);
}

TEST(TerminalKeys, KeyCodesAsKeys) {
  TerminalKeys keys;  // nothing learned: the codes every description shares
  struct Case {
    int code;
    uint32_t key;
    bool ctrl, shift;
    std::optional<uint8_t> character;
  };
  const Case cases[] = {
      {KEY_UP, vk::kUp, false, false, {}},
      {KEY_DC, vk::kDelete, false, false, {}},
      {KEY_BACKSPACE, vk::kBack, false, false, 8},
      {KEY_ENTER, vk::kReturn, false, false, 13},
      {KEY_BTAB, vk::kTab, false, true, 9},
      {KEY_SLEFT, vk::kLeft, false, true, {}},
      {KEY_A1, vk::kHome, false, false, {}},
      {KEY_F(1), vk::kF1, false, false, {}},
      {KEY_F(12), vk::kF12, false, false, {}},
      {KEY_F(21), vk::kF1 + 8, false, true, {}},  // Shift+F9
      {KEY_F(26), vk::kF1 + 1, true, false, {}},  // Ctrl+F2
      {KEY_F(48), vk::kF12, true, true, {}},      // Ctrl+Shift+F12
      {KEY_BREAK, vk::kCancel, true, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const std::optional<KeyPress> p = keys.FromKeyCode(c.code);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->virtualKey, c.key);
    EXPECT_EQ(p->ctrl, c.ctrl);
    EXPECT_EQ(p->shift, c.shift);
    EXPECT_EQ(p->character, c.character);
  }
  EXPECT_FALSE(keys.FromKeyCode(KEY_F(49)));
  EXPECT_FALSE(keys.FromKeyCode(KEY_MOUSE));
}

TEST(TerminalMessageBox, AFramedBoxWithWrappedTextAndButtonsWhoseInitialsAreKeys) {
  const MessageBoxLayout box =
      LayOutMessageBox("Do you want to save the changes you made to the BASIC program?", "TORVIC",
                       platform::Buttons::YesNoCancel, platform::Icon::Exclamation, 76);
  ASSERT_GE(box.Height(), 6);
  for (const std::u32string& row : box.rows) EXPECT_EQ(static_cast<int>(row.size()), box.Width());
  EXPECT_LE(box.Width(), 76);
  EXPECT_EQ(box.rows.front().substr(0, 10), U"\u250C\u2500 TORVIC ");
  EXPECT_EQ(box.rows[2].substr(0, 6), U"\u2502  !  ");
  EXPECT_EQ(box.rows[3].substr(0, 8), U"\u2502     BA");  // the wrapped rest, under the text
  EXPECT_EQ(box.rows.back().front(), U'\u2514');
  ASSERT_EQ(box.buttons.size(), 3u);
  const auto set = ButtonsOf(platform::Buttons::YesNoCancel);
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    const MessageBoxLayout::Button& b = box.buttons[i];
    const std::u32string& row = box.rows[static_cast<size_t>(b.row)];
    EXPECT_EQ(row[static_cast<size_t>(b.column)], U'[');
    EXPECT_EQ(row[static_cast<size_t>(b.column + b.width - 1)], U']');
    EXPECT_EQ(row[static_cast<size_t>(b.initialColumn)], static_cast<char32_t>(set[i].initial));
  }
  // Narrow, with line feeds and a word longer than a line: nothing is
  // lost, nothing passes the frame.
  const MessageBoxLayout narrow =
      LayOutMessageBox("First\nSUPERCALIFRAGILISTICEXPIALIDOCIOUS", "A very long caption indeed",
                       platform::Buttons::Ok, platform::Icon::None, 20);
  for (const std::u32string& row : narrow.rows) EXPECT_EQ(static_cast<int>(row.size()), 20);
  EXPECT_EQ(narrow.rows[2].substr(0, 8), U"\u2502  First");
  EXPECT_EQ(narrow.rows[3].substr(3, 14), U"SUPERCALIFRAGI");
  EXPECT_EQ(narrow.rows[4].substr(3, 14), U"LISTICEXPIALID");
}

TEST(TerminalView, TheLineForATooSmallTerminal) {
  EXPECT_EQ(TerminalView::TooSmallMessage(60, 20),
            "Please make the terminal at least 80 x 25 (it is 60 x 20).");
}

TEST(TerminalDescription, TrueColourOnlyWhereAdvertisedAndInstalled) {
  EXPECT_EQ(ChooseTerminalDescription("tmux-256color", nullptr), "tmux-256color");
  EXPECT_EQ(ChooseTerminalDescription("tmux-256color", "256"), "tmux-256color");
  // ncurses-term (in the project's package list) has the direct variants.
  EXPECT_EQ(ChooseTerminalDescription("tmux-256color", "truecolor"), "tmux-direct");
  EXPECT_EQ(ChooseTerminalDescription("xterm-256color", "24bit"), "xterm-direct");
  EXPECT_EQ(ChooseTerminalDescription("xterm-direct", "truecolor"), "xterm-direct");
  EXPECT_EQ(ChooseTerminalDescription("no-such-terminal", "truecolor"), "no-such-terminal");
}

}  // namespace
}  // namespace torvic::shell
