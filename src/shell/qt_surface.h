// QtSurface: the console screen's pixels on a QImage.
//
// Text runs are drawn as one glyph run per call with every glyph placed on
// the cell grid, so a run never drifts off the grid whatever the font's
// fractional advance. Bytes go through the code page of the selected
// character set (console/code_pages.h); a character the font lacks is drawn
// alone in its cell with the system's font fallback. Fills, inversion,
// scrolling and copies work on the image's scan lines directly.
//
// Needs a QGuiApplication (the font database); works with the offscreen
// platform.
#pragma once

#include <QFont>
#include <QImage>
#include <QRawFont>
#include <array>

#include "platform/surface.h"

namespace torvic::shell {

class QtSurface final : public platform::Surface {
 public:
  QtSurface() = default;

  // What the view copies to the window.
  const QImage& Image() const { return image_; }
  // The display's device pixels per window pixel. The fonts and the bitmap
  // are made in device pixels (the dots per inch times the ratio), so the
  // view can copy the bitmap to the display pixel for pixel; taken by the
  // next font or bitmap made.
  void SetDevicePixelRatio(qreal ratio) { ratio_ = ratio > 0 ? ratio : 1; }
  qreal DevicePixelRatio() const { return imageRatio_; }

  int32_t VerticalDpi() const override;
  bool ProbeFont(const platform::FontRequest& request, platform::FontMetrics* metrics) override;
  bool SelectFont(const platform::FontRequest& request) override;
  bool Rebuild(const platform::FontRequest& request, int32_t columns, int32_t rows,
               platform::Rgb fill, platform::FontMetrics* metrics) override;
  int32_t Width() const override { return image_.width(); }
  int32_t Height() const override { return image_.height(); }

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

 private:
  // A font made for one FontRequest, with the glyph of every byte looked up
  // once.
  struct Font {
    QFont font;
    QRawFont raw;
    platform::FontMetrics metrics;
    const char16_t* codePage = nullptr;
    std::array<quint32, 256> glyphs{};  // 0: not in the font (or nothing to draw)
    int32_t ascent = 0, height = 0;
  };
  static bool MakeFont(const platform::FontRequest& request, Font* out);
  QRect Clip(const platform::PixelRect& r) const;

  QImage image_;
  Font font_;
  qreal ratio_ = 1;       // for the next font and bitmap
  qreal imageRatio_ = 1;  // of the bitmap in use
};

}  // namespace torvic::shell
