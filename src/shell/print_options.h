// torvic --print-pdf OUT.pdf [--paper NAME] [--poke ADDRESS=VALUE]... PROGRAM
//
// The program listing as File ▸ Print prints it, written into a PDF file
// without a window or a display. The command line is read here (plain C++:
// the torvic executable checks it before it hands the job to
// torvic-window, which draws the pages with the toolkit).
//
// The print settings are those a fresh start has in its settings memory
// (10-point type, no line-number format, no footer, half-inch margins); a
// program's own POKEs are not run, so --poke sets them as POKE would:
// 847 the footer, 872 the font size, 875 the line-number format, 26892 to
// 26895 the margins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace torvic::shell {

struct PrintPdfOptions {
  std::string output;   // OUT.pdf
  std::string program;  // PROGRAM: a program file in either form
  std::string paper;    // a name of kPaperNames; empty: the locale's paper
  std::vector<std::pair<uint32_t, uint8_t>> pokes;  // in the order given
};

// The paper sizes --paper accepts (any case).
inline constexpr std::string_view kPaperNames[] = {"A3",     "A4",    "A5",        "B4",     "B5",
                                                   "Letter", "Legal", "Executive", "Tabloid"};

// True when the command line asks for --print-pdf.
bool WantsPrintPdf(const std::vector<std::string>& args);
// False, with the reason, for anything but the options above, a --poke of
// another address or a value out of 0..255, an unknown paper, or a
// missing OUT or PROGRAM.
bool ParsePrintPdfArguments(const std::vector<std::string>& args, PrintPdfOptions& options,
                            std::string& error);

}  // namespace torvic::shell
