// The cell record: what each of the 80 x 25 cells of the console screen
// last showed, kept beside the pixels.
//
// The pixels on the surface are what the user sees; the record is the same
// picture as data, so that the batch mode can print the screen as text, the
// desktop can copy screen text to the clipboard and a terminal front end can
// render it. ConsoleScreen updates it in the same step as every drawing
// operation, so the two never disagree.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "console/palette.h"

namespace torvic {

// A rectangle of cells; right and bottom are exclusive.
struct CellRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;

  // The statement form (row, column, width, height).
  static constexpr CellRect FromRowColumn(int32_t row, int32_t column, int32_t width,
                                          int32_t height) {
    return {column, row, column + width, row + height};
  }
  static constexpr CellRect WholeScreen() { return {0, 0, kScreenColumns, kScreenRows}; }

  bool Empty() const { return right <= left || bottom <= top; }
  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  // Clipped to the screen: columns 0..79, rows 0..24.
  CellRect Clipped() const {
    return {std::clamp(left, 0, kScreenColumns), std::clamp(top, 0, kScreenRows),
            std::clamp(right, 0, kScreenColumns), std::clamp(bottom, 0, kScreenRows)};
  }
  // The smallest rectangle holding both; an empty side is ignored.
  CellRect United(const CellRect& o) const {
    if (o.Empty()) return *this;
    if (Empty()) return o;
    return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right),
            std::max(bottom, o.bottom)};
  }
  friend bool operator==(const CellRect&, const CellRect&) = default;
};

// Cell flags.
namespace cellflag {
inline constexpr uint8_t kInverted = 0x01;  // pixels inverted by InvertCells (odd count)
inline constexpr uint8_t kGlyph = 0x02;     // a cell glyph; `byte` holds its number 0..255
// A one-pixel line (FRAME or LINE) runs from the cell's centre towards
// these edges, so a terminal can show it as a box-drawing character.
inline constexpr uint8_t kLineLeft = 0x10;
inline constexpr uint8_t kLineRight = 0x20;
inline constexpr uint8_t kLineUp = 0x40;
inline constexpr uint8_t kLineDown = 0x80;
inline constexpr uint8_t kLines = 0xF0;
}  // namespace cellflag

// One cell: 4 bytes. `text` and `back` are the palette indices the cell was
// drawn with (after the inverse exchange); a blank cell holds byte 32.
struct Cell {
  uint8_t byte = ' ';
  uint8_t text = kDefaultTextColor;
  uint8_t back = kDefaultBackColor;
  uint8_t flags = 0;

  bool IsGraphics() const { return (flags & (cellflag::kGlyph | cellflag::kLines)) != 0; }
  friend bool operator==(const Cell&, const Cell&) = default;
};

class CellRecord {
 public:
  CellRecord() { Fill(CellRect::WholeScreen(), kDefaultTextColor, kDefaultBackColor); }

  const Cell& At(int32_t column, int32_t row) const { return cells_[Index(column, row)]; }
  Cell& At(int32_t column, int32_t row) { return cells_[Index(column, row)]; }

  // Bytes drawn from (column, row) onwards on one row; cut at column 80.
  void PutRun(int32_t column, int32_t row, const uint8_t* bytes, size_t count, int32_t text,
              int32_t back);
  // Blank cells in the given colours; the rectangle is clipped.
  void Fill(const CellRect& r, int32_t text, int32_t back);
  void ToggleInverted(const CellRect& r);
  // Row 0 is dropped, rows 1..24 move up, row 24 becomes blank.
  void ScrollUp(int32_t text, int32_t back);

  // Copies of a clipped rectangle, row by row, for the screen images.
  std::vector<Cell> Copy(const CellRect& r) const;
  void Paste(const CellRect& r, const std::vector<Cell>& cells);

  // The bytes of one row; graphics cells read as blanks. Trailing blanks
  // are dropped unless `keepTrailing`.
  std::string RowText(int32_t row, bool keepTrailing = false) const;

 private:
  static size_t Index(int32_t column, int32_t row) {
    return static_cast<size_t>(row) * kScreenColumns + static_cast<size_t>(column);
  }
  std::array<Cell, kScreenColumns * kScreenRows> cells_;
};

}  // namespace torvic
