#include "shell/key_script.h"

#include "platform/host.h"
#include "shell/key_vocabulary.h"

namespace torvic::shell {

namespace {

namespace vk = platform::vk;

constexpr size_t kLongestName = 12;  // "C-S-PGUP" and the like, with room

}  // namespace

std::optional<ScriptKey> KeyForBraceName(std::string_view name) {
  bool ctrl = false, shift = false;
  for (;;) {
    if (name.size() > 2 && (name.substr(0, 2) == "C-" || name.substr(0, 2) == "c-")) {
      ctrl = true;
      name.remove_prefix(2);
    } else if (name.size() > 2 && (name.substr(0, 2) == "S-" || name.substr(0, 2) == "s-")) {
      shift = true;
      name.remove_prefix(2);
    } else {
      break;
    }
  }
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  ScriptKey key;
  key.ctrl = ctrl;
  key.shift = shift;
  for (const NamedKey& k : kNamedKeys) {
    if (upper == k.name) {
      // Keys that type a character (Enter, Esc, Tab, Backspace) are typed as
      // that character; the others arrive as key-downs.
      key.kind = k.character ? ScriptKey::Char : ScriptKey::KeyDown;
      key.code = k.character ? k.character : k.virtualKey;
      // Break is Ctrl+Break whatever the prefixes said.
      if (key.code == vk::kCancel) key.ctrl = true, key.shift = false;
      return key;
    }
  }
  if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < upper.size(); ++i) {
      if (upper[i] < '0' || upper[i] > '9') return std::nullopt;
      n = n * 10 + (upper[i] - '0');
    }
    if (n < 1 || n > 12) return std::nullopt;
    key.kind = ScriptKey::KeyDown;
    key.code = vk::kF1 + static_cast<uint32_t>(n - 1);
    return key;
  }
  return std::nullopt;
}

void KeyScriptReader::Feed(std::string_view bytes) {
  if (start_ > 0 && start_ * 2 >= pending_.size()) {
    pending_.erase(0, start_);
    start_ = 0;
  }
  pending_.append(bytes);
}

bool KeyScriptReader::TakeBraceName(std::string_view rest, ScriptKey& key, size_t& consumed) const {
  const size_t close = rest.find('}', 1);
  if (close == std::string_view::npos || close > kLongestName + 1) {
    // No name can be this long: the "{" is an ordinary character, unless the
    // closing brace may still arrive.
    if (!ended_ && rest.size() <= kLongestName + 1) return false;
    key = ScriptKey{ScriptKey::Char, '{'};
    consumed = 1;
    return true;
  }
  if (auto named = KeyForBraceName(rest.substr(1, close - 1))) {
    key = *named;
    consumed = close + 1;
  } else {
    key = ScriptKey{ScriptKey::Char, '{'};
    consumed = 1;
  }
  return true;
}

std::optional<ScriptKey> KeyScriptReader::Next() {
  const std::string_view rest = std::string_view(pending_).substr(start_);
  if (rest.empty()) return std::nullopt;
  const char c = rest[0];
  ScriptKey key;
  size_t consumed = 1;
  if (c == '\r') {
    // CR LF is one Enter; a lone CR is Enter too.
    if (rest.size() < 2 && !ended_) return std::nullopt;
    if (rest.size() >= 2 && rest[1] == '\n') consumed = 2;
    key = ScriptKey{ScriptKey::Char, 13};
  } else if (c == '\n') {
    key = ScriptKey{ScriptKey::Char, 13};
  } else if (c == '{' && braceNames_) {
    if (rest.size() < 2 && !ended_) return std::nullopt;
    if (rest.size() >= 2 && rest[1] == '{') {
      key = ScriptKey{ScriptKey::Char, '{'};
      consumed = 2;
    } else if (!TakeBraceName(rest, key, consumed)) {
      return std::nullopt;
    }
  } else {
    key = ScriptKey{ScriptKey::Char, static_cast<uint8_t>(c)};
  }
  start_ += consumed;
  return key;
}

}  // namespace torvic::shell
