// Console output speed: 100,000 lines of 60 characters written through
// WriteText with scrolling, on the Qt surface without a window and on the
// cells-only screen of the batch mode. Prints lines per second; asserts
// nothing.
#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "console/screen.h"
#include "console/settings.h"
#include "shell/qt_surface.h"
#include "support/scripted_host.h"

namespace {

constexpr int kLines = 100000;

double LinesPerSecond(torvic::platform::Surface* surface, const char* label) {
  torvic::platform::ScriptedHost host;
  torvic::SettingsMemory memory;
  torvic::ConsoleScreen screen(host.AsHost(surface), memory);
  if (!screen.Create()) {
    std::fprintf(stderr, "%s: the screen could not be created\n", label);
    return 0;
  }
  std::string line(60, ' ');
  for (int i = 0; i < 60; ++i) line[static_cast<size_t>(i)] = static_cast<char>('!' + i % 90);
  line += '\r';
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kLines; ++i) {
    screen.WriteText(line);
    // The view takes the invalid rectangle once per pump turn.
    if (i % 64 == 0) screen.TakeInvalid();
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const double rate = kLines / took.count();
  std::printf("%-28s %9.0f lines/s  (%d lines in %.3f s)\n", label, rate, kLines, took.count());
  return rate;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  torvic::shell::QtSurface surface;
  LinesPerSecond(&surface, "screen on the Qt surface");
  LinesPerSecond(nullptr, "screen without a surface");
  return 0;
}
