#include "shell/window_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QWidget>

#include "shell/lock_keys.h"
#include "shell/message_buttons.h"

namespace torvic::shell {

using platform::Answer;
using platform::Buttons;
using platform::WaitResult;

namespace {

QMessageBox::StandardButton StandardButtonOf(Answer a) {
  switch (a) {
    case Answer::Ok: return QMessageBox::Ok;
    case Answer::Cancel: return QMessageBox::Cancel;
    case Answer::Abort: return QMessageBox::Abort;
    case Answer::Retry: return QMessageBox::Retry;
    case Answer::Ignore: return QMessageBox::Ignore;
    case Answer::Yes: return QMessageBox::Yes;
    case Answer::No: return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

WindowHost::WindowHost(platform::Clock& clock) : clock_(clock) {}
WindowHost::~WindowHost() = default;

void WindowHost::ToolkitTurn(bool wait) {
  if (beforeTurn_) beforeTurn_();
  QCoreApplication::processEvents(wait ? QEventLoop::WaitForMoreEvents : QEventLoop::AllEvents);
  pacer_.Looked(clock_.TickCount());
}

bool WindowHost::PumpOnce() {
  // The toolkit's turn at most once a millisecond; the clock is read on
  // the pacer's turns only.
  if (pacer_.Due() && pacer_.NewMillisecond(clock_.TickCount())) ToolkitTurn(false);
  if (queue_.Empty()) {
    // Events are queued only while the toolkit has its turn (or through
    // the posts, which end the quiet turns): none can arrive before the
    // next turn that reads the clock.
    SetQuietTurns(pacer_.QuietTurns());
    return false;
  }
  queue_.ServeOne(sink_);
  return true;
}

std::optional<bool> WindowHost::LockKeyState(platform::LockKey key) {
  return DesktopLockKeyState(key);
}

bool WindowHost::PressLockKey(platform::LockKey key) { return PressDesktopLockKey(key); }

WaitResult WindowHost::WaitForEvent(platform::WaitFor, int timeoutMs) {
  if (!queue_.Empty()) return WaitResult::EventPending;
  wake_ = false;
  QTimer timeout;
  timeout.setSingleShot(true);
  bool timedOut = false;
  if (timeoutMs >= 0) {
    QObject::connect(&timeout, &QTimer::timeout, [&timedOut] { timedOut = true; });
    timeout.start(timeoutMs);
  }
  while (queue_.Empty()) {
    if (timedOut || wake_) return WaitResult::TimedOut;
    if (timeoutMs == 0) {
      ToolkitTurn(false);
      return queue_.Empty() ? WaitResult::TimedOut : WaitResult::EventPending;
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
      if (queue_.PostTimer(id)) SetQuietTurns(0);  // one pending at most
    });
  }
  t->start(static_cast<int>(intervalMs == 0 ? 1 : intervalMs));
  return true;
}

void WindowHost::KillTimer(int id) {
  timers_.erase(id);
  queue_.DropTimer(id);
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
  QMessageBox::StandardButtons set;
  for (const MessageButton& b : ButtonsOf(buttons)) set |= StandardButtonOf(b.answer);
  box.setStandardButtons(set);
  box.setDefaultButton(StandardButtonOf(ButtonsOf(buttons).front().answer));
  const int chosen = box.exec();
  for (const MessageButton& b : ButtonsOf(buttons))
    if (chosen == StandardButtonOf(b.answer)) return b.answer;
  return AnswerWhenClosed(buttons);
}

}  // namespace torvic::shell
