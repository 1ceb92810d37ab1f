// torvic --mount NAME=FOLDER[,ro]: the option itself, and session volumes
// through the real executables (batch mode and window).
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

#include "shell/batch_mode.h"

namespace fs = std::filesystem;

namespace torvic::shell {
namespace {

class Scratch {
 public:
  Scratch() {
    static int serial = 0;
    path_ = fs::temp_directory_path() /
            ("torvic-mount-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string Path(const std::string& below = "") const {
    return below.empty() ? path_.string() : (path_ / below).string();
  }
  std::string Folder(const std::string& name) const {
    fs::create_directories(path_ / name);
    return Path(name);
  }

 private:
  fs::path path_;
};

TEST(MountOption, Parsing) {
  Scratch s;
  const std::string a = s.Folder("a");
  const std::string cwd = fs::current_path().string();
  struct Case {
    std::string text;
    bool ok;
    const char* name;
    std::string folder;
    bool readOnly;
  } cases[] = {
      {"work=" + a, true, "WORK", a, false},
      {"Data=" + a + "/,ro", true, "DATA", a, true},
      {"A1=" + a + "/../a", true, "A1", a, false},
      {"HERE=.", true, "HERE", cwd, false},
      {"A", false, "", "", false},
      {"=" + a, false, "", "", false},
      {"A_B=" + a, false, "", "", false},
      {"ABCDEFGHIJKLMNOP=" + a, false, "", "", false},
      {"A=", false, "", "", false},
      {"A=" + a + "/missing", false, "", "", false},
      {"A=" + a + "/missing,ro", false, "", "", false},
  };
  for (const Case& c : cases) {
    MountOption m;
    std::string error;
    EXPECT_EQ(ParseMount(c.text, m, error), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(error.empty()) << c.text;
      continue;
    }
    EXPECT_EQ(m.name, c.name) << c.text;
    EXPECT_EQ(m.folder, c.folder) << c.text;
    EXPECT_EQ(m.readOnly, c.readOnly) << c.text;
  }
}

TEST(MountOption, OnTheCommandLine) {
  Scratch s;
  const std::string a = s.Folder("a"), b = s.Folder("b");
  bool isBatch = false;
  BatchOptions options;
  std::string error;
  ASSERT_TRUE(ParseBatchArguments({"--mount", "X=" + a, "--batch", "--mount=Y=" + b + ",ro"},
                                  isBatch, options, error))
      << error;
  EXPECT_TRUE(isBatch);
  ASSERT_EQ(options.mounts.size(), 2u);
  EXPECT_EQ(options.mounts[1].name, "Y");
  EXPECT_TRUE(options.mounts[1].readOnly);
  // Without --batch too: the window takes them.
  BatchOptions window;
  ASSERT_TRUE(ParseBatchArguments({"--mount", "X=" + a}, isBatch, window, error));
  EXPECT_FALSE(isBatch);
  EXPECT_EQ(window.mounts.size(), 1u);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--mount"}, {"--mount", "x=" + a, "--mount", "X=" + b}}) {
    BatchOptions o;
    EXPECT_FALSE(ParseBatchArguments(bad, isBatch, o, error)) << bad.size();
  }
  EXPECT_NE(error.find("twice"), std::string::npos) << error;
}

// --- through the executables -----------------------------------------------

struct RunResult {
  std::string out, err;
  int status = -1;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// torvic with a home of its own (HOME and the XDG folders under `home`).
RunResult Torvic(const std::string& home, const std::string& args, const std::string& input) {
  const std::string in = home + "/input", out = home + "/out", err = home + "/err";
  std::ofstream(in, std::ios::binary) << input;
  const std::string command = "env -u XDG_DOCUMENTS_DIR HOME='" + home + "' XDG_CONFIG_HOME='" +
                              home + "/config' '" TORVIC_EXE "' " + args + " < '" + in + "' > '" +
                              out + "' 2> '" + err + "'";
  RunResult r;
  const int status = std::system(command.c_str());
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadAll(out);
  r.err = ReadAll(err);
  return r;
}

TEST(MountCommandLine, AMissingFolderOrBadNameEndsWithStatusTwo) {
  Scratch home;
  RunResult r = Torvic(home.Path(), "--batch --mount WORK=" + home.Path("missing"), "");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--mount WORK: the folder " + home.Path("missing") + " does not exist"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.out, "");
  r = Torvic(home.Path(), "--batch --mount NO_GOOD=" + home.Path(), "");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("1 to 15 letters and digits"), std::string::npos) << r.err;
}

TEST(MountCommandLine, HelpListsTheOption) {
  Scratch home;
  const RunResult r = Torvic(home.Path(), "--help", "");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--mount NAME=FOLDER[,ro]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--batch"), std::string::npos) << r.out;
}

TEST(MountCommandLine, SessionVolumesAreNeverSaved) {
  Scratch home;
  const std::string project = home.Folder("project");
  const RunResult first =
      Torvic(home.Path(), "--batch --mount proj=" + project + " --mount ro=" + project + ",ro",
             "VOLUMES\nPDV\n");
  EXPECT_EQ(first.status, 0);
  EXPECT_NE(first.out.find("PROJ            *R \n"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("RO               R \n"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find("TORVIC             \n"), std::string::npos) << first.out;
  // The next run finds the stored table alone: the default table.
  const RunResult second = Torvic(home.Path(), "--batch", "VOLUMES\n");
  EXPECT_EQ(second.out, "Ready\nVOLUMES\nTORVIC          *  \nReady\n") << second.out;
  EXPECT_TRUE(fs::is_directory(home.Path("Documents/TORVIC")));
  const std::string settings = ReadAll(home.Path("config/Quellorix/TORVIC.conf"));
  EXPECT_EQ(settings.find("PROJ"), std::string::npos) << settings;
}

// The window parses --mount as the batch mode does and loads the volume
// table while it starts (the default table's folder appears at once).
TEST(MountCommandLine, TheWindowTakesTheOptionAndLoadsTheTable) {
  const std::string window = fs::path(TORVIC_EXE).parent_path() / "torvic-window";
  Scratch home;
  const std::string bad = "QT_QPA_PLATFORM=offscreen env -u XDG_DOCUMENTS_DIR HOME='" +
                          home.Path() + "' XDG_CONFIG_HOME='" + home.Path("config") + "' '" +
                          window + "' --mount W=" + home.Path("missing") + " 2>'" +
                          home.Path("err") + "'";
  const int status = std::system(bad.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
  EXPECT_NE(ReadAll(home.Path("err")).find("does not exist"), std::string::npos);

  const std::string project = home.Folder("project");
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::unsetenv("XDG_DOCUMENTS_DIR");
    ::setenv("HOME", home.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.Path("config").c_str(), 1);
    const std::string runtime = home.Folder("run");
    fs::permissions(runtime, fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string mount = "P=" + project;
    ::execl(window.c_str(), window.c_str(), "--mount", mount.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  bool loaded = false;
  for (int i = 0; i < 200 && !loaded; ++i) {
    loaded = fs::is_directory(home.Path("Documents/TORVIC"));
    if (!loaded) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  int childStatus = 0;
  const bool stillRunning = ::waitpid(pid, &childStatus, WNOHANG) == 0;
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &childStatus, 0);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(stillRunning);
}

}  // namespace
}  // namespace torvic::shell
