#include "shell/terminal_host.h"

#include <curses.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "shell/message_buttons.h"
#include "shell/terminal_message_box.h"
#include "shell/terminal_session.h"
#include "shell/terminal_view.h"

namespace torvic::shell {

using platform::Answer;
using platform::WaitFor;
using platform::WaitResult;
namespace vk = platform::vk;

TerminalHost::TerminalHost(platform::Clock& clock, TerminalSession& session)
    : clock_(clock), session_(session) {
  keys_.Learn();
  pacer_.Looked(clock_.TickCount());
}

void TerminalHost::Post(const KeyPress& press) {
  const TranslatedKey t = TranslateKeyPress(press);
  if (t.hasKeyDown) queue_.PostKeyDown(t.keyDown);
  if (t.hasChar) queue_.PostChar(t.character);
  SetQuietTurns(0);
}

bool TerminalHost::TakeSignals() {
  if (session_.TakeBreak()) {
    KeyPress brk;
    brk.virtualKey = vk::kCancel;
    brk.ctrl = true;
    Post(brk);
  }
  if (!session_.TakeResize()) return false;
  session_.ApplyNewSize();
  if (view_) view_->InvalidateAll();
  return true;
}

void TerminalHost::ReadKeys() {
  if (inputEnded_) return;
  const char16_t* codePage = view_ ? view_->CodePage() : nullptr;
  wint_t c;
  for (int r; (r = wget_wch(stdscr, &c)) != ERR;) {
    std::optional<KeyPress> press;
    if (r == KEY_CODE_YES) {
      if (c == KEY_RESIZE) {
        if (view_) view_->InvalidateAll();
        continue;
      }
      press = keys_.FromKeyCode(static_cast<int>(c));
    } else if (codePage) {
      press = TerminalKeys::FromCharacter(static_cast<char32_t>(c), codePage);
    }
    if (press) Post(*press);
  }
}

bool TerminalHost::WaitForInput(int ms) {
  pollfd fds[2] = {{session_.WakeFd(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
  const nfds_t count = inputEnded_ ? 1 : 2;
  int r;
  do r = ::poll(fds, count, ms);
  while (r < 0 && errno == EINTR && ms < 0);
  if (r <= 0) return false;
  if (fds[0].revents & POLLIN) session_.DrainWake();
  if (count < 2) return false;
  // The terminal has gone (a closed window, a dropped connection).
  if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) inputEnded_ = true;
  return (fds[1].revents & POLLIN) != 0;
}

int TerminalHost::MsToNextFrame(uint32_t now) const {
  const uint32_t since = now - lastPaint_;
  return since >= kFrameMs ? 0 : static_cast<int>(kFrameMs - since);
}

void TerminalHost::Paint(uint32_t now) {
  if (!view_) return;
  view_->Paint();
  lastPaint_ = now;
}

// Looking at the terminal costs system calls, so it is done at most once a
// millisecond; the clock itself is read on the pacer's turns only.
void TerminalHost::Look(uint32_t now) {
  TakeSignals();
  if (timers_.FireDue(now, queue_)) SetQuietTurns(0);
  if (WaitForInput(0)) ReadKeys();
  if (view_ && (view_->PaintRequested() || MsToNextFrame(now) == 0) && view_->Changed()) Paint(now);
}

bool TerminalHost::PumpOnce() {
  if (pacer_.Due()) {
    const uint32_t now = clock_.TickCount();
    if (pacer_.NewMillisecond(now)) Look(now);
  }
  if (queue_.Empty()) {
    // Nothing can arrive before the next clock-reading turn: the turns up
    // to it are quiet.
    SetQuietTurns(pacer_.QuietTurns());
    return false;
  }
  queue_.ServeOne(sink_);
  return true;
}

bool TerminalHost::AnyPending() {
  if (!queue_.Empty()) return true;
  if (!timers_.Empty() && timers_.FireDue(clock_.TickCount(), queue_)) SetQuietTurns(0);
  return !queue_.Empty();
}

WaitResult TerminalHost::WaitForEvent(WaitFor what, int timeoutMs) {
  const uint32_t start = clock_.TickCount();
  for (;;) {
    const uint32_t now = clock_.TickCount();
    pacer_.Looked(now);
    TakeSignals();
    if (timers_.FireDue(now, queue_)) SetQuietTurns(0);
    ReadKeys();
    if (!queue_.Empty()) return WaitResult::EventPending;
    int left = -1;
    if (timeoutMs >= 0) {
      left = timeoutMs - static_cast<int>(now - start);
      if (left <= 0) return WaitResult::TimedOut;
    }
    int wait = left;
    const int toTimer = timers_.MsToNext(now);
    if (toTimer >= 0 && (wait < 0 || toTimer < wait)) wait = toTimer;
    // A wait without end (the prompt, INPUT, a paused program) shows the
    // screen at once; a short one leaves it to the frame's time.
    if (view_ && view_->Changed()) {
      const int toFrame = MsToNextFrame(now);
      if (toFrame == 0 || timeoutMs < 0 || view_->PaintRequested()) Paint(now);
      else if (wait < 0 || toFrame < wait) wait = toFrame;
    }
    if (inputEnded_ && (what == WaitFor::Keyboard || wait < 0)) return WaitResult::InputExhausted;
    WaitForInput(wait);
  }
}

bool TerminalHost::SetTimer(int id, uint32_t intervalMs) {
  timers_.Set(id, intervalMs, clock_.TickCount());
  return true;
}

void TerminalHost::KillTimer(int id) {
  timers_.Kill(id);
  queue_.DropTimer(id);
}

Answer TerminalHost::MessageBox(std::string_view text, std::string_view caption,
                                platform::Buttons buttons, platform::Icon icon) {
  if (!view_) return AnswerWhenClosed(buttons);
  const std::span<const MessageButton> set = ButtonsOf(buttons);
  const int count = static_cast<int>(set.size());
  int selected = 0;
  MessageBoxLayout layout;
  // The screen as it is now, under the box; again after a resize.
  auto drawAll = [&] {
    view_->Paint();
    layout = LayOutMessageBox(text, caption, buttons, icon, std::min(COLS, kScreenColumns) - 4);
    view_->DrawMessageBox(layout, selected);
  };
  drawAll();
  std::optional<Answer> answer;
  while (!answer) {
    if (session_.TakeBreak()) answer = AnswerWhenClosed(buttons);
    if (session_.TakeResize()) {
      session_.ApplyNewSize();
      view_->InvalidateAll();
      drawAll();
    }
    if (inputEnded_) answer = AnswerWhenClosed(buttons);
    wint_t c;
    for (int r; !answer && (r = wget_wch(stdscr, &c)) != ERR;) {
      int step = 0;
      if (r == KEY_CODE_YES) {
        if (c == KEY_ENTER) answer = set[static_cast<size_t>(selected)].answer;
        else if (c == KEY_RIGHT || c == KEY_DOWN) step = 1;
        else if (c == KEY_LEFT || c == KEY_UP || c == KEY_BTAB) step = -1;
        else if (c == KEY_RESIZE) view_->InvalidateAll(), drawAll();
      } else if (c == 13 || c == 10) {
        answer = set[static_cast<size_t>(selected)].answer;
      } else if (c == 27 || c == 3) {
        answer = AnswerWhenClosed(buttons);
      } else if (c == 9) {
        step = 1;
      } else if (c < 128) {
        if (const MessageButton* b = ButtonForKey(buttons, static_cast<char>(c)))
          answer = b->answer;
      }
      if (step != 0) {
        selected = (selected + step + count) % count;
        view_->DrawMessageBox(layout, selected);
      }
    }
    if (!answer) WaitForInput(-1);
  }
  // The screen comes back as it was under the box.
  view_->InvalidateAll();
  Paint(clock_.TickCount());
  return *answer;
}

}  // namespace torvic::shell
