#include "shell/qt_surface.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QVector>
#include <algorithm>
#include <cstring>

#include "console/code_pages.h"

namespace torvic::shell {

namespace {

QRgb ToQRgb(platform::Rgb c) { return qRgb(c.r, c.g, c.b); }
QColor ToQColor(platform::Rgb c) { return QColor(c.r, c.g, c.b); }

}  // namespace

int32_t QtSurface::VerticalDpi() const {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (const QScreen* s = QGuiApplication::primaryScreen())
      return std::max(1, qRound(s->logicalDotsPerInchY() * ratio_));
  return std::max(1, qRound(96 * ratio_));
}

bool QtSurface::MakeFont(const platform::FontRequest& request, Font* out) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  // A negative height is the character height without internal leading,
  // which is Qt's pixel size.
  const int pixels = request.height < 0 ? -request.height : request.height;
  if (pixels <= 0) return false;
  Font f;
  f.font =
      QFont(QString::fromUtf8(request.face.data(), static_cast<qsizetype>(request.face.size())));
  f.font.setPixelSize(pixels);
  f.font.setStyleHint(QFont::TypeWriter, QFont::PreferDefault);
  f.font.setFixedPitch(true);
  f.font.setKerning(false);
  const QFontMetrics fm(f.font);
  f.ascent = fm.ascent();
  f.height = fm.ascent() + fm.descent();
  f.metrics = {
      f.height, fm.ascent(), fm.descent(), fm.averageCharWidth(), fm.maxWidth(), f.font.weight(),
      0};
  if (f.metrics.height <= 0 || f.metrics.averageWidth <= 0) return false;
  f.raw = QRawFont::fromFont(f.font);
  f.codePage = CodePageForCharset(request.charset);
  for (int b = 0; b < 256; ++b) {
    const QChar ch(f.codePage[b]);
    quint32 glyph = 0;
    int n = 1;
    if (f.raw.isValid() && ch.unicode() != 0 && !f.raw.glyphIndexesForChars(&ch, 1, &glyph, &n))
      glyph = 0;
    f.glyphs[static_cast<size_t>(b)] = glyph;
  }
  *out = std::move(f);
  return true;
}

bool QtSurface::ProbeFont(const platform::FontRequest& request, platform::FontMetrics* metrics) {
  Font f;
  if (!MakeFont(request, &f)) return false;
  *metrics = f.metrics;
  return true;
}

bool QtSurface::SelectFont(const platform::FontRequest& request) {
  Font f;
  if (!MakeFont(request, &f)) return false;
  font_ = std::move(f);
  return true;
}

bool QtSurface::Rebuild(const platform::FontRequest& request, int32_t columns, int32_t rows,
                        platform::Rgb fill, platform::FontMetrics* metrics) {
  Font f;
  if (!MakeFont(request, &f)) return false;
  QImage image(columns * f.metrics.averageWidth, rows * f.metrics.height, QImage::Format_RGB32);
  if (image.isNull()) return false;
  image.fill(ToQRgb(fill));
  image_ = std::move(image);
  imageRatio_ = ratio_;
  font_ = std::move(f);
  *metrics = font_.metrics;
  return true;
}

QRect QtSurface::Clip(const platform::PixelRect& r) const {
  const int left = std::clamp(r.left, 0, image_.width());
  const int top = std::clamp(r.top, 0, image_.height());
  const int right = std::clamp(r.right, 0, image_.width());
  const int bottom = std::clamp(r.bottom, 0, image_.height());
  return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

void QtSurface::DrawText(int32_t x, int32_t y, int32_t cellWidth, const uint8_t* bytes,
                         size_t count, platform::Rgb text, platform::Rgb back) {
  if (image_.isNull() || count == 0) return;
  const int32_t runWidth = static_cast<int32_t>(count) * cellWidth;
  FillRect({x, y, x + runWidth, y + font_.height}, back);

  QVector<quint32> glyphs;
  QVector<QPointF> positions;
  glyphs.reserve(static_cast<qsizetype>(count));
  positions.reserve(static_cast<qsizetype>(count));
  QPainter p(&image_);
  p.setPen(ToQColor(text));
  for (size_t i = 0; i < count; ++i) {
    const uint8_t b = bytes[i];
    const char16_t u = font_.codePage ? font_.codePage[b] : 0;
    if (u == 0 || u == u' ') continue;
    const int32_t cx = x + static_cast<int32_t>(i) * cellWidth;
    if (const quint32 g = font_.glyphs[b]) {
      glyphs.push_back(g);
      positions.push_back(QPointF(cx, y + font_.ascent));
    } else {
      // Not in the font: drawn alone, clipped to its cell, with fallback.
      const QRect cell(cx, y, cellWidth, font_.height);
      p.save();
      p.setClipRect(cell);
      p.setFont(font_.font);
      p.drawText(cell, Qt::AlignCenter, QString(QChar(u)));
      p.restore();
    }
  }
  if (!glyphs.isEmpty()) {
    QGlyphRun run;
    run.setRawFont(font_.raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.setClipRect(QRect(x, y, runWidth, font_.height));
    p.drawGlyphRun(QPointF(0, 0), run);
  }
}

void QtSurface::FillRect(const platform::PixelRect& r, platform::Rgb colour) {
  const QRect c = Clip(r);
  if (c.isEmpty()) return;
  const QRgb v = ToQRgb(colour);
  // bits() once: every scanLine() call would check for a detach.
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = c.top(); y <= c.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(bits + stride * y);
    std::fill(line + c.left(), line + c.left() + c.width(), v);
  }
}

void QtSurface::InvertRect(const platform::PixelRect& r) {
  const QRect c = Clip(r);
  if (c.isEmpty()) return;
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  for (int y = c.top(); y <= c.bottom(); ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(bits + stride * y);
    for (int x = c.left(); x < c.left() + c.width(); ++x) line[x] ^= 0x00FFFFFFu;
  }
}

void QtSurface::ScrollUp(int32_t pixels, platform::Rgb fill) {
  if (image_.isNull()) return;
  pixels = std::clamp(pixels, 0, image_.height());
  const qsizetype stride = image_.bytesPerLine();
  uchar* bits = image_.bits();
  std::memmove(bits, bits + stride * pixels,
               static_cast<size_t>(stride * (image_.height() - pixels)));
  FillRect({0, image_.height() - pixels, image_.width(), image_.height()}, fill);
}

void QtSurface::DrawLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1, platform::Rgb colour) {
  // Straight lines are filled spans, exact to the pixel.
  if (y0 == y1) return FillRect({std::min(x0, x1), y0, std::max(x0, x1) + 1, y0 + 1}, colour);
  if (x0 == x1) return FillRect({x0, std::min(y0, y1), x0 + 1, std::max(y0, y1) + 1}, colour);
  if (image_.isNull()) return;
  QPainter p(&image_);
  p.setPen(QPen(ToQColor(colour), 0));
  p.drawLine(x0, y0, x1, y1);
}

void QtSurface::DrawRectOutline(int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                                platform::Rgb colour) {
  DrawLine(x0, y0, x1, y0, colour);
  DrawLine(x0, y1, x1, y1, colour);
  DrawLine(x0, y0, x0, y1, colour);
  DrawLine(x1, y0, x1, y1, colour);
}

void QtSurface::DrawEllipse(const platform::PixelRect& b, platform::Rgb colour, bool filled) {
  if (image_.isNull() || b.Empty()) return;
  QPainter p(&image_);
  p.setPen(QPen(ToQColor(colour), 0));
  p.setBrush(filled ? QBrush(ToQColor(colour)) : QBrush(Qt::NoBrush));
  // The pen adds one pixel to the right and bottom of a QRect's ellipse.
  p.drawEllipse(QRect(b.left, b.top, b.Width() - 1, b.Height() - 1));
}

platform::PixelBlock QtSurface::CopyOut(const platform::PixelRect& r) const {
  platform::PixelBlock block{std::max(0, r.Width()), std::max(0, r.Height()), {}};
  block.pixels.assign(static_cast<size_t>(block.width) * static_cast<size_t>(block.height), 0);
  const QRect c = Clip(r);
  for (int y = c.top(); y < c.top() + c.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    uint32_t* out = block.pixels.data() + static_cast<size_t>(y - r.top) * block.width;
    for (int x = c.left(); x < c.left() + c.width(); ++x) out[x - r.left] = line[x] & 0xFFFFFFu;
  }
  return block;
}

void QtSurface::CopyIn(const platform::PixelBlock& block, int32_t x, int32_t y) {
  if (block.pixels.size() < static_cast<size_t>(block.width) * static_cast<size_t>(block.height))
    return;
  const QRect c = Clip({x, y, x + block.width, y + block.height});
  for (int py = c.top(); py < c.top() + c.height(); ++py) {
    QRgb* line = reinterpret_cast<QRgb*>(image_.scanLine(py));
    const uint32_t* in = block.pixels.data() + static_cast<size_t>(py - y) * block.width;
    for (int px = c.left(); px < c.left() + c.width(); ++px) line[px] = 0xFF000000u | in[px - x];
  }
}

platform::Rgb QtSurface::PixelAt(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return {};
  const QRgb v = image_.pixel(x, y);
  return {static_cast<uint8_t>(qRed(v)), static_cast<uint8_t>(qGreen(v)),
          static_cast<uint8_t>(qBlue(v))};
}

}  // namespace torvic::shell
