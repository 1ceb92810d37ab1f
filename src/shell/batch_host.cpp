#include "shell/batch_host.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "shell/message_buttons.h"
#include "shell/termination_signals.h"

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
  pollfd p[2] = {{fd_, POLLIN, 0}, {TerminationSignals::WakeFd(), POLLIN, 0}};
  // A signal (EINTR) or the wake-up ends the wait; the caller looks again.
  if (::poll(p, 2, waitMs) <= 0 || p[0].revents == 0) return true;
  char buffer[4096];
  ssize_t n;
  do n = ::read(fd_, buffer, sizeof buffer);
  while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
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
    // One look at what has arrived, no clock.
    ReadInput(0);
    return reader_.Next();
  }
  const uint32_t start = clock_.TickCount();
  while (!inputEnded_ && !EndRequested()) {
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

bool BatchHost::KeyPosted() const { return posted_.AnyKey(); }

void BatchHost::CountAway(uint32_t ms) {
  awayMs_ = ms >= kPatienceMs - awayMs_ ? kPatienceMs : awayMs_ + ms;
}

void BatchHost::LookAhead() {
  // Not past a key typed but not yet served: a Break read now would be
  // served before keys the core asked for first. A posted Break is served
  // before anything after it is read, since those keys are meant for after it.
  if (ending_ || KeyPosted()) return;
  while (held_.size() < kMaxHeldKeys) {
    // Keys before a Break are typed first while the session may still ask
    // for them.
    if (!held_.empty() && awayMs_ < kPatienceMs) return;
    std::optional<ScriptKey> key = TakeKey(0);
    if (!key) return;
    if (key->IsBreak()) {
      Post(*key);
      return;
    }
    held_.push_back(*key);
  }
}

bool BatchHost::EndRequested() const {
  return ending_ || TerminationSignals::Received() != 0 || (transcript_ && transcript_->Failed());
}

bool BatchHost::CheckEnd() {
  if (ending_) return true;
  if (!EndRequested()) return false;
  ending_ = true;
  SetQuietTurns(0);
  if (endSession_) endSession_();
  return true;
}

void BatchHost::SleepUnlessSignalled(int ms) {
  pollfd p{TerminationSignals::WakeFd(), POLLIN, 0};
  ::poll(&p, 1, ms);
}

// Polling standard input and the timers costs a system call, so it is done
// at most once a millisecond; the clock itself is read on the pacer's turns
// only (a clock read can cost more than a statement on some machines), so
// most turns are quiet ones, a test and a decrement in the core.
bool BatchHost::PumpOnce() {
  if (pacer_.Due()) {
    const uint32_t now = clock_.TickCount();
    if (pacer_.NewMillisecond(now)) {
      if (transcript_) transcript_->FlushWaitingLine();
      if (!CheckEnd()) {
        CountAway(1);
        FireDueTimers(now);
        LookAhead();
      }
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
  // Whoever types (a person at a terminal) or reads along sees the output
  // before the session waits.
  if (transcript_) transcript_->Flush();
  return what == WaitFor::Keyboard ? WaitForKeyboard() : WaitForAnyEvent(timeoutMs);
}

// Every keyboard wait types a key: the held ones first, then the script's
// next, however long it takes to arrive. A timeout does not end it (INKEY$
// asks with timeout 0 and must see the same key on every machine); a due
// timer, the end of input and the end of the session do.
WaitResult BatchHost::WaitForKeyboard() {
  awayMs_ = 0;
  for (;;) {
    if (CheckEnd()) return WaitResult::TimedOut;  // nothing more is typed
    FireDueTimers();
    if (!posted_.Empty()) return WaitResult::EventPending;
    if (!held_.empty()) {
      Post(held_.front());
      held_.pop_front();
      return WaitResult::EventPending;
    }
    if (auto key = TakeKey(MsToNextTimer())) {
      Post(*key);
      return WaitResult::EventPending;
    }
    // The keyboard will never answer; the caller decides what that means
    // (quit at the prompt, Break in a running program).
    if (reader_.Exhausted()) return WaitResult::InputExhausted;
  }
}

// Anything but the keyboard: timers, and a Break read ahead.
WaitResult BatchHost::WaitForAnyEvent(int timeoutMs) {
  const uint32_t start = clock_.TickCount();
  for (;;) {
    if (CheckEnd()) return WaitResult::TimedOut;
    FireDueTimers();
    if (posted_.Empty()) LookAhead();
    if (!posted_.Empty()) return WaitResult::EventPending;
    const uint32_t now = clock_.TickCount();
    int left = -1;
    if (timeoutMs >= 0) {
      left = timeoutMs - static_cast<int>(now - start);
      if (left <= 0) return WaitResult::TimedOut;
    }
    const int toTimer = MsToNextTimer();
    int wait = left;
    if (toTimer >= 0 && (wait < 0 || toTimer < wait)) wait = toTimer;
    // A Break behind held keys is looked for again once the patience is
    // used up; until then input can wait.
    const bool patient = !held_.empty() && awayMs_ < kPatienceMs;
    if (patient) {
      const int untilImpatient = static_cast<int>(kPatienceMs - awayMs_);
      if (wait < 0 || untilImpatient < wait) wait = untilImpatient;
      SleepUnlessSignalled(wait);
    } else if (inputEnded_ || held_.size() >= kMaxHeldKeys) {
      // Input can bring no Break any more.
      if (wait < 0) return WaitResult::InputExhausted;
      SleepUnlessSignalled(wait);
    } else {
      ReadInput(wait);
    }
    CountAway(clock_.TickCount() - now);
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
  awayMs_ = 0;
  for (;;) {
    const std::optional<ScriptKey> key = DialogKey();
    // The end of input or of the session: the default button.
    if (!key) return ButtonsOf(buttons).front().answer;
    if (key->kind != ScriptKey::Char) continue;
    if (const MessageButton* b = ButtonForKey(buttons, static_cast<char>(key->code)))
      return b->answer;
  }
}

}  // namespace torvic::shell

namespace torvic::shell {

std::optional<ScriptKey> BatchHost::DialogKey() {
  if (!held_.empty()) {
    const ScriptKey key = held_.front();
    held_.pop_front();
    return key;
  }
  if (CheckEnd()) return std::nullopt;
  return TakeKey(-1);
}

}  // namespace torvic::shell
