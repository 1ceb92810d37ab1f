// The terminal's keys as the core's keys. The curses library decodes what
// the terminal sends (its description says which sequence is which key);
// this turns its key codes and characters into key presses of the shared
// key vocabulary (key_vocabulary.h).
#pragma once

#include <optional>
#include <vector>

#include "shell/key_vocabulary.h"

namespace torvic::shell {

class TerminalKeys {
 public:
  // Learns the codes the terminal's description gives to arrows and
  // editing keys with Ctrl or Shift (Ctrl+Left and the like), which have
  // no fixed codes. Call once the keypad is on.
  void Learn();

  // A key the curses library reports by a key code: arrows, function keys,
  // editing keys. Nothing for keys the core has no use for.
  std::optional<KeyPress> FromKeyCode(int code) const;

  // A key the curses library reports as a character: Ctrl+letter as the
  // letter's key with Ctrl, Enter, Tab, Esc, Backspace as those keys, and
  // text through the code page of the screen's character set (nothing for
  // a character the set does not have).
  static std::optional<KeyPress> FromCharacter(char32_t c, const char16_t* codePage);

 private:
  struct Learned {
    int code;
    uint32_t virtualKey;
    bool ctrl, shift;
  };
  std::vector<Learned> learned_;
};

}  // namespace torvic::shell
