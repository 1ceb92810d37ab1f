// The key queue: keyboard messages that arrive while a command executes,
// kept in order for the key functions (INKEY$, GET) and for replay into the
// line editor when a line is read next, so type-ahead is never lost. The
// queue is charged to the memory budget: a push may throw std::bad_alloc,
// and leaves the queue as it was.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory_budget.h"

namespace torvic {

struct KeyRecord {
  static constexpr uint32_t kKeyDown = 256;  // the window message numbers
  static constexpr uint32_t kChar = 258;
  uint32_t kind = kChar;
  uint32_t key = 0;  // virtual-key code (key-down) or character code (char)
  uint32_t repeat = 1;
  uint32_t flags = 0;
  bool ctrl = false;
  bool shift = false;
};

class KeyQueue {
 public:
  // A key-down waits for the character it may produce: while the flag is
  // set, the next character turns that record into a character record, so
  // a letter queues as one record, not two.
  void PushKeyDown(const KeyRecord& r) {
    records_.push_back(r);
    records_.back().kind = KeyRecord::kKeyDown;
    pendingKeyDown_ = true;
  }
  void PushChar(const KeyRecord& r) {
    if (pendingKeyDown_ && !records_.empty()) {
      KeyRecord& last = records_.back();
      last.kind = KeyRecord::kChar;
      last.key = r.key;
      last.repeat = r.repeat;
      last.flags = r.flags;
    } else {
      records_.push_back(r);
      records_.back().kind = KeyRecord::kChar;
    }
    pendingKeyDown_ = false;
  }
  bool Empty() const { return records_.empty(); }
  size_t Size() const { return records_.size(); }
  KeyRecord Pop() {
    KeyRecord r = records_.front();
    records_.pop_front();
    if (records_.empty()) pendingKeyDown_ = false;
    return r;
  }
  void Clear() {
    records_.clear();
    pendingKeyDown_ = false;
  }

 private:
  memory::Deque<KeyRecord> records_;
  bool pendingKeyDown_ = false;
};

// The string the key functions return for a record: a character as itself
// (after 0, 16 when it is Backspace or Tab typed with Shift); a key-down as
// 0, 17 for Ctrl, 0, 16 for Shift, a 0 unless the key is Tab or a digit key,
// then the virtual-key code. GET of the Up arrow is CHR$(0)+CHR$(38).
std::string EncodeKey(const KeyRecord& r);

}  // namespace torvic
