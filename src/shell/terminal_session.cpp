#include "shell/terminal_session.h"

#include <curses.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

// Last: the terminal description header defines macros with common names.
#include <term.h>

namespace torvic::shell {

namespace {

// State the signal handlers reach: only plain data, written before the
// handlers are installed.
struct RestoreState {
  termios modes{};                // the terminal's modes before Start
  std::array<char, 512> leave{};  // the sequences that leave the full screen
  size_t leaveLength = 0;
  int wake[2] = {-1, -1};            // the self-pipe
  volatile sig_atomic_t active = 0;  // between Start and End
  volatile sig_atomic_t breakPending = 0;
  volatile sig_atomic_t resizePending = 0;
};
RestoreState g_state;

// The signals that end the program: the terminal is restored, then the
// handler that was there before (the default, or the sanitizer's) acts.
constexpr int kFatalSignals[] = {SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                 SIGBUS,  SIGILL, SIGFPE,  SIGABRT};
bool IsFault(int sig) { return sig == SIGSEGV || sig == SIGBUS || sig == SIGILL || sig == SIGFPE; }
constexpr int kFlagSignals[] = {SIGINT, SIGWINCH};
struct sigaction g_previous[NSIG];

void WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

// Async-signal-safe: what a fatal signal may still do for the terminal.
void RestoreFromSignal() {
  if (!g_state.active) return;
  g_state.active = 0;
  WriteAll(STDOUT_FILENO, g_state.leave.data(), g_state.leaveLength);
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_state.modes);
}

void OnFatalSignal(int sig, siginfo_t* info, void*) {
  const int saved = errno;
  RestoreFromSignal();
  ::sigaction(sig, &g_previous[sig], nullptr);
  // A fault raised by an instruction happens again when the handler
  // returns, now reaching the previous handler with its own context; a
  // signal sent by someone (kill, abort) is sent again.
  const bool byInstruction = IsFault(sig) && info != nullptr && info->si_code > 0;
  if (!byInstruction) ::raise(sig);
  errno = saved;
}

void Wake() {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(g_state.wake[1], &byte, 1);
}

void OnFlagSignal(int sig) {
  const int saved = errno;
  if (sig == SIGINT) g_state.breakPending = 1;
  else g_state.resizePending = 1;
  Wake();
  errno = saved;
}

void RestoreAtExit() {
  if (!g_state.active) return;
  g_state.active = 0;
  endwin();
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_state.modes);
}

void InstallHandlers() {
  struct sigaction fatal {};
  fatal.sa_sigaction = OnFatalSignal;
  fatal.sa_flags = SA_SIGINFO | SA_RESTART;
  sigemptyset(&fatal.sa_mask);
  for (int sig : kFatalSignals) ::sigaction(sig, &fatal, &g_previous[sig]);
  struct sigaction flag {};
  flag.sa_handler = OnFlagSignal;
  flag.sa_flags = SA_RESTART;
  sigemptyset(&flag.sa_mask);
  for (int sig : kFlagSignals) ::sigaction(sig, &flag, &g_previous[sig]);
}

void RemoveHandlers() {
  for (int sig : kFatalSignals) ::sigaction(sig, &g_previous[sig], nullptr);
  for (int sig : kFlagSignals) ::sigaction(sig, &g_previous[sig], nullptr);
}

// Appends a capability's string without its padding ("$<5>"), which only
// the curses output routines understand.
void AppendCapability(const char* name) {
  const char* s = tigetstr(name);
  if (s == nullptr || s == reinterpret_cast<char*>(-1)) return;
  for (; *s; ++s) {
    if (s[0] == '$' && s[1] == '<') {
      const char* end = std::strchr(s, '>');
      if (end) {
        s = end;
        continue;
      }
    }
    if (g_state.leaveLength < g_state.leave.size()) g_state.leave[g_state.leaveLength++] = *s;
  }
}

// The number of colours a description gives, or -1 when it is not installed.
int ColorsOfDescription(const std::string& name) {
  int status = 0;
  if (setupterm(name.c_str(), STDOUT_FILENO, &status) != OK) return -1;
  const int colors = tigetnum("colors");
  del_curterm(cur_term);
  return colors;
}

}  // namespace

std::string ChooseTerminalDescription(const std::string& term, const char* colorterm) {
  const std::string advertised = colorterm ? colorterm : "";
  if (advertised != "truecolor" && advertised != "24bit") return term;
  if (ColorsOfDescription(term) >= 0x1000000) return term;
  // xterm-256color, tmux-256color, xterm-color: the family name before the
  // colour count.
  std::string family = term;
  const size_t dash = family.rfind('-');
  if (dash != std::string::npos && family.size() - dash > 5 && family.ends_with("color"))
    family.resize(dash);
  const std::string direct = family + "-direct";
  return ColorsOfDescription(direct) >= 0x1000000 ? direct : term;
}

bool TerminalSession::Start(std::string& error) {
  if (started_) return true;
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO) ||
      ::tcgetattr(STDIN_FILENO, &g_state.modes) != 0) {
    error = "standard input and output must be a terminal";
    return false;
  }
  const char* term = std::getenv("TERM");
  if (term == nullptr || *term == 0 || std::strcmp(term, "dumb") == 0) {
    error = "the terminal type (TERM) is not set, or is \"dumb\"";
    return false;
  }
  if (g_state.wake[0] < 0 && ::pipe2(g_state.wake, O_NONBLOCK | O_CLOEXEC) != 0) {
    error = std::string("no pipe for the signals: ") + std::strerror(errno);
    return false;
  }
  name_ = ChooseTerminalDescription(term, std::getenv("COLORTERM"));
  // The handlers come first, so that the curses library keeps its own off
  // the signals handled here.
  InstallHandlers();
  static bool exitHandlerInstalled = false;
  if (!exitHandlerInstalled) exitHandlerInstalled = std::atexit(RestoreAtExit) == 0;

  SCREEN* screen = newterm(name_.c_str(), stdout, stdin);
  if (screen == nullptr) {
    RemoveHandlers();
    error = "no description of the terminal type \"" + name_ + "\"";
    return false;
  }
  screen_ = screen;
  g_state.leaveLength = 0;
  for (const char* cap : {"sgr0", "op", "cnorm", "rmkx", "rmcup"}) AppendCapability(cap);
  g_state.active = 1;
  started_ = true;

  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  scrollok(stdscr, FALSE);
  idlok(stdscr, TRUE);  // a scrolled screen is sent as a scroll, not redrawn
  set_escdelay(25);     // Esc alone is Esc after 25 ms
  if (has_colors()) {
    start_color();
    use_default_colors();
    depth_ = ColorDepthOf(COLORS);
  } else {
    depth_ = ColorDepth::None;
  }
  return true;
}

void TerminalSession::End() {
  if (!started_) return;
  started_ = false;
  g_state.active = 0;
  endwin();
  delscreen(static_cast<SCREEN*>(screen_));
  screen_ = nullptr;
  ::tcsetattr(STDIN_FILENO, TCSANOW, &g_state.modes);
  RemoveHandlers();
}

int TerminalSession::WakeFd() const { return g_state.wake[0]; }

void TerminalSession::DrainWake() {
  char buffer[64];
  while (::read(g_state.wake[0], buffer, sizeof buffer) > 0) {}
}

bool TerminalSession::TakeBreak() {
  if (!g_state.breakPending) return false;
  g_state.breakPending = 0;
  return true;
}

bool TerminalSession::TakeResize() {
  if (!g_state.resizePending) return false;
  g_state.resizePending = 0;
  return true;
}

void TerminalSession::ApplyNewSize() {
  winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0)
    resizeterm(ws.ws_row, ws.ws_col);
  // What the terminal shows after a resize is its own business: clear it
  // and draw everything again.
  clearok(curscr, TRUE);
}

}  // namespace torvic::shell
