// The signals that end a batch session from outside: SIGTERM (timeout, kill,
// a service manager), SIGINT (Ctrl+C at the terminal) and SIGHUP (the
// terminal went away).
//
// The default action would kill the process with the transcript's last
// lines still in its buffer. Instead the handler only notes the signal and
// makes a wake-up descriptor readable; the batch host notices it at its
// next look at the input (about once a millisecond while a program runs, at
// once in a wait), ends the session as closing the window would, and the
// batch mode writes out the transcript and then dies of the same signal, so
// the caller still sees how the process ended. The handlers reset
// themselves: a second signal kills at once, whatever the session is doing.
#pragma once

namespace torvic::shell {

class TerminationSignals {
 public:
  // Installs the handlers and the wake-up descriptor (once per process).
  static void Install();
  // The signal received since Install, or 0.
  static int Received();
  // Readable once a signal has arrived; -1 before Install.
  static int WakeFd();
  // Ends the process by the received signal's default action; returns only
  // when no signal was received.
  static void DieOfReceivedSignal();
};

}  // namespace torvic::shell
