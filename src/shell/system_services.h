// Host services that the window and the batch mode share: the clock, sound
// without an audio device, and process control. Nothing here uses the GUI
// toolkit, so the batch mode starts without loading it; the window hands in
// its beep and its title bar as callbacks.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/host.h"

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

// No tone generator is assumed: a tone is silent, and SOUND's own wait keeps
// the program's timing; the beep is the toolkit's (or nothing).
class SystemSound final : public platform::Sound {
 public:
  explicit SystemSound(std::function<void()> beep = {}) : beep_(std::move(beep)) {}
  void Beep() override;
  void StartTone(uint32_t hertz, uint32_t ms) override {}
  void StopTone() override {}

 private:
  std::function<void()> beep_;
};

class SystemProcess final : public platform::Process {
 public:
  // Whether the session may start other instances. The window may (START,
  // RESTART); a batch session never does: the new instance would share its
  // standard input and output and write into the transcript after it ended.
  // There RESTART just ends the session and START answers "?Unable to start".
  enum class Instances { MayStart, Never };
  explicit SystemProcess(Instances instances = Instances::MayStart) : instances_(instances) {}

  bool StartSecondInstance() override;
  void SetRestartAtExit(bool restart) override { restart_ = restart; }
  void SetWindowTitle(std::string_view title) override;
  std::string WindowTitle() override { return title_; }

  bool RestartRequested() const { return restart_; }
  // Starts the new instance asked for by RESTART; called once at exit.
  void RestartIfRequested();
  // Where SetWindowTitle shows the title (nowhere in batch mode).
  void SetTitleSink(std::function<void(const std::string&)> sink) { titleSink_ = std::move(sink); }

 private:
  Instances instances_;
  bool restart_ = false;
  std::string title_ = "TORVIC";
  std::function<void(const std::string&)> titleSink_;
};

// The path of the running executable, or empty when it cannot be read.
std::string ExecutablePath();

}  // namespace torvic::shell
