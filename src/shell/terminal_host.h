// The host of the terminal front end: the terminal's keys behind the
// core's pump, window timers on the clock, message boxes drawn on the
// screen.
//
// Like the batch host it looks at its input at most once a millisecond of
// the clock (platform::TurnPacer), so most turns of a running program are
// quiet ones. On those looks it also takes the signals (Ctrl+C as
// Ctrl+Break, a new terminal size) and paints the screen when a frame's
// time has passed since the last picture; a wait for an event paints at
// once, so what the user types is never drawn late.
#pragma once

#include <cstdint>

#include "platform/host.h"
#include "shell/event_queue.h"
#include "shell/terminal_keys.h"

namespace torvic::shell {

class TerminalSession;
class TerminalView;

class TerminalHost final : public platform::EventPump,
                           public platform::Timers,
                           public platform::Dialogs {
 public:
  // The shortest time between two pictures while a program runs.
  static constexpr uint32_t kFrameMs = 16;

  // The session must have started; keys are read from standard input.
  TerminalHost(platform::Clock& clock, TerminalSession& session);

  // The view to paint (the screen is made after the host).
  void SetView(TerminalView* view) { view_ = view; }

  // --- EventPump -----------------------------------------------------------
  void SetSink(platform::EventSink* sink) override { sink_ = sink; }
  bool PumpOnce() override;
  bool AnyPending() override;
  platform::WaitResult WaitForEvent(platform::WaitFor what, int timeoutMs) override;

  // --- Timers --------------------------------------------------------------
  bool SetTimer(int id, uint32_t intervalMs) override;
  void KillTimer(int id) override;

  // --- Dialogs -------------------------------------------------------------
  // A framed box on the screen: the initial of a button chooses it, Enter
  // the selected one (Tab and the arrows move the selection), Esc and
  // Ctrl+C close it as the window's close box does.
  platform::Answer MessageBox(std::string_view text, std::string_view caption,
                              platform::Buttons buttons, platform::Icon icon) override;
  // A file name is asked for on the console line, where the keys go anyway.
  platform::FileDialogResult ChooseFile(platform::FileDialogMode, platform::FileChoice&) override {
    return platform::FileDialogResult::AskOnConsole;
  }
  // There is no frame window: the window commands are refused.
  bool PerformWindowCommand(platform::WindowCommand) override { return false; }

 private:
  // The look of a pump turn: signals, due timers, the keys typed, and a
  // picture when one is due.
  void Look(uint32_t now);
  // Ctrl+C and a new terminal size; true when the terminal was resized.
  bool TakeSignals();
  // Waits up to `ms` (-1: no limit) for input or a signal and notes the
  // end of input; true when keys wait to be read.
  bool WaitForInput(int ms);
  // Reads every key the terminal has sent, posting each.
  void ReadKeys();
  void Post(const KeyPress& press);
  void Paint(uint32_t now);
  int MsToNextFrame(uint32_t now) const;

  platform::Clock& clock_;
  TerminalSession& session_;
  TerminalView* view_ = nullptr;
  platform::EventSink* sink_ = nullptr;
  TerminalKeys keys_;
  EventQueue queue_;
  TimerTable timers_;
  platform::TurnPacer pacer_;
  uint32_t lastPaint_ = 0;
  bool inputEnded_ = false;  // the terminal hung up
};

}  // namespace torvic::shell
