// The key vocabulary the front ends share: how a key typed in the window,
// in a terminal or in a batch key script becomes the core's keyboard events
// (a key-down with its virtual-key code, and the character the key types).
//
// Each front end knows only its own keyboard codes (Qt keys, the terminal's
// key codes, brace names) and says which virtual key and which character a
// press stands for; what follows from that (which keys type a character of
// their own, Ctrl+C and Ctrl+Pause being Ctrl+Break) is decided here once,
// so the three front ends cannot drift apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/host.h"

namespace torvic::shell {

// A named key of the key scripts ("{ENTER}"), its virtual-key code and the
// character it types (0: none; the key arrives as a key-down only).
struct NamedKey {
  std::string_view name;
  uint32_t virtualKey;
  uint8_t character;
};

inline constexpr NamedKey kNamedKeys[] = {
    {"ENTER", platform::vk::kReturn, 13}, {"ESC", platform::vk::kEscape, 27},
    {"TAB", platform::vk::kTab, 9},       {"BS", platform::vk::kBack, 8},
    {"BREAK", platform::vk::kCancel, 0},  {"PAUSE", platform::vk::kPause, 0},
    {"INS", platform::vk::kInsert, 0},    {"DEL", platform::vk::kDelete, 0},
    {"HOME", platform::vk::kHome, 0},     {"END", platform::vk::kEnd, 0},
    {"LEFT", platform::vk::kLeft, 0},     {"RIGHT", platform::vk::kRight, 0},
    {"UP", platform::vk::kUp, 0},         {"DOWN", platform::vk::kDown, 0},
    {"PGUP", platform::vk::kPrior, 0},    {"PGDN", platform::vk::kNext, 0},
};

// The character a key without text of its own types: 13 for Enter, 27 for
// Esc, 9 for Tab, 8 for Backspace; 0 for every other key.
uint8_t CharacterOfKey(uint32_t virtualKey);

// The virtual key of a key that types `character`, where the key has one
// that the core can tell apart: letters (the upper-case code), digits and
// the space bar; 0 for every other character.
uint32_t VirtualKeyOfCharacter(uint8_t character);

// One press of a key, as a front end reads it.
struct KeyPress {
  uint32_t virtualKey = 0;           // 0: the key is known only by its character
  std::optional<uint8_t> character;  // what it types, in the screen's character set
  bool ctrl = false;
  bool shift = false;
  bool autoRepeat = false;
};

// The core's events for one key press: a key-down with its virtual-key
// code, and the character it types, if any.
struct TranslatedKey {
  bool hasKeyDown = false;
  platform::KeyEvent keyDown;
  bool hasChar = false;
  platform::KeyEvent character;
};

// Ctrl+Pause and Ctrl+C, and a Break key the keyboard reports as such
// (virtual key 3), are Ctrl+Break: virtual key 3 with Ctrl, without Shift
// and without a character, since many keyboards have no Break key. The
// editing, lock and function keys type no character, whatever the front end
// read with them.
TranslatedKey TranslateKeyPress(const KeyPress& press);

}  // namespace torvic::shell
