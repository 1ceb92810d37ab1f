// Runs short programs made of arbitrary lines (one per input line, up to 16
// lines of 255 bytes) in a scripted session: the lines are stored with line
// numbers, RUN executes them, and a few typed lines answer the reads of
// INPUT, LINE INPUT and GET. Aimed at the console statements: every
// operand, range and inline item reaches the screen model with whatever the
// fuzzer wrote.
//
// Lines that could loop or leave the session (jumps, loops, RUN, traps and
// their RESUME, waits) or touch files are left out, so every run executes a
// bounded number of statements; the scripted clock makes SOUND and WAIT
// cost no real time. Sanitizer reports and aborts are the findings.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "support/scripted_host.h"

namespace {

constexpr size_t kMaxLines = 16;
constexpr size_t kMaxLineLength = 255;

// Words whose statements could run without end, leave the session or
// write files.
constexpr const char* kRefused[] = {
    "GO",    "FOR",  "NEXT", "RUN",  "RES",  "ON",     "WAIT",   "PAUSE", "CHAIN", "LOAD",
    "THEN",  "ELSE", "RET",  "EXIT", "BYE",  "QUIT",   "START",  "MENU",  "CONT",  "SAVE",
    "KILL",  "COPY", "MOVE", "NAME", "OPEN", "BACK",   "VOL",    "WORK",  "EDIT",  "DEL",
    "MERGE", "NEW",  "OLD",  "SYS",  "DOS",  "APPEND", "CREATE", "ERASE", "APP",   "XC",
};

bool Refused(std::string_view line) {
  std::string upper(line);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* word : kRefused)
    if (upper.find(word) != std::string::npos) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string typed;
  size_t start = 0;
  for (size_t n = 1; n <= kMaxLines && start < input.size(); ++n) {
    size_t end = input.find('\n', start);
    if (end == std::string_view::npos) end = input.size();
    std::string_view line = input.substr(start, std::min(end - start, kMaxLineLength));
    start = end + 1;
    // Bytes that would end the typed line early or act as editing keys.
    std::string clean;
    for (char c : line)
      if (c != '\r' && c != '\n' && c != 27 && c != 8 && c != 9 && c != 0) clean.push_back(c);
    if (clean.empty() || Refused(clean)) continue;
    typed += std::to_string(n * 10) + " " + clean + "\n";
  }
  typed += "RUN\n12X\n1,2\n\"a, b\" ,c\nxyz\n";

  torvic::platform::ScriptedHost host;
  host.SetAutoAdvance(1);
  const torvic::platform::Host h = host.AsHost();
  torvic::SettingsMemory memory;
  torvic::ConsoleScreen screen(h, memory);
  torvic::Interpreter in(h, screen, memory);
  host.TypeText(typed);
  in.ShowPrompt();
  in.RunSession();
  return 0;
}
