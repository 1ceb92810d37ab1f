#include "shell/screen_text.h"

#include <algorithm>

#include "console/code_pages.h"
#include "console/palette.h"
#include "console/screen.h"

namespace torvic::shell {

namespace {

int32_t Linear(CellPoint p) { return p.row * kScreenColumns + p.column; }

}  // namespace

bool InSelection(CellPoint a, CellPoint b, CellPoint cell) {
  const int32_t first = std::min(Linear(a), Linear(b)), last = std::max(Linear(a), Linear(b));
  const int32_t at = Linear(cell);
  return at >= first && at <= last;
}

std::string SelectionText(const ConsoleScreen& screen, CellPoint a, CellPoint b) {
  if (Linear(b) < Linear(a)) std::swap(a, b);
  a.row = std::clamp(a.row, 0, kScreenRows - 1);
  b.row = std::clamp(b.row, 0, kScreenRows - 1);
  std::string text;
  for (int32_t row = a.row; row <= b.row; ++row) {
    const int32_t from = row == a.row ? std::clamp(a.column, 0, kScreenColumns - 1) : 0;
    const int32_t to =
        row == b.row ? std::clamp(b.column, 0, kScreenColumns - 1) : kScreenColumns - 1;
    std::string bytes;
    for (int32_t column = from; column <= to; ++column) {
      const Cell& c = screen.Cells().At(column, row);
      bytes.push_back(c.IsGraphics() ? ' ' : static_cast<char>(c.byte));
    }
    const size_t end = bytes.find_last_not_of(' ');
    bytes.resize(end == std::string::npos ? 0 : end + 1);
    if (row != a.row) text += '\n';
    text += GlyphText(bytes, screen.Charset());
  }
  return text;
}

std::string ScreenText(const ConsoleScreen& screen) {
  return SelectionText(screen, {0, 0}, {kScreenColumns - 1, kScreenRows - 1});
}

std::vector<uint8_t> PastedKeys(std::u32string_view text, int charset) {
  std::vector<uint8_t> keys;
  keys.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c == U'\r') {
      keys.push_back(13);
      if (i + 1 < text.size() && text[i + 1] == U'\n') ++i;
    } else if (c == U'\n') {
      keys.push_back(13);
    } else if (c == U'\t') {
      keys.push_back(9);
    } else if (c < 32 || c == 127) {
      continue;
    } else {
      const int byte = ByteOfCharacter(charset, c);
      keys.push_back(byte < 32 ? '?' : static_cast<uint8_t>(byte));
    }
  }
  return keys;
}

}  // namespace torvic::shell
