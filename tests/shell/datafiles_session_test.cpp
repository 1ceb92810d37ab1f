// Data files through the real batch executable where a transcript alone
// cannot show it: a full volume (a small tmpfs when the machine lets a test
// mount one) and a file-size limit, files of 2 GiB, another process holding
// a file, a FIFO in a volume's folder, and the echo file compared with the
// transcript it echoed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/batch_run.h"

namespace fs = std::filesystem;

namespace {

using torvic::testing::BatchResult;
using torvic::testing::RunBatch;
using torvic::testing::ScratchFolder;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path Typed(const ScratchFolder& folder, const std::string& text) {
  const fs::path input = folder.path() / "typed";
  std::ofstream(input, std::ios::binary) << text;
  return input;
}

// `torvic --batch ARGS` run by `sh -c SCRIPT`, whose last word executes the
// batch command ("$@"): a file-size limit or a mount set up first.
BatchResult RunUnder(const std::string& launcher, const std::string& script,
                     const std::string& args, const fs::path& input) {
  const ScratchFolder home("home");
  const std::string command = launcher + " sh -c '" + script + "' sh " + home.HomeAssignments() +
                              " timeout -k 5 120 '" TORVIC_EXE "' --batch " + args + " < '" +
                              input.string() + "' 2>/dev/null";
  return torvic::testing::RunShell(command);
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The program of the full-volume sessions: blocks fill until the host
// refuses one; the program traps the failure and shows where it was.
constexpr const char* kFillTheVolume =
    "10 ON ERROR GOTO 100\n"
    "20 OPEN \"BIG.TXT\" FOR OUTPUT AS #1\n"
    "30 FOR I = 1 TO 400: PRINT #1, STRING$(\"X\", 98): NEXT\n"
    "40 PRINT \"ALL WRITTEN\": END\n"
    "100 PRINT \"TRAPPED\"; ERR; \"AFTER LINE\"; I: KILL #1: END\n"
    "RUN\n"
    "PRINT OPEN(1)\n";

TEST(DataFileSessions, AFileSizeLimitFailsTheStatementThatWrites) {
  const ScratchFolder folder("sizelimit");
  const fs::path input = Typed(folder, kFillTheVolume);
  // 8 KB: the 17th block of 512 bytes fails, filled by the 88th line of
  // 100 bytes.
  const BatchResult r = RunUnder("", "ulimit -f 16; exec \"$@\"",
                                 "--mount WORK='" + folder.path().string() + "'", input);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "TRAPPED 28AFTER LINE 88\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT OPEN(1)\n 0\n")) << r.out;
  EXPECT_FALSE(fs::exists(folder.path() / "BIG.TXT"));
}

// The echo file's writes are the screen's: one that fails fails the
// statement that wrote to the screen, ends the echo, and the screen (and
// the transcript) go on.
TEST(DataFileSessions, AnEchoFileThatCannotGrowFailsTheStatementThatPrinted) {
  const ScratchFolder folder("echolimit");
  const fs::path input = Typed(folder,
                               "OPEN \"LOG\" FOR OUTPUT AS #1 LEN = 64: ATTACH 1\n"
                               "FOR I = 1 TO 500: PRINT \"A LINE OF THE SCREEN\"; I: NEXT\n"
                               "PRINT PEEK(706); I: PRINT \"THE SCREEN GOES ON\"\n");
  const BatchResult r = RunUnder("", "ulimit -f 8; exec \"$@\"",
                                 "--mount WORK='" + folder.path().string() + "'", input);
  EXPECT_EQ(r.status, 0) << r.out;
  // 4096 bytes: the first 64-byte block past them fails; its statement
  // (a PRINT of the loop) reports it.
  EXPECT_TRUE(Has(r.out, "?Maximum file size exceeded, /PRINT \"A LINE OF THE SCREEN\"; I/\n"))
      << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT PEEK(706); I: PRINT \"THE SCREEN GOES ON\"\n 0 ")) << r.out;
  EXPECT_TRUE(Has(r.out, "\nTHE SCREEN GOES ON\n")) << r.out;
  EXPECT_EQ(fs::file_size(folder.path() / "LOG.dat"), 4096u);
}

TEST(DataFileSessions, AFullVolumeFailsTheStatementAndKeepsTheOldFileOfDsave) {
  const ScratchFolder folder("fullvolume");
  const fs::path volume = folder.path() / "volume";
  fs::create_directories(volume);
  // A user and mount namespace of its own, with a 16 KB tmpfs over the
  // volume's folder; machines that allow neither skip the test (the
  // file-size limit above fails the same way).
  const std::string mount = "mount -t tmpfs -o size=16k tmpfs '" + volume.string() + "'";
  if (std::system(("unshare -rm sh -c \"" + mount + "\" 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no tmpfs can be mounted here";
  const fs::path input = Typed(
      folder, std::string(kFillTheVolume) +
                  "DSAVE \"OLD\", \"KEEP ME\"\n"
                  "DSAVE \"OLD\", STRING$(\"Y\", 20000)\n"
                  "DLOAD \"OLD\", A$: PRINT A$\n"
                  "OPEN \"MORE\" FOR OUTPUT AS #2: FOR I = 1 TO 40: PRINT #2, STRING$(\"Z\", 600): "
                  "NEXT\n"
                  "PRINT OPEN(2)\n");
  const BatchResult r = RunUnder("unshare -rm", mount + " && exec \"$@\"",
                                 "--mount WORK='" + volume.string() + "'", input);
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "TRAPPED 54AFTER LINE")) << r.out;
  // DSAVE fails as a whole: the old file is still there as it was.
  EXPECT_TRUE(Has(r.out, "DSAVE \"OLD\", STRING$(\"Y\", 20000)\n?Volume full,")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT A$\nKEEP ME\n")) << r.out;
  // Not trapped: the statement reports it; the file stays open (a command
  // typed at the prompt aborts no run), and closing it when the session
  // ends reports the bytes it still could not write.
  EXPECT_TRUE(Has(r.out, "?Volume full, /PRINT #2, STRING$(\"Z\", 600)/\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT OPEN(2)\n-1\n")) << r.out;
  EXPECT_TRUE(r.out.ends_with("Ready\n?Volume full\n")) << r.out;
}

TEST(DataFileSessions, FilesOfTwoGigabytesAreRefusedAndNoFileGrowsPastThem) {
  const ScratchFolder folder("twogigabytes");
  // Sparse files: no space is taken.
  std::ofstream(folder.path() / "HUGE.DAT").close();
  fs::resize_file(folder.path() / "HUGE.DAT", uint64_t{1} << 31);
  std::ofstream(folder.path() / "EDGE.DAT").close();
  fs::resize_file(folder.path() / "EDGE.DAT", (uint64_t{1} << 31) - 2);
  const fs::path input = Typed(folder,
                               "OPEN \"HUGE\" FOR INPUT AS #1\n"
                               "OPEN \"HUGE\" FOR RANDOM AS #1\n"
                               "DLOAD \"HUGE\", A$\n"
                               "DUMP \"HUGE.DAT\"\n"
                               "OPEN \"EDGE\" FOR APPEND AS #2: PRINT #2, \"X\";: PRINT LOF(2)\n"
                               "PRINT #2, \"Y\";\n"
                               "CLOSE #2: OPEN \"EDGE\" FOR RANDOM AS #3 LEN = 1\n"
                               "PRINT LOF(3): GET #3, 2147483647: PRINT ASC(INPUT$(1, 3))\n"
                               "PUT #3, 2147483648\n");
  const BatchResult r = RunBatch("--mount WORK='" + folder.path().string() + "'", input);
  EXPECT_TRUE(Has(r.out, "#1\n?Maximum file size exceeded, /OPEN \"HUGE\" FOR INPUT")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Maximum file size exceeded, /OPEN \"HUGE\" FOR RANDOM")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Maximum file size exceeded, /DLOAD \"HUGE\", A$/")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Maximum file size exceeded, /DUMP \"HUGE.DAT\"/")) << r.out;
  // One byte fits below 2 GiB, the next one does not.
  EXPECT_TRUE(Has(r.out, "PRINT LOF(2)\n 2147483646\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Maximum file size exceeded, /PRINT #2, \"Y\";/")) << r.out;
  EXPECT_TRUE(Has(r.out, " 2147483647\n 88\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Command error, /PUT #3, 2147483648/")) << r.out;
  EXPECT_EQ(fs::file_size(folder.path() / "EDGE.DAT"), 2147483647u);
}

TEST(DataFileSessions, AnotherProcessHoldingTheFileKeepsWritersAway) {
  const ScratchFolder folder("locked");
  const fs::path path = folder.path() / "SHARED.DAT";
  std::ofstream(path) << "SHARED TEXT\r\n";
  const fs::path input = Typed(folder,
                               "OPEN \"SHARED\" FOR OUTPUT AS #1\n"
                               "OPEN \"SHARED\" FOR INPUT AS #2: PRINT EOF(2)\n"
                               "DSAVE \"SHARED\", \"REPLACED\"\n"
                               "DLOAD \"SHARED\", A$: PRINT LEN(A$)\n");
  const std::string args = "--mount WORK='" + folder.path().string() + "'";
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  // A reader elsewhere: writers are refused, readers are not.
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  BatchResult r = RunBatch(args, input);
  EXPECT_TRUE(Has(r.out, "?Access denied, /OPEN \"SHARED\" FOR OUTPUT AS #1/")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT EOF(2)\n 0\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Access denied, /DSAVE \"SHARED\", \"REPLACED\"/")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT LEN(A$)\n 13\n")) << r.out;
  // A writer elsewhere: nobody else opens it.
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  r = RunBatch(args, input);
  EXPECT_TRUE(Has(r.out, "?Access denied, /OPEN \"SHARED\" FOR INPUT AS #2")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Access denied, /DLOAD \"SHARED\", A$")) << r.out;
  ::close(fd);
  EXPECT_EQ(ReadFile(path), "SHARED TEXT\r\n");
  r = RunBatch(args, input);
  EXPECT_TRUE(Has(r.out, "OPEN \"SHARED\" FOR OUTPUT AS #1\nReady\n")) << r.out;
}

TEST(DataFileSessions, AFifoInTheFolderIsNoFileAndNothingWaitsForIt) {
  const ScratchFolder folder("fifo");
  ASSERT_EQ(::mkfifo((folder.path() / "PIPE.DAT").c_str(), 0600), 0);
  fs::create_directories(folder.path() / "FOLDER.dat");
  const fs::path input = Typed(folder,
                               "OPEN \"PIPE\" FOR INPUT AS #1\n"
                               "OPEN \"PIPE\" FOR OUTPUT AS #1\n"
                               "DLOAD \"PIPE\", A$\n"
                               "OPEN \"FOLDER\" FOR INPUT AS #1\n"
                               "OPEN \"FOLDER\" FOR APPEND AS #1\n"
                               "PRINT \"DONE\"\n");
  const BatchResult r = RunBatch("--mount WORK='" + folder.path().string() + "'", input);
  EXPECT_TRUE(Has(r.out, "?I/O error, /OPEN \"PIPE\" FOR INPUT AS #1/")) << r.out;
  EXPECT_TRUE(Has(r.out, "?I/O error, /OPEN \"PIPE\" FOR OUTPUT AS #1/")) << r.out;
  EXPECT_TRUE(Has(r.out, "?I/O error, /DLOAD \"PIPE\", A$/")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Access denied, /OPEN \"FOLDER\" FOR INPUT AS #1/")) << r.out;
  EXPECT_TRUE(Has(r.out, "?Access denied, /OPEN \"FOLDER\" FOR APPEND AS #1/")) << r.out;
  EXPECT_TRUE(Has(r.out, "PRINT \"DONE\"\nDONE\n")) << r.out;
}

// Everything the screen showed while the file was attached is in the file,
// with CR for each line end where the transcript has LF.
TEST(DataFileSessions, TheEchoFileHoldsWhatTheTranscriptShows) {
  const ScratchFolder folder("echo");
  const fs::path input = Typed(folder,
                               "OPEN \"LOG.TXT\" FOR OUTPUT AS #1: ATTACH 1\n"
                               "PRINT \"A\", \"B\"; TAB(30); -1.5\n"
                               "FOR I = 1 TO 3: PRINT I;: NEXT\n"
                               "PRINT CHR$(27) + \"E\" + \"AFTER AN ESCAPE\" + CHR$(9) + \"TAB\"\n"
                               "PRINT UNKNOWN(\n"
                               "ERROR 5\n"
                               "DETACH\n"
                               "PRINT \"NOT ECHOED\": CLOSE\n");
  const BatchResult r = RunBatch("--mount WORK='" + folder.path().string() + "'", input);
  std::string echoed = ReadFile(folder.path() / "LOG.TXT");
  ASSERT_FALSE(echoed.empty());
  EXPECT_EQ(echoed.find('\n'), std::string::npos);
  std::replace(echoed.begin(), echoed.end(), '\r', '\n');
  const std::string attached = "ATTACH 1\n";
  const size_t at = r.out.find(attached);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_EQ(r.out.substr(at + attached.size(), echoed.size()), echoed) << r.out;
  EXPECT_TRUE(echoed.ends_with("DETACH\n")) << echoed;
  EXPECT_TRUE(Has(echoed, "?Syntax error")) << echoed;
  EXPECT_TRUE(Has(echoed, "?Bad subscript")) << echoed;
  EXPECT_FALSE(Has(echoed, "NOT ECHOED")) << echoed;
}

}  // namespace
