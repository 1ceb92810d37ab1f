// The desktop application put together: the window host and the host
// services, the screen on its Qt surface, the interpreter, the console
// view and the frame. torvic-window runs one; the tests and the start-up
// benchmark make one the same way.
//
// The order matters: the frame and the view are created (the
// screen with its banner, the volume table loaded), the frame is shown with
// its stored placement, then the start-up sequence runs (the start-up
// program "_$torvic.tvc" beside the executable, then a program file named
// on the command line), and the session serves the window until an exit
// has unwound every loop. Then the settings are saved and the window
// closes.
#pragma once

#include <QAbstractNativeEventFilter>
#include <memory>
#include <string>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "shell/batch_mode.h"
#include "shell/main_frame.h"
#include "shell/qt_surface.h"
#include "shell/system_services.h"
#include "shell/torvic_view.h"
#include "shell/window_host.h"

namespace torvic::shell {

class WindowApplication {
 public:
  WindowApplication(platform::SettingsStore& settings, const BatchOptions& options,
                    bool anotherInstance);
  ~WindowApplication();

  // Creates the screen, the view, the frame and the volume table, and shows
  // the frame. False with a message when the view cannot be created.
  bool Create(std::string& error);
  // The start-up sequence (startupPath: the start-up program's path).
  void RunStartup(const std::string& startupPath);
  // The session; returns when the window has closed.
  void Run();
  // What Run does after the session: settings saved, the window closed.
  void Close();

  // The start-up program's path: "_$torvic.tvc" in the configuration
  // folder, else beside the executable; "" when neither holds it.
  static std::string StartupProgramPath();

  CMainFrame& Frame() { return *frame_; }
  CTorvicView& View() { return *view_; }
  Interpreter& Interp() { return *interpreter_; }
  ConsoleScreen& Screen() { return screen_; }
  WindowHost& Host() { return host_; }
  QtSurface& Surface() { return surface_; }
  SystemProcess& Process() { return process_; }

 private:
  // The display changed under the window: bitmap made again at its ratio.
  void FollowPixelRatio();
  // The window was taken away: the session ends.
  void WindowGone();

  platform::SettingsStore& settings_;
  BatchOptions options_;
  bool anotherInstance_;
  SystemClock clock_;
  WindowHost host_{clock_};
  SystemSound sound_;
  SystemProcess process_;
  QtSurface surface_;
  platform::Host h_;
  SettingsMemory memory_;
  ConsoleScreen screen_{h_, memory_};
  std::unique_ptr<Interpreter> interpreter_;
  CTorvicView* view_ = nullptr;
  std::unique_ptr<CMainFrame> frame_;
  std::unique_ptr<QAbstractNativeEventFilter> windowGone_;
  bool closed_ = false;
};

}  // namespace torvic::shell
