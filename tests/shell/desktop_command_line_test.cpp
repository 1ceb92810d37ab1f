// The desktop's command line through the real executables: --help and
// --version, piped input choosing the batch mode, a display that cannot
// be opened falling back with one line, the start-up options, and the
// window saving its placement when the session ends it (SIGTERM), unless
// -norestore.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "shell/scratch_folder.h"

namespace fs = std::filesystem;

namespace torvic::shell {
namespace {

struct Output {
  std::string out, err;
  int status = -1;
};

Output RunCommand(const std::string& command) {
  const fs::path err = fs::temp_directory_path() / ("torvic-cl-err-" + std::to_string(getpid()));
  Output o;
  FILE* pipe = ::popen((command + " 2>'" + err.string() + "'").c_str(), "r");
  if (!pipe) return o;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) o.out.append(buffer, n);
  const int status = ::pclose(pipe);
  o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(err);
  std::stringstream ss;
  ss << in.rdbuf();
  o.err = ss.str();
  fs::remove(err);
  return o;
}

std::string Exe() { return std::string("'") + TORVIC_EXE + "'"; }

TEST(DesktopCommandLine, HelpAndVersion) {
  Output o = RunCommand(Exe() + " --version");
  EXPECT_EQ(o.out, "TORVIC Version 1.5.2\n");
  o = RunCommand(Exe() + " --help");
  EXPECT_EQ(o.status, 0);
  for (const char* word :
       {"--window", "FILE.tvc", "-norestore", "-nostartup", "--terminal", "--batch", "--mount"})
    EXPECT_NE(o.out.find(word), std::string::npos) << word;
}

// Input from a pipe is the batch mode even with a display; --window asks
// for the window, and a display that cannot be opened gives one line on
// standard error and the batch mode, never a toolkit abort.
TEST(DesktopCommandLine, PipedInputAndADeadDisplay) {
  const testing::ScratchFolder home("home");
  Output o = RunCommand("echo 'PRINT 6*7' | QT_QPA_PLATFORM=offscreen " + home.HomeAssignments() +
                        " " + Exe());
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find(" 42"), std::string::npos) << o.out;

  o = RunCommand("echo 'PRINT 6*7' | env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY DISPLAY=:4791 " +
                 home.HomeAssignments() + " " + Exe() + " --window");
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find(" 42"), std::string::npos) << o.out;
  EXPECT_EQ(o.err.rfind("torvic: no window (", 0), 0u) << o.err;
  EXPECT_NE(o.err.find("running in batch mode"), std::string::npos) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
}

TEST(DesktopCommandLine, StartupOptionsInAnyCaseAndEitherForm) {
  const testing::ScratchFolder home("home");
  const Output o = RunCommand("echo 'PRINT 1' | " + home.HomeAssignments() + " " + Exe() +
                              " -NoStartup /norestore -nocolor /NOMESSAGE -noprogram --batch");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find(" 1"), std::string::npos);
  EXPECT_EQ(RunCommand(Exe() + " -nosuchoption --batch < /dev/null").status, 2);
  EXPECT_EQ(RunCommand(Exe() + " --window --batch < /dev/null").status, 2);
}

// The window ends on SIGTERM as on closing, saving its placement; with
// -norestore it writes none.
TEST(DesktopCommandLine, TheWindowSavesItsPlacementUnlessNoRestore) {
  const std::string window = (fs::path(TORVIC_EXE).parent_path() / "torvic-window").string();
  for (bool noRestore : {false, true}) {
    const testing::ScratchFolder home("home");
    const std::string config = home.path().string() + "/config";
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
      ::setenv("HOME", home.path().c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
      const char* option = noRestore ? "-norestore" : "--window";
      ::execl(window.c_str(), window.c_str(), option, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Started once the volume table has been written at first start.
    for (int i = 0; i < 200 && !fs::exists(config + "/Quellorix/TORVIC.conf"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    if (::waitpid(pid, &status, WNOHANG) == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      ADD_FAILURE() << "the window did not end on SIGTERM";
      continue;
    }
    std::ifstream in(config + "/Quellorix/TORVIC.conf");
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str().find("Placement") != std::string::npos, !noRestore) << ss.str();
  }
}

}  // namespace
}  // namespace torvic::shell
