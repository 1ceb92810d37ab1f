// Runs every session in tests/transcripts through the real batch executable
// and compares its standard output with the transcript beside it.
//
//   NAME.in    standard input (the typed keys)
//   NAME.out   the expected standard output
//   NAME.args  optional: extra arguments after --batch, one line
//   NAME.status optional: the expected exit status (default 0)
//
// TORVIC_REGENERATE=1 rewrites the .out files from the actual output; read
// every regenerated file before committing it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Result {
  std::string out;
  int status = -1;
};

// Runs torvic --batch with the given extra arguments and input file, in a
// fresh settings folder so that every session starts from defaults.
Result RunBatch(const std::string& args, const fs::path& input) {
  const fs::path config =
      fs::temp_directory_path() / ("torvic-transcript-" + std::to_string(::getpid()));
  fs::create_directories(config);
  const std::string command = "XDG_CONFIG_HOME='" + config.string() +
                              "' '" TORVIC_EXE "' --batch " + args + " < '" + input.string() +
                              "' 2>/dev/null";
  Result r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  fs::remove_all(config);
  return r;
}

TEST(Transcripts, EverySessionMatches) {
  const fs::path dir = fs::path(TORVIC_SOURCE_DIR) / "tests" / "transcripts";
  const bool regenerate = std::getenv("TORVIC_REGENERATE") != nullptr;
  int sessions = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".in") continue;
    ++sessions;
    const fs::path base = entry.path().parent_path() / entry.path().stem();
    std::string args;
    if (fs::exists(base.string() + ".args")) {
      args = ReadFile(base.string() + ".args");
      while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.pop_back();
      // Program paths in .args are relative to the transcripts folder.
      const std::string marker = "@/";
      for (size_t at; (at = args.find(marker)) != std::string::npos;)
        args.replace(at, marker.size(), dir.string() + "/");
    }
    int expectedStatus = 0;
    if (fs::exists(base.string() + ".status"))
      expectedStatus = std::stoi(ReadFile(base.string() + ".status"));
    const Result r = RunBatch(args, entry.path());
    if (regenerate) {
      std::ofstream(base.string() + ".out", std::ios::binary) << r.out;
      continue;
    }
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(r.out, ReadFile(base.string() + ".out"));
    EXPECT_EQ(r.status, expectedStatus);
  }
  EXPECT_GT(sessions, 0);
}

TEST(BatchCommandLine, BadArgumentsAndUnreadableFilesGiveStatusTwo) {
  const fs::path empty = fs::temp_directory_path() / "torvic-empty-input";
  std::ofstream(empty).close();
  EXPECT_EQ(RunBatch("--no-such-option", empty).status, 2);
  EXPECT_EQ(RunBatch("/no/such/program.tvc", empty).status, 2);
  EXPECT_EQ(RunBatch("a.tvc b.tvc", empty).status, 2);
}

TEST(BatchCommandLine, ProgramFileKeepsEveryLineWhateverItsEnding) {
  // CR LF and LF endings, blank and space-only lines passed over, and a
  // last line without an ending.
  const fs::path program = fs::temp_directory_path() / "torvic-endings.tvc";
  std::ofstream(program, std::ios::binary)
      << "10 PRINT \"A\"\r\n\r\n   \n20 PRINT \"B\"\n30 PRINT \"C\"";
  const fs::path input = fs::temp_directory_path() / "torvic-endings-input";
  std::ofstream(input).close();
  const Result r = RunBatch("'" + program.string() + "'", input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 6), "A\nB\nC\n") << r.out;
}

TEST(BatchCommandLine, ScreenDumpIsExactlyTwentyFiveTrimmedRows) {
  const fs::path input = fs::temp_directory_path() / "torvic-screen-input";
  std::ofstream(input) << "A=1\n";
  const Result r = RunBatch("--screen", input);
  size_t lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 25u);
  EXPECT_EQ(r.out.substr(0, 10), "Ready\nA=1\n");
  EXPECT_EQ(r.out.find(" \n"), std::string::npos);
}

}  // namespace
