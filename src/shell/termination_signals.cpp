#include "shell/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace torvic::shell {

namespace {

volatile std::sig_atomic_t received = 0;
int wakeRead = -1;
int wakeWrite = -1;

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void OnTerminationSignal(int signal) {
  const int savedErrno = errno;
  received = signal;
  // Async-signal-safe: one byte into a non-blocking pipe; a full pipe
  // already wakes the poll.
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &byte, 1);
  errno = savedErrno;
}

}  // namespace

void TerminationSignals::Install() {
  if (wakeRead >= 0) return;
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;  // the default actions stay
  wakeRead = fds[0];
  wakeWrite = fds[1];
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking poll or read returns with EINTR at once.
  action.sa_flags = SA_RESETHAND;
  for (const int s : kSignals) {
    // A signal the caller chose to ignore (nohup, a background job) stays
    // ignored.
    struct sigaction old {};
    if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
    sigaction(s, &action, nullptr);
  }
}

int TerminationSignals::Received() { return received; }

int TerminationSignals::WakeFd() { return wakeRead; }

void TerminationSignals::DieOfReceivedSignal() {
  const int s = received;
  if (s == 0) return;
  std::signal(s, SIG_DFL);
  std::raise(s);
  // Only reached if the signal is blocked: end as the shell would report it.
  ::_exit(128 + s);
}

}  // namespace torvic::shell
