#include "console/cell_record.h"

#include <cstring>

namespace torvic {

void CellRecord::PutRun(int32_t column, int32_t row, const uint8_t* bytes, size_t count,
                        int32_t text, int32_t back) {
  if (row < 0 || row >= kScreenRows || column < 0) return;
  for (size_t i = 0; i < count && column < kScreenColumns; ++i, ++column) {
    cells_[Index(column, row)] =
        Cell{bytes[i], static_cast<uint8_t>(text), static_cast<uint8_t>(back), 0};
  }
}

void CellRecord::Fill(const CellRect& rect, int32_t text, int32_t back) {
  const CellRect r = rect.Clipped();
  const Cell blank{' ', static_cast<uint8_t>(text), static_cast<uint8_t>(back), 0};
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) cells_[Index(x, y)] = blank;
}

void CellRecord::ToggleInverted(const CellRect& rect) {
  const CellRect r = rect.Clipped();
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) cells_[Index(x, y)].flags ^= cellflag::kInverted;
}

void CellRecord::ScrollUp(int32_t text, int32_t back) {
  std::memmove(cells_.data(), cells_.data() + kScreenColumns,
               sizeof(Cell) * kScreenColumns * (kScreenRows - 1));
  Fill({0, kScreenRows - 1, kScreenColumns, kScreenRows}, text, back);
}

std::vector<Cell> CellRecord::Copy(const CellRect& rect) const {
  const CellRect r = rect.Clipped();
  std::vector<Cell> out;
  if (r.Empty()) return out;
  out.reserve(static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height()));
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) out.push_back(cells_[Index(x, y)]);
  return out;
}

void CellRecord::Paste(const CellRect& rect, const std::vector<Cell>& cells) {
  const CellRect r = rect.Clipped();
  if (r.Empty() || cells.size() != static_cast<size_t>(r.Width()) * static_cast<size_t>(r.Height()))
    return;
  size_t i = 0;
  for (int32_t y = r.top; y < r.bottom; ++y)
    for (int32_t x = r.left; x < r.right; ++x) cells_[Index(x, y)] = cells[i++];
}

std::string CellRecord::RowText(int32_t row, bool keepTrailing) const {
  std::string out;
  if (row < 0 || row >= kScreenRows) return out;
  out.reserve(kScreenColumns);
  for (int32_t x = 0; x < kScreenColumns; ++x) {
    const Cell& c = cells_[Index(x, row)];
    out.push_back(c.IsGraphics() ? ' ' : static_cast<char>(c.byte));
  }
  if (!keepTrailing) {
    const size_t end = out.find_last_not_of(' ');
    out.resize(end == std::string::npos ? 0 : end + 1);
  }
  return out;
}

}  // namespace torvic
