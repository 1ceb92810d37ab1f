#include "shell/key_vocabulary.h"

namespace torvic::shell {

namespace vk = platform::vk;

namespace {

// Keys whose whole meaning is their key-down: they produce no character,
// whatever control character a desktop or terminal attaches to them (127
// for Delete).
bool ActsByKeyDownOnly(uint32_t virtualKey) {
  switch (virtualKey) {
    case vk::kShift:
    case vk::kControl:
    case vk::kMenu:
    case vk::kPause:
    case vk::kCapital:
    case vk::kPrior:
    case vk::kNext:
    case vk::kEnd:
    case vk::kHome:
    case vk::kLeft:
    case vk::kUp:
    case vk::kRight:
    case vk::kDown:
    case vk::kInsert:
    case vk::kDelete:
    case vk::kNumLock:
    case vk::kScroll: return true;
    default: return virtualKey >= vk::kF1 && virtualKey < vk::kF1 + 24;
  }
}

}  // namespace

uint8_t CharacterOfKey(uint32_t virtualKey) {
  for (const NamedKey& k : kNamedKeys)
    if (k.virtualKey == virtualKey) return k.character;
  return 0;
}

uint32_t VirtualKeyOfCharacter(uint8_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return c;  // the same codes as the keys
  if (c == ' ') return vk::kSpace;
  return 0;
}

TranslatedKey TranslateKeyPress(const KeyPress& press) {
  TranslatedKey t;
  platform::KeyEvent base;
  base.ctrl = press.ctrl;
  base.shift = press.shift;
  base.isRepeat = press.autoRepeat;
  const uint32_t key = press.virtualKey;
  if (key == vk::kCancel || (press.ctrl && (key == vk::kPause || key == 'C'))) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = vk::kCancel;
    t.keyDown.ctrl = true;
    t.keyDown.shift = false;
    return t;
  }
  if (key != 0) {
    t.hasKeyDown = true;
    t.keyDown = base;
    t.keyDown.key = key;
  }
  if (press.character && !ActsByKeyDownOnly(key)) {
    t.hasChar = true;
    t.character = base;
    t.character.key = *press.character;
  }
  return t;
}

}  // namespace torvic::shell
