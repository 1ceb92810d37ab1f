// Pixels and cells of the graphics primitives on the recording surface
// (cells of 8 x 16 pixels): inversion, cell glyphs, FRAME, LINE and the
// screen images.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "console/screen_fixture.h"

namespace torvic::test {
namespace {

using platform::PixelRect;

constexpr int32_t kW = 8, kH = 16;

PixelRect CellPixels(int32_t column, int32_t row, int32_t columns = 1, int32_t rows = 1) {
  return {column * kW, row * kH, (column + columns) * kW, (row + rows) * kH};
}

TEST(ScreenGraphics, InvertCellsInvertsPixelsAndClips) {
  ScreenRig rig(true);
  rig->SetColors(1, 14);
  rig->WriteText("AB");
  const platform::PixelBlock before = rig.surface->CopyOut(CellPixels(0, 0, 2, 1));
  rig->InvertCells(CellRect::FromRowColumn(0, 0, 2, 1));
  for (int32_t x = 0; x < 2 * kW; ++x) {
    const platform::Rgb p = rig.surface->PixelAt(x, kH / 2);
    const uint32_t b = before.pixels[static_cast<size_t>(kH / 2 * 2 * kW + x)];
    EXPECT_EQ(p.r, 255 - (b >> 16 & 0xFF));
    EXPECT_EQ(p.b, 255 - (b & 0xFF));
  }
  EXPECT_TRUE(rig->Cells().At(1, 0).flags & cellflag::kInverted);
  rig->InvertCells(CellRect::FromRowColumn(0, 0, 2, 1));
  EXPECT_EQ(rig.surface->CopyOut(CellPixels(0, 0, 2, 1)).pixels, before.pixels);
  EXPECT_FALSE(rig->Cells().At(1, 0).flags & cellflag::kInverted);

  // The statement form clips at row 25 and column 80.
  rig->InvertCells(CellRect::FromRowColumn(24, 78, 80, 25));
  EXPECT_EQ(rig.surface->Count(CellPixels(78, 24, 2, 1), {0, 0, 0}), 2 * kW * kH);
  EXPECT_EQ(rig->TakeInvalid(), (CellRect{0, 0, 80, 25}));
}

struct GlyphCase {
  int32_t n;
  int textPixels;  // pixels of the 8 x 16 cell in the text colour
};

class GlyphCases : public ::testing::TestWithParam<GlyphCase> {};

TEST_P(GlyphCases, PixelsInTheTextColour) {
  ScreenRig rig(true);
  rig->SetColors(12, 15);
  rig->SetCursor(3, 2);
  rig->DrawCellGlyph(GetParam().n);
  EXPECT_EQ(rig.surface->Count(CellPixels(3, 2), PaletteColor(12)), GetParam().textPixels);
  const Cell& c = rig->Cells().At(3, 2);
  EXPECT_EQ(c.byte, GetParam().n);
  EXPECT_EQ(c.flags, cellflag::kGlyph);
  EXPECT_EQ(rig->Column(), 4);
}

INSTANTIATE_TEST_SUITE_P(ScreenGraphics, GlyphCases,
                         ::testing::Values(GlyphCase{0, 0}, GlyphCase{1, 128},
                                           GlyphCase{2, 2 * 8 + 2 * 14}, GlyphCase{3, 16},
                                           GlyphCase{4, 12}, GlyphCase{7, 64}, GlyphCase{8, 64},
                                           GlyphCase{9, 64}, GlyphCase{10, 64}, GlyphCase{11, 64},
                                           GlyphCase{12, 64}, GlyphCase{13, 28}, GlyphCase{15, 0},
                                           GlyphCase{255, 0}));

TEST(ScreenGraphics, CirclesAreCentredAndFilledOnesHoldMore) {
  ScreenRig rig(true);
  rig->DrawCellGlyph(5);
  rig->DrawCellGlyph(6);
  const int filled = rig.surface->Count(CellPixels(0, 0), {0, 0, 0});
  const int hollow = rig.surface->Count(CellPixels(1, 0), {0, 0, 0});
  EXPECT_GT(filled, hollow);
  EXPECT_GT(hollow, 0);
  // Nothing touches the cell's top and bottom rows.
  EXPECT_EQ(rig.surface->Count({0, 0, 16, 1}, {0, 0, 0}), 0);
  EXPECT_EQ(rig.surface->Count({0, 15, 16, 16}, {0, 0, 0}), 0);
}

TEST(ScreenGraphics, GlyphAtColumn79MovesToNextRow) {
  ScreenRig rig(true);
  rig->SetCursor(79, 3);
  rig->DrawCellGlyph(1);
  EXPECT_EQ(rig->Column(), 0);
  EXPECT_EQ(rig->Row(), 4);
  EXPECT_EQ(rig->RowText(3), "");  // graphics cells read as blanks
}

TEST(ScreenGraphics, FrameStyle1IsAnOutlineThroughTheMiddleOfTheBorderCells) {
  ScreenRig rig(true);
  rig->WriteText("text under the frame");
  const CellRect r = CellRect::FromRowColumn(0, 2, 5, 4);  // columns 2..6, rows 0..3
  rig->DrawFrame(r, 1, 9);
  const platform::Rgb red = PaletteColor(9);
  const int32_t x0 = 2 * kW + kW / 2, x1 = 6 * kW + kW / 2;
  const int32_t y0 = kH / 2, y1 = 3 * kH + kH / 2;
  for (int32_t x = x0; x <= x1; ++x) {
    EXPECT_EQ(rig.surface->PixelAt(x, y0), red);
    EXPECT_EQ(rig.surface->PixelAt(x, y1), red);
    EXPECT_NE(rig.surface->PixelAt(x, y0 - 1), red);
    if (x != x0 && x != x1) { EXPECT_NE(rig.surface->PixelAt(x, y0 + 1), red); }
  }
  for (int32_t y = y0; y <= y1; ++y) {
    EXPECT_EQ(rig.surface->PixelAt(x0, y), red);
    EXPECT_EQ(rig.surface->PixelAt(x1, y), red);
  }
  // One pixel wide: each side is a single line, the rest is background.
  EXPECT_EQ(rig.surface->Count(rig->CellsToPixels(r), red),
            2 * (x1 - x0 + 1) + 2 * (y1 - y0 + 1) - 4);
  EXPECT_EQ(rig->RowText(0), "te     der the frame");
  EXPECT_EQ(rig->Cells().At(2, 0).flags, cellflag::kLineRight | cellflag::kLineDown);
  EXPECT_EQ(rig->Cells().At(4, 0).flags, cellflag::kLineLeft | cellflag::kLineRight);
  EXPECT_EQ(rig->Cells().At(6, 3).flags, cellflag::kLineLeft | cellflag::kLineUp);
  EXPECT_EQ(rig->Cells().At(4, 1).flags, 0);
}

TEST(ScreenGraphics, FrameStyle0IsABorderOneCellWideAndClips) {
  ScreenRig rig(true);
  rig->DrawFrame(CellRect::FromRowColumn(22, 76, 10, 10), 0, 2);  // clipped to 76..79, 22..24
  const platform::Rgb green = PaletteColor(2);
  EXPECT_EQ(rig.surface->Count(CellPixels(76, 22, 4, 1), green), 4 * kW * kH);
  EXPECT_EQ(rig.surface->Count(CellPixels(76, 23), green), kW * kH);
  EXPECT_EQ(rig.surface->Count(CellPixels(77, 23, 2, 1), PaletteColor(15)), 2 * kW * kH);
  EXPECT_EQ(rig.surface->Count(CellPixels(79, 23), green), kW * kH);
  EXPECT_EQ(rig->Cells().At(76, 24).back, 2);
  EXPECT_EQ(rig->Cells().At(77, 23).back, 15);
}

TEST(ScreenGraphics, LineOfCells) {
  struct Case {
    const char* name;
    CellRect cells;
    int32_t style;
    PixelRect painted;  // the pixels in the line colour
  };
  const Case cases[] = {
      {"horizontal fill", CellRect::FromRowColumn(3, 4, 5, 1), 0, CellPixels(4, 3, 5, 1)},
      {"vertical fill", CellRect::FromRowColumn(3, 4, 1, 5), 0, CellPixels(4, 3, 1, 5)},
      {"horizontal line",
       CellRect::FromRowColumn(3, 4, 5, 1),
       1,
       {4 * kW, 3 * kH + kH / 2, 9 * kW, 3 * kH + kH / 2 + 1}},
      {"vertical line",
       CellRect::FromRowColumn(3, 4, 1, 5),
       1,
       {4 * kW + kW / 2, 3 * kH, 4 * kW + kW / 2 + 1, 8 * kH}},
      {"clipped at column 80",
       CellRect::FromRowColumn(3, 78, 9, 1),
       1,
       {78 * kW, 3 * kH + kH / 2, 80 * kW, 3 * kH + kH / 2 + 1}},
  };
  for (const Case& c : cases) {
    ScreenRig rig(true);
    rig->DrawCellLine(c.cells, c.style, 13);
    const int expected = c.painted.Width() * c.painted.Height();
    EXPECT_EQ(rig.surface->Count(c.painted, PaletteColor(13)), expected) << c.name;
    EXPECT_EQ(rig.surface->Count({0, 0, 640, 400}, PaletteColor(13)), expected) << c.name;
  }
  ScreenRig rig;
  rig->WriteText("abc");
  rig->DrawCellLine(CellRect::FromRowColumn(0, 0, 3, 1), 1, 4);
  EXPECT_EQ(rig->RowText(0), "");  // line art reads as blanks
  EXPECT_EQ(rig->Cells().At(1, 0).byte, 'b');
  EXPECT_EQ(rig->Cells().At(0, 0).flags, cellflag::kLineLeft | cellflag::kLineRight);
}

TEST(ScreenGraphics, ScreenImageRestoresPixelsAndCells) {
  ScreenRig rig(true);
  for (int i = 0; i < 30; ++i) rig->WriteFormatted("line %d with some text\r", i);
  rig->InvertCells({2, 20, 6, 22});
  const CellRect r = CellRect::FromRowColumn(18, 1, 30, 6);
  const platform::PixelBlock before = rig.surface->CopyOut({0, 0, 640, 400});
  const CellRecord cellsBefore = rig->Cells();

  ScreenImage image;
  ASSERT_EQ(rig->SaveImage(r, &image), kOk);
  rig->SetColors(4, 11);
  rig->EraseCells(r);
  rig->DrawFrame(r, 1, 0);
  rig->RestoreImage(image);

  EXPECT_EQ(rig.surface->CopyOut({0, 0, 640, 400}).pixels, before.pixels);
  for (int32_t row = 0; row < kScreenRows; ++row)
    for (int32_t col = 0; col < kScreenColumns; ++col)
      ASSERT_EQ(rig->Cells().At(col, row), cellsBefore.At(col, row)) << col << "," << row;
  EXPECT_EQ(image.textColor, 0);
  EXPECT_EQ(image.backColor, 15);
}

TEST(ScreenGraphics, ScreenImageClipsAtTheScreenEdge) {
  ScreenRig rig(true);
  ScreenImage image;
  ASSERT_EQ(rig->SaveImage(CellRect::FromRowColumn(20, 70, 80, 25), &image), kOk);
  EXPECT_EQ(image.cells, (CellRect{70, 20, 80, 25}));
  EXPECT_EQ(image.pixelCopy.width, 10 * kW);
  EXPECT_EQ(image.cellCopy.size(), 50u);
}

TEST(ScreenGraphics, ImageSavedBeforeAFontChangeIsRedrawnFromCells) {
  ScreenRig rig(true);
  rig->WriteText("keep me");
  ScreenImage image;
  ASSERT_EQ(rig->SaveImage(CellRect::FromRowColumn(0, 0, 10, 1), &image), kOk);
  platform::FontMetrics big = rig.surface->DefaultMetrics();
  big.averageWidth = big.maxWidth = 10;
  big.height = 20;
  rig.surface->metricsByCharset[0] = big;
  ASSERT_TRUE(rig->ChangeFontSize(14));
  rig.surface->texts.clear();
  rig->RestoreImage(image);
  EXPECT_EQ(rig->RowText(0), "keep me");
  ASSERT_FALSE(rig.surface->texts.empty());
  EXPECT_EQ(rig.surface->texts[1].x, 10);  // drawn on the new grid
}

}  // namespace
}  // namespace torvic::test
