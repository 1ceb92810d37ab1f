// Runs every session in tests/terminal through the real executable in a
// terminal: a tmux server of its own, a window of the session's size, the
// keys typed with send-keys and the screen read back with capture-pane.
// Each session is a test case of its own, named after its file.
//
// A session file is a list of commands, one a line; blank lines and lines
// starting with "#" are passed over:
//
//   size W H        the terminal's size at start (default 80 x 25)
//   env NAME=VALUE  an environment variable for torvic (before run)
//   run ARGS        starts `torvic ARGS` in the terminal (no display, LANG
//                   C.UTF-8, HOME in a scratch folder) and waits for its
//                   prompt. Around it a shell saves `stty -g` before and
//                   after, then writes "status N" and "terminal modes
//                   restored" (or "... changed")
//   type TEXT       types TEXT as it stands (the rest of the line)
//   line TEXT       types TEXT, then Enter
//   keys K...       presses keys by tmux's names (Enter Escape Up C-Left F9
//                   S-F9 BSpace DC IC Home End PPage NPage Tab BTab C-c ...)
//   resize W H      resizes the terminal
//   signal NAME     sends signal NAME (TERM, SEGV, HUP, ...) to torvic
//   cursor X,Y      waits until the terminal's cursor shows at column X, row
//                   Y (from 0); "cursor hidden" until it is hidden
//   ended           waits until the program and the shell around it have
//                   ended
//   screen          the expected screen follows, up to a line "end": the
//                   session waits until the terminal shows it (trailing
//                   blanks and blank rows at the bottom do not count)
//   styled ROW      the next line is the expected row ROW (from 0) with its
//                   colours and attributes as capture-pane -e writes them,
//                   "\e" standing for ESC; waited for like a screen (when
//                   regenerating, a placeholder line must be there)
//
// Every session must end the program: the test fails when the shell around
// it is still running at the end, so each one also shows how the terminal
// was left.
//
// TORVIC_REGENERATE=1 rewrites the screen and styled blocks from what the
// terminal shows once it has been still for a moment; read every
// regenerated block before committing it. tmux is required: without it the
// tests fail (./torvic.sh setup installs it).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

using torvic::testing::ScratchFolder;

struct Output {
  std::string text;
  int status = -1;
};

Output Shell(const std::string& command) {
  Output r;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.text.append(buffer, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Trailing blanks of each row and blank rows at the bottom do not count.
std::string Normalised(std::vector<std::string> rows) {
  for (std::string& r : rows)
    while (!r.empty() && r.back() == ' ') r.pop_back();
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  std::string out;
  for (const std::string& r : rows) out += r + "\n";
  return out;
}

std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) out += c == '\x1b' ? std::string("\\e") : std::string(1, c);
  return out;
}

int SignalNamed(const std::string& name) {
  static const std::pair<const char*, int> kSignals[] = {
      {"TERM", SIGTERM}, {"HUP", SIGHUP},   {"INT", SIGINT},   {"QUIT", SIGQUIT},
      {"SEGV", SIGSEGV}, {"ABRT", SIGABRT}, {"KILL", SIGKILL}, {"WINCH", SIGWINCH},
  };
  for (const auto& [n, sig] : kSignals)
    if (name == n) return sig;
  return 0;
}

std::chrono::milliseconds Patience() {
  const char* s = std::getenv("TORVIC_TERMINAL_TIMEOUT_MS");
  return std::chrono::milliseconds(s ? std::atoi(s) : 20000);
}

// One tmux server on a socket of its own, killed with the object.
class Tmux {
 public:
  explicit Tmux(const ScratchFolder& scratch) : scratch_(scratch) {
    static int serial = 0;
    socket_ = "torvic-" + std::to_string(::getpid()) + "-" + std::to_string(++serial);
    const fs::path conf = scratch.path() / "tmux.conf";
    std::ofstream(conf) << "set -g status off\n"
                           "set -g default-terminal tmux-256color\n"
                           "set -g remain-on-exit on\n"
                           // No line of tmux's own when the shell ends: it
                           // would come a moment after the end.
                           "set -g remain-on-exit-format ''\n";
    prefix_ = "env -u TMUX TMUX_TMPDIR=" + Quote(scratch.path().string()) + " tmux -L " + socket_ +
              " -f " + Quote(conf.string()) + " ";
  }
  ~Tmux() { Command("kill-server"); }

  Output Command(const std::string& args) const { return Shell(prefix_ + args + " 2>&1"); }

  std::string Capture(bool styled = false, int row = -1) const {
    std::string args = "capture-pane -p -t s";
    if (styled) args += " -e";
    if (row >= 0) args += " -S " + std::to_string(row) + " -E " + std::to_string(row);
    return Command(args).text;
  }

 private:
  const ScratchFolder& scratch_;
  std::string socket_;
  std::string prefix_;
};

fs::path SessionFolder() { return fs::path(TORVIC_SOURCE_DIR) / "tests" / "terminal"; }

std::vector<std::string> SessionNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(SessionFolder()))
    if (entry.path().extension() == ".session") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class TerminalSession : public ::testing::TestWithParam<std::string> {
 protected:
  // Waits until `read()` gives `expected`; the last reading otherwise.
  template <typename Read>
  std::string WaitFor(const std::string& expected, Read read) {
    const auto deadline = std::chrono::steady_clock::now() + Patience();
    std::string actual;
    do {
      actual = read();
      if (actual == expected) return actual;
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    } while (std::chrono::steady_clock::now() < deadline);
    return actual;
  }
  // For regeneration: the reading once it has not changed for a while.
  template <typename Read>
  std::string WaitForStill(Read read) {
    const auto deadline = std::chrono::steady_clock::now() + Patience();
    std::string last = read();
    auto stillSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      const std::string now = read();
      if (now != last) {
        last = now;
        stillSince = std::chrono::steady_clock::now();
      } else if (std::chrono::steady_clock::now() - stillSince > std::chrono::milliseconds(800)) {
        break;
      }
    }
    return last;
  }
};

TEST_P(TerminalSession, Matches) {
  ASSERT_EQ(Shell("tmux -V 2>&1").status, 0)
      << "tmux is needed for the terminal tests (./torvic.sh setup installs it)";
  const fs::path file = SessionFolder() / (GetParam() + ".session");
  std::ostringstream text;
  text << std::ifstream(file).rdbuf();
  const std::vector<std::string> script = Lines(text.str());
  ASSERT_FALSE(script.empty()) << file;
  const bool regenerate = std::getenv("TORVIC_REGENERATE") != nullptr;
  std::vector<std::string> rewritten;

  const ScratchFolder scratch("terminal");
  Tmux tmux(scratch);
  int width = 80, height = 25;
  std::string environment;
  bool started = false;

  for (size_t i = 0; i < script.size(); ++i) {
    const std::string& line = script[i];
    rewritten.push_back(line);
    const size_t blank = line.find(' ');
    const std::string command = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    SCOPED_TRACE(file.filename().string() + ":" + std::to_string(i + 1) + ": " + line);
    if (line.empty() || line[0] == '#') continue;
    if (command == "size") {
      std::istringstream(rest) >> width >> height;
    } else if (command == "env") {
      environment += " " + Quote(rest);
    } else if (command == "run") {
      const fs::path wrapper = scratch.path() / "run.sh";
      std::ofstream(wrapper)
          << "trap : INT\n"
             "cd "
          << Quote(scratch.path().string())
          << "\n"
             "stty -g > stty.before\n"
             "sh -c 'echo $$ > torvic.pid; exec \"$@\"' torvic env -u DISPLAY -u WAYLAND_DISPLAY "
             "-u QT_QPA_PLATFORM -u COLORTERM -u LC_ALL LANG=C.UTF-8 "
          << scratch.HomeAssignments() << environment << " " << Quote(TORVIC_EXE) << " " << rest
          << "\n"
             "echo \"status $?\"\n"
             "stty -g > stty.after\n"
             "if cmp -s stty.before stty.after; then echo 'terminal modes restored'; "
             "else echo 'terminal modes changed'; fi\n";
      const Output o =
          tmux.Command("new-session -d -s s -x " + std::to_string(width) + " -y " +
                       std::to_string(height) + " " + Quote("sh " + Quote(wrapper.string())));
      ASSERT_EQ(o.status, 0) << o.text;
      started = true;
      // Keys typed before the program has set the terminal up would be
      // echoed by the terminal itself: the session goes on at the prompt.
      const std::string prompt = WaitFor(
          "yes", [&] { return tmux.Capture().find("Ready") != std::string::npos ? "yes" : "no"; });
      ASSERT_EQ(prompt, "yes") << "no prompt:\n" << tmux.Capture();
    } else if (command == "type" || command == "line") {
      ASSERT_TRUE(started);
      std::string typed = rest;
      // A semicolon at the end of an argument separates tmux commands.
      if (!typed.empty() && typed.back() == ';') typed.insert(typed.size() - 1, "\\");
      tmux.Command("send-keys -t s -l -- " + Quote(typed));
      if (command == "line") tmux.Command("send-keys -t s Enter");
    } else if (command == "keys") {
      ASSERT_TRUE(started);
      tmux.Command("send-keys -t s " + rest);
    } else if (command == "resize") {
      std::istringstream(rest) >> width >> height;
      const Output o = tmux.Command("resize-window -t s -x " + std::to_string(width) + " -y " +
                                    std::to_string(height));
      ASSERT_EQ(o.status, 0) << o.text;
    } else if (command == "signal") {
      const int sig = SignalNamed(rest);
      ASSERT_NE(sig, 0) << "unknown signal " << rest;
      std::ifstream pidFile(scratch.path() / "torvic.pid");
      pid_t pid = 0;
      ASSERT_TRUE(pidFile >> pid);
      ASSERT_EQ(::kill(pid, sig), 0);
    } else if (command == "cursor") {
      auto read = [&] {
        const std::string flags =
            tmux.Command("display -p -t s '#{cursor_flag} #{cursor_x},#{cursor_y}'").text;
        if (flags.starts_with("0")) return std::string("hidden");
        return flags.substr(2, flags.find('\n') - 2);
      };
      EXPECT_EQ(WaitFor(rest, read), rest);
    } else if (command == "ended") {
      ASSERT_EQ(WaitFor("1\n", [&] { return tmux.Command("display -p -t s '#{pane_dead}'").text; }),
                "1\n")
          << "the program did not end:\n"
          << tmux.Capture();
    } else if (command == "screen") {
      std::vector<std::string> expectedRows;
      size_t j = i + 1;
      for (; j < script.size() && script[j] != "end"; ++j) expectedRows.push_back(script[j]);
      ASSERT_LT(j, script.size()) << "a screen without its end";
      auto read = [&] { return Normalised(Lines(tmux.Capture())); };
      if (regenerate) {
        for (const std::string& r : Lines(WaitForStill(read))) rewritten.push_back(r);
      } else {
        const std::string expected = Normalised(expectedRows);
        EXPECT_EQ(WaitFor(expected, read), expected);
        for (const std::string& r : expectedRows) rewritten.push_back(r);
      }
      rewritten.push_back("end");
      i = j;
    } else if (command == "styled") {
      ASSERT_LT(i + 1, script.size());
      ASSERT_TRUE(script[i + 1].starts_with("\\e") || script[i + 1] == "?")
          << "styled needs its expected line after it (\"?\" when regenerating)";
      const int row = std::atoi(rest.c_str());
      auto read = [&] {
        std::string r = Escaped(tmux.Capture(true, row));
        while (!r.empty() && (r.back() == '\n' || r.back() == ' ')) r.pop_back();
        return r;
      };
      const std::string expected = script[i + 1];
      if (regenerate) {
        rewritten.push_back(WaitForStill(read));
      } else {
        EXPECT_EQ(WaitFor(expected, read), expected);
        rewritten.push_back(expected);
      }
      ++i;
    } else {
      FAIL() << "unknown command " << command;
    }
    if (::testing::Test::HasFailure() && !regenerate) break;
  }
  // Every session ends its program, so the shell around it has ended too.
  ASSERT_TRUE(started);
  const std::string dead =
      WaitFor("1\n", [&] { return tmux.Command("display -p -t s '#{pane_dead}'").text; });
  EXPECT_EQ(dead, "1\n") << "the program is still running at the end of the session:\n"
                         << tmux.Capture();
  if (regenerate) {
    std::ofstream out(file);
    for (const std::string& l : rewritten) out << l << "\n";
  }
}

INSTANTIATE_TEST_SUITE_P(Sessions, TerminalSession, ::testing::ValuesIn(SessionNames()),
                         [](const ::testing::TestParamInfo<std::string>& session) {
                           std::string name = session.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Without a terminal, --terminal says so instead of drawing into a pipe.
TEST(TerminalCommandLine, RefusesWithoutATerminalAndWithOtherOptions) {
  const ScratchFolder home("home");
  const std::string exe = Quote(TORVIC_EXE);
  Output o =
      Shell("echo EXIT | " + home.HomeAssignments() + " " + exe + " --terminal 2>&1 >/dev/null");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.text.find("must be a terminal"), std::string::npos) << o.text;
  o = Shell(exe + " --terminal --batch < /dev/null 2>&1");
  EXPECT_EQ(o.status, 2);
  o = Shell(exe + " --terminal program.tvc < /dev/null 2>&1");
  EXPECT_EQ(o.status, 2);
  // Without a display and without a terminal the batch mode runs.
  o = Shell("echo 'PRINT 6*7' | env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
            home.HomeAssignments() + " " + exe);
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.text.find("42"), std::string::npos) << o.text;
}

}  // namespace
