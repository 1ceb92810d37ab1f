// The buttons of the message boxes, as data the front ends share: the
// window shows them as push buttons, the terminal as a button row whose
// initials are the keys, and the batch mode answers with the initials.
#pragma once

#include <span>
#include <string_view>

#include "platform/host.h"

namespace torvic::shell {

struct MessageButton {
  char initial;  // the key that chooses it (upper case)
  std::string_view label;
  platform::Answer answer;
};

// The buttons of a set in the order shown; the first is the default.
std::span<const MessageButton> ButtonsOf(platform::Buttons buttons);

// The answer of a box closed without a button (Esc, the window's close
// box): Cancel where there is one, else the default button.
platform::Answer AnswerWhenClosed(platform::Buttons buttons);

// The button whose initial is `c` (either case), or null.
const MessageButton* ButtonForKey(platform::Buttons buttons, char c);

}  // namespace torvic::shell
