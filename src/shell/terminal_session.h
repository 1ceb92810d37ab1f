// The terminal in full-screen mode, and its way back.
//
// Start puts the terminal into the modes the screen needs (no echo, keys
// as they are typed, the alternate screen, the keypad's sequences decoded)
// through the curses library. The terminal must come back to the user's
// shell as it was, however the program ends: End does it on the normal
// road, an exit handler when something calls exit(), and signal handlers on
// a fatal signal (a crash, kill, hang-up). A signal handler may only make
// async-signal-safe calls, so the modes saved at start are put back with
// tcsetattr and the sequences that leave the full screen, worked out at
// start, are written with write.
//
// Ctrl+C stays the terminal's interrupt character, so it reaches the
// program even while a statement runs for a long time and the terminal's
// flow control (Ctrl+S, Ctrl+Q) stays as the user set it. The interrupt
// and the window-size signal only set flags and wake the host's wait
// through a pipe; the host asks for them with TakeBreak and TakeResize.
#pragma once

#include <string>

#include "shell/terminal_cells.h"

namespace torvic::shell {

class TerminalSession {
 public:
  TerminalSession() = default;
  ~TerminalSession() { End(); }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Takes over standard input and output, which must be a terminal. False
  // with a message for the user when the terminal cannot show the screen.
  bool Start(std::string& error);
  // Leaves the full screen and restores the terminal's modes and the
  // signal handlers that were there before Start. Safe to call twice.
  void End();

  // Readable while a signal waits to be taken (poll it beside the input).
  int WakeFd() const;
  // Empties the wake pipe; call before taking the flags.
  void DrainWake();
  // Ctrl+C (SIGINT) arrived since the last call.
  bool TakeBreak();
  // The terminal's size changed since the last call (SIGWINCH).
  bool TakeResize();
  // Tells the curses library the terminal's new size.
  void ApplyNewSize();

  ColorDepth Depth() const { return depth_; }
  // The name of the terminal description in use (TERM, or its
  // direct-colour variant when the environment advertises true colour).
  const std::string& TerminalName() const { return name_; }

 private:
  bool started_ = false;
  ColorDepth depth_ = ColorDepth::None;
  std::string name_;
  void* screen_ = nullptr;  // the curses SCREEN
};

// The description to use for terminal `term`: its direct-colour variant
// (xterm-256color: xterm-direct) when COLORTERM says "truecolor" or
// "24bit", `term` has fewer colours and the variant is installed; else
// `term` itself.
std::string ChooseTerminalDescription(const std::string& term, const char* colorterm);

}  // namespace torvic::shell
