// Graphics in cells: the cell glyphs of PRINT's EXT item, FRAME, LINE of
// cells, and the screen images of SCREEN.
#include <algorithm>
#include <new>

#include "base/errors.h"
#include "console/screen.h"

namespace torvic {

// Cell glyphs, drawn in the text colour over a cell filled with the
// background colour (w x h is the cell):
//    1  solid cell                    2  the cell's outline
//    3  filled square, side min(w,h)/2, centred; 4 the same hollow
//    5  filled circle, diameter min(w,h) - 2, centred; 6 the same hollow
//    7  left half      8  right half     9  upper half    10  lower half
//   11  middle band, half the height    12  middle band, half the width
//   13  hollow square of side w, centred vertically
//   14  that square with its two diagonals
//   0 and 15..255: the background only
void ConsoleScreen::DrawGlyphPixels(int32_t n, const platform::PixelRect& cell, platform::Rgb fg,
                                    platform::Rgb bg) {
  platform::Surface& s = *surface_;
  const int32_t x = cell.left, y = cell.top, w = cell.Width(), h = cell.Height();
  s.FillRect(cell, bg);
  const int32_t small = std::max(1, std::min(w, h) / 2);
  const int32_t sx = x + (w - small) / 2, sy = y + (h - small) / 2;
  const int32_t d = std::max(1, std::min(w, h) - 2);
  const platform::PixelRect circle{x + (w - d) / 2, y + (h - d) / 2, x + (w - d) / 2 + d,
                                   y + (h - d) / 2 + d};
  const int32_t side = std::min(w, h);
  const int32_t qx = x + (w - side) / 2, qy = y + (h - side) / 2;
  switch (n) {
    case 1: s.FillRect(cell, fg); break;
    case 2: s.DrawRectOutline(x, y, x + w - 1, y + h - 1, fg); break;
    case 3: s.FillRect({sx, sy, sx + small, sy + small}, fg); break;
    case 4: s.DrawRectOutline(sx, sy, sx + small - 1, sy + small - 1, fg); break;
    case 5: s.DrawEllipse(circle, fg, true); break;
    case 6: s.DrawEllipse(circle, fg, false); break;
    case 7: s.FillRect({x, y, x + w / 2, y + h}, fg); break;
    case 8: s.FillRect({x + w / 2, y, x + w, y + h}, fg); break;
    case 9: s.FillRect({x, y, x + w, y + h / 2}, fg); break;
    case 10: s.FillRect({x, y + h / 2, x + w, y + h}, fg); break;
    case 11: s.FillRect({x, y + h / 4, x + w, y + h / 4 + h / 2}, fg); break;
    case 12: s.FillRect({x + w / 4, y, x + w / 4 + w / 2, y + h}, fg); break;
    case 13:
    case 14:
      s.DrawRectOutline(qx, qy, qx + side - 1, qy + side - 1, fg);
      if (n == 14) {
        s.DrawLine(qx, qy, qx + side - 1, qy + side - 1, fg);
        s.DrawLine(qx + side - 1, qy, qx, qy + side - 1, fg);
      }
      break;
    default: break;
  }
}

void ConsoleScreen::DrawCellGlyph(int32_t n) {
  n &= 0xFF;
  const CellRect r{column_, row_, column_ + 1, row_ + 1};
  if (surface_) DrawGlyphPixels(n, CellsToPixels(r), PaletteColor(text_), PaletteColor(back_));
  cells_.At(column_, row_) = Cell{static_cast<uint8_t>(n), static_cast<uint8_t>(text_),
                                  static_cast<uint8_t>(back_), cellflag::kGlyph};
  Invalidate(r);
  AdvanceAfterDraw();
  FollowCursor();
}

// Records a one-pixel line from the centre of cell (column0, row0) to the
// centre of cell (column1, row1) (one of the two coordinates equal). Cells
// holding a character keep their colours; blank cells take the line's.
void ConsoleScreen::MarkLine(int32_t column0, int32_t row0, int32_t column1, int32_t row1,
                             int32_t colour) {
  auto mark = [&](int32_t x, int32_t y, uint8_t bits) {
    Cell& c = cells_.At(x, y);
    c.flags |= bits;
    if (c.byte == ' ' && !(c.flags & cellflag::kGlyph)) c.text = static_cast<uint8_t>(colour);
  };
  if (row0 == row1) {
    for (int32_t x = column0; x <= column1; ++x)
      mark(x, row0,
           static_cast<uint8_t>((x > column0 ? cellflag::kLineLeft : 0) |
                                (x < column1 ? cellflag::kLineRight : 0)));
  } else {
    for (int32_t y = row0; y <= row1; ++y)
      mark(column0, y,
           static_cast<uint8_t>((y > row0 ? cellflag::kLineUp : 0) |
                                (y < row1 ? cellflag::kLineDown : 0)));
  }
}

void ConsoleScreen::DrawFrame(const CellRect& rect, int32_t style, int32_t colour) {
  const CellRect r = rect.Clipped();
  if (r.Empty()) return;
  colour = FoldTextColor(colour);
  if (style == 0) {
    if (surface_) surface_->FillRect(CellsToPixels(r), PaletteColor(colour));
    cells_.Fill(r, text_, colour);
    const CellRect inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    if (!inner.Empty()) {
      if (surface_) surface_->FillRect(CellsToPixels(inner), PaletteColor(back_));
      cells_.Fill(inner, text_, back_);
    }
  } else {
    if (surface_) {
      surface_->FillRect(CellsToPixels(r), PaletteColor(back_));
      // Half a cell in from every edge: through the middle of the border cells.
      const int32_t x0 = r.left * cellWidth_ + cellWidth_ / 2;
      const int32_t y0 = r.top * cellHeight_ + cellHeight_ / 2;
      const int32_t x1 = (r.right - 1) * cellWidth_ + cellWidth_ / 2;
      const int32_t y1 = (r.bottom - 1) * cellHeight_ + cellHeight_ / 2;
      surface_->DrawRectOutline(x0, y0, x1, y1, PaletteColor(colour));
    }
    cells_.Fill(r, text_, back_);
    MarkLine(r.left, r.top, r.right - 1, r.top, colour);
    MarkLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1, colour);
    if (r.Height() > 1) {
      MarkLine(r.left, r.top, r.left, r.bottom - 1, colour);
      MarkLine(r.right - 1, r.top, r.right - 1, r.bottom - 1, colour);
    }
  }
  Invalidate(r);
}

void ConsoleScreen::DrawCellLine(const CellRect& rect, int32_t style, int32_t colour) {
  const CellRect r = rect.Clipped();
  if (r.Empty()) return;
  colour = FoldTextColor(colour);
  const bool vertical = r.Width() == 1 && r.Height() > 1;
  if (style == 0) {
    if (surface_) surface_->FillRect(CellsToPixels(r), PaletteColor(colour));
    cells_.Fill(r, text_, colour);
  } else if (vertical) {
    if (surface_) {
      const int32_t x = r.left * cellWidth_ + cellWidth_ / 2;
      surface_->DrawLine(x, r.top * cellHeight_, x, r.bottom * cellHeight_ - 1,
                         PaletteColor(colour));
    }
    MarkLine(r.left, r.top, r.left, r.bottom - 1, colour);
    // The line runs through the end cells from edge to edge.
    cells_.At(r.left, r.top).flags |= cellflag::kLineUp;
    cells_.At(r.left, r.bottom - 1).flags |= cellflag::kLineDown;
  } else {
    if (surface_) {
      const int32_t y = r.top * cellHeight_ + cellHeight_ / 2;
      surface_->DrawLine(r.left * cellWidth_, y, r.right * cellWidth_ - 1, y, PaletteColor(colour));
    }
    MarkLine(r.left, r.top, r.right - 1, r.top, colour);
    cells_.At(r.left, r.top).flags |= cellflag::kLineLeft;
    cells_.At(r.right - 1, r.top).flags |= cellflag::kLineRight;
  }
  Invalidate(r);
}

// ---------------------------------------------------------------------------
// Screen images

int32_t ConsoleScreen::SaveImage(const CellRect& rect, ScreenImage* image) const {
  const CellRect r = rect.Clipped();
  try {
    ScreenImage saved;
    saved.cells = r;
    saved.pixels = CellsToPixels(r);
    if (surface_ && !r.Empty()) saved.pixelCopy = surface_->CopyOut(saved.pixels);
    saved.cellCopy = cells_.Copy(r);
    saved.held =
        memory::Reservation(memory::BlockBytes(saved.pixelCopy.pixels.size() * sizeof(uint32_t)) +
                            memory::BlockBytes(saved.cellCopy.size() * sizeof(Cell)));
    saved.textColor = text_;
    saved.backColor = back_;
    saved.inverse = inverse_;
    *image = std::move(saved);
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  return kOk;
}

void ConsoleScreen::RestoreImage(const ScreenImage& image) {
  const CellRect r = image.cells.Clipped();
  if (r.Empty() || !(r == image.cells)) return;
  cells_.Paste(r, image.cellCopy);
  if (surface_) {
    // After a font size change the saved pixels no longer fit the grid;
    // the cells are then drawn again from the record.
    if (image.pixels == CellsToPixels(r) && image.pixelCopy.width == image.pixels.Width() &&
        image.pixelCopy.height == image.pixels.Height())
      surface_->CopyIn(image.pixelCopy, image.pixels.left, image.pixels.top);
    else RedrawCells(r);
  }
  Invalidate(r);
}

// Draws cells from the record alone: characters, glyphs, lines and
// inversion. Pixels that were never in the record (none today) are lost.
void ConsoleScreen::RedrawCells(const CellRect& rect) {
  const CellRect r = rect.Clipped();
  for (int32_t row = r.top; row < r.bottom; ++row) {
    for (int32_t col = r.left; col < r.right; ++col) {
      const Cell& c = cells_.At(col, row);
      const platform::PixelRect px = CellsToPixels({col, row, col + 1, row + 1});
      const platform::Rgb fg = PaletteColor(c.text), bg = PaletteColor(c.back);
      if (c.flags & cellflag::kGlyph) DrawGlyphPixels(c.byte, px, fg, bg);
      else surface_->DrawText(px.left, px.top, cellWidth_, &c.byte, 1, fg, bg);
      const int32_t cx = px.left + cellWidth_ / 2, cy = px.top + cellHeight_ / 2;
      if (c.flags & cellflag::kLineLeft) surface_->DrawLine(px.left, cy, cx, cy, fg);
      if (c.flags & cellflag::kLineRight) surface_->DrawLine(cx, cy, px.right - 1, cy, fg);
      if (c.flags & cellflag::kLineUp) surface_->DrawLine(cx, px.top, cx, cy, fg);
      if (c.flags & cellflag::kLineDown) surface_->DrawLine(cx, cy, cx, px.bottom - 1, fg);
      if (c.flags & cellflag::kInverted) surface_->InvertRect(px);
    }
  }
}

}  // namespace torvic
