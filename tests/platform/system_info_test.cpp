// The host facts behind host$, cbt and info: the distribution's name in an
// os-release text, the keyboard's repeat on the desktop's scales, and the
// executable's time.
#include "platform/system_info.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

namespace torvic::platform {
namespace {

TEST(SystemInfo, DistributionNameFromOsRelease) {
  const struct {
    const char* text;
    const char* name;
  } cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
       "(bookworm)\"\nVERSION=\"12\"\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME='Fedora Linux 40 (Workstation Edition)'\n",
       "Fedora Linux 40 (Workstation Edition)"},
      {"PRETTY_NAME=Alpine\n", "Alpine"},
      {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\o/\"\n", "Say \"hi\" \\o/"},
      {"# a comment\nNAME=Arch\r\nVERSION=rolling\r\n", "Arch rolling"},
      {"NAME=\"Ubuntu\"\nVERSION_ID=\"24.04\"\n", "Ubuntu 24.04"},
      {"NAME=Gentoo\n", "Gentoo"},
      {"  PRETTY_NAME=\"Indented\"\n", "Indented"},
      {"MY_PRETTY_NAME=No\nPRETTY_NAMES=No\n", ""},
      {"PRETTY_NAME=\"\"\nNAME=Fallback\n", "Fallback"},
      {"", ""},
      {"PRETTY_NAME=\"unterminated\n", "unterminated"},
  };
  for (const auto& c : cases) EXPECT_EQ(OsReleaseName(c.text), c.name) << c.text;
}

TEST(SystemInfo, HostDescriptionNamesTheKernel) {
  const std::string text = HostDescription();
  EXPECT_NE(text.find("Linux"), std::string::npos) << text;
}

TEST(SystemInfo, KeyboardRepeatOnTheDesktopScales) {
  const struct {
    uint32_t ms;
    int delay, speed;
  } cases[] = {
      // delay: 250, 500, 750, 1000 ms are settings 0..3; speed: repeats a
      // second from 2.5 (0) to 30 (31).
      {0, 0, 31},  {33, 0, 31}, {40, 0, 25}, {100, 0, 8},  {250, 0, 2},  {400, 1, 0},
      {500, 1, 0}, {660, 2, 0}, {750, 2, 0}, {1000, 3, 0}, {5000, 3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KeyboardDelaySetting(c.ms), c.delay) << c.ms;
    EXPECT_EQ(KeyboardSpeedSetting(c.ms), c.speed) << c.ms;
  }
}

TEST(SystemInfo, ExecutableTimeIsTheFilesLocalTime) {
  struct stat st;
  ASSERT_EQ(::stat("/proc/self/exe", &st), 0);
  std::tm tm{};
  const time_t written = st.st_mtime;
  ASSERT_NE(localtime_r(&written, &tm), nullptr);
  const std::optional<LocalTime> t = ExecutableTime();
  ASSERT_TRUE(t.has_value());
  EXPECT_EQ(t->year, tm.tm_year + 1900);
  EXPECT_EQ(t->month, tm.tm_mon + 1);
  EXPECT_EQ(t->day, tm.tm_mday);
  EXPECT_EQ(t->hour, tm.tm_hour);
  EXPECT_EQ(t->minute, tm.tm_min);
  EXPECT_EQ(t->second, tm.tm_sec);
}

}  // namespace
}  // namespace torvic::platform
