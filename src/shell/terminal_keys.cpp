#include "shell/terminal_keys.h"

#include <curses.h>

#include <string>

#include "shell/terminal_cells.h"

namespace torvic::shell {

namespace vk = platform::vk;

namespace {

struct FixedKey {
  int code;
  uint32_t virtualKey;
  bool ctrl = false;
  bool shift = false;
};

// The key codes every curses build knows. The keypad's corner keys are
// the editing keys printed on them.
constexpr FixedKey kFixedKeys[] = {
    {KEY_UP, vk::kUp},
    {KEY_DOWN, vk::kDown},
    {KEY_LEFT, vk::kLeft},
    {KEY_RIGHT, vk::kRight},
    {KEY_HOME, vk::kHome},
    {KEY_END, vk::kEnd},
    {KEY_IC, vk::kInsert},
    {KEY_DC, vk::kDelete},
    {KEY_PPAGE, vk::kPrior},
    {KEY_NPAGE, vk::kNext},
    {KEY_BACKSPACE, vk::kBack},
    {KEY_ENTER, vk::kReturn},
    {KEY_BREAK, vk::kCancel, true},
    {KEY_BTAB, vk::kTab, false, true},
    {KEY_SR, vk::kUp, false, true},
    {KEY_SF, vk::kDown, false, true},
    {KEY_SLEFT, vk::kLeft, false, true},
    {KEY_SRIGHT, vk::kRight, false, true},
    {KEY_SHOME, vk::kHome, false, true},
    {KEY_SEND, vk::kEnd, false, true},
    {KEY_SIC, vk::kInsert, false, true},
    {KEY_SDC, vk::kDelete, false, true},
    {KEY_SPREVIOUS, vk::kPrior, false, true},
    {KEY_SNEXT, vk::kNext, false, true},
    {KEY_A1, vk::kHome},
    {KEY_A3, vk::kPrior},
    {KEY_C1, vk::kEnd},
    {KEY_C3, vk::kNext},
};

// The extended key names of the terminal descriptions for keys with
// modifiers: the name, then a digit for the modifiers (none: Shift, 3 Alt,
// 4 Shift+Alt, 5 Ctrl, 6 Ctrl+Shift, 7 Ctrl+Alt, 8 all three). Alt has no
// place in the key vocabulary and is left out.
struct ModifiedName {
  const char* name;
  uint32_t virtualKey;
};
constexpr ModifiedName kModifiedNames[] = {
    {"kUP", vk::kUp},     {"kDN", vk::kDown},  {"kLFT", vk::kLeft},  {"kRIT", vk::kRight},
    {"kHOM", vk::kHome},  {"kEND", vk::kEnd},  {"kIC", vk::kInsert}, {"kDC", vk::kDelete},
    {"kPRV", vk::kPrior}, {"kNXT", vk::kNext},
};
struct ModifierSuffix {
  const char* suffix;
  bool ctrl, shift;
};
constexpr ModifierSuffix kModifierSuffixes[] = {
    {"", false, true}, {"3", false, false}, {"4", false, true}, {"5", true, false},
    {"6", true, true}, {"7", true, false},  {"8", true, true},
};

KeyPress PressOf(uint32_t virtualKey, bool ctrl, bool shift) {
  KeyPress p;
  p.virtualKey = virtualKey;
  p.ctrl = ctrl;
  p.shift = shift;
  if (const uint8_t c = CharacterOfKey(virtualKey)) p.character = c;
  return p;
}

}  // namespace

void TerminalKeys::Learn() {
  learned_.clear();
  for (const ModifiedName& m : kModifiedNames) {
    for (const ModifierSuffix& s : kModifierSuffixes) {
      std::string name = std::string(m.name) + s.suffix;
      const char* sequence = tigetstr(name.data());
      if (sequence == nullptr || sequence == reinterpret_cast<char*>(-1)) continue;
      const int code = key_defined(sequence);
      if (code > 0) learned_.push_back({code, m.virtualKey, s.ctrl, s.shift});
    }
  }
}

std::optional<KeyPress> TerminalKeys::FromKeyCode(int code) const {
  for (const FixedKey& k : kFixedKeys)
    if (k.code == code) return PressOf(k.virtualKey, k.ctrl, k.shift);
  // F1..F12; the descriptions number Shift+F1 as F13, Ctrl+F1 as F25 and
  // Ctrl+Shift+F1 as F37.
  if (code >= KEY_F(1) && code <= KEY_F(48)) {
    const int n = code - KEY_F(1);
    return PressOf(vk::kF1 + static_cast<uint32_t>(n % 12), n >= 24, (n / 12) % 2 == 1);
  }
  for (const Learned& k : learned_)
    if (k.code == code) return PressOf(k.virtualKey, k.ctrl, k.shift);
  return std::nullopt;
}

std::optional<KeyPress> TerminalKeys::FromCharacter(char32_t c, const char16_t* codePage) {
  switch (c) {
    case 3: return PressOf('C', true, false);  // Ctrl+C read as a character: Ctrl+Break
    case 8:
    case 127: return PressOf(vk::kBack, false, false);
    case 9: return PressOf(vk::kTab, false, false);
    case 13: return PressOf(vk::kReturn, false, false);
    case 27: return PressOf(vk::kEscape, false, false);
    default: break;
  }
  KeyPress p;
  if (c < 32) {
    // Ctrl with a letter types 1..26; Ctrl+Space and Ctrl+@ type 0, the
    // rest of the controls 28..31.
    p.ctrl = true;
    if (c >= 1 && c <= 26) p.virtualKey = 'A' + static_cast<uint32_t>(c) - 1;
    p.character = static_cast<uint8_t>(c);
    return p;
  }
  const std::optional<uint8_t> byte = ByteOfCharacter(c, codePage);
  if (!byte) return std::nullopt;
  p.virtualKey = VirtualKeyOfCharacter(*byte);
  p.shift = *byte >= 'A' && *byte <= 'Z';
  p.character = *byte;
  return p;
}

}  // namespace torvic::shell
