// torvic-window: the desktop window titled "TORVIC". The torvic command
// starts it when a display is available and no batch run was asked for
// (main.cpp); it holds everything that needs the GUI toolkit.
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMainWindow>
#include <QScrollArea>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "platform/file_system.h"
#include "platform/memory_budget.h"
#include "shell/batch_mode.h"
#include "shell/desktop_settings.h"
#include "shell/qt_surface.h"
#include "shell/settings_store.h"
#include "shell/system_services.h"
#include "shell/torvic_view.h"
#include "shell/trash.h"
#include "shell/window_host.h"
#include "volumes/volumes.h"

namespace {

using namespace torvic;

// The frame: closing it asks the interpreter to unwind instead of
// destroying the window under a running statement.
class MainWindow final : public QMainWindow {
 public:
  void SetInterpreter(Interpreter* in, shell::WindowHost* host) {
    interpreter_ = in;
    host_ = host;
  }
  void AllowClose() { allowClose_ = true; }

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (allowClose_ || !interpreter_) {
      e->accept();
      return;
    }
    e->ignore();
    interpreter_->RequestExit();
    host_->Wake();
  }

 private:
  Interpreter* interpreter_ = nullptr;
  shell::WindowHost* host_ = nullptr;
  bool allowClose_ = false;
};

// The toolkit adopts the user's locale at start; numbers are formatted and
// read by the C library, and BASIC's decimal point is always ".".
void KeepNumbersInTheCLocale() { std::setlocale(LC_NUMERIC, "C"); }

int RunWindow(int argc, char** argv) {
  QApplication app(argc, argv);
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
  shell::SystemClock clock;
  shell::WindowHost host(clock);
  shell::QtSettingsStore settings;
  platform::SetTrashHandler(shell::QtMoveToTrash);
  shell::SystemSound sound([] { QApplication::beep(); });
  shell::SystemProcess process;
  shell::QtSurface surface;
  const platform::Host h{host, clock, host, host, settings, sound, process, &surface};

  SettingsMemory memory;
  ConsoleScreen screen(h, memory);
  MainWindow frame;
  frame.setWindowTitle("TORVIC");
  auto* scroll = new QScrollArea(&frame);
  scroll->setWidgetResizable(true);
  scroll->setAlignment(Qt::AlignCenter);
  if (!screen.Create()) {
    std::fprintf(stderr, "torvic: the console screen could not be created\n");
    return 1;
  }
  auto* view = new shell::CTorvicView(screen, surface, host);
  scroll->setWidget(view);
  frame.setCentralWidget(scroll);
  process.SetTitleSink([&frame](const std::string& title) {
    frame.setWindowTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
  });
  host.SetDialogParent(&frame);
  host.SetBeforeTurn([view] { view->SyncFromScreen(); });
  frame.resize(view->sizeHint() + QSize(8, 8));
  Interpreter interpreter(h, screen, memory);
  // The view's creation loads the volume table; without it the window
  // cannot work on files and does not start.
  shell::AttachVolumes(interpreter, settings, options.mounts);
  if (!interpreter.Volumes().LoadVolumes()) {
    std::fprintf(stderr, "torvic: the volume table in the settings store cannot be read\n");
    return 1;
  }
  view->SetInterpreter(&interpreter);
  frame.SetInterpreter(&interpreter, &host);
  frame.show();
  view->setFocus();
  interpreter.ShowPrompt();
  interpreter.RunSession();
  screen.SaveSettings();
  frame.AllowClose();
  frame.close();
  process.RestartIfRequested();
  return 0;
}

}  // namespace

int main(int argc, char** argv) { return RunWindow(argc, argv); }
