#include "shell/window_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QWidget>

#include "shell/lock_keys.h"

namespace torvic::shell {

using platform::Answer;
using platform::Buttons;
using platform::WaitResult;

WindowHost::WindowHost(platform::Clock& clock) : clock_(clock) {}
WindowHost::~WindowHost() = default;

void WindowHost::Dispatch(const Event& e) {
  if (!sink_) return;
  switch (e.kind) {
    case Event::KeyDown: sink_->OnKeyDown(e.key); break;
    case Event::Char: sink_->OnChar(e.key); break;
    case Event::Timer: sink_->OnTimer(e.timerId); break;
  }
}

void WindowHost::ToolkitTurn(bool wait) {
  if (beforeTurn_) beforeTurn_();
  QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
  pacer_.Looked(clock_.TickCount());
}

bool WindowHost::PumpOnce() {
  // The toolkit's turn at most once a millisecond; the clock is read on
  // the pacer's turns only.
  if (pacer_.Due() && pacer_.NewMillisecond(clock_.TickCount())) ToolkitTurn(false);
  if (queue_.empty()) {
    // Events are queued only while the toolkit has its turn (or through
    // Post, which ends the quiet turns): none can arrive before the next
    // turn that reads the clock.
    SetQuietTurns(pacer_.QuietTurns());
    return false;
  }
  const Event e = queue_.front();
  queue_.pop_front();
  Dispatch(e);
  if (e.kind == Event::KeyDown && !queue_.empty() && queue_.front().kind == Event::Char) {
    const Event c = queue_.front();
    queue_.pop_front();
    Dispatch(c);
  }
  return true;
}

std::optional<bool> WindowHost::LockKeyState(platform::LockKey key) {
  return DesktopLockKeyState(key);
}

bool WindowHost::PressLockKey(platform::LockKey key) { return PressDesktopLockKey(key); }

WaitResult WindowHost::WaitForEvent(platform::WaitFor, int timeoutMs) {
  if (!queue_.empty()) return WaitResult::EventPending;
  wake_ = false;
  QTimer timeout;
  timeout.setSingleShot(true);
  bool timedOut = false;
  if (timeoutMs >= 0) {
    QObject::connect(&timeout, &QTimer::timeout, [&timedOut] { timedOut = true; });
    timeout.start(timeoutMs);
  }
  while (queue_.empty()) {
    if (timedOut || wake_) return WaitResult::TimedOut;
    if (timeoutMs == 0) {
      ToolkitTurn(false);
      return queue_.empty() ? WaitResult::TimedOut : WaitResult::EventPending;
    }
    ToolkitTurn(true);
  }
  return WaitResult::EventPending;
}

bool WindowHost::SetTimer(int id, uint32_t intervalMs) {
  auto& t = timers_[id];
  if (!t) {
    t = std::make_unique<QTimer>();
    QObject::connect(t.get(), &QTimer::timeout, [this, id] {
      for (const Event& e : queue_)
        if (e.kind == Event::Timer && e.timerId == id) return;  // one pending at most
      Post({Event::Timer, {}, id});
    });
  }
  t->start(static_cast<int>(intervalMs == 0 ? 1 : intervalMs));
  return true;
}

void WindowHost::KillTimer(int id) {
  timers_.erase(id);
  for (auto it = queue_.begin(); it != queue_.end();)
    it = (it->kind == Event::Timer && it->timerId == id) ? queue_.erase(it) : it + 1;
}

Answer WindowHost::MessageBox(std::string_view text, std::string_view caption, Buttons buttons,
                              platform::Icon icon) {
  QMessageBox box(dialogParent_);
  box.setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  box.setWindowTitle(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
  switch (icon) {
    case platform::Icon::None: box.setIcon(QMessageBox::NoIcon); break;
    case platform::Icon::Information: box.setIcon(QMessageBox::Information); break;
    case platform::Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case platform::Icon::Stop: box.setIcon(QMessageBox::Critical); break;
    case platform::Icon::Question: box.setIcon(QMessageBox::Question); break;
  }
  struct Pair {
    QMessageBox::StandardButton button;
    Answer answer;
  };
  std::vector<Pair> pairs;
  switch (buttons) {
    case Buttons::Ok: pairs = {{QMessageBox::Ok, Answer::Ok}}; break;
    case Buttons::OkCancel:
      pairs = {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}};
      break;
    case Buttons::YesNo:
      pairs = {{QMessageBox::Yes, Answer::Yes}, {QMessageBox::No, Answer::No}};
      break;
    case Buttons::YesNoCancel:
      pairs = {{QMessageBox::Yes, Answer::Yes},
               {QMessageBox::No, Answer::No},
               {QMessageBox::Cancel, Answer::Cancel}};
      break;
    case Buttons::AbortRetryIgnore:
      pairs = {{QMessageBox::Abort, Answer::Abort},
               {QMessageBox::Retry, Answer::Retry},
               {QMessageBox::Ignore, Answer::Ignore}};
      break;
  }
  QMessageBox::StandardButtons set;
  for (const Pair& p : pairs) set |= p.button;
  box.setStandardButtons(set);
  box.setDefaultButton(pairs.front().button);
  const int chosen = box.exec();
  for (const Pair& p : pairs)
    if (chosen == p.button) return p.answer;
  // Closed without a button: Cancel where there is one, else the default.
  for (const Pair& p : pairs)
    if (p.answer == Answer::Cancel) return p.answer;
  return pairs.front().answer;
}

}  // namespace torvic::shell
