#include "shell/batch_host.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>

#include "shell/message_buttons.h"

namespace torvic::shell {

using platform::Answer;
using platform::Buttons;
using platform::WaitFor;
using platform::WaitResult;

BatchHost::BatchHost(int fd, bool braceNames, platform::Clock& clock)
    : fd_(fd), reader_(braceNames), clock_(clock) {
  pacer_.Looked(clock_.TickCount());
}

bool BatchHost::ReadInput(int waitMs) {
  if (inputEnded_) return false;
  pollfd p{fd_, POLLIN, 0};
  int r;
  do r = ::poll(&p, 1, waitMs);
  while (r < 0 && errno == EINTR);
  if (r <= 0) return true;
  char buffer[4096];
  ssize_t n;
  do n = ::read(fd_, buffer, sizeof buffer);
  while (n < 0 && errno == EINTR);
  if (n <= 0) {
    inputEnded_ = true;
    reader_.FeedEnd();
    return false;
  }
  reader_.Feed(std::string_view(buffer, static_cast<size_t>(n)));
  return true;
}

std::optional<ScriptKey> BatchHost::TakeKey(int waitMs) {
  if (auto key = reader_.Next()) return key;
  if (waitMs == 0) {
    // The look-ahead of every poll: one look at what has arrived, no clock.
    ReadInput(0);
    return reader_.Next();
  }
  const uint32_t start = clock_.TickCount();
  while (!reader_.Exhausted() && !inputEnded_) {
    int left = waitMs;
    if (waitMs > 0) {
      left = waitMs - static_cast<int>(clock_.TickCount() - start);
      if (left < 0) left = 0;
    }
    ReadInput(left);
    if (auto key = reader_.Next()) return key;
    if (waitMs >= 0 && static_cast<int>(clock_.TickCount() - start) >= waitMs) break;
  }
  return reader_.Next();
}

void BatchHost::Post(const ScriptKey& key) {
  platform::KeyEvent e;
  e.key = key.code;
  e.ctrl = key.ctrl;
  e.shift = key.shift;
  if (key.kind == ScriptKey::KeyDown) posted_.PostKeyDown(e);
  else posted_.PostChar(e);
  SetQuietTurns(0);
}

void BatchHost::LookAheadForBreak() {
  if (held_) return;
  held_ = TakeKey(0);
  if (held_ && held_->IsBreak()) {
    Post(*held_);
    held_.reset();
  }
}

// Polling standard input and the timers costs a system call, so it is done
// at most once a millisecond; the clock itself is read on the pacer's turns
// only (a clock read can cost more than a statement on some machines), so
// most turns are quiet ones, a test and a decrement in the core.
bool BatchHost::PumpOnce() {
  if (pacer_.Due()) {
    const uint32_t now = clock_.TickCount();
    if (pacer_.NewMillisecond(now)) {
      FireDueTimers(now);
      LookAheadForBreak();
    }
  }
  if (posted_.Empty()) {
    // Nothing can arrive before the next clock-reading turn: the turns up
    // to it are quiet.
    SetQuietTurns(pacer_.QuietTurns());
    return false;
  }
  posted_.ServeOne(sink_);
  return true;
}

bool BatchHost::AnyPending() {
  if (!posted_.Empty()) return true;
  FireDueTimers();
  return !posted_.Empty();
}

WaitResult BatchHost::WaitForEvent(WaitFor what, int timeoutMs) {
  // Whoever types (a person at a terminal) sees the output first.
  if (what == WaitFor::Keyboard) std::fflush(stdout);
  const uint32_t start = clock_.TickCount();
  for (;;) {
    FireDueTimers();
    if (!posted_.Empty()) return WaitResult::EventPending;
    if (what == WaitFor::Keyboard) {
      if (held_) {
        Post(*held_);
        held_.reset();
        return WaitResult::EventPending;
      }
    } else {
      LookAheadForBreak();
      if (!posted_.Empty()) return WaitResult::EventPending;
    }
    int left = -1;
    if (timeoutMs >= 0) {
      left = timeoutMs - static_cast<int>(clock_.TickCount() - start);
      if (left <= 0) return WaitResult::TimedOut;
    }
    const int toTimer = MsToNextTimer();
    int wait = left;
    if (toTimer >= 0 && (wait < 0 || toTimer < wait)) wait = toTimer;
    // Input can still bring a key (or a Break) unless it has ended, or a held
    // key blocks the look-ahead while the core waits for something else.
    const bool inputMayHelp = !reader_.Exhausted() && (what == WaitFor::Keyboard || !held_);
    if (!inputMayHelp) {
      // Only a key can end a keyboard wait, whatever timers still run.
      if (wait < 0 || what == WaitFor::Keyboard) return WaitResult::InputExhausted;
      std::this_thread::sleep_for(std::chrono::milliseconds(wait));
      continue;
    }
    if (auto key = TakeKey(wait)) {
      if (what == WaitFor::Keyboard || key->IsBreak()) Post(*key);
      else held_ = key;
      if (!posted_.Empty()) return WaitResult::EventPending;
    } else if (reader_.Exhausted() && what == WaitFor::Keyboard) {
      // The keyboard will never answer; the caller decides what that means
      // (quit at the prompt, Break in a running program).
      return WaitResult::InputExhausted;
    }
  }
}

bool BatchHost::SetTimer(int id, uint32_t intervalMs) {
  timers_.Set(id, intervalMs, clock_.TickCount());
  return true;
}

void BatchHost::KillTimer(int id) {
  timers_.Kill(id);
  posted_.DropTimer(id);
}

void BatchHost::FireDueTimers() {
  if (!timers_.Empty()) FireDueTimers(clock_.TickCount());
}

void BatchHost::FireDueTimers(uint32_t now) {
  if (timers_.FireDue(now, posted_)) SetQuietTurns(0);
}

int BatchHost::MsToNextTimer() {
  return timers_.Empty() ? -1 : timers_.MsToNext(clock_.TickCount());
}

Answer BatchHost::MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                             platform::Icon icon) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  for (;;) {
    std::optional<ScriptKey> key;
    if (held_) {
      key = held_;
      held_.reset();
    } else {
      key = TakeKey(-1);
    }
    if (!key) return ButtonsOf(buttons).front().answer;  // end of input: the default button
    if (key->kind != ScriptKey::Char) continue;
    if (const MessageButton* b = ButtonForKey(buttons, static_cast<char>(key->code)))
      return b->answer;
  }
}

}  // namespace torvic::shell
