// Saving and loading a program of 60,000 lines in both forms of program
// file, beside the time it takes to read the same file's bytes: the loader
// should stay within a small factor of that (the text form compiles every
// line, the binary form checks and validates every stored line).
//   bench_program_file [LINES] [RUNS]
// Each figure is the best of RUNS (5 by default) in a scratch folder under
// $TMPDIR; saving goes through the same flushed replace SAVE uses, so its
// time includes the file system's flush. Prints the figures; asserts
// nothing.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "frontend/program.h"
#include "frontend/program_file.h"
#include "platform/file_system.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

// Lines of the kinds real programs have: assignments with arithmetic,
// PRINT of strings and numbers, IF with a jump, GOSUB, FOR and NEXT.
std::string LineText(int i) {
  switch (i % 6) {
    case 0: return "A" + std::to_string(i % 26) + " = B * " + std::to_string(i) + " + SIN(C / 3)";
    case 1: return "PRINT \"LINE\"; " + std::to_string(i) + ", A$ + \"/\" + STR$(X)";
    case 2: return "IF X > " + std::to_string(i) + " THEN " + std::to_string(10 * (i + 1));
    case 3: return "GOSUB " + std::to_string(10 * (i + 2)) + ": REM A REMARK OF SOME LENGTH";
    case 4: return "FOR J = 1 TO " + std::to_string(i % 100) + " STEP 2";
    default: return "NEXT J: C = C + 1: D$ = MID$(A$, 2, 3)";
  }
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename F>
double Best(int runs, F&& f) {
  double best = 1e9;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, Seconds(Clock::now() - t0));
  }
  return best;
}

// The file's bytes read through a 64K buffer, as the loader reads them.
size_t ReadBytes(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  static char buffer[65536];
  size_t total = 0;
  ssize_t n;
  while ((n = ::read(fd, buffer, sizeof buffer)) > 0) total += static_cast<size_t>(n);
  ::close(fd);
  return total;
}

bool Load(const std::string& path, size_t expectedLines) {
  ProgramSource source;
  if (source.Open(path) != 0) return false;
  ProgramList program;
  const ProgramReadResult r = ReadProgram(source, program);
  return r.error == 0 && program.Count() == expectedLines && !r.recompiled;
}

}  // namespace

int main(int argc, char** argv) {
  const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  std::error_code ec;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path(ec) / ("torvic-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    std::fprintf(stderr, "bench_program_file: cannot make %s\n", folder.c_str());
    return 1;
  }
  const std::string binaryPath = (folder / "BIG.TVC").string();
  const std::string textPath = (folder / "BIG.TXT").string();

  ProgramList program;
  const double compile = Best(1, [&] {
    for (int i = 0; i < lines; ++i)
      EnterNumberedLine(program, std::to_string(10 * (i + 1)) + " " + LineText(i));
  });

  std::string binary, text;
  bool ok = true;
  const double saveBinary = Best(runs, [&] {
    binary.clear();
    AppendBinaryProgram(program, binary);
    ok &= platform::ReplaceFile(binaryPath, binary.data(), binary.size()) == 0;
  });
  const double saveText = Best(runs, [&] {
    text.clear();
    AppendTextProgram(program, text);
    ok &= platform::ReplaceFile(textPath, text.data(), text.size()) == 0;
  });

  const double readBinary = Best(runs, [&] { ok &= ReadBytes(binaryPath) == binary.size(); });
  const double readText = Best(runs, [&] { ok &= ReadBytes(textPath) == text.size(); });
  const double loadBinary = Best(runs, [&] { ok &= Load(binaryPath, program.Count()); });
  const double loadText = Best(runs, [&] { ok &= Load(textPath, program.Count()); });

  std::filesystem::remove_all(folder, ec);

  std::printf("program of %d lines (typed in: %.3f s); best of %d runs\n", lines, compile, runs);
  std::printf("%-8s %10s %10s %10s %10s %12s\n", "form", "bytes", "save (ms)", "read (ms)",
              "load (ms)", "load per line");
  std::printf("%-8s %10zu %10.2f %10.3f %10.2f %9.2f us\n", "binary", binary.size(),
              1e3 * saveBinary, 1e3 * readBinary, 1e3 * loadBinary, 1e6 * loadBinary / lines);
  std::printf("%-8s %10zu %10.2f %10.3f %10.2f %9.2f us\n", "text", text.size(), 1e3 * saveText,
              1e3 * readText, 1e3 * loadText, 1e6 * loadText / lines);
  if (!ok) {
    std::printf("a save failed, or a load did not give back the whole program\n");
    return 1;
  }
  return 0;
}
