#include "shell/terminal_view.h"

#include <curses.h>

#include <algorithm>
#include <cwchar>

#include "console/code_pages.h"

namespace torvic::shell {

namespace {

// Message boxes: black on silver, as dialogs were.
constexpr int32_t kBoxText = 0;
constexpr int32_t kBoxBack = 7;

}  // namespace

TerminalView::TerminalView(ConsoleScreen& screen, ColorDepth depth)
    : screen_(screen), depth_(depth) {
  pairs_.fill(-2);
}

const char16_t* TerminalView::CodePage() const { return CodePageForCharset(screen_.Charset()); }

std::string TerminalView::TooSmallMessage(int columns, int rows) {
  return "Please make the terminal at least 80 x 25 (it is " + std::to_string(columns) + " x " +
         std::to_string(rows) + ").";
}

bool TerminalView::Fits() const { return COLS >= kScreenColumns && LINES >= kScreenRows; }

TerminalView::Caret TerminalView::WantedCaret() const {
  const CaretState& caret = screen_.Caret();
  Caret c;
  c.shown = screen_.CursorVisible() && caret.hasFocus && !caret.parked;
  if (c.shown) {
    c.column = screen_.Column();
    c.row = screen_.Row();
  }
  return c;
}

bool TerminalView::Changed() const {
  if (LINES != shownLines_ || COLS != shownColumns_) return true;
  if (!Fits()) return !tooSmallShown_;  // the screen itself waits for a larger terminal
  return full_ || paintRequested_ || !screen_.Invalid().Empty() || WantedCaret() != shownCaret_ ||
         screen_.Charset() != shownCharset_;
}

int TerminalView::PairOf(int32_t text, int32_t back) {
  if (depth_ == ColorDepth::None) return 0;
  text = FoldTextColor(text);
  back = FoldBackColor(back);
  int& pair = pairs_[static_cast<size_t>(text) * kPaletteSize + static_cast<size_t>(back)];
  if (pair == -2) {
    const TerminalColors c = ColorsOf(text, back, depth_);
    pair = alloc_pair(c.text, c.back);
    if (pair < 0) pair = 0;  // out of pairs: the terminal's own colours
  }
  return pair;
}

void TerminalView::PutCell(int y, int x, const Cell& cell, const char16_t* codePage) {
  char32_t ch = CellCharacter(cell, codePage);
  // A character the terminal cannot show in one column (a locale without
  // it) is shown by an ASCII stand-in rather than a broken grid.
  if (ch >= 0x7F && ::wcwidth(static_cast<wchar_t>(ch)) != 1) ch = AsciiStandIn(ch);
  const TerminalColors colors = ColorsOf(cell.text, cell.back, depth_);
  attr_t attrs = A_NORMAL;
  if (colors.bold) attrs |= A_BOLD;
  // Inverted pixels show as reverse video: exactly the inversion for black
  // and white, the nearest thing for the other colours.
  if (colors.reverse != ((cell.flags & cellflag::kInverted) != 0)) attrs |= A_REVERSE;
  int pair = PairOf(cell.text, cell.back);
  const wchar_t text[2] = {static_cast<wchar_t>(ch), 0};
  cchar_t c;
  setcchar(&c, text, attrs, 0, &pair);
  mvwadd_wch(stdscr, y, x, &c);
}

void TerminalView::PaintMargins(int top, int left) {
  const int32_t margin = screen_.MarginColor();
  int pair = margin < kPaletteSize ? PairOf(kDefaultTextColor, margin) : 0;
  const wchar_t blank[2] = {L' ', 0};
  cchar_t c;
  setcchar(&c, blank, A_NORMAL, 0, &pair);
  const int right = left + kScreenColumns;
  for (int y = 0; y < LINES; ++y) {
    if (y < top || y >= top + kScreenRows) {
      mvwhline_set(stdscr, y, 0, &c, COLS);
      continue;
    }
    if (left > 0) mvwhline_set(stdscr, y, 0, &c, left);
    if (right < COLS) mvwhline_set(stdscr, y, right, &c, COLS - right);
  }
}

void TerminalView::PaintTooSmall() {
  werase(stdscr);
  const std::string message = TooSmallMessage(COLS, LINES);
  mvwaddnstr(stdscr, 0, 0, message.c_str(), std::max(0, COLS));
  ShowCursor(false);
  shownCaret_ = Caret{};
  tooSmallShown_ = true;
}

void TerminalView::ShowCursor(bool show) {
  const int visibility = show ? 1 : 0;
  if (visibility == cursorVisibility_) return;
  curs_set(visibility);
  cursorVisibility_ = visibility;
}

void TerminalView::Paint() {
  paintRequested_ = false;
  const bool resized = LINES != shownLines_ || COLS != shownColumns_;
  shownLines_ = LINES;
  shownColumns_ = COLS;
  if (!Fits()) {
    if (resized || !tooSmallShown_ || full_) PaintTooSmall();
    // The screen goes on changing meanwhile; all of it is drawn when the
    // terminal is large enough again.
    screen_.TakeInvalid();
    full_ = true;
    wnoutrefresh(stdscr);
    doupdate();
    return;
  }
  tooSmallShown_ = false;
  const int top = (LINES - kScreenRows) / 2;
  const int left = (COLS - kScreenColumns) / 2;
  CellRect dirty = screen_.TakeInvalid();
  if (resized || screen_.Charset() != shownCharset_) full_ = true;
  if (full_) {
    PaintMargins(top, left);
    dirty = CellRect::WholeScreen();
  }
  shownCharset_ = screen_.Charset();
  const char16_t* codePage = CodePage();
  const CellRecord& cells = screen_.Cells();
  dirty = dirty.Clipped();
  for (int32_t row = dirty.top; row < dirty.bottom; ++row) {
    for (int32_t column = dirty.left; column < dirty.right; ++column) {
      const Cell& cell = cells.At(column, row);
      Cell& shown = shown_[static_cast<size_t>(row) * kScreenColumns + static_cast<size_t>(column)];
      if (!full_ && cell == shown) continue;
      shown = cell;
      PutCell(top + row, left + column, cell, codePage);
    }
  }
  full_ = false;
  const Caret caret = WantedCaret();
  ShowCursor(caret.shown);
  if (caret.shown) wmove(stdscr, top + caret.row, left + caret.column);
  shownCaret_ = caret;
  wnoutrefresh(stdscr);
  doupdate();
}

void TerminalView::DrawMessageBox(const MessageBoxLayout& box, int selected) {
  const bool fits = Fits();
  const int areaTop = fits ? (LINES - kScreenRows) / 2 : 0;
  const int areaLeft = fits ? (COLS - kScreenColumns) / 2 : 0;
  const int areaHeight = fits ? kScreenRows : LINES;
  const int areaWidth = fits ? kScreenColumns : COLS;
  const int top = areaTop + std::max(0, (areaHeight - box.Height()) / 2);
  const int left = areaLeft + std::max(0, (areaWidth - box.Width()) / 2);
  int normal = PairOf(kBoxText, kBoxBack);
  int chosen = PairOf(kDefaultBackColor, kDefaultTextColor);
  const attr_t plain = depth_ == ColorDepth::None ? A_REVERSE : A_NORMAL;
  for (int r = 0; r < box.Height(); ++r) {
    const std::u32string& line = box.rows[static_cast<size_t>(r)];
    for (int c = 0; c < box.Width(); ++c) {
      const int y = top + r, x = left + c;
      if (y >= LINES || x >= COLS) continue;
      attr_t attrs = plain;
      int* pair = &normal;
      for (size_t b = 0; b < box.buttons.size(); ++b) {
        const MessageBoxLayout::Button& button = box.buttons[b];
        if (button.row != r || c < button.column || c >= button.column + button.width) continue;
        if (static_cast<int>(b) == selected) {
          pair = &chosen;
          attrs = A_NORMAL;  // the opposite of the box's colours
        }
        if (c == button.initialColumn) attrs |= A_UNDERLINE | A_BOLD;
      }
      char32_t ch = line[static_cast<size_t>(c)];
      if (ch >= 0x7F && ::wcwidth(static_cast<wchar_t>(ch)) != 1) ch = AsciiStandIn(ch);
      const wchar_t text[2] = {static_cast<wchar_t>(ch), 0};
      cchar_t cell;
      setcchar(&cell, text, attrs, 0, pair);
      mvwadd_wch(stdscr, y, x, &cell);
    }
  }
  ShowCursor(false);
  shownCaret_ = Caret{};
  // The cells under the box are drawn again when it goes.
  full_ = true;
  wnoutrefresh(stdscr);
  doupdate();
}

}  // namespace torvic::shell
