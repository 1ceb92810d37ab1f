#include "engine/interpreter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#include "base/errors.h"
#include "console/screen.h"
#include "console/settings.h"
#include "console/settings_map.h"
#include "engine/datafiles.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/loop_steps.h"
#include "engine/program_file_hooks.h"
#include "engine/screen_images.h"
#include "engine/settings_bridge.h"
#include "expr/numeric_functions.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"
#include "volumes/volumes.h"

namespace torvic {

namespace {

constexpr std::string_view kExecutingText = "Executing...";
constexpr std::string_view kIdleText = "";

int32_t LineNumberOf(const ProgramLine* line) {
  return line ? line->SignedNumber() : -1;  // unnumbered lines read as -1: no number
}

}  // namespace

Interpreter::Interpreter(const platform::Host& host, ConsoleScreen& screen, SettingsMemory& memory)
    : host_(host), screen_(screen), memory_(memory), entry_(screen, memory, host_.sound, *this) {
  expressions_ = std::make_unique<ExpressionContext>(*this);
  handlers_ = HandlerTable().data();
  pendingStop_ = &expressions_->PendingStopFlag();
  eval_ = &expressions_->Eval();
  AddListener(expressions_.get());
  settingsBridge_ = std::make_unique<SettingsBridge>(*this);
  settingsMap_ = std::make_unique<SettingsMap>(memory_, screen_, entry_.Editor(), entry_.Keys(),
                                               *settingsBridge_);
  for (platform::LockKey key :
       {platform::LockKey::CapsLock, platform::LockKey::NumLock, platform::LockKey::ScrollLock})
    settingsBridge_->ReadLockKey(key);
  screenImages_ = std::make_unique<ScreenImageStack>(screen, memory);
  AddListener(screenImages_.get());
  volumes_ = std::make_unique<VolumeTable>();
  files_ = std::make_unique<DataFileTable>(*this);
  AddListener(files_.get());
  SetProgramFiles(nullptr);
  timerBase_ = host_.clock.TickCount();  // TIMER counts from the window's creation
}

Interpreter::~Interpreter() { host_.pump.SetSink(nullptr); }

void Interpreter::ShowStatus(std::string_view text) { status_ = std::string(text); }

std::string Interpreter::VolumeName() { return volumes_->DefaultName(); }

// ---------------------------------------------------------------------------
// Session

void Interpreter::ShowPrompt() {
  PrintPrompt();
  entry_.Editor().Clear();
  screen_.ShowCursor(true);
}

void Interpreter::RunSession() {
  host_.pump.SetSink(this);
  while (!ExitRequested()) {
    // UnwindDone reaching the top: the loops have returned.
    if (unwindDone_) {
      unwindDone_ = false;
      quitPending_ = false;
    }
    // Storage that runs out outside any statement (a host's own queue, the
    // echo of a line) ends up here: the session goes on at the prompt.
    try {
      if (!WaitTurn(true)) InputExhaustedAtPrompt();
    } catch (const std::bad_alloc&) { OutOfMemoryAtPrompt(); }
  }
  // Files left open reach their host files; a failure is still shown.
  files_->OnEnd();
}

int32_t Interpreter::TakeDeferredError(int32_t result) {
  // A statement that failed by itself reports its own error; the deferred
  // one waits for the next statement.
  if (result != 0) return result;
  result = deferredError_;
  deferredError_ = 0;
  return result;
}

void Interpreter::OutOfMemoryAtPrompt() noexcept {
  // Nothing here needs storage; should the echo of the report fail all the
  // same, the session simply goes on.
  try {
    ReportOutOfMemoryAtPrompt();
  } catch (const std::bad_alloc&) {}
}

// The line being typed stays: it is shown again after the prompt, so the
// keys typed before the failure are not lost.
void Interpreter::ReportOutOfMemoryAtPrompt() {
  entry_.SetMode(kIdle);
  commandExecuting_ = false;
  ReportError(kErrOutOfMemory, -1, std::nullopt);
  if (ExitRequested()) return;
  PrintPrompt();
  entry_.Editor().Redisplay();
  screen_.ShowCursor(true);
}

void Interpreter::RequestExit() {
  entry_.Keys().Clear();
  quitPending_ = true;
  NoQuietTurns();
  exiting_ = true;
  stopReason_ = StopReason::ExitRequested;
  entry_.SetEnd(InputEnd::Cancelled);
}

bool Interpreter::WaitTurn(bool keyboard) {
  if (!quitPending_ && host_.pump.PumpOnce()) return true;
  const platform::WaitResult r = host_.pump.WaitForEvent(
      keyboard ? platform::WaitFor::Keyboard : platform::WaitFor::AnyEvent, -1);
  if (r == platform::WaitResult::InputExhausted) return false;
  PumpOnce();
  return true;
}

void Interpreter::InputExhaustedAtPrompt() {
  // As EXIT does, without the question about a modified program.
  RequestExit();
}

void Interpreter::InputExhaustedInProgram() { BreakKey(/*fromInputEnd=*/true); }

Interpreter::RunOutcome Interpreter::RunProgramOnce() {
  host_.pump.SetSink(this);
  endSessionWhenRunEnds_ = true;
  stopReason_ = StopReason::None;
  commandExecuting_ = true;
  entry_.SetMode(kExecuting);
  screen_.ShowCursor(false);
  size_t offset = 0;
  int32_t r;
  try {
    r = handlers::Run(*this, nullptr, offset);
  } catch (const std::bad_alloc&) {
    r = kErrOutOfMemory;
    AbortRun();
  }
  if (r > 0) ReportError(r, -1, std::nullopt);
  switch (stopReason_) {
    case StopReason::Aborted: lastOutcome_ = RunOutcome::Error; break;
    case StopReason::BreakKey:
    case StopReason::Stopped: lastOutcome_ = RunOutcome::Break; break;
    default: lastOutcome_ = r != 0 ? RunOutcome::Error : RunOutcome::Normal; break;
  }
  entry_.SetMode(kIdle);
  commandExecuting_ = false;
  exiting_ = true;
  files_->OnEnd();  // a run that stopped kept its files open
  return lastOutcome_;
}

// ---------------------------------------------------------------------------
// Entering a command line

bool Interpreter::EnterCommandLine(std::string_view line) {
  size_t p = 0;
  while (p < line.size() && line[p] == ' ') ++p;
  if (p < line.size() && line[p] >= '0' && line[p] <= '9') {
    const LineEntryResult r = EnterNumberedLine(program_, line);
    switch (r.kind) {
      case LineEntryResult::BadNumber:
        traps_.SetErrorPosition(r.column, nullptr);
        ReportError(kErrSyntaxError, -1, r.digits);
        return true;
      case LineEntryResult::OutOfMemory:
        ReportError(kErrOutOfMemory, -1, std::nullopt);
        AbortRun();
        return true;
      case LineEntryResult::Stored:
      case LineEntryResult::Deleted: ResetAfterEdit(); return false;
    }
    return true;
  }
  // A command: compiled into the scratch buffer, then copied, because a
  // command typed in the stopped state compiles into the same buffer while
  // this one is still executing underneath it.
  std::vector<uint8_t> code;
  try {
    CompileLine(line, scratch_);
    code.assign(scratch_.Data(), scratch_.Data() + scratch_.Size());
  } catch (const std::bad_alloc&) {
    ReportError(kErrOutOfMemory, -1, std::nullopt);
    return true;
  }
  pos_.DeactivateImmediateLoops();
  RunImmediate(code.data());
  return true;
}

// ---------------------------------------------------------------------------
// Dispatch

template <bool ofCurrentLine>
[[gnu::always_inline]] inline bool Interpreter::ExecuteStatement(const uint8_t* code,
                                                                 size_t& offset,
                                                                 const FormStatement* form) {
  const uint8_t recordCode = code[offset];
  if (recordCode == kRecordEnd) return true;
  if (recordCode == kRecordJump) {
    offset = ReadU16(code + offset + 1);
    return true;
  }
  if (recordCode == kRecordUncompiled) [[unlikely]]
    return ExecuteUncompiled(code, offset);

  const ProgramLine* reportLine = Running() ? pos_.Line() : nullptr;
  const bool pending = stopReason_ != StopReason::None;
  *pendingStop_ = pending;
  // Kept here as well as in the members: a trap handler or a stopped state
  // that runs inside the handler executes other statements meanwhile.
  const size_t start = offset;
  // The running line's statements come from its execution form (the
  // program loop looks it up).
  const RecordFrame frame = form ? form->frame : ReadFrame(code, offset);
  const size_t end = form ? form->end : offset + kRecordFrameSize + frame.operandLength;
  pos_.SetStatement(start, end);
  offset += kRecordFrameSize;
  // The variable cache and the decoded expressions serve the running
  // program's lines only.
  eval_->SetCachedCode(reportLine && (ofCurrentLine || code == reportLine->Code()) ? code : nullptr,
                       ProgramLine::CodeEpoch());
  int32_t result;
  // Storage that runs out anywhere inside the statement (the memory budget
  // refusing a charge, or the heap itself) fails the statement with
  // "?Out of memory", which ON ERROR may trap; nothing of the statement
  // was kept that the unwinding did not put back.
  try {
    if (form && form->kind != FormStatement::Kind::General && !pending) {
      result = RunFormStatementCall(*form, code, offset);
      if (result == kTakeHandler) result = handlers_[recordCode](*this, code, offset);
    } else if (!form && recordCode == stmt::kLet && offset < end && code[offset] == 1) {
      // The usual LET of a program line (one number target, decoded) runs
      // here without its handler, as the handler would run it (a line's
      // form has already told whether it is one).
      size_t pos = offset + 1;
      if (eval_->QuickAssign(Code(code, end), pos, result, /*wholeStatement=*/true)) offset = end;
      else result = handlers_[recordCode](*this, code, offset);
    } else {
      result = handlers_[recordCode](*this, code, offset);
    }
  } catch (const std::bad_alloc&) { result = kErrOutOfMemory; }
  return FinishStatement(result, frame, offset, start, end, reportLine);
}

// A 250 record: the text that did not compile fails with a syntax error
// where it stands (ON ERROR may take it).
bool Interpreter::ExecuteUncompiled(const uint8_t* code, size_t& offset) {
  const ProgramLine* reportLine = Running() ? pos_.Line() : nullptr;
  const uint16_t column = ReadU16(code + offset + 1);
  const uint16_t length = ReadU16(code + offset + 3);
  const size_t start = offset;
  offset += kUncompiledRecordSize;
  pos_.SetStatement(start, offset);
  traps_.RecordError(kErrSyntaxError, Running() ? std::max(0, LineNumberOf(pos_.Line())) : 0,
                     column, reportLine);
  int32_t result = kErrSyntaxError;
  if (Running() && traps_.IsSet(TrapKind::Error) && !memory_.SyntaxErrorsBypassOnError()) {
    result = ErrorTrap(kErrSyntaxError);
    if (result == 0) {
      if (stopReason_ == StopReason::RetryStatement) offset = start;
      return true;
    }
  }
  if (result > 0) RaiseAt(result, column, length, reportLine);
  AbortRun();
  return false;
}

// The statement at `start` failed with `result`: the error registers, ON
// ERROR, or the report and the end of the run.
bool Interpreter::StatementFailed(const RecordFrame& frame, size_t& offset, size_t start,
                                  size_t end, int32_t result, const ProgramLine* reportLine) {
  traps_.RecordError(std::abs(result), Running() ? std::max(0, LineNumberOf(pos_.Line())) : 0,
                     frame.column, reportLine);
  if (result > 0 && Running() && traps_.IsSet(TrapKind::Error) &&
      !(result == kErrSyntaxError && memory_.SyntaxErrorsBypassOnError())) {
    const int32_t trap = ErrorTrap(result);
    pos_.SetStatement(start, end);
    if (trap == 0) {
      if (stopReason_ == StopReason::RetryStatement) offset = start;
      else if (stopReason_ == StopReason::SkipStatement) offset = end;
      return true;
    }
    result = trap;
  }
  if (result > 0) RaiseAt(result, frame.column, frame.textLength, reportLine);
  AbortRun();
  return false;
}

// ---------------------------------------------------------------------------
// The loops

bool Interpreter::RunImmediate(const uint8_t* code) {
  size_t offset = kLineHeaderSize;
  for (;;) {
    if (!ExecuteStatement<false>(code, offset)) return false;
    if (stopReason_ == StopReason::ReturnedToImmediate) stopReason_ = StopReason::None;
    if (stopReason_ != StopReason::None || code[offset] == kRecordEnd) return true;
    if (const uint8_t delay = memory_.StatementDelay()) host_.clock.Sleep(delay);
    PumpOnce();
    if (stopReason_ != StopReason::None) return true;
  }
}

void Interpreter::RunProgram() {
  const int32_t savedRunMode = runMode_;
  runMode_ = 1;
  const int32_t text = screen_.TextColor(), back = screen_.BackColor();
  const bool inverse = screen_.Inverse();
  try {
    LoopOverProgram(/*nested=*/false);
  } catch (const std::bad_alloc&) {
    // Between statements (a trace, a host's queue): the statement that
    // started the run reports it, with the run mode it had.
    runMode_ = savedRunMode;
    throw;
  }
  if (screen_.Deferred()) screen_.EndDeferredUpdate();
  runMode_ = savedRunMode;
  if (hasColorLine_) screen_.SetColors(0, 15);
  if (memory_.RestoreColorsAfterRun()) screen_.RestoreColorState(text, back, inverse);
  if (memory_.ClearScreenAfterRun()) {
    screen_.ClearScreen();
    memory_.ClearClearScreenAfterRun();
  }
}

void Interpreter::RunNested() { LoopOverProgram(/*nested=*/true); }

void Interpreter::JumpTo(ProgramLine* line) {
  pos_.MoveTo(line, 0);
  if (!Running()) RunProgram();
}

ProgramLine* Interpreter::FindLine(uint32_t n) const {
  const ProgramLine* current = pos_.Line();
  const ProgramLine* from = Running() && current && current->IsNumbered() ? current : nullptr;
  return program_.FindLine(n, from);
}

ProgramLine* Interpreter::ResolveTarget(const uint8_t* site, uint32_t n) {
  ProgramLine* line = FindLine(n);
  const ProgramLine* current = pos_.Line();
  // Only sites inside the running line's own code are remembered: a
  // command line's code is freed without the epoch knowing.
  if (line && Running() && current && current->IsNumbered() && program_.NumbersAscend() &&
      site >= current->Code() && site < current->Code() + current->CodeLength())
    resolved_[ResolvedSlot(site)] =
        ResolvedJump{site, current, ProgramLine::CodeEpoch(), program_.Shape(), line};
  return line;
}

inline bool Interpreter::TakesFastWay(const FormStatement* form) const {
  return form && form->kind != FormStatement::Kind::General && !memory_.Trace() &&
         memory_.StatementDelay() == 0;
}

// Steps 2 to 5 of the program loop; the nested loop of a trap handler ends
// on the RESUME reasons and maps them to what the outer loop must do.
void Interpreter::LoopOverProgram(bool nested) {
  size_t& offset = pos_.LoopOffset();
  for (;;) {
    if (!pos_.Line()) {
      EndRun();
      return;
    }
    if (offset == 0) {
      if (memory_.Trace() && pos_.Line()->IsNumbered())
        screen_.WriteFormatted("[%u]", pos_.Line()->number);
      offset = kLineHeaderSize;
    }
    pos_.ClearLineChanged();
    do {
      // The line object may be freed by a command typed in the stopped state;
      // that always leaves a non-zero stop reason, checked before any reuse.
      // The end of a line (reached by a jump to just after its last
      // statement, as NEXT makes) is no statement: the next line follows
      // at once, without a pump turn or the statement delay.
      const uint8_t* code = pos_.Line()->Code();
      if (code[offset] == kRecordEnd) {
        ProgramLine* next = pos_.Line()->Next();
        if (!next) {
          EndRun();
          return;
        }
        pos_.MoveTo(next, 0);
        continue;
      }
      // Statements of the execution form's fast kinds run back to back
      // in RunFastStatements, unless a trace or the statement delay wants
      // the loop's own way after each of them.
      const FormStatement* form = Running() ? forms_.At(*pos_.Line(), offset, *eval_) : nullptr;
      bool ok;
      if (TakesFastWay(form)) {
        const FastEnd e = RunFastStatements(form);
        if (e == FastEnd::Next) continue;
        ok = e == FastEnd::Ok;
      } else {
        ok = ExecuteStatement<true>(code, offset, form);
      }
      if (ok && stopReason_ == StopReason::None) [[likely]] {
        if (!pos_.LineChanged() && pos_.Line()->Code()[offset] == kRecordEnd) {
          ProgramLine* next = pos_.Line()->Next();
          if (!next) {
            EndRun();
            return;
          }
          // The next line's first statement follows in this loop; only a
          // trace, which prints the line number, takes the way round the
          // outer loop.
          if (memory_.Trace()) pos_.MoveTo(next, 0);
          else pos_.FallThrough(next);
        }
        if (const uint8_t delay = memory_.StatementDelay()) WaitStatementDelay(delay);
        PumpOnce();
        if (stopReason_ == StopReason::None) [[likely]]
          continue;
      }
      if (LeaveProgramLoop(nested)) return;
    } while (!pos_.LineChanged());
  }
}

// A statement left a stop reason (or failed): true when the program loop
// must end here, false when it goes on (a RESUME's retry, skip or redirect
// in the loop that runs the handler's target).
bool Interpreter::LeaveProgramLoop(bool nested) {
  for (bool again = true; again;) {
    again = false;
    switch (stopReason_) {
      case StopReason::None: break;
      case StopReason::ResumeRetry:
      case StopReason::ResumeNext:
      case StopReason::ResumeAt:
        if (nested) stopReason_ = static_cast<StopReason>(static_cast<int32_t>(stopReason_) - 3);
        return true;
      case StopReason::RetryStatement:
      case StopReason::SkipStatement:
      case StopReason::Redirected:
        stopReason_ = StopReason::None;
        // A handler's RESUME goes on without the window's turn that
        // follows a statement. A statement retried for ever (RESUME 0
        // in its own error handler), or a RESUME to a line that fails
        // into the same handler, would never reach one, and Break could
        // not end it: every kRetriesPerTurn-th resumption takes a turn
        // first. Not every one: a timer handler's RESUME retries too,
        // and a turn before each of those could run the handler again
        // and again without the program's statement in between.
        if (++retriesWithoutTurn_ == kRetriesPerTurn) {
          retriesWithoutTurn_ = 0;
          PumpOnce();
          again = stopReason_ != StopReason::None;
        }
        break;
      default: return true;
    }
  }
  return false;
}

void Interpreter::WaitStatementDelay(uint8_t delay) {
  // A busy wait that keeps serving the window.
  const uint32_t start = host_.clock.TickCount();
  while (host_.clock.TickCount() - start < delay && stopReason_ == StopReason::None) PumpOnce();
}

void Interpreter::PumpWhilePaused() {
  // The Pause key holds the program here while the window is still served;
  // Break (or turning the Pause key off) releases it.
  while (paused_ && !quitPending_) {
    if (!host_.pump.PumpOnce() && host_.pump.WaitForEvent(platform::WaitFor::AnyEvent, -1) ==
                                      platform::WaitResult::InputExhausted)
      paused_ = false;
  }
  if (!quitPending_) host_.pump.PumpOnce();
}

// ---------------------------------------------------------------------------
// Stopping, ending and the resets

void Interpreter::StopRun(StopReason reason) {
  stopReason_ = reason;
  paused_ = false;
  if (screen_.Column() != 0) screen_.NewLine();
  screen_.WriteText("Break");
  if (!Running()) {
    screen_.NewLine();
    return;
  }
  if (screen_.Deferred()) screen_.EndDeferredUpdate();
  if (const ProgramLine* line = pos_.Line(); line && line->IsNumbered())
    screen_.WriteFormatted(" in %u", line->number);
  screen_.NewLine();
  canContinue_ = true;
  if (endSessionWhenRunEnds_) return;  // the batch run ends here: no prompt
  if (NestingExhausted()) return;
  EnterStoppedState();
}

void Interpreter::EnterStoppedState() {
  // The depths come back however the state is left; storage that runs out
  // in its own work (the prompt, the queued keys) also gives the run its
  // mode back, for the statement that stopped to report it.
  struct Depths {
    Interpreter& in;
    int32_t inputMode;
    explicit Depths(Interpreter& i) : in(i), inputMode(i.entry_.Mode()) {
      ++in.stopDepth_;
      in.traps_.EnterNesting();
    }
    ~Depths() {
      if (std::uncaught_exceptions() > 0) {
        in.runMode_ = 1;
        in.entry_.SetMode(inputMode);
        in.commandExecuting_ = true;
      }
      in.traps_.LeaveNesting();
      --in.stopDepth_;
    }
  } depths(*this);
  const size_t statementStart = pos_.StatementStart(), payloadEnd = pos_.PayloadEnd();
  commandExecuting_ = false;
  ShowStatus(kIdleText);
  screen_.ShowCursor(true);

  const int32_t savedInputMode = entry_.Mode();
  std::string savedText;
  int32_t savedPosition = 0, savedMax = LineEditor::kCapacity;
  const InputEnd savedEnd = entry_.End();
  if (savedInputMode == kReadingInput) {
    savedText = entry_.Editor().Text();
    savedPosition = entry_.Editor().Position();
    savedMax = entry_.Editor().MaxLength();
  }
  runMode_ = 0;
  entry_.SetMode(kIdle);
  entry_.Editor().SetMaxLength(LineEditor::kCapacity);
  entry_.Editor().SetEchoSuppressed(false);

  PrintPrompt();
  entry_.Editor().Clear();
  entry_.DrainKeyQueue();
  auto stays = [this] {
    switch (stopReason_) {
      case StopReason::None:
      case StopReason::Stopped:
      case StopReason::BreakKey:
      case StopReason::Reserved12: return canContinue_ && !quitPending_;
      default: return false;
    }
  };
  while (stays()) {
    try {
      if (!WaitTurn(true)) InputExhaustedAtPrompt();
    } catch (const std::bad_alloc&) { OutOfMemoryAtPrompt(); }
  }

  entry_.SetMode(savedInputMode);
  runMode_ = 1;
  ShowStatus(kExecutingText);
  commandExecuting_ = true;
  if (savedInputMode == kReadingInput) {
    entry_.Editor().Clear();
    entry_.Editor().SetMaxLength(savedMax);
    if (stopReason_ == StopReason::ContinueRequested) {
      // The INPUT goes on waiting with what had been typed.
      entry_.Editor().SetEchoSuppressed(!memory_.InputEcho());
      entry_.Editor().SetText(savedText, savedPosition);
      entry_.SetEnd(InputEnd::None);
    } else {
      entry_.SetEnd(savedEnd);
    }
  }

  if (!canContinue_ && (stopReason_ == StopReason::None || stopReason_ == StopReason::Ended ||
                        stopReason_ == StopReason::Aborted))
    stopReason_ = StopReason::Abandoned;
  if (stopReason_ == StopReason::ContinueRequested) {
    stopReason_ = StopReason::None;
  } else if (stopReason_ != StopReason::None && !quitPending_) {
    // The loops of the interrupted run act on the reasons RESUME and a
    // prompt GOSUB's RETURN leave (a command typed here can run a RESUME of
    // the interrupted handler) and would go on running it, without a window
    // turn, as the session unwinds: those reasons end the run instead.
    if (ContinuesLoops(stopReason_)) stopReason_ = StopReason::Abandoned;
    quitPending_ = true;
    NoQuietTurns();
    unwindDone_ = true;
  }
  pos_.SetStatement(statementStart, payloadEnd);
}

void Interpreter::AbortRun() {
  entry_.Keys().Clear();
  for (RunStateListener* l : listeners_) l->OnAbort();
  pos_.ForgetLoopsAndReturns();
  DiscardTrapContexts();
  ClearTraps();
  canContinue_ = false;
  stopReason_ = StopReason::Aborted;
}

void Interpreter::EndRun() {
  DiscardTrapContexts();
  ClearTraps();
  for (RunStateListener* l : listeners_) l->OnEnd();
  stopReason_ = StopReason::Ended;
  canContinue_ = false;
}

void Interpreter::ResetRunState() {
  DiscardTrapContexts();
  for (RunStateListener* l : listeners_) l->OnRunReset();
  pos_.ForgetLoopsAndReturns();
  ClearTraps();
  pos_.RewindData();
  traps_.SetErrErl(0, 0);
  if (Running() && screen_.Deferred()) screen_.EndDeferredUpdate();
  hasColorLine_ = false;
  for (const ProgramLine* l = program_.First(); l; l = l->Next())
    if (l->CodeLength() > kHeaderColorFlag && l->Code()[kHeaderColorFlag] == 1)
      hasColorLine_ = true;
}

void Interpreter::ResetAfterEdit() {
  for (RunStateListener* l : listeners_) l->OnEditReset();
  pos_.RewindData();
  pos_.ForgetLoopsAndReturns();
  DiscardTrapContexts();
  ClearTraps();
  canContinue_ = false;
}

void Interpreter::ResetProgramPositions() {
  pos_.RewindData();
  pos_.ForgetLoopsAndReturns();
  DiscardTrapContexts();
  ClearTraps();
  canContinue_ = false;
}

void Interpreter::ResetInit() {
  entry_.Keys().Clear();
  for (RunStateListener* l : listeners_) l->OnInit();
  memory::ReturnFreeMemory();  // the heap compaction
  canContinue_ = false;
  memory_.SetStatementDelay(0);
  if (memory_.RestartRequested()) {
    Randomize(0);
    timerBase_ = host_.clock.TickCount();
    memory_.SetMirror(SettingsMemory::kRestartAddress, 0);
    host_.process.SetRestartAtExit(false);
  }
}

void Interpreter::ClearTraps() {
  ClearTimerTrap();
  traps_.ClearAll();
}

void Interpreter::DiscardTrapContexts() {
  // A saved INPUT (a break taken while a line was being read) is cancelled.
  if (traps_.DiscardContexts(kReadingInput)) entry_.SetEnd(InputEnd::Cancelled);
}

// ---------------------------------------------------------------------------
// Error reporting

void Interpreter::ReportError(int32_t code, int32_t lineNumber,
                              std::optional<std::string_view> excerpt) {
  const char* message = ErrorMessage(NormalizeErrorCode(code));
  if (!message) return;
  // Written in pieces, without building the line: reporting "?Out of
  // memory" must not need storage itself.
  if (screen_.Column() != 0) screen_.NewLine();
  screen_.WriteRaw(message);
  if (lineNumber != -1) {
    char number[16];
    const int n = std::snprintf(number, sizeof number, " in %d", static_cast<int>(lineNumber));
    screen_.WriteRaw(std::string_view(number, static_cast<size_t>(std::max(0, n))));
  }
  if (excerpt) {
    screen_.WriteRaw(", /");
    screen_.WriteRaw(*excerpt);
    screen_.WriteRaw("/");
  }
  if (screen_.Column() != 0) screen_.NewLine();
}

void Interpreter::RaiseAt(int32_t code, int32_t column, int32_t length, const ProgramLine* line) {
  std::string_view source = lastCommand_;
  int32_t number = -1;
  if (Running()) {
    if (!line) line = pos_.Line();
    if (line) {
      source = line->text;
      number = LineNumberOf(line);
    }
  }
  std::string_view excerpt;
  if (column >= 0 && static_cast<size_t>(column) < source.size())
    excerpt = source.substr(static_cast<size_t>(column), static_cast<size_t>(std::max(0, length)));
  ReportError(code, number, excerpt);
}

}  // namespace torvic
