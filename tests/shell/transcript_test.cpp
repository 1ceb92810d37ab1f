// Runs every session in tests/transcripts through the real batch executable
// and compares its standard output with the transcript beside it. Each
// session is a test case of its own, named after its file.
//
//   NAME.in      standard input (the typed keys)
//   NAME.out     the expected standard output
//   NAME.args    optional: extra arguments after --batch, one line
//   NAME.status  optional: the expected exit status (default 0)
//   NAME.files/  optional: a folder copied into the session's scratch folder
//                before the run
//   NAME.restart.in, NAME.restart.out
//                optional: a second session, run after the first with the
//                same arguments and the same scratch folder (what the first
//                left there, as after starting the system again)
//
// In NAME.args, "@/" stands for the transcripts folder and "@TMP" for the
// session's scratch folder: a new empty folder (holding the copy of
// NAME.files), removed after the run. HOME and the XDG folders point into a
// fresh folder too, so no session sees the user's settings or documents.
//
// TORVIC_REGENERATE=1 rewrites the .out files from the actual output; read
// every regenerated file before committing it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/batch_run.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

using torvic::testing::RunBatch;
using torvic::testing::ScratchFolder;

void ReplaceAll(std::string& text, const std::string& marker, const std::string& by) {
  for (size_t at = 0; (at = text.find(marker, at)) != std::string::npos; at += by.size())
    text.replace(at, marker.size(), by);
}

fs::path TranscriptFolder() { return fs::path(TORVIC_SOURCE_DIR) / "tests" / "transcripts"; }

std::vector<std::string> SessionNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(TranscriptFolder())) {
    const std::string stem = entry.path().stem().string();
    if (entry.path().extension() == ".in" && !stem.ends_with(".restart")) names.push_back(stem);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Transcript : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcript, Matches) {
  const fs::path dir = TranscriptFolder();
  const std::string base = (dir / GetParam()).string();
  const ScratchFolder scratch("session");
  if (fs::is_directory(base + ".files"))
    fs::copy(base + ".files", scratch.path(), fs::copy_options::recursive);
  std::string args;
  if (fs::exists(base + ".args")) {
    args = ReadFile(base + ".args");
    while (!args.empty() && (args.back() == '\n' || args.back() == '\r')) args.pop_back();
    ReplaceAll(args, "@/", dir.string() + "/");
    ReplaceAll(args, "@TMP", scratch.path().string());
  }
  int expectedStatus = 0;
  if (fs::exists(base + ".status")) expectedStatus = std::stoi(ReadFile(base + ".status"));
  const bool regenerate = std::getenv("TORVIC_REGENERATE") != nullptr;
  const torvic::testing::BatchResult r = RunBatch(args, base + ".in");
  if (regenerate) std::ofstream(base + ".out", std::ios::binary) << r.out;
  else EXPECT_EQ(r.out, ReadFile(base + ".out"));
  EXPECT_EQ(r.status, expectedStatus);
  if (!fs::exists(base + ".restart.in")) return;
  const torvic::testing::BatchResult again = RunBatch(args, base + ".restart.in");
  if (regenerate) std::ofstream(base + ".restart.out", std::ios::binary) << again.out;
  else EXPECT_EQ(again.out, ReadFile(base + ".restart.out")) << "after the restart";
  EXPECT_EQ(again.status, expectedStatus) << "after the restart";
}

INSTANTIATE_TEST_SUITE_P(Sessions, Transcript, ::testing::ValuesIn(SessionNames()),
                         [](const ::testing::TestParamInfo<std::string>& session) {
                           std::string name = session.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

TEST(BatchCommandLine, BadArgumentsAndUnreadableFilesGiveStatusTwo) {
  const fs::path empty = fs::temp_directory_path() / "torvic-empty-input";
  std::ofstream(empty).close();
  EXPECT_EQ(RunBatch("--no-such-option", empty).status, 2);
  EXPECT_EQ(RunBatch("/no/such/program.tvc", empty).status, 2);
  EXPECT_EQ(RunBatch("a.tvc b.tvc", empty).status, 2);
}

TEST(BatchCommandLine, MemoryOptionTakesSizesFrom64KWithUnits) {
  const fs::path input = fs::temp_directory_path() / "torvic-memory-input";
  std::ofstream(input) << "PRINT MEM <= 262144; MEM > 200000\n";
  for (const char* good : {"--memory 256K", "--memory=256k", "--memory 262144", "--memory 256KB"}) {
    const torvic::testing::BatchResult r = RunBatch(good, input);
    EXPECT_EQ(r.status, 0) << good;
    EXPECT_NE(r.out.find("-1-1"), std::string::npos) << good << "\n" << r.out;
  }
  for (const char* bad : {"--memory", "--memory 63K", "--memory 0", "--memory 12X", "--memory -1M",
                          "--memory 2000T", "--memory M", "--memory=", "--memory 1.5G"})
    EXPECT_EQ(RunBatch(bad, input).status, 2) << bad;
}

// A PROGRAM is looked at before anything is read from it: a FIFO with no
// writer would otherwise wait for ever, and a file of 2 GiB or more is
// refused without reading its bytes.
TEST(BatchCommandLine, ProgramThatIsNoRegularFileOrTooBigIsRefusedUnread) {
  const ScratchFolder folder("refused");
  const fs::path input = folder.path() / "input";
  std::ofstream(input).close();
  const fs::path fifo = folder.path() / "fifo.bas";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  torvic::testing::BatchResult r = RunBatch("'" + fifo.string() + "'", input);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "?I/O error\n");
  const fs::path huge = folder.path() / "huge.bas";
  std::ofstream(huge) << "10 PRINT 1\n";
  fs::resize_file(huge, uint64_t{1} << 31);  // sparse: no space is taken
  r = RunBatch("'" + huge.string() + "'", input);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "?Maximum file size exceeded\n");
  // A program the memory budget cannot hold stops loading and is not run.
  const fs::path big = folder.path() / "big.bas";
  {
    std::ofstream out(big);
    for (int n = 1; n <= 4000; ++n)
      out << n << " PRINT \"A LINE OF THE PROGRAM NUMBER\"; " << n << "\n";
  }
  r = RunBatch("--memory 64K '" + big.string() + "'", input);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "?Out of memory\n");
}

TEST(BatchCommandLine, ProgramFileKeepsEveryLineWhateverItsEnding) {
  // CR LF and LF endings, blank and space-only lines passed over, and a
  // last line without an ending.
  const fs::path program = fs::temp_directory_path() / "torvic-endings.tvc";
  std::ofstream(program, std::ios::binary)
      << "10 PRINT \"A\"\r\n\r\n   \n20 PRINT \"B\"\n30 PRINT \"C\"";
  const fs::path input = fs::temp_directory_path() / "torvic-endings-input";
  std::ofstream(input).close();
  const torvic::testing::BatchResult r = RunBatch("'" + program.string() + "'", input);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 6), "A\nB\nC\n") << r.out;
}

TEST(BatchCommandLine, ScreenDumpIsExactlyTwentyFiveTrimmedRows) {
  const fs::path input = fs::temp_directory_path() / "torvic-screen-input";
  std::ofstream(input) << "A=1\n";
  const torvic::testing::BatchResult r = RunBatch("--screen", input);
  size_t lines = 0;
  for (char c : r.out) lines += c == '\n';
  EXPECT_EQ(lines, 25u);
  EXPECT_EQ(r.out.substr(0, 10), "Ready\nA=1\n");
  EXPECT_EQ(r.out.find(" \n"), std::string::npos);
}

}  // namespace
