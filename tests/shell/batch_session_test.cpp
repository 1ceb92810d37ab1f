// The batch executable under conditions a transcript cannot set up: keys
// arriving while a long statement runs, terminating signals, standard
// output that cannot be written, and processes left behind. Each case runs
// the real `torvic --batch` as a child with pipes of its own and a
// deadline, so a fault makes the case fail instead of hanging the suite.
//
// The time bounds are generous on purpose (the machine is shared and may
// be loaded): they tell a wait that was ended apart from one that ran its
// full length, and are not speed targets. The measured times are printed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kDeadline = std::chrono::seconds(30);

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

fs::path WriteTemp(const std::string& name, const std::string& text) {
  const fs::path p =
      fs::temp_directory_path() / ("torvic-" + std::to_string(::getpid()) + "-" + name);
  std::ofstream(p, std::ios::binary) << text;
  return p;
}

// How the child's standard output is connected.
enum class Out { Pipe, DevFull, Closed, PipeClosedByReader };

struct Options {
  std::vector<std::string> args;  // after --batch
  std::string input;              // written to standard input
  bool keepInputOpen = false;     // standard input stays open after `input`
  Out out = Out::Pipe;
  bool ignoreSigpipe = false;
};

// One child torvic --batch. Standard error is always collected.
class Child {
 public:
  explicit Child(const Options& o) {
    int in[2], out[2], err[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) std::abort();
    const fs::path home = fs::temp_directory_path() / ("torvic-home-" + std::to_string(::getpid()));
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(err[1], 2);
      switch (o.out) {
        case Out::Pipe:
        case Out::PipeClosedByReader: ::dup2(out[1], 1); break;
        case Out::DevFull: ::dup2(::open("/dev/full", O_WRONLY), 1); break;
        case Out::Closed: ::close(1); break;
      }
      for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
        if (fd > 2) ::close(fd);
      // Whatever the test runner does with them, the signals the cases
      // send act as they would for a process started from a terminal.
      ::signal(SIGINT, SIG_DFL);
      ::signal(SIGTERM, SIG_DFL);
      ::signal(SIGPIPE, o.ignoreSigpipe ? SIG_IGN : SIG_DFL);
      ::setenv("HOME", home.c_str(), 1);
      ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
      std::vector<std::string> args = {TORVIC_EXE, "--batch"};
      args.insert(args.end(), o.args.begin(), o.args.end());
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(TORVIC_EXE, argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
    if (o.out == Out::PipeClosedByReader) {
      ::close(outFd_);
      outFd_ = -1;
    }
    // The child may never read all of it (it ends early): no SIGPIPE here.
    ::signal(SIGPIPE, SIG_IGN);
    size_t done = 0;
    while (done < o.input.size()) {
      const ssize_t n = ::write(in[1], o.input.data() + done, o.input.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    if (o.keepInputOpen) inFd_ = in[1];
    else ::close(in[1]);
  }
  ~Child() {
    if (pid_ > 0 && !status_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {inFd_, outFd_, errFd_})
      if (fd >= 0) ::close(fd);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t Pid() const { return pid_; }

  // Reads standard output until `text` has arrived; false at the deadline
  // or the end of output.
  bool ReadUntil(const std::string& text) {
    const auto start = Clock::now();
    while (output_.find(text) == std::string::npos)
      if (Clock::now() - start > kDeadline || !ReadSome(outFd_, output_, 100)) return false;
    return true;
  }

  // Waits until the child has read all its input and sleeps, its CPU time
  // unchanged over a quarter second (longer than the batch host's patience
  // for held keys): what was typed has been handled. False at the deadline.
  bool WaitUntilIdle() {
    const auto start = Clock::now();
    std::string last;
    int quiet = 0;
    while (Clock::now() - start < kDeadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      int pending = 0;
      if (inFd_ >= 0 && ::ioctl(inFd_, FIONREAD, &pending) != 0) return false;
      std::ifstream statFile("/proc/" + std::to_string(pid_) + "/stat");
      std::string stat;
      std::getline(statFile, stat);
      // After the command's closing parenthesis: state, then fields up to
      // utime and stime (the 14th and 15th of the line).
      const size_t close = stat.rfind(')');
      if (close == std::string::npos) return false;
      const std::string rest = stat.substr(close + 2);
      const bool sleeping = !rest.empty() && rest[0] == 'S';
      size_t field = 0, at = 0;
      for (; at < rest.size() && field < 11; ++at) field += rest[at] == ' ';
      const std::string cpu = rest.substr(at, rest.find(' ', rest.find(' ', at) + 1) - at);
      quiet = (pending == 0 && sleeping && cpu == last) ? quiet + 1 : 0;
      last = cpu;
      if (quiet >= 5) return true;
    }
    return false;
  }

  // Waits for the child to end, collecting its output; nothing at the
  // deadline (the child is then killed by the destructor).
  std::optional<int> Wait() {
    const auto start = Clock::now();
    while (!status_ && Clock::now() - start < kDeadline) {
      ReadSome(outFd_, output_, 10);
      ReadSome(errFd_, errors_, 0);
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
    }
    return status_;
  }

  // After the child ended: true when its standard output reached its end
  // within `seconds`, that is, no process left behind holds it open.
  bool OutputEndsWithin(double seconds) {
    const auto start = Clock::now();
    while (SecondsSince(start) < seconds) {
      pollfd p{outFd_, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) {
        char buffer[4096];
        const ssize_t n = ::read(outFd_, buffer, sizeof buffer);
        if (n <= 0) return true;
        output_.append(buffer, static_cast<size_t>(n));
      }
    }
    return false;
  }

  const std::string& Output() const { return output_; }
  const std::string& Errors() {
    while (ReadSome(errFd_, errors_, 0) && HasData(errFd_)) {}
    return errors_;
  }

 private:
  static bool HasData(int fd) {
    pollfd p{fd, POLLIN, 0};
    return fd >= 0 && ::poll(&p, 1, 0) > 0;
  }
  // Reads what is there (waiting up to ms); false at the end.
  static bool ReadSome(int fd, std::string& into, int ms) {
    if (fd < 0) return true;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0) return true;
    char buffer[4096];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int inFd_ = -1, outFd_ = -1, errFd_ = -1;
  std::string output_, errors_;
  std::optional<int> status_;
};

bool ExitedWith(const std::optional<int>& status, int code) {
  return status && WIFEXITED(*status) && WEXITSTATUS(*status) == code;
}

bool KilledBy(const std::optional<int>& status, int signal) {
  return status && WIFSIGNALED(*status) && WTERMSIG(*status) == signal;
}

// --- Break reaches what runs -------------------------------------------------

// A tone of a minute, typed at the prompt or run by a program, with and
// without keys typed ahead of the Break: the Break ends it at once.
TEST(BatchBreak, EndsASoundOfAMinute) {
  const fs::path program = WriteTemp("sound.bas", "10 SOUND 440,60000\n20 PRINT 8\n");
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::string expected;
    int status;
  };
  const Case cases[] = {
      {{"--keys"},
       "SOUND 440,60000\n{BREAK}PRINT 7\n",
       "Ready\nSOUND 440,60000\nBreak\nReady\nPRINT 7\n 7\nReady\n",
       0},
      {{"--keys", program.string()}, "{BREAK}", "Break in 10\n", 1},
      {{"--keys", program.string()}, "X{BREAK}", "Break in 10\n", 1},
      // A key typed ahead of the Break is typed after it.
      {{"--keys"},
       "SOUND 440,60000\nX{BREAK}PRINT 7\n",
       "Ready\nSOUND 440,60000\nBreak\nReady\nXPRINT 7\n?Syntax error, /XPRINT 7/\nReady\n",
       0},
  };
  for (const Case& c : cases) {
    const auto start = Clock::now();
    Child child({c.args, c.input});
    const std::optional<int> status = child.Wait();
    const double seconds = SecondsSince(start);
    std::printf("[ time     ] %.3f s for case %d\n", seconds, static_cast<int>(&c - cases));
    EXPECT_TRUE(ExitedWith(status, c.status)) << c.input;
    EXPECT_EQ(child.Output(), c.expected) << c.input;
    EXPECT_LT(seconds, 20.0) << c.input;
  }
}

// Keys typed ahead of a Break while a program runs without asking for them
// do not hide it, however many there are (more than one read of input, so
// the look-ahead really reads on); they stay typed ahead, in order.
TEST(BatchBreak, IsFoundBehindThousandsOfTypedAheadKeys) {
  std::string padding(20000, ' ');
  Child child({{"--keys"}, "10 GOTO 10\nRUN\nPRINT \"AHEAD\"" + padding + "{BREAK}\n"});
  const std::optional<int> status = child.Wait();
  EXPECT_TRUE(ExitedWith(status, 0));
  const std::string out = child.Output();
  EXPECT_NE(out.find("RUN\nBreak in 10\nReady\nPRINT \"AHEAD\""), std::string::npos) << out;
  EXPECT_NE(out.find("\nAHEAD\nReady\n"), std::string::npos) << out;
}

// --- signals --------------------------------------------------------------------

// A program that prints and then loops: the line is in the pipe before the
// signal (written at its line end), the unfinished line after it, and the
// process ends by the signal it got.
TEST(BatchSignals, EndTheSessionCleanlyWithTheTranscriptWritten) {
  const fs::path program =
      WriteTemp("hello.bas", "10 PRINT \"HELLO\"\n20 PRINT \"PARTIAL\";\n30 GOTO 30\n");
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    Child child({{program.string()}, "", true});
    ASSERT_TRUE(child.ReadUntil("HELLO\n")) << signal << ": " << child.Output();
    // The program is in its loop a few statements later; a generous pause
    // for a loaded machine.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    ::kill(child.Pid(), signal);
    const std::optional<int> status = child.Wait();
    std::printf("[ time     ] %.3f s to end after signal %d\n", SecondsSince(start), signal);
    EXPECT_TRUE(KilledBy(status, signal)) << signal;
    EXPECT_EQ(child.Output(), "HELLO\nPARTIAL") << signal;
  }
}

// The same at the prompt and with --screen: the dump is written at the end.
TEST(BatchSignals, EndAWaitingSessionAndWriteTheScreen) {
  Child prompt({{}, "PRINT \"TYPED\"\n", true});
  ASSERT_TRUE(prompt.ReadUntil("Ready\nPRINT \"TYPED\"\nTYPED\nReady\n")) << prompt.Output();
  ::kill(prompt.Pid(), SIGTERM);
  EXPECT_TRUE(KilledBy(prompt.Wait(), SIGTERM));

  Child screen({{"--screen"}, "PRINT \"SHOWN\"\n", true});
  ASSERT_TRUE(screen.WaitUntilIdle());
  ::kill(screen.Pid(), SIGTERM);
  EXPECT_TRUE(KilledBy(screen.Wait(), SIGTERM));
  size_t lines = 0;
  for (char c : screen.Output()) lines += c == '\n';
  EXPECT_EQ(lines, 25u) << screen.Output();
  EXPECT_EQ(screen.Output().rfind("Ready\nPRINT \"SHOWN\"\nSHOWN\nReady\n", 0), 0u)
      << screen.Output();
}

// --- standard output that cannot be written --------------------------------------

TEST(BatchOutput, AFailedWriteEndsTheSessionWithAMessageAndStatusTwo) {
  const fs::path forever = WriteTemp("forever.bas", "10 PRINT \"X\":GOTO 10\n");
  struct Case {
    Out out;
    std::vector<std::string> args;
    std::string input;
    std::string message;
  };
  const Case cases[] = {
      {Out::DevFull, {}, "PRINT 1\n", "No space left on device"},
      {Out::DevFull, {forever.string()}, "", "No space left on device"},
      {Out::Closed, {}, "PRINT 1\n", "Bad file descriptor"},
      {Out::Closed, {forever.string()}, "", "Bad file descriptor"},
  };
  for (const Case& c : cases) {
    Child child({c.args, c.input, false, c.out});
    const std::optional<int> status = child.Wait();
    EXPECT_TRUE(ExitedWith(status, 2)) << c.message << " " << c.args.size();
    EXPECT_NE(child.Errors().find("torvic: cannot write standard output: " + c.message),
              std::string::npos)
        << child.Errors();
  }
}

// A reader that goes away ends a program that prints for ever, quietly: by
// SIGPIPE as Unix tools end, or, where the caller ignores SIGPIPE, with
// status 2 and no message.
TEST(BatchOutput, AReaderThatGoesAwayEndsTheSessionQuietly) {
  const fs::path forever = WriteTemp("forever2.bas", "10 PRINT \"X\":GOTO 10\n");
  Child killed({{forever.string()}, "", false, Out::PipeClosedByReader});
  EXPECT_TRUE(KilledBy(killed.Wait(), SIGPIPE));
  EXPECT_EQ(killed.Errors(), "");
  Child ignoring({{forever.string()}, "", false, Out::PipeClosedByReader, true});
  EXPECT_TRUE(ExitedWith(ignoring.Wait(), 2));
  EXPECT_EQ(ignoring.Errors(), "");
}

// --- no process left behind ---------------------------------------------------------

// RESTART, the restart-on-exit setting and START start no second instance
// in the batch mode (it would share standard input and output and write
// into the transcript after the session ended). Standard input stays open,
// so an instance left behind would wait at its prompt and hold standard
// output open.
TEST(BatchProcesses, RestartAndStartLeaveNoProcessBehind) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"RESTART\n", "Ready\nRESTART\n"},
      {"POKE 1032,3\nEXIT\n", "Ready\nPOKE 1032,3\nReady\nEXIT\n"},
      {"START\nEXIT\n", "Ready\nSTART\n?Unable to start TORVIC, /START/\nReady\nEXIT\n"},
  };
  for (const Case& c : cases) {
    Child child({{}, c.input, true});
    EXPECT_TRUE(ExitedWith(child.Wait(), 0)) << c.input;
    EXPECT_TRUE(child.OutputEndsWithin(3.0)) << c.input;
    EXPECT_EQ(child.Output(), c.expected) << c.input;
  }
}

}  // namespace
