// torvic: the desktop window, or the batch mode.
//
//   torvic [--memory SIZE]       the window titled "TORVIC" (the batch mode on
//                                the terminal when no display is available)
//   torvic --batch [--keys] [--screen] [--memory SIZE] [PROGRAM]
//
// --memory SIZE (256M, 4G, ...) is the memory budget of BASIC programs
// (platform/memory_budget.h); by default a quarter of the machine's memory
// and at most 2 GiB.
//
// This executable does not link the GUI toolkit: the batch mode runs here,
// so a batch run starts as fast as a plain terminal program, and the window
// is the sibling executable torvic-window, which replaces this process.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/batch_mode.h"
#include "shell/system_services.h"

namespace {

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

int StartWindow(char** argv) {
  std::string path = torvic::shell::ExecutablePath();
  const size_t slash = path.rfind('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "torvic-window";
  argv[0] = path.data();
  execv(path.c_str(), argv);
  std::fprintf(stderr, "torvic: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--version") {
      std::printf("TORVIC Version %s\n", TORVIC_VERSION);
      return 0;
    }
  }
  bool isBatch = false;
  torvic::shell::BatchOptions options;
  std::string error;
  if (!torvic::shell::ParseBatchArguments(args, isBatch, options, error)) {
    std::fprintf(
        stderr,
        "torvic: %s\nusage: torvic [--memory SIZE] [--batch [--keys] [--screen] [PROGRAM]]\n",
        error.c_str());
    return 2;
  }
  // The batch mode stays in the C library's starting "C" locale: nothing it
  // does depends on the host's locale (case rules are ASCII, the decimal
  // point is "."), and loading the locale files would be most of the
  // start-up time of a short run.
  if (isBatch || !DisplayAvailable()) { return torvic::shell::RunBatch(options); }
  return StartWindow(argv);
}
