// Start-up of the window to the first prompt: from the start of main (the
// toolkit's application object included) until the frame is shown, the
// start-up sequence has printed "Ready" and the window has been painted.
// Under Xvfb when DISPLAY names one, else on the offscreen platform.
// Runs the start-up several times in fresh processes and prints each.
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scripted_host.h"
#include "shell/window_application.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

int StartOnce(int argc, char** argv) {
  const auto t0 = Clock::now();
  QApplication app(argc, argv);
  platform::ScriptedHost store;  // no settings file: a first start
  shell::BatchOptions options;
  shell::WindowApplication window(store, options, false);
  std::string error;
  if (!window.Create(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  window.RunStartup("");
  window.View().repaint();
  QCoreApplication::processEvents();
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  std::printf("%.1f", ms);
  return window.Screen().RowText(8) == "Ready" ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("TORVIC_STARTUP_CHILD")) return StartOnce(argc, argv);
  const char* display = std::getenv("DISPLAY");
  const bool x11 = display && *display && !std::getenv("QT_QPA_PLATFORM");
  if (!x11) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("TORVIC_STARTUP_CHILD", "1", 1);
  std::printf("start-up of the window to the first prompt (%s), ms:",
              x11 ? "X11" : "offscreen platform");
  std::fflush(stdout);
  for (int i = 0; i < 5; ++i) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      std::printf(" ");
      execv("/proc/self/exe", argv);
      _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::printf(" (failed)");
  }
  std::printf("\n");
  return 0;
}
