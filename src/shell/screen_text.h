// The screen's text for the clipboard, and the clipboard's text as typed
// keys. Plain C++ on the cell record, so the rules are tested without a
// window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvic {
class ConsoleScreen;
}

namespace torvic::shell {

struct CellPoint {
  int32_t column = 0, row = 0;
  friend bool operator==(const CellPoint&, const CellPoint&) = default;
};

// Is the cell inside the selection from `a` to `b` (reading order, both
// ends included, in either order)?
bool InSelection(CellPoint a, CellPoint b, CellPoint cell);
// The text of the selected cells as UTF-8 of the glyphs shown: one line per
// row, trailing blanks of each row cut, rows joined by "\n". Cell glyphs
// and frame lines are blanks.
std::string SelectionText(const ConsoleScreen& screen, CellPoint a, CellPoint b);
// All 25 rows.
std::string ScreenText(const ConsoleScreen& screen);
// The characters to type for a pasted text: each line end (CR LF, LF or
// CR) one Enter (13), a tab 9, other control characters dropped, and a
// character the screen's character set cannot show typed as "?".
std::vector<uint8_t> PastedKeys(std::u32string_view text, int charset);

}  // namespace torvic::shell
