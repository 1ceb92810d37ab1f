// Why execution stopped, or how it must go on. The numbers are the stored
// values. Every loop checks the reason after each turn, so a reason set in
// an inner loop (END, an error, Break, EXIT) unwinds the outer ones in order.
#pragma once

#include <cstdint>

namespace torvic {

enum class StopReason : int32_t {
  None = 0,                 // execution proceeds
  Ended = 1,                // END, end of the program text, MENU
  Stopped = 2,              // STOP: "Break", then the stopped state
  Aborted = 3,              // an error ended the run
  ReturnedToImmediate = 4,  // RETURN to a GOSUB typed at the prompt
  RetryStatement = 5,       // a trap handler ended with RESUME
  SkipStatement = 6,        // RESUME NEXT, ON ERROR RESUME NEXT
  Redirected = 7,           // RESUME line or label
  ResumeRetry = 8,          // RESUME forms inside a handler; become 5, 6, 7
  ResumeNext = 9,           //   on the way out of the nested loop
  ResumeAt = 10,
  BreakKey = 11,           // the Break key, a refused confirmation
  Reserved12 = 12,         // accepted by the stopped state; nothing sets it
  NoPrompt = 13,           // the command ends without a new prompt
  ExitRequested = 14,      // EXIT, closing the window: every loop unwinds
  ContinueRequested = 15,  // CONT in the stopped state
  Abandoned = 16,          // a stopped run that can no longer continue
};

// The reasons a program loop acts on and then clears, running on.
constexpr bool ContinuesLoops(StopReason r) {
  switch (r) {
    case StopReason::ReturnedToImmediate:
    case StopReason::RetryStatement:
    case StopReason::SkipStatement:
    case StopReason::Redirected:
    case StopReason::ResumeRetry:
    case StopReason::ResumeNext:
    case StopReason::ResumeAt: return true;
    default: return false;
  }
}

}  // namespace torvic
