// The window's side of the waits that serve the pump: a tone of a minute
// typed at the window's prompt ends as soon as Ctrl+Break is pressed or the
// window is closed, and the tone is silenced. The window host runs on Qt's
// offscreen platform; the time bound only tells an ended wait from one
// that ran its length.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <chrono>
#include <functional>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "shell/system_services.h"
#include "shell/window_host.h"
#include "support/scripted_host.h"

namespace torvic::shell {
namespace {

void EnsureApplication() {
  static int argc = 1;
  static char name[] = "torvic_shell_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
}

TEST(WindowWaits, BreakAndClosingEndAToneOfAMinute) {
  EnsureApplication();
  struct Case {
    const char* what;
    std::function<void(Interpreter&, WindowHost&)> act;
  };
  const Case cases[] = {
      {"Ctrl+Break",
       [](Interpreter&, WindowHost& host) {
         platform::KeyEvent e;
         e.key = platform::vk::kCancel;
         e.ctrl = true;
         host.PostKeyDown(e);
       }},
      // What the frame does when the window is closed.
      {"closing",
       [](Interpreter& in, WindowHost& host) {
         in.RequestExit();
         host.Wake();
       }},
  };
  for (const Case& c : cases) {
    SystemClock clock;
    WindowHost host(clock);
    platform::ScriptedHost services;  // the store, the sound and the process
    const platform::Host h{host, clock, host, host, services, services, services, nullptr};
    SettingsMemory memory;
    ConsoleScreen screen(h, memory);
    Interpreter in(h, screen, memory);
    host.SetSink(&in);
    QTimer::singleShot(100, [&] { c.act(in, host); });
    in.Entry().Editor().SetText("SOUND 440,60000", 15);
    const auto start = std::chrono::steady_clock::now();
    in.ExecuteEnteredLine();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("[ time     ] %.3f s until %s ended the tone\n", seconds, c.what);
    EXPECT_LT(seconds, 20.0) << c.what;
    ASSERT_EQ(services.Tones().size(), 1u) << c.what;
    EXPECT_EQ(services.TonesStopped(), 1) << c.what;
  }
}

}  // namespace
}  // namespace torvic::shell
