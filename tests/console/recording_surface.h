// RecordingSurface: an in-memory Surface for the screen tests. It keeps
// real pixels (so inversion, outlines and copies can be checked pixel by
// pixel), counts the calls the screen makes, and can be told to fail.
//
// Text is drawn as a pattern, not as letters: the cell is filled with the
// background and the byte's bits are set, in the text colour, along the
// cell's middle pixel row (bit 7 leftmost). Blanks leave the cell plain.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/surface.h"

namespace torvic::test {

class RecordingSurface final : public platform::Surface {
 public:
  RecordingSurface(int32_t cellWidth = 8, int32_t cellHeight = 16);

  // --- scripting -------------------------------------------------------------
  bool failRebuild = false;
  bool failProbe = false;
  // Metrics reported for a character set other than the default ones.
  std::map<int, platform::FontMetrics> metricsByCharset;
  int32_t dpi = 96;

  // --- what happened ------------------------------------------------------------
  struct TextCall {
    int32_t x, y;
    std::string bytes;
  };
  std::vector<TextCall> texts;
  int scrolls = 0, fills = 0, inverts = 0, rebuilds = 0, selects = 0;
  platform::FontRequest selected;  // the font text runs are drawn with

  platform::FontMetrics DefaultMetrics() const;

  // --- Surface --------------------------------------------------------------------
  int32_t VerticalDpi() const override { return dpi; }
  bool ProbeFont(const platform::FontRequest& request, platform::FontMetrics* metrics) override;
  bool SelectFont(const platform::FontRequest& request) override;
  bool Rebuild(const platform::FontRequest& request, int32_t columns, int32_t rows,
               platform::Rgb fill, platform::FontMetrics* metrics) override;
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  void DrawText(int32_t x, int32_t y, int32_t cellWidth, const uint8_t* bytes, size_t count,
                platform::Rgb text, platform::Rgb back) override;
  void FillRect(const platform::PixelRect& r, platform::Rgb colour) override;
  void InvertRect(const platform::PixelRect& r) override;
  void ScrollUp(int32_t pixels, platform::Rgb fill) override;
  void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, platform::Rgb colour) override;
  void DrawRectOutline(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                       platform::Rgb colour) override;
  void DrawEllipse(const platform::PixelRect& bounds, platform::Rgb colour, bool filled) override;
  platform::PixelBlock CopyOut(const platform::PixelRect& r) const override;
  void CopyIn(const platform::PixelBlock& block, int32_t x, int32_t y) override;
  platform::Rgb PixelAt(int32_t x, int32_t y) const override;

  // How many pixels of the rectangle have the colour.
  int Count(const platform::PixelRect& r, platform::Rgb colour) const;

 private:
  void Set(int32_t x, int32_t y, platform::Rgb c);
  platform::FontMetrics MetricsFor(uint8_t charset) const;

  int32_t cellWidth_, cellHeight_;
  int32_t width_ = 0, height_ = 0;
  std::vector<platform::Rgb> pixels_;
};

}  // namespace torvic::test
