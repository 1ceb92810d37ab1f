// torvic-terminal: the TORVIC screen in a terminal. The torvic command
// starts it for --terminal, and when no display is available while
// standard input and output are a terminal (main.cpp); it holds everything
// that needs the curses library.
#include <curses.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "platform/memory_budget.h"
#include "shell/batch_mode.h"
#include "shell/deferred_settings.h"
#include "shell/system_services.h"
#include "shell/terminal_host.h"
#include "shell/terminal_session.h"
#include "shell/terminal_view.h"

namespace {

using namespace torvic;

// Process control in a terminal: there is no second window to open, and a
// restart runs the program again in the same terminal once this one has
// given it back.
class TerminalProcess final : public platform::Process {
 public:
  bool StartSecondInstance() override { return false; }
  void SetRestartAtExit(bool restart) override { restart_ = restart; }
  void SetWindowTitle(std::string_view title) override { title_ = std::string(title); }
  std::string WindowTitle() override { return title_; }
  bool RestartRequested() const { return restart_; }

 private:
  bool restart_ = false;
  std::string title_ = "TORVIC";
};

int RunTerminal(char** argv, const std::vector<shell::MountOption>& mounts) {
  // The terminal's character set comes from the locale; numbers are
  // written and read by the C library in the "C" locale whatever it is.
  std::setlocale(LC_CTYPE, "");
  shell::TerminalSession session;
  std::string error;
  if (!session.Start(error)) {
    std::fprintf(stderr, "torvic: the terminal cannot show the screen: %s\n", error.c_str());
    return 1;
  }
  shell::SystemClock clock;
  shell::TerminalHost host(clock, session);
  shell::DeferredSettingsStore settings;
  shell::SystemSound sound([] { beep(); });
  TerminalProcess process;
  const platform::Host h{host, clock, host, host, settings, sound, process, nullptr};

  SettingsMemory memory;
  ConsoleScreen screen(h, memory);  // no surface: the terminal draws the cell record
  shell::TerminalView view(screen, session.Depth());
  screen.SetObserver(&view);
  host.SetView(&view);
  if (!screen.Create()) {
    session.End();
    std::fprintf(stderr, "torvic: the console screen could not be created\n");
    return 1;
  }
  screen.SetFocus(true);
  {
    Interpreter interpreter(h, screen, memory);
    shell::AttachVolumes(interpreter, settings, mounts);
    interpreter.ShowPrompt();
    interpreter.RunSession();
  }
  screen.SaveSettings();
  session.End();
  if (process.RestartRequested()) {
    const std::string self = shell::ExecutablePath();
    execv(self.c_str(), argv);
    std::fprintf(stderr, "torvic: cannot start %s again: %s\n", self.c_str(), std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The torvic command hands its arguments on; the session volumes and the
  // memory budget matter here.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--version") {
      std::printf("TORVIC Version %s\n", TORVIC_VERSION);
      return 0;
    }
    if (a != "--terminal") args.push_back(a);
  }
  bool isBatch = false;
  shell::BatchOptions options;
  std::string error;
  if (!shell::ParseBatchArguments(args, isBatch, options, error) || isBatch) {
    if (error.empty()) error = "--terminal and --batch exclude each other";
    std::fprintf(stderr, "torvic: %s\nusage: torvic --terminal [--mount NAME=FOLDER[,ro]]...\n",
                 error.c_str());
    return 2;
  }
  memory::SetLimit(options.memory ? options.memory : memory::DefaultLimit());
  return RunTerminal(argv, options.mounts);
}
