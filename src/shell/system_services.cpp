#include "shell/system_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QWidget>
#include <ctime>
#include <thread>

namespace torvic::shell {

uint32_t SystemClock::TickCount() {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

platform::LocalTime SystemClock::Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  platform::LocalTime lt;
  lt.year = tm.tm_year + 1900;
  lt.month = tm.tm_mon + 1;
  lt.day = tm.tm_mday;
  lt.dayOfWeek = tm.tm_wday;
  lt.hour = tm.tm_hour;
  lt.minute = tm.tm_min;
  lt.second = tm.tm_sec;
  lt.millisecond = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
      1000);
  return lt;
}

void SystemClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SystemSound::Beep() {
  if (toolkitBeep_ && qobject_cast<QApplication*>(QCoreApplication::instance()))
    QApplication::beep();
}

void SystemSound::Tone(uint32_t hertz, uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool SystemProcess::StartSecondInstance() {
  if (!QCoreApplication::instance()) return false;
  return QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void SystemProcess::SetWindowTitle(std::string_view title) {
  title_ = std::string(title);
  if (window_)
    window_->setWindowTitle(
        QString::fromLatin1(title_.data(), static_cast<qsizetype>(title_.size())));
}

void SystemProcess::RestartIfRequested() {
  if (restart_ && QCoreApplication::instance())
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
  restart_ = false;
}

}  // namespace torvic::shell
