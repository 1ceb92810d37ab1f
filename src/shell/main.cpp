// torvic: the desktop window, the terminal screen, or the batch mode.
//
//   torvic [FILE.tvc]            the window titled "TORVIC" (with the program
//                                file loaded); with standard input from a
//                                pipe or a file the batch mode; without a
//                                display the screen in the terminal when
//                                standard input and output are one
//   torvic --window [FILE.tvc]   the window, whatever standard input is
//   torvic --terminal            the screen in the terminal
//   torvic --batch [--keys] [--screen] [PROGRAM]
//   torvic --disassemble PROGRAM  the compiled records of every line
//   torvic --print-pdf OUT.pdf [--paper NAME] [--poke ADDRESS=VALUE]... PROGRAM
//                                the program's listing as File > Print prints
//                                it, written into a PDF file by torvic-window
//                                on the offscreen platform (no display needed)
//   --mount NAME=FOLDER[,ro]     with any: a volume for this run only
//   --memory SIZE                with any: the memory budget of BASIC programs
//                                (256M, 4G, ...; platform/memory_budget.h); by
//                                default a quarter of the machine's memory and
//                                at most 2 GiB
//   -nostartup -nocolor -nomessage -noprogram -norestore (or /...): the
//                                window's start-up options
//
// This executable links neither the GUI toolkit nor the curses library: the
// batch mode runs here, so a batch run starts as fast as a plain terminal
// program, and the window and the terminal screen are the sibling
// executables torvic-window and torvic-terminal, which replace this process.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/batch_mode.h"
#include "shell/front_end_choice.h"
#include "shell/print_options.h"
#include "shell/system_services.h"

namespace {

constexpr const char* kUsage =
    "usage: torvic [--mount NAME=FOLDER[,ro]]... [--memory SIZE] [-norestore] [--window] "
    "[FILE.tvc]\n"
    "       torvic [--mount NAME=FOLDER[,ro]]... [--memory SIZE] --terminal\n"
    "       torvic [--mount NAME=FOLDER[,ro]]... [--memory SIZE] --batch [--keys] [--screen] "
    "[PROGRAM]\n"
    "       torvic --disassemble PROGRAM\n"
    "       torvic --print-pdf OUT.pdf [--paper NAME] [--poke ADDRESS=VALUE]... PROGRAM\n"
    "       torvic --help | --version\n";

constexpr const char* kHelp =
    "\n"
    "TORVIC opens its window; with standard input from a pipe or a file it runs in\n"
    "batch mode; without a display it shows its screen in the terminal when\n"
    "standard input and output are one, else it runs in batch mode.\n"
    "\n"
    "  FILE.tvc         in the window, load this program after the start-up program\n"
    "  --window         open the window whatever standard input is (a display\n"
    "                   that cannot be opened falls back to the terminal or the\n"
    "                   batch mode with a message)\n"
    "  --terminal       show the screen in this terminal (full screen, no window)\n"
    "  --batch          run without a window: standard input is typed at the\n"
    "                   keyboard, standard output is what the screen shows\n"
    "  --keys           in batch mode, {NAME} in the input is a special key\n"
    "                   ({ENTER}, {ESC}, {BREAK}, {F1}, {C-LEFT}, ...)\n"
    "  --screen         in batch mode, print the 25 screen rows at the end instead\n"
    "  PROGRAM          in batch mode, run this text program and end\n"
    "  --disassemble PROGRAM\n"
    "                   print the compiled records of each line of this text\n"
    "                   program instead of running it (for developers)\n"
    "  --print-pdf OUT.pdf PROGRAM\n"
    "                   write the listing of PROGRAM (a program file in either\n"
    "                   form) into OUT.pdf as File > Print prints it; no display\n"
    "                   is needed. The print settings are those of a fresh start\n"
    "                   (10-point type, half-inch margins, no line-number format,\n"
    "                   no footer); the program's own POKEs are not run\n"
    "  --paper NAME     with --print-pdf: A3, A4, A5, B4, B5, Letter, Legal,\n"
    "                   Executive or Tabloid (default: Letter in the US locale,\n"
    "                   else A4)\n"
    "  --poke ADDRESS=VALUE\n"
    "                   with --print-pdf: a print setting as POKE sets it: 847 the\n"
    "                   page-number footer (2: \"Page n\"), 872 the font size in\n"
    "                   points, 875 the line-number format (1: five wide), 26892\n"
    "                   to 26895 the left, top, right and bottom margins in\n"
    "                   hundredths of an inch (may be repeated)\n"
    "  --mount NAME=FOLDER[,ro]\n"
    "                   add volume NAME mapped to FOLDER for this run only, read-only\n"
    "                   with \",ro\"; it replaces a stored volume of that name, is\n"
    "                   never saved, and the first one given is the default volume\n"
    "                   of the run; a relative FOLDER is taken from the current\n"
    "                   folder (may be repeated)\n"
    "  --memory SIZE    the memory BASIC programs may use, from 64K to 1024T, as\n"
    "                   256M or 4G (default: a quarter of the machine's memory,\n"
    "                   at most 2G); a program that needs more gets ?Out of memory\n"
    "  -norestore       the window neither restores nor saves its placement\n"
    "  -nostartup, -nocolor, -nomessage, -noprogram\n"
    "                   accepted for compatibility (also written /NAME, any case)\n"
    "  --help           print this text\n"
    "  --version        print the version\n"
    "\n"
    "Exit status in batch mode: 0 normal, 1 the program ended with an error or\n"
    "Break, 2 a bad command line, an unreadable program file or standard output\n"
    "that cannot be written; with --print-pdf: 0 written, 2 a bad command line,\n"
    "an unreadable program file or a PDF file that cannot be written.\n";

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
  std::string error;
  if (torvic::shell::WantsPrintPdf(args)) {
    // The pages are drawn with the toolkit, which this executable does not
    // load: torvic-window draws them on its offscreen platform.
    torvic::shell::PrintPdfOptions print;
    if (!torvic::shell::ParsePrintPdfArguments(args, print, error)) {
      std::fprintf(stderr, "torvic: %s\n%s", error.c_str(), kUsage);
      return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    torvic::shell::StartSibling("torvic-window", args);
    return 2;
  }
  bool isBatch = false;
  torvic::shell::BatchOptions options;
  const auto terminalOption = std::find(args.begin(), args.end(), "--terminal");
  const bool terminal = terminalOption != args.end();
  if (terminal) args.erase(terminalOption);
  if (!torvic::shell::ParseBatchArguments(args, isBatch, options, error) ||
      (terminal && (isBatch || options.window || !options.program.empty()))) {
    if (error.empty())
      error = isBatch ? "--terminal and --batch exclude each other"
                      : "--terminal takes neither --window nor a program file";
    std::fprintf(stderr, "torvic: %s\n%s", error.c_str(), kUsage);
    return 2;
  }
  if (options.disassemble) return torvic::shell::RunDisassemble(options);
  using torvic::shell::FrontEnd;
  const FrontEnd chosen = torvic::shell::ChooseFrontEnd(isBatch, terminal, options.window);
  if (chosen == FrontEnd::Window) {
    if (torvic::shell::DisplayAvailable()) {
      torvic::shell::StartSibling("torvic-window", args);
      return 1;
    }
    std::fprintf(
        stderr, "torvic: no window (no display is named: DISPLAY, WAYLAND_DISPLAY); %s\n",
        torvic::shell::TerminalAvailable() ? "using the terminal" : "running in batch mode");
  }
  // The batch mode stays in the C library's starting "C" locale: nothing it
  // does depends on the host's locale (case rules are ASCII, the decimal
  // point is "."), and loading the locale files would be most of the
  // start-up time of a short run.
  if (chosen == FrontEnd::Terminal ||
      (chosen == FrontEnd::Window && torvic::shell::TerminalAvailable())) {
    std::vector<std::string> rest = {"--terminal"};
    for (const std::string& a : args)
      if (a != "--window") rest.push_back(a);
    torvic::shell::StartSibling("torvic-terminal", rest);  // falls back to the batch mode
  }
  return torvic::shell::RunBatch(options);
}
