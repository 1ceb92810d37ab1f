// torvic: the desktop window, the terminal screen, or the batch mode.
//
//   torvic                       the window titled "TORVIC"; without a display
//                                the screen in the terminal when standard input
//                                and output are one, else the batch mode
//   torvic --terminal            the screen in the terminal
//   torvic --batch [--keys] [--screen] [PROGRAM]
//   --mount NAME=FOLDER[,ro]     with either: a volume for this run only
//   --memory SIZE                with any: the memory budget of BASIC programs
//                                (256M, 4G, ...; platform/memory_budget.h); by
//                                default a quarter of the machine's memory and
//                                at most 2 GiB
//
// This executable links neither the GUI toolkit nor the curses library: the
// batch mode runs here, so a batch run starts as fast as a plain terminal
// program, and the window and the terminal screen are the sibling
// executables torvic-window and torvic-terminal, which replace this process.
#include <unistd.h>

#include <algorithm>
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
    "usage: torvic [--mount NAME=FOLDER[,ro]]... [--memory SIZE]\n"
    "              [--terminal | --batch [--keys] [--screen] [PROGRAM]]\n"
    "       torvic --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "Without --batch TORVIC opens its window; without a display it shows its screen\n"
    "in the terminal when standard input and output are one, else it runs in batch\n"
    "mode.\n"
    "\n"
    "  --terminal       show the screen in this terminal (full screen, no window)\n"
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
    "  --memory SIZE    the memory BASIC programs may use, from 64K to 1024T, as\n"
    "                   256M or 4G (default: a quarter of the machine's memory,\n"
    "                   at most 2G); a program that needs more gets ?Out of memory\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "Exit status in batch mode: 0 normal, 1 the program ended with an error or\n"
    "Break, 2 a bad command line, an unreadable program file or standard output\n"
    "that cannot be written.\n";

bool DisplayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform) return true;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// A terminal that can show the screen: standard input and output are one,
// and its type is known.
bool TerminalAvailable() {
  const char* term = std::getenv("TERM");
  return isatty(STDIN_FILENO) && isatty(STDOUT_FILENO) && term && *term &&
         std::strcmp(term, "dumb") != 0;
}

// Replaces this process with the sibling executable `name`; returns only
// when it cannot be started.
void StartSibling(const char* name, char** argv) {
  std::string path = torvic::shell::ExecutablePath();
  const size_t slash = path.rfind('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
  argv[0] = path.data();
  execv(path.c_str(), argv);
  std::fprintf(stderr, "torvic: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
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
  const auto terminalOption = std::find(args.begin(), args.end(), "--terminal");
  const bool terminal = terminalOption != args.end();
  if (terminal) args.erase(terminalOption);
  if (!torvic::shell::ParseBatchArguments(args, isBatch, options, error) || (terminal && isBatch)) {
    if (error.empty()) error = "--terminal and --batch exclude each other";
    std::fprintf(stderr, "torvic: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (terminal) {
    StartSibling("torvic-terminal", argv);
    return 1;
  }
  // The batch mode stays in the C library's starting "C" locale: nothing it
  // does depends on the host's locale (case rules are ASCII, the decimal
  // point is "."), and loading the locale files would be most of the
  // start-up time of a short run.
  if (!isBatch && !DisplayAvailable() && TerminalAvailable()) {
    StartSibling("torvic-terminal", argv);  // falls back to the batch mode
  }
  if (isBatch || !DisplayAvailable()) { return torvic::shell::RunBatch(options); }
  StartSibling("torvic-window", argv);
  return 1;
}
