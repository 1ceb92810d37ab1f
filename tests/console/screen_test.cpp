// Text output of the console screen: wrapping, scrolling, control
// characters, the echo sink, colours, cursor, deferred update and fonts,
// checked against the cell record (and the recording surface where the
// drawing calls matter).
#include <gtest/gtest.h>

#include "base/errors.h"
#include "console/screen_fixture.h"

namespace torvic::test {
namespace {

using std::string;

// --- wrapping, controls, scrolling -------------------------------------------

struct WriteCase {
  const char* name;
  int32_t column, row;  // cursor before writing
  string text;          // written with WriteText on a screen full of '.'
  int32_t endColumn, endRow;
  int32_t checkRow;  // a row to compare after writing
  string rowText;    // its text (trailing blanks dropped)
};

class WriteTextCases : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WriteTextCases, CursorAndCells) {
  const WriteCase& c = GetParam();
  ScreenRig rig;
  rig.Fill('.');
  rig->SetCursor(c.column, c.row);
  rig->WriteText(c.text);
  EXPECT_EQ(rig->Column(), c.endColumn);
  EXPECT_EQ(rig->Row(), c.endRow);
  EXPECT_EQ(rig->RowText(c.checkRow), c.rowText);
}

const string kDots80(80, '.');
const string kDots79(79, '.');

INSTANTIATE_TEST_SUITE_P(
    Screen, WriteTextCases,
    ::testing::Values(
        WriteCase{"EightyCharactersEndAtColumn0OfNextRow", 0, 3, string(80, 'A'), 0, 4, 3,
                  string(80, 'A')},
        WriteCase{"WrapContinuesOnNextRow", 78, 3, "ABCD", 2, 4, 4, "CD" + string(78, '.')},
        WriteCase{"CarriageReturnErasesRestOfRow", 0, 3, "AB\r", 0, 4, 3, "AB"},
        WriteCase{"BackspaceAtHomeStaysAndErases", 0, 0, "\b", 0, 0, 0, " " + kDots79},
        WriteCase{"BackspaceAtColumn0GoesToRowAbove", 0, 5, "\b", 79, 4, 4, kDots79},
        WriteCase{"BackspaceInRowErasesPreviousCell", 3, 2, "\b", 2, 2, 2, ".. " + string(77, '.')},
        WriteCase{"TabErasesToNextStop", 3, 2, "\t", 8, 2, 2, "...     " + string(72, '.')},
        WriteCase{"TabFromColumn75IsNewLine", 75, 2, "\t", 0, 3, 2, string(75, '.')},
        WriteCase{"TabFromColumn72IsNewLine", 72, 2, "\t", 0, 3, 2, string(72, '.')},
        WriteCase{"FormFeedClears", 5, 5, "\f", 0, 0, 5, ""},
        WriteCase{"BellDrawsNothing", 5, 5, "\a", 5, 5, 5, kDots80},
        WriteCase{"LineFeedIsAGlyph", 0, 5, "\nX", 2, 5, 5, "\nX" + string(78, '.')},
        WriteCase{"NulIsAGlyph", 0, 5, string("A\0B", 3), 3, 5, 5,
                  string("A\0B", 3) + string(77, '.')},
        WriteCase{"ControlAfterWrapActsOnNewRow", 79, 2, "Z\r", 0, 4, 3, ""}),
    [](const auto& param) { return string(param.param.name); });

TEST(Screen, TwoThousandCharactersFromHomeScrollOnce) {
  ScreenRig rig(true);
  string text;
  for (int row = 0; row < kScreenRows; ++row) text += string(80, static_cast<char>('A' + row));
  rig->WriteText(text);
  EXPECT_EQ(rig.surface->scrolls, 1);
  EXPECT_EQ(rig->Row(), 24);
  EXPECT_EQ(rig->Column(), 0);
  EXPECT_EQ(rig->RowText(0), string(80, 'B'));
  EXPECT_EQ(rig->RowText(23), string(80, 'Y'));
  EXPECT_EQ(rig->RowText(24), "");
  // One text call per row: runs are cut only at the wrap.
  EXPECT_EQ(rig.surface->texts.size(), 25u);
}

TEST(Screen, ScrollLockParksInLastCellAndOverwritesIt) {
  ScreenRig rig(true);
  rig->SetScrollLock(true);
  rig->SetCursor(0, 24);
  rig->WriteText(string(80, 'A') + "XYZ");
  EXPECT_EQ(rig.surface->scrolls, 0);
  EXPECT_EQ(rig->Column(), 79);
  EXPECT_EQ(rig->Row(), 24);
  EXPECT_EQ(rig.Cell(79, 24), 'Z');
  EXPECT_EQ(rig.Cell(78, 24), 'A');
  rig->SetScrollLock(false);
  rig->NewLine();
  EXPECT_EQ(rig.surface->scrolls, 1);
}

TEST(Screen, ScrollInhibitIsOneShot) {
  ScreenRig rig(true);
  rig.memory.SetMirror(6023, 128);
  rig->SetScrollInhibit(true);
  rig->SetCursor(5, 24);
  rig->LineFeed();
  EXPECT_EQ(rig.surface->scrolls, 0);
  EXPECT_EQ(rig->Column(), 79);
  EXPECT_FALSE(rig->ScrollInhibit());
  EXPECT_EQ(rig.memory.Byte(6023), 0);
  rig->LineFeed();
  EXPECT_EQ(rig.surface->scrolls, 1);
  EXPECT_EQ(rig->Row(), 24);
}

TEST(Screen, ScrollMovesCellsAndFillsWithBackground) {
  ScreenRig rig(true);
  rig->WriteText("top\r\rthird");
  rig->SetColors(1, 4);
  rig->ScrollUp();
  EXPECT_EQ(rig->RowText(1), "third");
  EXPECT_EQ(rig->Cells().At(0, 24).back, 4);
  EXPECT_EQ(rig.surface->PixelAt(0, 24 * 16), PaletteColor(4));
  // An explicit scroll at row 0 keeps the cursor on the screen.
  rig->SetCursor(3, 0);
  rig->ScrollUp();
  EXPECT_EQ(rig->Row(), 0);
}

TEST(Screen, ControlAndEscapeFlagsOffDrawTheBytes) {
  ScreenRig rig;
  rig->SetControlCharacters(false);
  rig->SetEscapes(false);
  rig->WriteText(
      "\r\t\x1b"
      "C");
  EXPECT_EQ(rig->RowText(0),
            "\r\t\x1b"
            "C");
  EXPECT_EQ(rig.memory.Byte(41223), 146);
  EXPECT_EQ(rig.memory.Byte(46090), 214);
  rig->SetControlCharacters(true);
  EXPECT_EQ(rig.memory.Byte(41223), 0);
}

TEST(Screen, WriteRawDrawsControlsAndWraps) {
  ScreenRig rig;
  rig->SetCursor(78, 0);
  rig->WriteRaw("\r\a\x1bL");
  EXPECT_EQ(rig.Cell(78, 0), '\r');
  EXPECT_EQ(rig.Cell(79, 0), '\a');
  EXPECT_EQ(rig.Cell(0, 1), 0x1b);
  EXPECT_EQ(rig->Column(), 2);
  EXPECT_EQ(rig.host.Beeps(), 0);
  rig->WriteText("\a");
  EXPECT_EQ(rig.host.Beeps(), 1);
}

// --- echo sink ------------------------------------------------------------------

struct EchoCase {
  const char* name;
  int32_t column;
  string text;
  string echoed;
};

class EchoCases : public ::testing::TestWithParam<EchoCase> {};

TEST_P(EchoCases, EverythingWrittenPassesTheSink) {
  ScreenRig rig;
  rig->SetCursor(GetParam().column, 3);
  rig->WriteText(GetParam().text);
  EXPECT_EQ(rig.echo.bytes, GetParam().echoed);
}

INSTANTIATE_TEST_SUITE_P(
    Screen, EchoCases,
    ::testing::Values(EchoCase{"Runs", 0, "AB\rC", "AB\rC"},
                      EchoCase{"WrapAddsNothing", 78, "ABCD", "ABCD"},
                      EchoCase{"Controls", 5, "\a\b\f", "\a\b\f"}, EchoCase{"Tab", 0, "\tX", "\tX"},
                      EchoCase{"TabAsNewLine", 75, "\t", "\r"},
                      EchoCase{"ConsumedEscape", 0,
                               "\x1b"
                               "5;10LX",
                               "\x1b"
                               "5;10LX"},
                      EchoCase{"UnknownEscapeLetterIsText", 0, "\x1bQ", "\x1bQ"},
                      EchoCase{"DigitsConsumedLetterDrawn", 0,
                               "\x1b"
                               "12Z",
                               "\x1b"
                               "12Z"},
                      EchoCase{"EscapeAtEnd", 0, "A\x1b", "A\x1b"}),
    [](const auto& param) { return string(param.param.name); });

TEST(Screen, PadToColumnEchoesBlanks) {
  ScreenRig rig;
  rig.Fill('.');
  rig->SetCursor(4, 2);
  rig->PadToColumn(10);
  EXPECT_EQ(rig.echo.bytes, string(6, ' '));
  EXPECT_EQ(rig->Column(), 10);
  EXPECT_EQ(rig->RowText(2), "....      " + string(70, '.'));
}

// --- coalesced drawing ------------------------------------------------------------

TEST(Screen, RunIsOneTextCallAndOneInvalidRectangle) {
  ScreenRig rig(true);
  rig->SetCursor(10, 4);
  rig->WriteText(string(60, 'x'));
  ASSERT_EQ(rig.surface->texts.size(), 1u);
  EXPECT_EQ(rig.surface->texts[0].x, 80);
  EXPECT_EQ(rig.surface->texts[0].y, 64);
  EXPECT_EQ(rig->TakeInvalid(), (CellRect{10, 4, 70, 5}));
  EXPECT_TRUE(rig->TakeInvalid().Empty());
  rig->WriteText("a");
  rig->SetCursor(0, 9);
  rig->WriteText("b");
  EXPECT_EQ(rig->TakeInvalid(), (CellRect{0, 4, 71, 10}));
}

// --- colours ------------------------------------------------------------------------

TEST(Screen, ColoursInverseAndTheirMirrors) {
  struct Step {
    const char* what;
    int text, back;
    bool inverse;
  };
  ScreenRig rig;
  auto check = [&](const Step& s) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(rig->TextColor(), s.text);
    EXPECT_EQ(rig->BackColor(), s.back);
    EXPECT_EQ(rig->Inverse(), s.inverse);
    EXPECT_EQ(rig.memory.Byte(1994), s.text);
    EXPECT_EQ(rig.memory.Byte(1995), s.back);
    EXPECT_EQ(rig.memory.Byte(3998), s.inverse ? 255 : 0);
  };
  check({"created", 0, 15, false});
  rig->SetColors(2, 7);
  check({"set", 2, 7, false});
  rig->SetInverse(true);
  check({"inverse exchanges", 7, 2, true});
  rig->SetInverse(true);
  check({"inverse again changes nothing", 7, 2, true});
  rig->SetColors(4, 14);
  check({"SetColors turns inverse off without exchanging", 4, 14, false});
  rig->SetInverse(false);
  check({"normal when normal changes nothing", 4, 14, false});
  rig->RestoreColorState(7, 2, true);
  check({"restored as saved", 7, 2, true});
  rig->SetColors(20, 99);
  check({"out-of-range indices fold", 0, 15, false});
}

// --- cursor, caret, deferred update ----------------------------------------------------

TEST(Screen, LocateCursorHonoursCoordinateOrderAndClamps) {
  ScreenRig rig;
  rig->LocateCursor(5, 10);
  EXPECT_EQ(rig->Row(), 5);
  EXPECT_EQ(rig->Column(), 10);
  rig->SetCoordinateOrder(true);
  EXPECT_EQ(rig.memory.Byte(10516), 2);
  rig->LocateCursor(5, 10);
  EXPECT_EQ(rig->Column(), 5);
  EXPECT_EQ(rig->Row(), 10);
  rig->LocateCursor(79, 79);  // a column taken as a row
  EXPECT_EQ(rig->Row(), 24);
  rig->SetCursor(-3, 40);
  EXPECT_EQ(rig->Column(), 0);
  EXPECT_EQ(rig->Row(), 24);
}

TEST(Screen, HiddenCursorParksTheCaret) {
  ScreenRig rig;
  rig->SetCursor(7, 3);
  EXPECT_EQ(rig->Caret().column, 7);
  rig->ShowCursor(false);
  EXPECT_EQ(rig.memory.Byte(49565), 0);
  EXPECT_EQ(rig->Caret().column, ConsoleScreen::kParkedCaret);
  EXPECT_TRUE(rig->Caret().parked);
  rig->WriteText("ab");
  EXPECT_EQ(rig->Caret().row, ConsoleScreen::kParkedCaret);
  rig->ShowCursor(true);
  EXPECT_EQ(rig.memory.Byte(49565), 1);
  EXPECT_EQ(rig->Caret().column, 9);
  EXPECT_EQ(rig->Caret().row, 3);
}

TEST(Screen, DeferredUpdateCollectsAndPaintsOnce) {
  ScreenRig rig;
  rig->BeginDeferredUpdate();
  EXPECT_EQ(rig.memory.Byte(59125), 128);
  EXPECT_FALSE(rig->CursorVisible());
  rig->WriteText("abc");
  rig->SetCursor(0, 6);
  rig->WriteText("d");
  EXPECT_TRUE(rig->Invalid().Empty());
  rig->BeginDeferredUpdate();  // already deferred: nothing is emptied
  rig->EndDeferredUpdate();
  EXPECT_EQ(rig.observer.paints, 1);
  EXPECT_EQ(rig->TakeInvalid(), (CellRect{0, 0, 3, 7}));
  EXPECT_TRUE(rig->CursorVisible());
  EXPECT_EQ(rig.memory.Byte(59125), 0);
  rig->EndDeferredUpdate();  // not deferred: nothing happens
  EXPECT_EQ(rig.observer.paints, 1);
}

TEST(Screen, DeferredUpdateKeepsAHiddenCursorHidden) {
  ScreenRig rig;
  rig->ShowCursor(false);
  rig->BeginDeferredUpdate();
  rig->EndDeferredUpdate();
  EXPECT_FALSE(rig->CursorVisible());
}

TEST(Screen, ShowCursorEndsADeferredUpdate) {
  ScreenRig rig;
  rig->BeginDeferredUpdate();
  rig->WriteText("x");
  rig->ShowCursor(true);
  EXPECT_FALSE(rig->Deferred());
  EXPECT_EQ(rig.observer.paints, 1);
  EXPECT_EQ(rig->TakeInvalid(), (CellRect{0, 0, 1, 1}));
}

TEST(Screen, SteadyCursorRunsTimer2WhileFocused) {
  ScreenRig rig;
  rig->SetFocus(true);
  rig->SetSteadyCursor(true);
  EXPECT_TRUE(rig.host.IsTimerActive(ConsoleScreen::kSteadyCursorTimer));
  EXPECT_EQ(rig.memory.Byte(23168), 224);
  rig->SetFocus(false);
  EXPECT_FALSE(rig.host.IsTimerActive(ConsoleScreen::kSteadyCursorTimer));
  rig->SetFocus(true);
  EXPECT_TRUE(rig.host.IsTimerActive(ConsoleScreen::kSteadyCursorTimer));
  rig->OnSteadyCursorTimer();
  EXPECT_EQ(rig.observer.blinks, 1);
  rig->SetSteadyCursor(false);
  EXPECT_FALSE(rig.host.IsTimerActive(ConsoleScreen::kSteadyCursorTimer));
}

// --- creation and fonts ----------------------------------------------------------------

TEST(Screen, CreationWritesBannerAndRecordsStartUp) {
  platform::ScriptedHost host;
  host.Advance(1234);
  SettingsMemory memory;
  memory.SetMirror(1995, 0);
  ConsoleScreen screen(host.AsHost(), memory);
  ASSERT_TRUE(screen.Create());
  EXPECT_EQ(screen.RowText(0), "TORVIC Version 1.5.2");
  EXPECT_FALSE(screen.RowText(1).empty());
  EXPECT_FALSE(screen.RowText(2).empty());
  EXPECT_EQ(screen.RowText(3), "");
  EXPECT_EQ(screen.Column(), 0);
  EXPECT_EQ(screen.Row(), 8);
  EXPECT_EQ(screen.StartTick(), 1234u);
  EXPECT_EQ(screen.StartTime().year, host.Now().year);
  EXPECT_EQ(memory.Byte(1995), 15);
  EXPECT_EQ(memory.Byte(49565), 1);
  EXPECT_TRUE(screen.CursorVisible());
}

TEST(Screen, CreationReadsFontSizeAndFailsWithoutBitmap) {
  struct Case {
    uint32_t stored;
    int32_t points;
  };
  for (const Case c : {Case{14, 14}, Case{5, 10}, Case{100, 10}, Case{99, 99}}) {
    platform::ScriptedHost host;
    host.SetNumber("Settings", "FontSize", c.stored);
    SettingsMemory memory;
    RecordingSurface surface;
    ConsoleScreen screen(host.AsHost(&surface), memory);
    ASSERT_TRUE(screen.Create());
    EXPECT_EQ(screen.FontPoints(), c.points) << c.stored;
    EXPECT_EQ(surface.selected.face, "Courier New");
    EXPECT_EQ(surface.selected.height, ConsoleScreen::FontHeightForPoints(c.points, 96));
  }
  platform::ScriptedHost host;
  SettingsMemory memory;
  RecordingSurface surface;
  surface.failRebuild = true;
  ConsoleScreen screen(host.AsHost(&surface), memory);
  EXPECT_FALSE(screen.Create());
}

TEST(Screen, FontHeightIsMinusPointsTimesDpiOver72) {
  EXPECT_EQ(ConsoleScreen::FontHeightForPoints(10, 96), -13);  // 13.33
  EXPECT_EQ(ConsoleScreen::FontHeightForPoints(11, 96), -15);  // 14.67
  EXPECT_EQ(ConsoleScreen::FontHeightForPoints(9, 96), -12);
  EXPECT_EQ(ConsoleScreen::FontHeightForPoints(99, 144), -198);
}

TEST(Screen, FontSizeChangeClearsOrKeepsTheOldFont) {
  ScreenRig rig(true);
  rig->WriteText("hello");
  rig->SaveSettings();  // unchanged: nothing saved
  EXPECT_FALSE(rig.host.GetNumber("Settings", "FontSize").has_value());
  rig.surface->failRebuild = true;
  EXPECT_FALSE(rig->ChangeFontSize(12));
  ASSERT_EQ(rig.host.Boxes().size(), 1u);
  EXPECT_EQ(rig.host.Boxes()[0].text, "Unable to change the font!");
  EXPECT_EQ(rig.host.Boxes()[0].icon, platform::Icon::Exclamation);
  EXPECT_EQ(rig->FontPoints(), 10);
  EXPECT_EQ(rig->RowText(0), "hello");

  rig.surface->failRebuild = false;
  EXPECT_TRUE(rig->ChangeFontSize(12));
  EXPECT_EQ(rig->FontPoints(), 12);
  EXPECT_EQ(rig->RowText(0), "");
  EXPECT_EQ(rig->Column(), 0);
  EXPECT_EQ(rig.observer.geometry, 1);
  rig->SaveSettings();
  EXPECT_EQ(rig.host.GetNumber("Settings", "FontSize"), 12u);
}

TEST(Screen, CharacterSetChange) {
  ScreenRig rig(true);
  platform::FontMetrics wide = rig.surface->DefaultMetrics();
  wide.maxWidth += 2;
  rig.surface->metricsByCharset[178] = wide;

  EXPECT_EQ(rig->SetCharacterSet(255), kOk);
  EXPECT_EQ(rig->Charset(), 255);
  EXPECT_EQ(rig.surface->selected.charset, 255);
  EXPECT_EQ(rig.memory.Byte(29538), 255);

  EXPECT_EQ(rig->SetCharacterSet(178), kOk);  // other metrics: nothing changes
  EXPECT_EQ(rig->Charset(), 255);
  EXPECT_EQ(rig->SetCharacterSet(17), kOk);  // not a character set: ignored
  EXPECT_EQ(rig->Charset(), 255);

  const int selects = rig.surface->selects;
  EXPECT_EQ(rig->SetCharacterSet(255), kOk);  // the same again: nothing
  EXPECT_EQ(rig.surface->selects, selects);

  rig.surface->failProbe = true;
  EXPECT_EQ(rig->SetCharacterSet(0), kErrOutOfMemory);
  EXPECT_EQ(rig->Charset(), 255);
}

}  // namespace
}  // namespace torvic::test
