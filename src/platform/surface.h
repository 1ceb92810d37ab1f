// The screen surface: the pixel bitmap the console screen draws on.
//
// The console screen (console/screen.h) owns the layout (cells, colours,
// cursor); the surface only knows pixels and one selected font. It is kept
// small on purpose: opaque text runs, fills, inversion, a scroll, a few
// one-pixel shapes for the cell glyphs and frames, and rectangle copies for
// the screen images. The desktop implements it on a QImage
// (shell/qt_surface.h); the batch mode runs without a surface at all.
//
// Coordinates are pixels with (0, 0) at the top-left corner of the bitmap.
// Every operation clips to the bitmap, so callers may pass rectangles that
// reach past its edges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvic::platform {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Right and bottom are exclusive.
struct PixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// What the screen asks for when it makes a font. `height` follows the
// desktop convention: negative means the character height in pixels without
// internal leading (see ConsoleScreen::FontHeightForPoints).
struct FontRequest {
  std::string face;  // always "Courier New" for the console
  int32_t height = -13;
  uint8_t charset = 0;  // 0 ANSI, 161 Greek, ..., 255 OEM
};

// The text metrics the screen reads back. Two fonts with equal metrics can
// replace each other without changing the cell grid.
struct FontMetrics {
  int32_t height = 0;  // ascent + descent
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t averageWidth = 0;  // the cell width
  int32_t maxWidth = 0;      // equal to averageWidth for a fixed-pitch font
  int32_t weight = 400;
  int32_t overhang = 0;
  friend bool operator==(const FontMetrics&, const FontMetrics&) = default;
};

// A copy of a rectangle of pixels, row by row, 0x00RRGGBB per pixel.
struct PixelBlock {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

class Surface {
 public:
  virtual ~Surface() = default;

  // --- font and bitmap ------------------------------------------------------
  virtual int32_t VerticalDpi() const = 0;
  // Makes the font and reports its metrics without selecting it. False when
  // the font cannot be made.
  virtual bool ProbeFont(const FontRequest& request, FontMetrics* metrics) = 0;
  // Selects a font for the text runs that follow; the bitmap is unchanged.
  // False (old font kept) when it cannot be made.
  virtual bool SelectFont(const FontRequest& request) = 0;
  // Makes the font, then a bitmap of `columns` x `rows` cells of that font
  // filled with `fill`, and replaces the old font and bitmap with them. On
  // failure nothing changes and false is returned.
  virtual bool Rebuild(const FontRequest& request, int32_t columns, int32_t rows, Rgb fill,
                       FontMetrics* metrics) = 0;
  virtual int32_t Width() const = 0;
  virtual int32_t Height() const = 0;

  // --- drawing ---------------------------------------------------------------
  // An opaque run of bytes with the top-left corner of its first cell at
  // (x, y), one cell of `cellWidth` per byte, in the selected font's code
  // page. One call per run.
  virtual void DrawText(int32_t x, int32_t y, int32_t cellWidth, const uint8_t* bytes, size_t count,
                        Rgb text, Rgb back) = 0;
  virtual void FillRect(const PixelRect& r, Rgb colour) = 0;
  // Every pixel of the rectangle becomes its complement (255 - channel).
  virtual void InvertRect(const PixelRect& r) = 0;
  // Moves the whole bitmap up by `pixels` and fills the freed band.
  virtual void ScrollUp(int32_t pixels, Rgb fill) = 0;
  // One-pixel shapes; end points and the right/bottom edges are included
  // (a rectangle from (0,0) to (3,3) covers 4 x 4 pixels).
  virtual void DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) = 0;
  virtual void DrawRectOutline(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) = 0;
  // An ellipse inscribed in the rectangle (exclusive right/bottom).
  virtual void DrawEllipse(const PixelRect& bounds, Rgb colour, bool filled) = 0;

  // --- pixels ----------------------------------------------------------------
  virtual PixelBlock CopyOut(const PixelRect& r) const = 0;
  virtual void CopyIn(const PixelBlock& block, int32_t x, int32_t y) = 0;
  virtual Rgb PixelAt(int32_t x, int32_t y) const = 0;
};

}  // namespace torvic::platform
