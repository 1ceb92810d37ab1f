// torvic: the desktop window, or the batch mode.
//
//   torvic                       the window titled "TORVIC" (the batch mode on
//                                the terminal when no display is available)
//   torvic --batch [--keys] [--screen] [PROGRAM]
//   --mount NAME=FOLDER[,ro]     with either: a volume for this run only
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

constexpr const char* kUsage =
    "usage: torvic [--mount NAME=FOLDER[,ro]]... [--batch [--keys] [--screen] [PROGRAM]]\n"
    "       torvic --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Without --batch TORVIC opens its window (or runs in batch mode on the terminal\n"
    "when no display is available).\n"
    "\n"
    "  --batch          run without a window: standard input is typed at the\n"
    "                   keyboard, standard output is what the screen shows\n"
    "  --keys           in batch mode, {NAME} in the input is a special key\n"
    "                   ({ENTER}, {ESC}, {BREAK}, {F1}, {C-LEFT}, ...)\n"
    "  --screen         in batch mode, print the 25 screen rows at the end instead\n"
    "  PROGRAM          in batch mode, run this text program and end\n"
    "  --mount NAME=FOLDER[,ro]\n"
    "                   add volume NAME mapped to FOLDER for this run only, read-only\n"
    "                   with \",ro\"; it replaces a stored volume of that name, is\n"
    "                   never saved, and the first one given is the default volume\n"
    "                   of the run; a relative FOLDER is taken from the current\n"
    "                   folder (may be repeated)\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "Exit status in batch mode: 0 normal, 1 the program ended with an error or\n"
    "Break, 2 a bad command line or an unreadable program file.\n";

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
    if (a == "--help") {
      std::printf("%s%s", kUsage, kHelp);
      return 0;
    }
  }
  bool isBatch = false;
  torvic::shell::BatchOptions options;
  std::string error;
  if (!torvic::shell::ParseBatchArguments(args, isBatch, options, error)) {
    std::fprintf(stderr, "torvic: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  // The batch mode stays in the C library's starting "C" locale: nothing it
  // does depends on the host's locale (case rules are ASCII, the decimal
  // point is "."), and loading the locale files would be most of the
  // start-up time of a short run.
  if (isBatch || !DisplayAvailable()) { return torvic::shell::RunBatch(options); }
  return StartWindow(argv);
}
