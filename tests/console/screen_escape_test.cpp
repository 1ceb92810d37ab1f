// Escape sequences: what each form consumes and does, from a cursor at
// column 10, row 5 with colours 3 on 6.
#include <gtest/gtest.h>

#include "console/screen_fixture.h"

namespace torvic::test {
namespace {

using std::string;

struct EscapeCase {
  const char* name;
  string after;  // the characters after ESC
  size_t consumed;
  int32_t column, row;
  int32_t text = 3, back = 6;
};

class EscapeCases : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeCases, ConsumesAndActs) {
  const EscapeCase& c = GetParam();
  ScreenRig rig;
  rig->SetColors(3, 6);
  rig->SetCursor(10, 5);
  const size_t consumed =
      rig->InterpretEscape(reinterpret_cast<const uint8_t*>(c.after.data()), c.after.size());
  EXPECT_EQ(consumed, c.consumed);
  EXPECT_EQ(rig->Column(), c.column);
  EXPECT_EQ(rig->Row(), c.row);
  EXPECT_EQ(rig->TextColor(), c.text);
  EXPECT_EQ(rig->BackColor(), c.back);
  EXPECT_EQ(rig.echo.bytes, c.after.substr(0, c.consumed));
}

INSTANTIATE_TEST_SUITE_P(
    Cursor, EscapeCases,
    ::testing::Values(
        EscapeCase{"Left", "B", 1, 9, 5}, EscapeCase{"LeftBy3", "3B", 2, 7, 5},
        EscapeCase{"LeftStopsAt0", "20B", 3, 0, 5}, EscapeCase{"Right", "F", 1, 11, 5},
        EscapeCase{"RightStopsAt79", "99F", 3, 79, 5}, EscapeCase{"Up", "u", 1, 10, 4},
        EscapeCase{"UpStopsAt0", "9U", 2, 10, 0}, EscapeCase{"Down", "D", 1, 10, 6},
        EscapeCase{"DownStopsAt24", "30D", 3, 10, 24}, EscapeCase{"LeftBy0", "0B", 2, 10, 5},
        EscapeCase{"Home", "L", 1, 0, 0}, EscapeCase{"HomeSemicolon", ";L", 2, 0, 0},
        EscapeCase{"Row", "5L", 2, 0, 5}, EscapeCase{"RowSemicolon", "7;L", 3, 0, 7},
        EscapeCase{"Column", ";7L", 3, 7, 0}, EscapeCase{"RowColumn", "5;10L", 5, 10, 5},
        EscapeCase{"RowColumnClip", "30;99L", 6, 79, 24},
        EscapeCase{"NumberWrapsModulo256", "261;10l", 7, 10, 5},
        EscapeCase{"RegionShiftsChangeNothing", "H", 1, 10, 5},
        EscapeCase{"RegionShiftWithNumber", "3J", 2, 10, 5},
        EscapeCase{"RegionShiftK", "K", 1, 10, 5}, EscapeCase{"RegionShiftP", "2p", 2, 10, 5}),
    [](const auto& param) { return string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Unknown, EscapeCases,
    ::testing::Values(EscapeCase{"LetterConsumesNothing", "Q", 0, 10, 5},
                      EscapeCase{"DigitsConsumedOnly", "12Z", 2, 10, 5},
                      EscapeCase{"SemicolonThenOtherLetter", ";Q", 1, 10, 5},
                      EscapeCase{"DigitsSemicolonThenLetter", "5;A", 2, 10, 5},
                      EscapeCase{"SecondNumberWithOtherLetter", "5;3X", 3, 10, 5},
                      EscapeCase{"NothingFollows", "", 0, 10, 5},
                      EscapeCase{"DigitsAtEnd", "12", 2, 10, 5},
                      EscapeCase{"NulIsNotALetter", string("\0", 1), 0, 10, 5}),
    [](const auto& param) { return string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(Colours, EscapeCases,
                         ::testing::Values(EscapeCase{"Reset", "C", 1, 10, 5, 0, 15},
                                           EscapeCase{"ResetR", "r", 1, 10, 5, 0, 15},
                                           EscapeCase{"ResetSemicolon", ";C", 2, 10, 5, 0, 15},
                                           EscapeCase{"Text", "4C", 2, 10, 5, 4, 15},
                                           EscapeCase{"TextSemicolon", "4;C", 3, 10, 5, 4, 15},
                                           EscapeCase{"Back", ";2C", 3, 10, 5, 0, 2},
                                           EscapeCase{"Both", "1;14C", 5, 10, 5, 1, 14},
                                           EscapeCase{"BothClip", "20;30C", 6, 10, 5, 15, 15}),
                         [](const auto& param) { return string(param.param.name); });

void Esc(ScreenRig& rig, const string& after) {
  rig->InterpretEscape(reinterpret_cast<const uint8_t*>(after.data()), after.size());
}

TEST(Escape, SaveAndRestoreCursor) {
  ScreenRig rig;
  rig->SetCursor(12, 7);
  Esc(rig, "A");
  rig->SetCursor(0, 20);
  Esc(rig, "O");
  EXPECT_EQ(rig->Column(), 12);
  EXPECT_EQ(rig->Row(), 7);
}

TEST(Escape, SavedColourSlot) {
  for (const char* restore : {"T", "0T", "256T"}) {
    ScreenRig rig;
    rig->SetColors(2, 9);
    Esc(rig, "1T");        // save 2 on 9
    rig->SetColors(5, 0);  // a COLOR change
    Esc(rig, restore);
    EXPECT_EQ(rig->TextColor(), 2) << restore;
    EXPECT_EQ(rig->BackColor(), 9) << restore;
  }
  ScreenRig fresh;
  fresh->SetColors(5, 0);
  Esc(fresh, "T");  // the slot starts as 0 on 15
  EXPECT_EQ(fresh->TextColor(), 0);
  EXPECT_EQ(fresh->BackColor(), 15);
}

TEST(Escape, Inverse) {
  struct Case {
    const char* seq;
    bool inverse;
  };
  for (const Case c : {Case{"1I", true}, Case{"I", false}, Case{"7i", true}, Case{"0I", false}}) {
    ScreenRig rig;
    rig->SetColors(1, 2);
    Esc(rig, "1I");
    Esc(rig, c.seq);
    EXPECT_EQ(rig->Inverse(), c.inverse) << c.seq;
    EXPECT_EQ(rig->TextColor(), c.inverse ? 2 : 1) << c.seq;
  }
}

TEST(Escape, Erasing) {
  struct Case {
    const char* seq;
    int32_t column;
    string row;
  };
  const string dots(80, '.');
  for (const Case& c :
       {Case{"E", 10, dots.substr(0, 10)}, Case{"G", 10, string(11, ' ') + dots.substr(11)},
        Case{"N", 10, ""}, Case{"X", 10, dots.substr(0, 10) + " " + dots.substr(11)},
        Case{"3X", 10, dots.substr(0, 10) + "   " + dots.substr(13)},
        Case{"99X", 78, dots.substr(0, 78)}}) {
    ScreenRig rig;
    rig.Fill('.');
    rig->SetCursor(c.column, 5);
    Esc(rig, c.seq);
    EXPECT_EQ(rig->RowText(5), c.row) << c.seq;
    EXPECT_EQ(rig->Column(), c.column) << c.seq;
    EXPECT_EQ(rig->RowText(4), dots) << c.seq;
  }
  ScreenRig rig;
  rig.Fill('.');
  rig->SetCursor(10, 5);
  Esc(rig, "S");
  EXPECT_EQ(rig->RowText(0), "");
  EXPECT_EQ(rig->Column(), 0);
  EXPECT_EQ(rig->Row(), 0);
}

TEST(Escape, InsideWriteText) {
  struct Case {
    string text;
    string row0;
  };
  for (const Case& c : {Case{"A\x1bQB", "AQB"},
                        Case{"\x1b"
                             "12ZX",
                             "ZX"},
                        Case{"ab\x1b"
                             "2Bc",
                             "cb"},
                        Case{"x\x1b"
                             "0;5LY",
                             "x    Y"},
                        Case{"\x1b"
                             "5;Qz",
                             "Qz"}}) {
    ScreenRig rig;
    rig->WriteText(c.text);
    EXPECT_EQ(rig->RowText(0), c.row0);
  }
}

TEST(Escape, CoordinateOrderExchangesLocate) {
  ScreenRig rig;
  rig->SetCoordinateOrder(true);
  Esc(rig, "5;10L");
  EXPECT_EQ(rig->Column(), 5);
  EXPECT_EQ(rig->Row(), 10);
  Esc(rig, "30;99L");  // 24 taken as the column, 79 as the row: clamped
  EXPECT_EQ(rig->Column(), 24);
  EXPECT_EQ(rig->Row(), 24);
}

}  // namespace
}  // namespace torvic::test
