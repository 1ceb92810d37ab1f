// The file statements through the real `torvic --batch` where a transcript
// cannot set things up: file times set by the test (the catalogue's 12-hour
// clock) and the desktop's trash in a data folder of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/batch_run.h"

namespace fs = std::filesystem;

namespace {

using torvic::testing::ScratchFolder;

// Runs `keys` with more environment assignments (`env`) and arguments.
std::string RunTorvic(const ScratchFolder& home, const std::string& env, const std::string& args,
                      const std::string& keys) {
  const fs::path input = home.path() / "keys.txt";
  std::ofstream(input) << keys;
  const std::string command = home.HomeAssignments() + " " + env + " '" TORVIC_EXE "' --batch " +
                              args + " < '" + input.string() + "' 2>/dev/null";
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// A local time as the file's modification time.
void SetLocalTime(const fs::path& file, int year, int month, int day, int hour, int minute) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_isdst = -1;
  const struct timespec times[2] = {{std::mktime(&tm), 0}, {std::mktime(&tm), 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST(FileStatements, CatalogueShowsTheTwelveHourClock) {
  const ScratchFolder home("catalog");
  const fs::path volume = home.path() / "v";
  fs::create_directories(volume);
  std::ofstream(volume / "Noon report.txt") << "twelve";
  std::ofstream(volume / "MIDNIGHT.DAT") << std::string(1234, 'x');
  SetLocalTime(volume / "Noon report.txt", 2007, 11, 4, 12, 5);
  SetLocalTime(volume / "MIDNIGHT.DAT", 2007, 11, 4, 0, 5);
  const std::string out =
      RunTorvic(home, "", "--mount V='" + volume.string() + "'", "CATALOG \"V:\",S\n");
  EXPECT_EQ(out,
            "Ready\nCATALOG \"V:\",S\nVolume: V\n"
            "MIDNIGHT DAT          1,234 11/04/2007  0:05am MIDNIGHT.DAT\n"
            "NOON_REP TXT              6 11/04/2007 12:05pm Noon report.txt\n"
            " 2 file(s)  1,240 byte(s)\nReady\n");
}

TEST(FileStatements, CopyKeepsTheTime) {
  const ScratchFolder home("copytime");
  const fs::path volume = home.path() / "v";
  fs::create_directories(volume);
  std::ofstream(volume / "A.TXT") << "a";
  SetLocalTime(volume / "A.TXT", 2001, 2, 3, 4, 5);
  RunTorvic(home, "", "--mount V='" + volume.string() + "'", "COPY \"V:A.TXT\" TO \"V:B.TXT\"\n");
  EXPECT_EQ(fs::last_write_time(volume / "B.TXT"), fs::last_write_time(volume / "A.TXT"));
}

TEST(FileStatements, KillWithRecycleOnPutsTheFileInTheTrash) {
  const ScratchFolder home("trash");
  const fs::path volume = home.path() / "v", data = home.path() / "mydata";
  fs::create_directories(volume);
  std::ofstream(volume / "OLD.TVC") << "10 PRINT 1";
  std::ofstream(volume / "GONE.TVC") << "gone";
  const std::string out = RunTorvic(home, "XDG_DATA_HOME='" + data.string() + "'",
                                    "--mount V='" + volume.string() + "'",
                                    "POKE 21505,1:KILL \"V:OLD\"\nPOKE 21505,0:KILL \"V:GONE\"\n");
  EXPECT_NE(out.find(" 1 file(s) deleted\nReady\nPOKE 21505,0"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(volume / "OLD.TVC"));
  EXPECT_FALSE(fs::exists(volume / "GONE.TVC"));
  std::ifstream trashed(data / "Trash" / "files" / "OLD.TVC");
  std::string text;
  std::getline(trashed, text);
  EXPECT_EQ(text, "10 PRINT 1");
  EXPECT_TRUE(fs::exists(data / "Trash" / "info" / "OLD.TVC.trashinfo"));
  EXPECT_FALSE(fs::exists(data / "Trash" / "files" / "GONE.TVC"));
}

}  // namespace
