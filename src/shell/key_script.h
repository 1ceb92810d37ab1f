// The key script of the batch mode: standard input read as keys.
//
// Without brace names every byte is a character key and a line end (LF, or
// CR LF) is the Enter key. With brace names on, {NAME} stands for a special
// key: ENTER ESC TAB BS BREAK PAUSE INS DEL HOME END LEFT RIGHT UP DOWN PGUP
// PGDN F1..F12, each optionally prefixed by C- (Ctrl) and/or S- (Shift);
// "{{" is a literal "{". A brace text that names no key is typed as it
// stands, so a stray "{" in a program line never loses characters.
//
// The reader is fed bytes as they arrive and hands out whole keys; a key
// split across two reads waits for the rest (or for the end of input).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

namespace torvic::shell {

struct ScriptKey {
  enum Kind { Char, KeyDown } kind = Char;
  uint32_t code = 0;  // character code (Char) or virtual-key code (KeyDown)
  bool ctrl = false;
  bool shift = false;
  // Ctrl+Break: pressed as soon as it is read, never held back.
  bool IsBreak() const { return kind == KeyDown && code == 3; }
};

class KeyScriptReader {
 public:
  explicit KeyScriptReader(bool braceNames) : braceNames_(braceNames) {}

  void Feed(std::string_view bytes);
  // No more bytes will come: whatever is left is typed as it stands.
  void FeedEnd() { ended_ = true; }

  // The next whole key, or nothing when more bytes are needed (or none are
  // left after the end).
  std::optional<ScriptKey> Next();

  bool Exhausted() const { return ended_ && start_ == pending_.size(); }

 private:
  // Parses "{...}" at the front of `rest`; false when incomplete.
  bool TakeBraceName(std::string_view rest, ScriptKey& key, size_t& consumed) const;

  bool braceNames_;
  bool ended_ = false;
  // The bytes not yet handed out are pending_[start_..]; the used front is
  // dropped only now and then, so reading far ahead stays linear.
  std::string pending_;
  size_t start_ = 0;
};

// The key of a brace name without braces (e.g. "C-HOME", "S-F9"), if any.
std::optional<ScriptKey> KeyForBraceName(std::string_view name);

}  // namespace torvic::shell
