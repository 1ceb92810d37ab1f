// Host services that the window and the batch mode share: the clock, sound
// without an audio device, and process control.
#pragma once

#include <chrono>
#include <string>

#include "platform/host.h"

class QWidget;

namespace torvic::shell {

class SystemClock final : public platform::Clock {
 public:
  SystemClock() : start_(std::chrono::steady_clock::now()) {}
  uint32_t TickCount() override;
  platform::LocalTime Now() override;
  void Sleep(uint32_t ms) override;

 private:
  std::chrono::steady_clock::time_point start_;
};

// No tone generator is assumed: a tone is a blocking wait of its length, so
// programs keep their timing; the beep is the toolkit's (or nothing).
class SystemSound final : public platform::Sound {
 public:
  explicit SystemSound(bool toolkitBeep) : toolkitBeep_(toolkitBeep) {}
  void Beep() override;
  void Tone(uint32_t hertz, uint32_t ms) override;

 private:
  bool toolkitBeep_;
};

class SystemProcess final : public platform::Process {
 public:
  bool StartSecondInstance() override;
  void SetRestartAtExit(bool restart) override { restart_ = restart; }
  void SetWindowTitle(std::string_view title) override;
  std::string WindowTitle() override { return title_; }

  bool RestartRequested() const { return restart_; }
  // Starts the new instance asked for by RESTART; called once at exit.
  void RestartIfRequested();
  // The window whose title follows SetWindowTitle (none in batch mode).
  void SetTitleTarget(QWidget* window) { window_ = window; }

 private:
  bool restart_ = false;
  std::string title_ = "TORVIC";
  QWidget* window_ = nullptr;
};

}  // namespace torvic::shell
