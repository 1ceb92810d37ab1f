// The statements that start, stop, continue and end a run, and the
// interpreter switches: RUN, CONT, STOP, END, INIT, EXIT, RESTART, START,
// MENU, TRON, TROFF, BKON, BKOFF, CONFIRM, SECURE, PUSH, POP, $COLOR, PAUSE.
#include "base/errors.h"
#include "console/settings.h"
#include "engine/control_operands.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "engine/jump_target.h"
#include "engine/program_files.h"
#include "frontend/code_buffer.h"

namespace torvic::handlers {

// RUN | RUN line | RUN label | RUN "name"
// Operands: u8 0; or u8 1 and a jump target; or u8 2 and a file-name
// expression. Called with a null code for the batch run of a loaded program.
int32_t Run(Interpreter& in, const uint8_t* code, size_t& offset) {
  uint8_t form = 0;
  JumpTarget target;
  if (code) {
    form = code[offset++];
    if (form == 2) return RunFile(in, code, offset);
    if (form == 1) target = ReadJumpTarget(code, offset);
  }
  in.ResetRunState();
  ProgramList& program = in.Program();
  if (const ProgramLine* dup = program.FindDuplicateLabel()) {
    in.ReportError(kErrDuplicateLabel, dup->SignedNumber(), dup->LabelText());
    return -kErrDuplicateLabel;
  }
  ProgramLine* start = program.First();
  if (form == 1) {
    int32_t error = 0;
    start = FindJumpTarget(program, target, nullptr, error);
    if (!start) return error;
  }
  if (!start) {
    in.EndRun();
    return 0;
  }
  // Inside a running program RUN only moves execution back to the start; at
  // the prompt it starts the program loop inside this statement.
  in.JumpTo(start);
  return 0;
}

// CONT
int32_t Cont(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  if (!in.CanContinue()) return kErrCannotContinue;
  in.SetReason(StopReason::ContinueRequested);
  return 0;
}

// STOP
int32_t Stop(Interpreter& in, const uint8_t*, size_t&) {
  in.StopRun(StopReason::Stopped);
  return 0;
}

// END
int32_t End(Interpreter& in, const uint8_t*, size_t&) {
  in.EndRun();
  return 0;
}

// INIT | FRE
int32_t Init(Interpreter& in, const uint8_t*, size_t&) {
  in.ResetInit();
  return 0;
}

// EXIT | BYE | QUIT
int32_t Exit(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  // A modified program is saved or given up first; staying ends EXIT.
  if (!in.AskToSaveChanges()) return 0;
  in.RequestExit();
  return 0;
}

// RESTART
int32_t Restart(Interpreter& in, const uint8_t*, size_t&) {
  in.Host().process.SetRestartAtExit(true);
  in.RequestExit();
  return 0;
}

// START
int32_t Start(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  return in.Host().process.StartSecondInstance() ? 0 : kErrUnableToStart;
}

// MENU: the context menu at the caret; the command itself ends the line
// like END.
int32_t Menu(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  in.SetReason(StopReason::Ended);
  // The window opens the menu once the line has ended; a host without a
  // window has none to open, and the line still ends here.
  in.Host().dialogs.PerformWindowCommand(platform::WindowCommand::ContextMenu);
  return 0;
}

int32_t Tron(Interpreter& in, const uint8_t*, size_t&) {
  in.Memory().SetFlag(SettingsMemory::kTraceAddress, true);
  return 0;
}
int32_t Troff(Interpreter& in, const uint8_t*, size_t&) {
  in.Memory().SetFlag(SettingsMemory::kTraceAddress, false);
  return 0;
}
int32_t Bkon(Interpreter& in, const uint8_t*, size_t&) {
  in.Memory().SetFlag(SettingsMemory::kBreakEnableAddress, true);
  return 0;
}
int32_t Bkoff(Interpreter& in, const uint8_t*, size_t&) {
  in.Memory().SetFlag(SettingsMemory::kBreakEnableAddress, false);
  return 0;
}

// CONFIRM ON|OFF (operand: u8 1 on, 0 off)
int32_t Confirm(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  const bool on = offset < in.Position().PayloadEnd() && code[offset] != 0;
  offset = in.Position().PayloadEnd();
  in.Memory().SetFlag(SettingsMemory::kConfirmAddress, on);
  return 0;
}

// SECURE ON|OFF (operand: u8 1 on, 0 off)
int32_t Secure(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Running()) return kErrModeError;
  const bool on = offset < in.Position().PayloadEnd() && code[offset] != 0;
  offset = in.Position().PayloadEnd();
  in.SetSecure(on);
  return 0;
}

// PUSH [line or label] (operands: u8 0, or u8 1 and a jump target)
int32_t Push(Interpreter& in, const uint8_t* code, size_t& offset) {
  const uint8_t form = code[offset++];
  if (form == 1) {
    const JumpTarget target = ReadJumpTarget(code, offset);
    int32_t error = 0;
    ProgramLine* line = FindJumpTarget(in.Program(), target, in.Position().Line(), error);
    if (!line) return error;
    in.Position().PushReturn({line, 0});
    return 0;
  }
  in.Position().PushReturn(
      {in.Running() ? in.Position().Line() : nullptr, in.Position().PayloadEnd()});
  return 0;
}

// POP
int32_t Pop(Interpreter& in, const uint8_t*, size_t&) {
  ReturnPoint dropped;
  if (!in.Position().PopReturn(dropped)) return kErrReturnWithoutGosub;
  return 0;
}

// $COLOR: its presence marks the line; executing it does nothing.
int32_t DollarColor(Interpreter& in, const uint8_t*, size_t&) {
  return in.Running() ? 0 : kErrModeError;
}

// PAUSE [n]: evaluates its argument, 0 to 2147483647, and then does nothing.
int32_t Pause(Interpreter& in, const uint8_t* code, size_t& offset) {
  double ms = 0;
  if (int32_t e = NumberOperand(in, code, offset, ms); e || EvaluationStopped(in)) return e;
  if (!(ms >= 0 && ms < 2147483648.0)) return kErrCommandError;
  offset = in.Position().PayloadEnd();
  return 0;
}

}  // namespace torvic::handlers
