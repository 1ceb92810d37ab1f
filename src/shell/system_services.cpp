#include "shell/system_services.h"

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
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
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  return lt;
}

void SystemClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void SystemSound::Beep() {
  if (beep_) beep_();
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

namespace {

// Starts the executable again, detached: the intermediate child exits at
// once so the new instance is nobody's zombie.
bool StartDetached(const std::string& path) {
  if (path.empty()) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool SystemProcess::StartSecondInstance() {
  return instances_ == Instances::MayStart && StartDetached(ExecutablePath());
}

void SystemProcess::SetWindowTitle(std::string_view title) {
  title_ = std::string(title);
  if (titleSink_) titleSink_(title_);
}

void SystemProcess::RestartIfRequested() {
  if (restart_ && instances_ == Instances::MayStart) StartDetached(ExecutablePath());
  restart_ = false;
}

}  // namespace torvic::shell
