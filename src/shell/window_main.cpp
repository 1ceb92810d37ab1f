// torvic-window: the desktop window titled "TORVIC". The torvic command
// starts it when a window is wanted (main.cpp), and for --print-pdf, whose
// pages it draws without a window; it holds everything that needs the GUI
// toolkit.
//
// A display that cannot be opened (a dead X server, Wayland without a
// platform plugin) ends the toolkit's start with a fatal message; instead
// of the toolkit's abort this process then becomes `torvic` in the
// terminal or the batch mode, after one line on standard error.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/memory_budget.h"
#include "shell/batch_mode.h"
#include "shell/desktop_settings.h"
#include "shell/front_end_choice.h"
#include "shell/instance_lock.h"
#include "shell/print_command.h"
#include "shell/print_options.h"
#include "shell/settings_store.h"
#include "shell/system_services.h"
#include "shell/termination_signals.h"
#include "shell/trash.h"
#include "shell/window_application.h"

namespace {

using namespace torvic;

std::vector<std::string> gArguments;  // the command line, for the fallback
QtMessageHandler gPreviousHandler = nullptr;

// Until the toolkit has started, its messages are held back: a display
// that cannot be opened is reported in one line, and the session goes on
// without a window.
void StartMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  // The platform's own words ("could not connect to display :9") say
  // more than the toolkit's closing message.
  static std::string warning;
  if (type != QtFatalMsg) {
    if (warning.empty()) warning = message.section('\n', 0, 0).toStdString();
    return;
  }
  const std::string reason = !warning.empty() ? warning : message.section('\n', 0, 0).toStdString();
  std::fprintf(stderr, "torvic: no window (%s); %s\n", reason.c_str(),
               shell::TerminalAvailable() ? "using the terminal" : "running in batch mode");
  std::fflush(stderr);
  shell::StartFrontEndWithoutWindow(gArguments);
  std::_Exit(1);
}

// The toolkit adopts the user's locale at start; numbers are formatted and
// read by the C library, and BASIC's decimal point is always ".".
void KeepNumbersInTheCLocale() { std::setlocale(LC_NUMERIC, "C"); }

int RunWindow(int argc, char** argv) {
  gArguments.assign(argv + 1, argv + argc);
  gPreviousHandler = qInstallMessageHandler(StartMessages);
  QApplication app(argc, argv);
  qInstallMessageHandler(gPreviousHandler);  // the toolkit's messages as usual from here
  app.setApplicationName("torvic");
  app.setDesktopFileName("torvic");
  KeepNumbersInTheCLocale();
  shell::ReadDesktopSettings();
  // The torvic command hands its arguments on (the toolkit has taken its
  // own out of argv by now); the session volumes and the memory budget
  // matter here.
  bool isBatch = false;
  shell::BatchOptions options;
  std::string error;
  if (!shell::ParseBatchArguments(std::vector<std::string>(argv + 1, argv + argc), isBatch, options,
                                  error)) {
    std::fprintf(stderr, "torvic: %s\n", error.c_str());
    return 2;
  }
  memory::SetLimit(options.memory ? options.memory : memory::DefaultLimit());
  const shell::InstanceLock lock;
  shell::QtSettingsStore settings;
  platform::SetTrashHandler(shell::QtMoveToTrash);
  shell::WindowApplication window(settings, options, lock.AnotherInstance());
  if (!window.Create(error)) {
    std::fprintf(stderr, "torvic: %s\n", error.c_str());
    return 1;
  }
  // SIGTERM, SIGHUP and SIGINT end the session as closing the window does,
  // without the questions nobody is there to answer; the placement and the
  // settings are still saved.
  shell::TerminationSignals::Install();
  QSocketNotifier ending(shell::TerminationSignals::WakeFd(), QSocketNotifier::Read);
  QObject::connect(&ending, &QSocketNotifier::activated, [&window, &ending] {
    ending.setEnabled(false);
    window.Interp().RequestExit();
    window.Host().Wake();
  });
  window.RunStartup(shell::WindowApplication::StartupProgramPath());
  window.Run();
  // POKE 1032,3 and RESTART: a new copy once this one has gone.
  window.Process().RestartIfRequested();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // torvic --print-pdf hands its job here: pages without a window.
  if (shell::WantsPrintPdf(std::vector<std::string>(argv + 1, argv + argc)))
    return shell::RunPrintPdf(argc, argv);
  return RunWindow(argc, argv);
}
