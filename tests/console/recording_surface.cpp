#include "console/recording_surface.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

namespace torvic::test {

using platform::PixelRect;
using platform::Rgb;

RecordingSurface::RecordingSurface(int32_t cellWidth, int32_t cellHeight)
    : cellWidth_(cellWidth), cellHeight_(cellHeight) {}

platform::FontMetrics RecordingSurface::DefaultMetrics() const {
  return {cellHeight_, cellHeight_ - 3, 3, cellWidth_, cellWidth_, 400, 0};
}

platform::FontMetrics RecordingSurface::MetricsFor(uint8_t charset) const {
  auto it = metricsByCharset.find(charset);
  return it != metricsByCharset.end() ? it->second : DefaultMetrics();
}

bool RecordingSurface::ProbeFont(const platform::FontRequest& request, platform::FontMetrics* m) {
  if (failProbe) return false;
  *m = MetricsFor(request.charset);
  return true;
}

bool RecordingSurface::SelectFont(const platform::FontRequest& request) {
  if (failProbe) return false;
  ++selects;
  selected = request;
  return true;
}

bool RecordingSurface::Rebuild(const platform::FontRequest& request, int32_t columns, int32_t rows,
                               Rgb fill, platform::FontMetrics* m) {
  if (failRebuild) return false;
  ++rebuilds;
  selected = request;
  *m = MetricsFor(request.charset);
  width_ = columns * m->averageWidth;
  height_ = rows * m->height;
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), fill);
  return true;
}

void RecordingSurface::Set(int32_t x, int32_t y, Rgb c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_)
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = c;
}

Rgb RecordingSurface::PixelAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void RecordingSurface::DrawText(int32_t x, int32_t y, int32_t cellWidth, const uint8_t* bytes,
                                size_t count, Rgb text, Rgb back) {
  texts.push_back({x, y, std::string(reinterpret_cast<const char*>(bytes), count)});
  const int32_t h = cellHeight_;
  for (size_t i = 0; i < count; ++i) {
    const int32_t cx = x + static_cast<int32_t>(i) * cellWidth;
    for (int32_t dy = 0; dy < h; ++dy)
      for (int32_t dx = 0; dx < cellWidth; ++dx) Set(cx + dx, y + dy, back);
    if (bytes[i] == ' ') continue;
    for (int32_t bit = 0; bit < 8 && bit < cellWidth; ++bit)
      if (bytes[i] & (0x80 >> bit)) Set(cx + bit, y + h / 2, text);
  }
}

void RecordingSurface::FillRect(const PixelRect& r, Rgb colour) {
  ++fills;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) Set(x, y, colour);
}

void RecordingSurface::InvertRect(const PixelRect& r) {
  ++inverts;
  for (int32_t y = std::max(0, r.top); y < std::min(height_, r.bottom); ++y)
    for (int32_t x = std::max(0, r.left); x < std::min(width_, r.right); ++x) {
      const Rgb p = PixelAt(x, y);
      Set(x, y,
          {static_cast<uint8_t>(255 - p.r), static_cast<uint8_t>(255 - p.g),
           static_cast<uint8_t>(255 - p.b)});
    }
}

void RecordingSurface::ScrollUp(int32_t pixels, Rgb fill) {
  ++scrolls;
  const size_t shift =
      static_cast<size_t>(std::clamp(pixels, 0, height_)) * static_cast<size_t>(width_);
  std::move(pixels_.begin() + static_cast<ptrdiff_t>(shift), pixels_.end(), pixels_.begin());
  std::fill(pixels_.end() - static_cast<ptrdiff_t>(shift), pixels_.end(), fill);
}

void RecordingSurface::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) {
  const int32_t dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int32_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int32_t err = dx + dy;
  for (;;) {
    Set(x0, y0, colour);
    if (x0 == x1 && y0 == y1) break;
    const int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y0 += sy;
    }
  }
}

void RecordingSurface::DrawRectOutline(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Rgb colour) {
  DrawLine(x0, y0, x1, y0, colour);
  DrawLine(x0, y1, x1, y1, colour);
  DrawLine(x0, y0, x0, y1, colour);
  DrawLine(x1, y0, x1, y1, colour);
}

void RecordingSurface::DrawEllipse(const PixelRect& b, Rgb colour, bool filled) {
  const double cx = (b.left + b.right - 1) / 2.0, cy = (b.top + b.bottom - 1) / 2.0;
  const double rx = b.Width() / 2.0, ry = b.Height() / 2.0;
  auto inside = [&](int32_t x, int32_t y) {
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return u * u + v * v <= 1.0;
  };
  for (int32_t y = b.top; y < b.bottom; ++y)
    for (int32_t x = b.left; x < b.right; ++x)
      if (inside(x, y) && (filled || !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) ||
                           !inside(x, y + 1)))
        Set(x, y, colour);
}

platform::PixelBlock RecordingSurface::CopyOut(const PixelRect& r) const {
  platform::PixelBlock b{r.Width(), r.Height(), {}};
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) {
      const Rgb p = PixelAt(x, y);
      b.pixels.push_back(uint32_t{p.r} << 16 | uint32_t{p.g} << 8 | p.b);
    }
  return b;
}

void RecordingSurface::CopyIn(const platform::PixelBlock& b, int32_t x, int32_t y) {
  size_t i = 0;
  for (int32_t dy = 0; dy < b.height; ++dy)
    for (int32_t dx = 0; dx < b.width; ++dx, ++i) {
      const uint32_t p = b.pixels[i];
      Set(x + dx, y + dy,
          {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p)});
    }
}

int RecordingSurface::Count(const PixelRect& r, Rgb colour) const {
  int n = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) n += PixelAt(x, y) == colour;
  return n;
}

}  // namespace torvic::test
