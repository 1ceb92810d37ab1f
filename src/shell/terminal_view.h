// TerminalView: the console screen shown in a terminal.
//
// It draws the cell record of the screen (console/cell_record.h) through
// the curses library, centred in the terminal, with the margins in the
// margin colour and the terminal's cursor at the caret. Painting is by
// difference: the view remembers every cell it has drawn and draws again
// only the cells of the screen's invalid rectangle that changed since, and
// the curses library in turn sends only what differs from the terminal's
// contents (a scroll as a scroll). The host decides when to paint (at most
// once per frame while a program runs, at once when the core waits), so a
// fast PRINT loop costs the terminal one picture per frame, not one per
// character.
//
// A terminal smaller than 80 x 25 shows one line asking for a larger one
// instead, and the screen comes back when the terminal is large enough.
#pragma once

#include <array>
#include <cstdint>

#include "console/screen.h"
#include "platform/host.h"
#include "shell/terminal_cells.h"
#include "shell/terminal_message_box.h"

namespace torvic::shell {

class TerminalView final : public ScreenObserver {
 public:
  // The curses library must have started (TerminalSession::Start).
  TerminalView(ConsoleScreen& screen, ColorDepth depth);

  // Whether painting would change what the terminal shows.
  bool Changed() const;
  // Brings the terminal up to the screen's state.
  void Paint();
  // Everything is drawn again at the next paint (a resize, a message box
  // taken away).
  void InvalidateAll() { full_ = true; }
  // The code page of the screen's character set (typed text is converted
  // through it).
  const char16_t* CodePage() const;

  // Draws a message box over the screen, the button `selected` shown as
  // the one Enter chooses. The next Paint takes it away.
  void DrawMessageBox(const MessageBoxLayout& box, int selected);

  // The line shown instead of the screen in a terminal of columns x rows.
  static std::string TooSmallMessage(int columns, int rows);

  // ScreenObserver: the end of a deferred update asks for a paint at once.
  void PaintNow() override { paintRequested_ = true; }
  void MarginColorChanged() override { full_ = true; }
  void GeometryChanged() override { full_ = true; }
  bool PaintRequested() const { return paintRequested_; }

 private:
  struct Caret {
    bool shown = false;
    int32_t column = 0, row = 0;
    friend bool operator==(const Caret&, const Caret&) = default;
  };
  Caret WantedCaret() const;
  bool Fits() const;
  void PaintTooSmall();
  void ShowCursor(bool show);
  void PaintMargins(int top, int left);
  void PutCell(int y, int x, const Cell& cell, const char16_t* codePage);
  // The colour pair of (text, back) palette indices, made on first use.
  int PairOf(int32_t text, int32_t back);

  ConsoleScreen& screen_;
  ColorDepth depth_;
  std::array<Cell, kScreenColumns * kScreenRows> shown_{};
  int32_t shownCharset_ = -1;
  Caret shownCaret_;
  int shownLines_ = 0, shownColumns_ = 0;
  bool full_ = true;
  bool paintRequested_ = false;
  bool tooSmallShown_ = false;
  int cursorVisibility_ = -1;                           // as last set; -1 before the first paint
  std::array<int, kPaletteSize * kPaletteSize> pairs_;  // -2: not made yet
};

}  // namespace torvic::shell
