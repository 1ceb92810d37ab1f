#include "shell/batch_host.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <thread>

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
  Event e{key.kind == ScriptKey::KeyDown ? Event::KeyDown : Event::Char, {}, 0};
  e.key.key = key.code;
  e.key.ctrl = key.ctrl;
  e.key.shift = key.shift;
  posted_.push_back(e);
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

void BatchHost::Dispatch(const Event& e) {
  if (!sink_) return;
  switch (e.kind) {
    case Event::KeyDown: sink_->OnKeyDown(e.key); break;
    case Event::Char: sink_->OnChar(e.key); break;
    case Event::Timer: sink_->OnTimer(e.timerId); break;
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
  if (posted_.empty()) {
    // Nothing can arrive before the next clock-reading turn: the turns up
    // to it are quiet.
    SetQuietTurns(pacer_.QuietTurns());
    return false;
  }
  Event e = posted_.front();
  posted_.pop_front();
  Dispatch(e);
  if (e.kind == Event::KeyDown && !posted_.empty() && posted_.front().kind == Event::Char) {
    Event c = posted_.front();
    posted_.pop_front();
    Dispatch(c);
  }
  return true;
}

bool BatchHost::AnyPending() {
  if (!posted_.empty()) return true;
  FireDueTimers();
  return !posted_.empty();
}

WaitResult BatchHost::WaitForEvent(WaitFor what, int timeoutMs) {
  // Whoever types (a person at a terminal) sees the output first.
  if (what == WaitFor::Keyboard) std::fflush(stdout);
  const uint32_t start = clock_.TickCount();
  for (;;) {
    FireDueTimers();
    if (!posted_.empty()) return WaitResult::EventPending;
    if (what == WaitFor::Keyboard) {
      if (held_) {
        Post(*held_);
        held_.reset();
        return WaitResult::EventPending;
      }
    } else {
      LookAheadForBreak();
      if (!posted_.empty()) return WaitResult::EventPending;
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
      if (!posted_.empty()) return WaitResult::EventPending;
    } else if (reader_.Exhausted() && what == WaitFor::Keyboard) {
      // The keyboard will never answer; the caller decides what that means
      // (quit at the prompt, Break in a running program).
      return WaitResult::InputExhausted;
    }
  }
}

bool BatchHost::SetTimer(int id, uint32_t intervalMs) {
  if (intervalMs == 0) intervalMs = 1;
  timers_[id] = TimerState{intervalMs, clock_.TickCount() + intervalMs};
  return true;
}

void BatchHost::KillTimer(int id) {
  timers_.erase(id);
  for (auto it = posted_.begin(); it != posted_.end();)
    it = (it->kind == Event::Timer && it->timerId == id) ? posted_.erase(it) : it + 1;
}

void BatchHost::FireDueTimers() {
  if (!timers_.empty()) FireDueTimers(clock_.TickCount());
}

void BatchHost::FireDueTimers(uint32_t now) {
  for (auto& [id, t] : timers_) {
    if (static_cast<int32_t>(now - t.due) < 0) continue;
    while (static_cast<int32_t>(now - t.due) >= 0) t.due += t.interval;
    bool queued = false;
    for (const Event& e : posted_)
      if (e.kind == Event::Timer && e.timerId == id) queued = true;
    if (!queued) {
      posted_.push_back(Event{Event::Timer, {}, id});
      SetQuietTurns(0);
    }
  }
}

int BatchHost::MsToNextTimer() {
  if (timers_.empty()) return -1;
  const uint32_t now = clock_.TickCount();
  int best = -1;
  for (const auto& [id, t] : timers_) {
    int d = static_cast<int32_t>(t.due - now);
    if (d < 0) d = 0;
    if (best < 0 || d < best) best = d;
  }
  return best;
}

Answer BatchHost::MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                             platform::Icon icon) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  struct Choice {
    char initial;
    Answer answer;
  };
  std::vector<Choice> choices;
  switch (buttons) {
    case Buttons::Ok: choices = {{'O', Answer::Ok}}; break;
    case Buttons::OkCancel: choices = {{'O', Answer::Ok}, {'C', Answer::Cancel}}; break;
    case Buttons::YesNo: choices = {{'Y', Answer::Yes}, {'N', Answer::No}}; break;
    case Buttons::YesNoCancel:
      choices = {{'Y', Answer::Yes}, {'N', Answer::No}, {'C', Answer::Cancel}};
      break;
    case Buttons::AbortRetryIgnore:
      choices = {{'A', Answer::Abort}, {'R', Answer::Retry}, {'I', Answer::Ignore}};
      break;
  }
  for (;;) {
    std::optional<ScriptKey> key;
    if (held_) {
      key = held_;
      held_.reset();
    } else {
      key = TakeKey(-1);
    }
    if (!key) return choices.front().answer;  // end of input: the default button
    if (key->kind != ScriptKey::Char) continue;
    char c = static_cast<char>(key->code);
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    for (const Choice& ch : choices)
      if (ch.initial == c) return ch.answer;
  }
}

}  // namespace torvic::shell
