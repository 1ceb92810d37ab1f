// The PRINT loop with and without the terminal front end: statements per
// second of 10 FOR I=1 TO N: PRINT I: NEXT I (three statements a turn, the
// screen scrolling on every line)
//   - in the batch mode's host, the transcript written to /dev/null as
//     `torvic --batch PROGRAM > /dev/null` writes it;
//   - in the terminal front end on a pseudo-terminal of 80 x 25 and of
//     120 x 40, whose other end a thread reads as fast as the terminal
//     writes (a terminal emulator that keeps up), with the bytes the
//     terminal received.
// Prints the figures; asserts nothing.
#include <pty.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "console/screen.h"
#include "console/settings.h"
#include "engine/interpreter.h"
#include "frontend/program.h"
#include "shell/batch_host.h"
#include "shell/system_services.h"
#include "shell/terminal_host.h"
#include "shell/terminal_session.h"
#include "shell/terminal_view.h"

using namespace torvic;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kLoops = 1000000;
constexpr double kStatements = 3.0 * kLoops + 1;

// No settings: the benchmark reads none that matter and writes none.
class NoSettings final : public platform::SettingsStore {
 public:
  std::optional<uint32_t> GetNumber(std::string_view, std::string_view) override { return {}; }
  bool SetNumber(std::string_view, std::string_view, uint32_t) override { return false; }
  std::optional<std::string> GetString(std::string_view, std::string_view) override { return {}; }
  bool SetString(std::string_view, std::string_view, std::string_view) override { return false; }
  std::optional<std::vector<uint8_t>> GetBytes(std::string_view, std::string_view) override {
    return {};
  }
  bool SetBytes(std::string_view, std::string_view, const std::vector<uint8_t>&) override {
    return false;
  }
  bool KeyExists(std::string_view) override { return false; }
  bool CreateKey(std::string_view) override { return false; }
  std::vector<std::string> EnumSubKeys(std::string_view) override { return {}; }
  bool DeleteKey(std::string_view) override { return false; }
};

// The batch transcript: the echo stream with CR as LF, through stdio.
struct Transcript final : EchoSink {
  std::FILE* out;
  explicit Transcript(std::FILE* f) : out(f) {}
  void Echo(const uint8_t* bytes, size_t count) override {
    for (size_t i = 0; i < count; ++i) std::fputc(bytes[i] == 13 ? '\n' : bytes[i], out);
  }
};

void LoadLoop(Interpreter& in) {
  EnterNumberedLine(in.Program(), "10 FOR I=1 TO " + std::to_string(kLoops) + ": PRINT I: NEXT I");
}

double Seconds(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

double BatchRun() {
  shell::SystemClock clock;
  shell::BatchHost host(-1, false, clock);
  NoSettings settings;
  shell::SystemSound sound;
  shell::SystemProcess process;
  const platform::Host h{host, clock, host, host, settings, sound, process, nullptr};
  SettingsMemory memory;
  ConsoleScreen screen(h, memory);
  std::FILE* null = std::fopen("/dev/null", "w");
  Transcript transcript(null);
  screen.SetEchoSink(&transcript);
  Interpreter in(h, screen, memory);
  LoadLoop(in);
  const auto t0 = Clock::now();
  in.RunProgramOnce();
  std::fflush(null);
  const double s = Seconds(t0);
  std::fclose(null);
  return s;
}

struct TerminalFigures {
  double seconds = 0;
  size_t bytes = 0;
  bool ok = false;
};

// The front end on a pseudo-terminal that stands in for standard input and
// output while it runs.
TerminalFigures TerminalRun(int columns, int rows) {
  TerminalFigures f;
  int master = -1, slave = -1;
  winsize ws{};
  ws.ws_col = static_cast<unsigned short>(columns);
  ws.ws_row = static_cast<unsigned short>(rows);
  if (openpty(&master, &slave, nullptr, nullptr, &ws) != 0) return f;
  std::atomic<bool> done{false};
  std::atomic<size_t> received{0};
  std::thread reader([&] {
    char buffer[65536];
    while (!done) {
      const ssize_t n = ::read(master, buffer, sizeof buffer);
      if (n <= 0) break;
      received += static_cast<size_t>(n);
    }
  });
  std::fflush(stdout);
  const int savedIn = ::dup(STDIN_FILENO), savedOut = ::dup(STDOUT_FILENO);
  ::dup2(slave, STDIN_FILENO);
  ::dup2(slave, STDOUT_FILENO);
  {
    shell::TerminalSession session;
    std::string error;
    if (session.Start(error)) {
      shell::SystemClock clock;
      shell::TerminalHost host(clock, session);
      NoSettings settings;
      shell::SystemSound sound;
      shell::SystemProcess process;
      const platform::Host h{host, clock, host, host, settings, sound, process, nullptr};
      SettingsMemory memory;
      ConsoleScreen screen(h, memory);
      shell::TerminalView view(screen, session.Depth());
      screen.SetObserver(&view);
      host.SetView(&view);
      screen.Create();
      screen.SetFocus(true);
      Interpreter in(h, screen, memory);
      LoadLoop(in);
      view.Paint();
      const size_t before = received;
      const auto t0 = Clock::now();
      in.RunProgramOnce();
      view.Paint();  // the last picture belongs to the run
      f.seconds = Seconds(t0);
      f.bytes = received - before;
      f.ok = true;
      session.End();
    } else {
      std::fprintf(stderr, "terminal: %s\n", error.c_str());
    }
  }
  std::fflush(stdout);
  ::dup2(savedIn, STDIN_FILENO);
  ::dup2(savedOut, STDOUT_FILENO);
  ::close(savedIn);
  ::close(savedOut);
  done = true;
  ::close(slave);
  reader.join();
  ::close(master);
  return f;
}

}  // namespace

int main() {
  // A description every curses installation has, whatever runs the benchmark.
  setenv("TERM", "xterm-256color", 1);
  unsetenv("COLORTERM");
  std::printf("program: 10 FOR I=1 TO %d: PRINT I: NEXT I (%.0f statements)\n", kLoops,
              kStatements);
  const double batch = BatchRun();
  std::printf("batch mode, transcript to /dev/null: %.0f statements per second (%.2f s)\n",
              kStatements / batch, batch);
  for (const auto& [columns, rows] : {std::pair{80, 25}, std::pair{120, 40}}) {
    const TerminalFigures t = TerminalRun(columns, rows);
    if (!t.ok) {
      std::printf("terminal front end %d x %d: could not start\n", columns, rows);
      continue;
    }
    std::printf(
        "terminal front end, %d x %d pseudo-terminal: %.0f statements per second (%.2f s, "
        "%.0f%% of the batch mode's rate; %zu bytes to the terminal)\n",
        columns, rows, kStatements / t.seconds, t.seconds, 100.0 * batch / t.seconds, t.bytes);
  }
  return 0;
}
