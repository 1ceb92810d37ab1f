// The message boxes of the terminal front end: a framed box over the
// screen, the caption in its top edge, the text wrapped inside, and a row
// of buttons whose initials are the keys that choose them.
//
//   ┌─ TORVIC ─────────────────────────────────────────┐
//   │                                                  │
//   │  !  Do you want to save the changes you made to  │
//   │     the BASIC program?                           │
//   │                                                  │
//   │          [ Yes ]    [ No ]    [ Cancel ]         │
//   └──────────────────────────────────────────────────┘
//
// The layout is plain data; the view draws it (terminal_view.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"

namespace torvic::shell {

struct MessageBoxLayout {
  // The rows of the box, frame included, all of the same width.
  std::vector<std::u32string> rows;
  // Where each button is, in the order of ButtonsOf: its row and first
  // column ("[ Yes ]"), its width, and the column of its initial.
  struct Button {
    int row = 0, column = 0, width = 0, initialColumn = 0;
  };
  std::vector<Button> buttons;

  int Width() const { return rows.empty() ? 0 : static_cast<int>(rows.front().size()); }
  int Height() const { return static_cast<int>(rows.size()); }
};

// Lays the box out no wider than `maxWidth` columns (at least 20). The
// text and caption are bytes of the ANSI character set; a line feed in
// the text starts a new line.
MessageBoxLayout LayOutMessageBox(std::string_view text, std::string_view caption,
                                  platform::Buttons buttons, platform::Icon icon, int maxWidth);

}  // namespace torvic::shell
