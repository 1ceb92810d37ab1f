// The tight-loop benchmark: statements per second of the program loop in
// the batch mode's host and in the desktop window (offscreen, with the
// frame's status bar refreshed after the pump's toolkit turns), and what
// one turn of the event pump costs when nothing is pending.
//
// It runs 10 FOR I=1 TO 3000000: A=A+I: NEXT; while FOR and NEXT answer
// "?Not supported", it runs a straight program of 20000 lines of five
// LET statements each, repeated, instead.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <QApplication>
#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/program.h"

#include "support/scripted_host.h"
#include "shell/batch_host.h"
#include "shell/settings_store.h"
#include "shell/system_services.h"
#include "shell/window_application.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

struct Capture : EchoSink {
  std::string text;
  void Echo(const uint8_t* b, size_t n) override {
    text.append(reinterpret_cast<const char*>(b), n);
  }
};

struct Rig {
  shell::SystemClock clock;
  shell::BatchHost host{-1, false, clock};  // no input: nothing is ever pending
  shell::QtSettingsStore settings;
  shell::SystemSound sound;
  shell::SystemProcess process;
  platform::Host h{host, clock, host, host, settings, sound, process, nullptr};
  SettingsMemory memory;
  ConsoleScreen screen{h, memory};
  Capture capture;
  Interpreter in{h, screen, memory};
  Rig() { screen.SetEchoSink(&capture); }
};

// Runs the loaded program; returns seconds.
double TimeRun(Rig& rig) {
  const auto t0 = Clock::now();
  rig.in.RunProgramOnce();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main() {
  double statements = 0, seconds = 0;
  {
    Rig rig;
    EnterNumberedLine(rig.in.Program(), "10 FOR I=1 TO 3000000: A=A+I: NEXT");
    seconds = TimeRun(rig);
    if (rig.capture.text.find("?Not supported") == std::string::npos) {
      statements = 3000000.0 * 3 + 1;
      std::printf("program: 10 FOR I=1 TO 3000000: A=A+I: NEXT\n");
    }
  }
  if (statements == 0) {
    Rig rig;
    for (int i = 1; i <= 20000; ++i)
      EnterNumberedLine(rig.in.Program(), std::to_string(i) + " A=A+1: A=A+1: A=A+1: A=A+1: A=A+1");
    seconds = 0;
    for (int pass = 0; pass < 10; ++pass) seconds += TimeRun(rig);
    statements = 20000.0 * 5 * 10;
    std::printf(
        "program: 20000 lines of five LET statements, run 10 times "
        "(FOR/NEXT not yet executable)\n");
  }
  std::printf("statements per second: %.0f (%.1f ns per statement)\n", statements / seconds,
              seconds / statements * 1e9);

  {
    // The same loop in the window: the status bar is read after each
    // toolkit turn (at most once a millisecond), never per statement.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[] = "bench_loop_qt";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    platform::ScriptedHost store;
    shell::WindowApplication window(store, shell::BatchOptions{}, false);
    std::string error;
    if (window.Create(error)) {
      EnterNumberedLine(window.Interp().Program(), "10 FOR I=1 TO 3000000: A=A+I: NEXT");
      const auto t0 = Clock::now();
      window.Interp().RunProgramOnce();
      const double s = std::chrono::duration<double>(Clock::now() - t0).count();
      std::printf("in the window: statements per second: %.0f (%.1f ns per statement)\n",
                  (3000000.0 * 3 + 1) / s, s / (3000000.0 * 3 + 1) * 1e9);
    }
  }

  Rig rig;
  constexpr int kTurns = 10000000;
  const auto t0 = Clock::now();
  for (int i = 0; i < kTurns; ++i) rig.in.PumpOnce();
  const double pump = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("pump turn with nothing pending: %.1f ns\n", pump / kTurns * 1e9);
  return 0;
}
