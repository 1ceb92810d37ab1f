// Running the real executable from the tests: `torvic --batch` (or other
// arguments) and a file as standard input, HOME and the XDG folders in
// a fresh folder so that every run starts from defaults and never sees the
// user's settings or documents.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "shell/scratch_folder.h"

namespace torvic::testing {

struct BatchResult {
  std::string out;  // standard output
  int status = -1;  // exit status, -1 when the process did not exit
};

// A shell command's standard output and exit status.
inline BatchResult RunShell(const std::string& command) {
  BatchResult r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// `torvic ARGS < INPUT`.
inline BatchResult RunTorvic(const std::string& args, const std::filesystem::path& input) {
  const ScratchFolder home("home");
  return RunShell(home.HomeAssignments() + " timeout -k 5 120 '" TORVIC_EXE "' " + args + " < '" +
                  input.string() + "' 2>/dev/null");
}

// The transcript of a session typed as lines: the output without the
// prompts and without the echo of the typed lines (each typed line is
// passed over where it next appears as an output line of its own), lines
// joined by "\n".
inline std::string SessionTranscript(const std::string& output, const std::string& typed) {
  const auto split = [](const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  };
  const std::vector<std::string> typedLines = split(typed);
  size_t next = 0;
  std::string out;
  bool first = true;
  for (const std::string& line : split(output)) {
    if (line == "Ready") continue;
    if (next < typedLines.size() && line == typedLines[next]) {
      ++next;
      continue;
    }
    if (!first) out.push_back('\n');
    out += line;
    first = false;
  }
  return out;
}

inline BatchResult RunBatch(const std::string& args, const std::filesystem::path& input) {
  return RunTorvic("--batch " + args, input);
}

}  // namespace torvic::testing
