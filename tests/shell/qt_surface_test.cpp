// The Qt surface on the offscreen platform: the font it makes, opaque text
// on the cell grid, code pages, inversion, scrolling, copies, and a FRAME
// drawn through the console screen.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <cstdlib>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "shell/qt_surface.h"
#include "support/scripted_host.h"

namespace torvic::shell {
namespace {

using platform::PixelRect;
using platform::Rgb;

void EnsureApp() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "torvic_shell_tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  (void)app;
}

constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};

class QtSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApp();
    ASSERT_TRUE(surface.Rebuild({"Courier New", ConsoleScreen::FontHeightForPoints(10, 96), 0}, 80,
                                25, kWhite, &metrics));
    w = metrics.averageWidth;
    h = metrics.height;
  }
  int Count(const PixelRect& r, Rgb c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += surface.PixelAt(x, y) == c;
    return n;
  }
  // Pixels of the cell that are not the background.
  int Ink(int32_t column, int32_t row, Rgb back = kWhite) const {
    return w * h - Count({column * w, row * h, (column + 1) * w, (row + 1) * h}, back);
  }
  void Draw(int32_t column, int32_t row, std::string_view s, Rgb fg = kBlack, Rgb bg = kWhite) {
    surface.DrawText(column * w, row * h, w, reinterpret_cast<const uint8_t*>(s.data()), s.size(),
                     fg, bg);
  }

  QtSurface surface;
  platform::FontMetrics metrics;
  int32_t w = 0, h = 0;
};

TEST_F(QtSurfaceTest, CourierNewIsFixedPitchWithSaneMetrics) {
  EXPECT_EQ(metrics.averageWidth, metrics.maxWidth);
  EXPECT_EQ(metrics.height, metrics.ascent + metrics.descent);
  EXPECT_GE(w, 6);
  EXPECT_GE(h, 12);
  EXPECT_EQ(surface.Width(), 80 * w);
  EXPECT_EQ(surface.Height(), 25 * h);
  platform::FontMetrics oem;
  ASSERT_TRUE(surface.ProbeFont({"Courier New", -13, 255}, &oem));
  EXPECT_EQ(oem, metrics);  // a character set change keeps the grid
}

TEST_F(QtSurfaceTest, TextIsOpaqueAndStaysInItsCells) {
  surface.FillRect({0, 0, 80 * w, 25 * h}, {0, 0, 128});
  Draw(10, 3, "MMMM", kWhite, {128, 0, 0});
  for (int c = 10; c < 14; ++c) EXPECT_GT(Ink(c, 3, {128, 0, 0}), 0) << c;
  // Nothing outside the run's cells changed.
  EXPECT_EQ(Count({9 * w, 3 * h, 10 * w, 4 * h}, {0, 0, 128}), w * h);
  EXPECT_EQ(Count({14 * w, 3 * h, 15 * w, 4 * h}, {0, 0, 128}), w * h);
  EXPECT_EQ(Count({10 * w, 2 * h, 14 * w, 3 * h}, {0, 0, 128}), 4 * w * h);
  // A blank is the background alone.
  Draw(20, 3, " ", kBlack, {0, 128, 0});
  EXPECT_EQ(Count({20 * w, 3 * h, 21 * w, 4 * h}, {0, 128, 0}), w * h);
}

TEST_F(QtSurfaceTest, OemCodePageShowsBlocksAndBoxes) {
  ASSERT_TRUE(surface.SelectFont({"Courier New", -13, 255}));
  Draw(0, 0, "\xDB\xC4\x01");  // full block, horizontal line, smiley
  EXPECT_GT(Ink(0, 0), w * h / 2);
  EXPECT_GT(Ink(1, 0), 0);
  EXPECT_LT(Ink(1, 0), w * h / 3);
  EXPECT_GT(Ink(2, 0), 0);
  ASSERT_TRUE(surface.SelectFont({"Courier New", -13, 0}));
  Draw(0, 1, "\xDB");  // an accented capital, far less ink than a block
  EXPECT_LT(Ink(0, 1), Ink(0, 0));
}

TEST_F(QtSurfaceTest, InvertScrollAndCopy) {
  Draw(0, 0, "Hello");
  Draw(0, 1, "World");
  const platform::PixelBlock row1 = surface.CopyOut({0, h, 5 * w, 2 * h});
  surface.InvertRect({0, 0, 5 * w, h});
  EXPECT_EQ(surface.PixelAt(0, 0), kBlack);
  surface.InvertRect({0, 0, 5 * w, h});
  EXPECT_EQ(surface.PixelAt(0, 0), kWhite);

  surface.ScrollUp(h, {255, 255, 0});
  EXPECT_EQ(surface.CopyOut({0, 0, 5 * w, h}).pixels, row1.pixels);
  EXPECT_EQ(Count({0, 24 * h, 80 * w, 25 * h}, {255, 255, 0}), 80 * w * h);

  const platform::PixelBlock saved = surface.CopyOut({0, 0, 20 * w, 3 * h});
  surface.FillRect({0, 0, 80 * w, 25 * h}, kWhite);
  surface.CopyIn(saved, 0, 0);
  EXPECT_EQ(surface.CopyOut({0, 0, 20 * w, 3 * h}).pixels, saved.pixels);
}

TEST_F(QtSurfaceTest, ScreenFrameOutlineRunsThroughTheCellMiddles) {
  platform::ScriptedHost host;
  SettingsMemory memory;
  QtSurface qs;
  ConsoleScreen screen(host.AsHost(&qs), memory);
  ASSERT_TRUE(screen.Create());
  const int32_t cw = screen.CellWidth(), ch = screen.CellHeight();
  screen.DrawFrame(CellRect::FromRowColumn(10, 10, 6, 3), 1, 12);
  const Rgb blue{0, 0, 255};
  const int32_t y0 = 10 * ch + ch / 2, x0 = 10 * cw + cw / 2, x1 = 15 * cw + cw / 2;
  for (int32_t x = x0; x <= x1; ++x) EXPECT_EQ(qs.PixelAt(x, y0), blue) << x;
  EXPECT_NE(qs.PixelAt(x0 + 1, y0 - 1), blue);
  EXPECT_NE(qs.PixelAt(x0 + 1, y0 + 1), blue);
  EXPECT_NE(qs.PixelAt(x0 - 1, y0), blue);

  // A screen image restores the pixels exactly.
  screen.WriteText(
      "\x1b"
      "12;0Lsome text here");
  const platform::PixelBlock before = qs.CopyOut({0, 0, qs.Width(), qs.Height()});
  ScreenImage image;
  ASSERT_EQ(screen.SaveImage(CellRect::FromRowColumn(9, 5, 20, 6), &image), kOk);
  screen.EraseCells(CellRect::FromRowColumn(9, 5, 20, 6));
  screen.InvertCells(CellRect::FromRowColumn(0, 0, 80, 25));
  screen.InvertCells(CellRect::FromRowColumn(0, 0, 80, 25));
  screen.RestoreImage(image);
  EXPECT_EQ(qs.CopyOut({0, 0, qs.Width(), qs.Height()}).pixels, before.pixels);
}

}  // namespace
}  // namespace torvic::shell
