// What a program reads from the host through the real `torvic --batch`:
// the clock's date and time, compared with the clock this test reads
// before and after the run (never with fixed dates); the operating system
// and the executable, compared with what the test finds itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/utsname.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "shell/batch_run.h"

namespace {

using torvic::testing::RunBatch;
using torvic::testing::ScratchFolder;

// Runs the typed lines; returns the output lines that start with `mark`,
// without it.
std::vector<std::string> MarkedLines(const std::string& typed, const std::string& mark,
                                     const std::string& args = "") {
  const ScratchFolder scratch("host-values");
  const std::filesystem::path input = scratch.path() / "typed.in";
  std::ofstream(input) << typed;
  const torvic::testing::BatchResult r = RunBatch(args, input);
  EXPECT_EQ(r.status, 0);
  std::vector<std::string> lines;
  std::istringstream out(r.out);
  for (std::string line; std::getline(out, line);)
    if (line.rfind(mark, 0) == 0) lines.push_back(line.substr(mark.size()));
  return lines;
}

constexpr long long k1601To1970 = 11644473600;

// A second of the host's clock as a time value: its local date and time
// counted as if no zone applied.
long long TimeValueAt(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return static_cast<long long>(timegm(&tm)) + k1601To1970;
}

// The texts a program may print for the clock at one second of local time.
struct ClockTexts {
  long long now, date, time, friday;
  std::string dateText, timeText;
};

ClockTexts TextsAt(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  ClockTexts c;
  c.now = TimeValueAt(t);
  c.date = (tm.tm_year + 1900) * 1000LL + tm.tm_yday + 1;
  c.time = tm.tm_hour * 3600LL + tm.tm_min * 60 + tm.tm_sec;
  c.friday = tm.tm_wday == 5 ? -1 : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%02d-%d", tm.tm_mon + 1, tm.tm_mday, tm.tm_year + 1900);
  c.dateText = text;
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  c.timeText = text;
  return c;
}

TEST(HostValues, TheClockIsTheHostsLocalTime) {
  const std::time_t before = std::time(nullptr);
  const std::vector<std::string> lines = MarkedLines(
      "PRINT \"V:\";NOW;DATE;TIME;FRIDAY;\"|\";DATE$;\"|\";TIME$\n"
      "PRINT \"V:\";NOW-MKTIME(YEAR(NOW),MONTH(NOW),DAY(NOW));\"|\";DATE$(NOW)\n",
      "V:");
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(lines.size(), 2u);
  long long now, date, time, friday;
  char dateText[16], timeText[16];
  ASSERT_EQ(std::sscanf(lines[0].c_str(), "%lld %lld %lld %lld|%15[^|]|%15s", &now, &date, &time,
                        &friday, dateText, timeText),
            6)
      << lines[0];
  // Every value must be the one of some second of the run.
  std::set<long long> nows, dates, times, fridays;
  std::set<std::string> dateTexts, timeTexts;
  for (std::time_t t = before; t <= after; ++t) {
    const ClockTexts c = TextsAt(t);
    nows.insert(c.now);
    dates.insert(c.date);
    times.insert(c.time);
    fridays.insert(c.friday);
    dateTexts.insert(c.dateText);
    timeTexts.insert(c.timeText);
  }
  EXPECT_TRUE(nows.count(now)) << now << " vs " << TextsAt(before).now;
  EXPECT_TRUE(dates.count(date)) << date;
  EXPECT_TRUE(times.count(time)) << time;
  EXPECT_TRUE(fridays.count(friday)) << friday;
  EXPECT_TRUE(dateTexts.count(dateText)) << dateText;
  EXPECT_TRUE(timeTexts.count(timeText)) << timeText;
  // The parts of now put together again give its time of day and date.
  long long sinceMidnight;
  char nowDate[16];
  ASSERT_EQ(std::sscanf(lines[1].c_str(), "%lld|%15s", &sinceMidnight, nowDate), 2) << lines[1];
  EXPECT_TRUE(times.count(sinceMidnight)) << sinceMidnight;
  EXPECT_TRUE(dateTexts.count(nowDate)) << nowDate;
}

// host$ names the distribution as its os-release file does, then the
// kernel as uname does; info(21) is when the executable was written and
// info(33) when the session's console was made.
TEST(HostValues, TheSystemAndTheExecutable) {
  const std::time_t before = std::time(nullptr);
  const std::vector<std::string> lines =
      MarkedLines("PRINT \"V:\";HOST$\nPRINT \"V:\";INFO(21);INFO(33)\n", "V:");
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(lines.size(), 2u);

  std::string pretty;
  std::ifstream release("/etc/os-release");
  for (std::string line; std::getline(release, line);)
    if (line.rfind("PRETTY_NAME=", 0) == 0) pretty = line.substr(12);
  if (pretty.size() >= 2 && (pretty.front() == '"' || pretty.front() == '\''))
    pretty = pretty.substr(1, pretty.size() - 2);
  utsname u{};
  ASSERT_EQ(::uname(&u), 0);
  const std::string kernel = std::string(u.sysname) + " " + u.release + " " + u.version;
  const std::string expected = pretty.empty() ? kernel : pretty + ", " + kernel;
  EXPECT_EQ(lines[0], expected);

  long long linked, created;
  ASSERT_EQ(std::sscanf(lines[1].c_str(), "%lld %lld", &linked, &created), 2) << lines[1];
  struct stat st;
  ASSERT_EQ(::stat(TORVIC_EXE, &st), 0);
  EXPECT_EQ(linked, TimeValueAt(st.st_mtime));
  EXPECT_GE(created, TimeValueAt(before));
  EXPECT_LE(created, TimeValueAt(after));
}

}  // namespace
