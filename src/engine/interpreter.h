// The interpreter: the state that says what the system is doing, the entry
// of a typed line, the loops that execute compiled statements and the
// stopped state. Where execution stands is its RunPosition
// (engine/run_position.h), the traps and error registers its TrapState
// (engine/trap_state.h), the input line and key queue its LineEntry
// (console/line_entry.h).
//
// One thread. The outer loop (RunSession) waits at the prompt; a typed line
// executes inside the key handler that received its Enter; RUN starts the
// program loop inside that immediate statement; STOP, Break and every input
// wait run nested loops inside the statement that was running. Each loop
// checks the stop reason after every turn, so a reason set deep inside
// (END, an error, Break, EXIT) unwinds the loops above it in order.
//
// Later parts of the system attach their run-time stores (variables, DATA
// pointer, open files, directory enumeration) as RunStateListeners, so the
// resets below reach them without this class knowing their types.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/line_entry.h"
#include "engine/execution_form.h"
#include "engine/run_position.h"
#include "engine/stop_reason.h"
#include "engine/trap_state.h"
#include "frontend/code_buffer.h"
#include "frontend/compiled_line.h"
#include "frontend/program.h"
#include "platform/host.h"
#include "platform/memory_budget.h"

namespace torvic {

class ConsoleScreen;
class DataFileTable;
class Evaluator;
class ProgramFileHooks;
class ExpressionContext;
class SettingsBridge;
class SettingsMap;
class ScreenImageStack;
class SettingsMemory;
class VolumeTable;

// The resets a run-time store takes part in.
class RunStateListener {
 public:
  virtual ~RunStateListener() = default;
  virtual void OnRunReset() {}   // RUN: the run-state reset
  virtual void OnEditReset() {}  // a program line stored or deleted, NEW
  virtual void OnInit() {}       // INIT / FRE
  virtual void OnAbort() {}      // an error ended a run
  virtual void OnEnd() {}        // END
};

// The file a program was last loaded from or saved to: a BASIC file name
// ("VOLUME:NAME.EXT", empty when the program has none) and its form. The
// exit question's save writes the program back there.
struct ProgramFileName {
  std::string name;
  bool text = false;
};

class Interpreter final : public platform::EventSink, private LineEntryOwner {
 public:
  // Values of the input mode (line entry's).
  using enum LineEntry::InputMode;
  // How a session that runs one program ended (the batch exit status).
  enum class RunOutcome { Normal, Error, Break };

  Interpreter(const platform::Host& host, ConsoleScreen& screen, SettingsMemory& memory);
  ~Interpreter() override;
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  void AddListener(RunStateListener* l) { listeners_.push_back(l); }

  // --- session -------------------------------------------------------------
  // Prints the prompt and opens the input line (the first prompt).
  void ShowPrompt();
  // The outer loop: serves events until an exit is requested.
  void RunSession();
  // Closing the window: every loop unwinds and RunSession returns.
  void RequestExit();
  bool ExitRequested() const { return stopReason_ == StopReason::ExitRequested || exiting_; }
  // Runs the stored program as RUN does, and makes the session end when the
  // run ends (END, end of text, an error, Break) instead of prompting.
  RunOutcome RunProgramOnce();

  // --- the shell's commands (shell_commands.cpp) ---------------------------
  // The window's start-up sequence, run once before the session: the
  // start-up program at `startupPath` when that file exists (loaded, run
  // with "Executing...", erased when it ends normally), then the program
  // file named on the command line (`programPath`, may be empty), then the
  // prompt unless the start-up program ended without one.
  static constexpr std::string_view kStartupProgramName = "_$torvic.tvc";
  void RunStartupSequence(const std::string& startupPath, const std::string& programPath);
  // The question of EXIT and of closing the window about a modified
  // program, with the save through the volume file dialog: true when the
  // program was saved or may be discarded (the modified flag is then
  // forgotten), false when the user stays.
  bool AskToSaveChanges();
  // The Reset command: every loop unwinds without a prompt, the screen and
  // the input line are cleared.
  void ResetCommand();
  // What the status bar's mode pane shows.
  enum class StatusMode { Program, Editing, Immediate, Command };
  StatusMode Mode() const;
  // The program files (program_file_hooks.h); "not built yet" until the
  // program-files part attaches its own.
  void SetProgramFiles(ProgramFileHooks* files);
  // SYS: the tick of the last shell command it performed (2-second guard).
  std::optional<uint32_t>& LastSysTick() { return lastSysTick_; }

  // --- entering and executing lines ------------------------------------------------
  // The interpreter side of Enter at the prompt; true when a prompt is due.
  bool EnterCommandLine(std::string_view line);
  // Executes the record at `offset` and advances it; false when an error
  // aborted the run.
  // `ofCurrentLine`: the code is the current line's (the program loop).
  // `form`: the statement's entry in the running line's execution form,
  // when the program loop has it.
  template <bool ofCurrentLine>
  bool ExecuteStatement(const uint8_t* code, size_t& offset, const FormStatement* form = nullptr);
  // What follows a statement's run: the error registers and ON ERROR for a
  // failure, a stop reason's adjustment of the offset; false when an error
  // aborted the run.
  bool FinishStatement(int32_t result, const RecordFrame& frame, size_t& offset, size_t start,
                       size_t end, const ProgramLine* reportLine) {
    pos_.SetStatement(start, end);
    if (deferredError_ != 0) [[unlikely]]
      result = TakeDeferredError(result);
    if (result == 0) [[likely]] {
      if (stopReason_ == StopReason::None) [[likely]]
        return true;
      if (stopReason_ == StopReason::BreakKey && offset < end) offset = start;
      else if (stopReason_ == StopReason::SkipStatement) offset = end;
      return true;
    }
    return StatementFailed(frame, offset, start, end, result, reportLine);
  }
  // The fast kinds of the execution form (engine/execution_form.h,
  // engine/form_runner.cpp): the statement's result, or kTakeHandler, with
  // nothing done, when its handler must run it.
  static constexpr int32_t kTakeHandler = INT32_MIN;
  int32_t RunFormStatementCall(const FormStatement& f, const uint8_t* code, size_t& offset);
  int32_t RunFormStatement(const FormStatement& f, const uint8_t* code, size_t& offset);
  int32_t IfOutcome(const FormStatement& f, const uint8_t* code, double v, size_t after,
                    size_t falseTarget, size_t thenJump, size_t& offset);
  // The line a Goto, Gosub or If (THEN n) entry of the running line jumps
  // to, its target item at `site`: FindTarget's line, remembered in the
  // entry while the program's shape stays the same.
  ProgramLine* FormTarget(const FormStatement& f, const uint8_t* site);
  // The program loop's run of fast statements (form_runner.cpp): Next when
  // the loop takes the statement at the position itself, Ok or Failed
  // when the last statement run left a stop reason or failed (Failed: an
  // error aborted the run) or the window's turn after it left a stop
  // reason (Ok).
  enum class FastEnd : uint8_t { Next, Ok, Failed };
  FastEnd RunFastStatements(const FormStatement* f);
  FastEnd FinishFast(int32_t result, const RecordFrame& frame, size_t& offset, size_t start,
                     size_t end, const ProgramLine* line);
  // The runner's slow way to the entry at the running position: past the
  // ends of lines (FallThrough to the next line, `line` and `code` kept up
  // to date), then looked up in the line's form. Null when the program
  // ends there or the statement is not of a fast kind.
  const FormStatement* EntryAtPosition(ProgramLine*& line, const uint8_t*& code, uint64_t epoch);
  // Whether the program loop runs the statement of `form` (null: none)
  // by RunFastStatements: a fast kind, with no trace or statement delay to
  // serve after each statement.
  bool TakesFastWay(const FormStatement* form) const;
  // The rare ways of ExecuteStatement, kept out of its path.
  [[gnu::noinline]] bool ExecuteUncompiled(const uint8_t* code, size_t& offset);
  [[gnu::noinline]] bool StatementFailed(const RecordFrame& frame, size_t& offset, size_t start,
                                         size_t end, int32_t result, const ProgramLine* reportLine);
  // Executes a compiled command line from its first record; false when an
  // error was reported.
  bool RunImmediate(const uint8_t* code);
  void RunProgram();
  void RunNested();
  // STOP and Break: "Break", and the stopped state when a program runs.
  void StopRun(StopReason reason);
  void AbortRun();
  void EndRun();
  void ResetRunState();
  void ResetAfterEdit();
  void ResetInit();
  // CHAIN: everything that points into the program's lines goes (the DATA
  // pointer, FOR records, GOSUB returns, traps and their contexts, CONT);
  // the variables and the other stores stay.
  void ResetProgramPositions();
  // Gives the window system one turn; never blocks (except while paused).
  // Called after every statement, so the usual turn is inline: the host's
  // quiet turns cost a test and a decrement. A quiet turn serves nothing, so
  // it cannot change the stop reason and leaves the evaluator's pending-stop
  // flag alone (every statement sets that flag when it starts).
  // No quiet turn is left while the pause is on or the session is ending
  // (NoQuietTurns), so a quiet turn needs no other test.
  void PumpOnce() {
    if (host_.pump.QuietTurn()) [[likely]]
      return;
    if (!paused_ && !quitPending_) [[likely]] {
      host_.pump.PumpOnce();
    } else {
      PumpWhilePaused();
    }
    *pendingStop_ = stopReason_ != StopReason::None;
  }
  // Ends the host's quiet turns: the next turn is a real one.
  void NoQuietTurns() { host_.pump.EndQuietTurns(); }

  // --- errors ----------------------------------------------------------------
  // Prints "message[ in line][, /excerpt/]" on a line of its own.
  void ReportError(int32_t code, int32_t lineNumber, std::optional<std::string_view> excerpt);
  // Cuts the excerpt from the line's text (running) or the last command
  // text (immediate) and reports with the line number when running.
  void RaiseAt(int32_t code, int32_t column, int32_t length, const ProgramLine* line);
  // ON ERROR's hand-off point: 0 handled, positive = report this code,
  // negative = already reported. Without a trap the code comes back.
  int32_t ErrorTrap(int32_t code);
  // ON BREAK and ON TIMER: run the handler (traps.cpp).
  void BreakTrap();
  void TimerTrap();
  void ClearTimerTrap();  // also kills the window timer and disarms it
  // RESUME's restore: line, offset, line changed and input mode; `full`
  // adds the input limit and a waiting INPUT's line, shown again.
  void ResumeContext(const TrapContext& c, bool full);
  // The trap registers, their contexts, the nesting and ERR / ERL.
  TrapState& Traps() { return traps_; }

  // --- keyboard -------------------------------------------------------------------
  // The keys go to line entry, which owns the input line, the key queue and
  // the input mode.
  void OnKeyDown(const platform::KeyEvent& e) override;
  void OnChar(const platform::KeyEvent& e) override;
  void OnTimer(int timerId) override;
  LineEntry& Entry() { return entry_; }
  // EDIT of a stored line: the number and a blank (numbered lines only),
  // then the text, edited in place from `position` (-1: its end).
  bool EditLine(const ProgramLine& line, int32_t position = -1);
  bool WaitMore();
  std::string NextKey();
  // Waits, serving events, until a key is queued or a stop is requested;
  // true when a key is waiting (GET, "Press any key to continue...").
  bool WaitForKey();
  // WAIT and SOUND: waits `ms` milliseconds while the window is served, so
  // Break, closing the window and the timer trap act meanwhile; a trap
  // handler that ends with RESUME comes back to the wait. False when a stop
  // reason ended it early.
  bool WaitServingEvents(uint32_t ms);
  void PrintPrompt() override;
  void ExecuteEnteredLine();

  // --- state the statements read and change --------------------------------------
  const platform::Host& Host() const { return host_; }
  ConsoleScreen& Screen() { return screen_; }
  SettingsMemory& Memory() { return memory_; }
  // PEEK and POKE: the settings memory with its special addresses.
  SettingsMap& Settings() { return *settingsMap_; }
  ProgramList& Program() { return program_; }
  // The old-program store: NEW (and every load, which performs NEW) moves
  // the program here, with its modified flag and file name, and OLD puts it
  // back.
  ProgramList& OldProgram() { return oldProgram_; }
  ProgramFileName& ProgramFile() { return programFile_; }
  ProgramFileName& OldProgramFile() { return oldProgramFile_; }

  bool Running() const { return runMode_ == 1; }
  StopReason Reason() const { return stopReason_; }
  void SetReason(StopReason r) { stopReason_ = r; }
  bool CanContinue() const { return canContinue_; }
  bool CommandExecuting() const { return commandExecuting_; }
  int32_t StopDepth() const { return stopDepth_; }
  bool QuitPending() const { return quitPending_; }
  bool Paused() const { return paused_; }
  void ReleasePause() { paused_ = false; }

  // The current line and offset, the record being executed, the GOSUB
  // stack, the FOR list and the DATA pointer.
  RunPosition& Position() { return pos_; }
  // Continues at the start of a line. In immediate mode this starts the
  // program loop there at once: GOTO, GOSUB, RETURN and RUN typed at the
  // prompt start or resume the stored program without clearing anything.
  void JumpTo(ProgramLine* line);
  // The line numbered n, searched from the current line when a program is
  // running on a numbered line, else from the first line.
  ProgramLine* FindLine(uint32_t n) const;
  // The line a numbered jump target read at `site` names: what FindLine(n)
  // finds, remembered per site (see ResolvedJump), so a jump costs the same
  // however far its target stands.
  ProgramLine* FindTarget(const uint8_t* site, uint32_t n) {
    const ResolvedJump& r = resolved_[ResolvedSlot(site)];
    if (r.site == site && r.from == pos_.Line() && r.epoch == ProgramLine::CodeEpoch() &&
        r.shape == program_.Shape() && r.line->number == n && Running()) [[likely]]
      return r.line;
    return ResolveTarget(site, n);
  }
  ProgramLine* FindLabel(std::string_view name) const { return program_.FindLabel(name); }
  // The running lines' execution forms (engine/execution_form.h).
  ExecutionForms& Forms() { return forms_; }
  bool Secure() const { return secure_; }
  void SetSecure(bool on) { secure_ = on; }
  // The TIMER function reads the tick count minus this base.
  uint32_t TimerBase() const { return timerBase_; }
  void SetTimerBase(uint32_t base) { timerBase_ = base; }

  // The command line being executed (immediate mode's error excerpts, the
  // program-file statements' own text).
  const std::string& LastCommandText() const { return lastCommand_; }
  const std::string& StatusText() const { return status_; }
  // The volume table (volumes/volumes.h); the front ends attach it to the
  // settings store, and it loads on first use.
  VolumeTable& Volumes() { return *volumes_; }
  // The current (default) volume's name, "" while the table is empty.
  std::string VolumeName();
  ExpressionContext& Expressions() { return *expressions_; }
  ScreenImageStack& ScreenImages() { return *screenImages_; }
  // The open data files (engine/datafiles.h).
  DataFileTable& Files() { return *files_; }
  // An error that arose outside any handler's result (a write to the echo
  // file that failed while the screen was written): the statement running,
  // or the next one to run, fails with it.
  void DeferError(int32_t code) {
    if (deferredError_ == 0) deferredError_ = code;
  }
  // The result a statement ends with once a deferred error is pending.
  [[gnu::noinline]] int32_t TakeDeferredError(int32_t result);

  // RECALL: text that goes into the input line, ready to be edited, when
  // the command line has ended (in place of the prompt).
  void SetRecalledInput(std::string text) { recalled_ = std::move(text); }

  // Compiled-line scratch buffer of the command being entered.
  CodeBuffer& Scratch() { return scratch_; }

 private:
  // Waits for one event and serves it. `keyboard` tells the batch host that
  // keys may be typed now. False when no event will ever come.
  bool WaitTurn(bool keyboard);
  // The end of scripted input at a keyboard wait: at the prompt the
  // session quits as EXIT does, elsewhere Break is pressed.
  void InputExhaustedAtPrompt();
  // Storage ran out outside every statement: reported, and the prompt.
  void OutOfMemoryAtPrompt() noexcept;
  void ReportOutOfMemoryAtPrompt();
  void InputExhaustedInProgram();
  void EnterStoppedState();
  void PumpWhilePaused();
  void BreakKey(bool fromInputEnd = false);
  void ClearTraps();
  void DiscardTrapContexts();
  // Traps (traps.cpp): the window timer's event, the handler loop shared by
  // the three traps, and an error raised by a trap that fires between
  // statements (a missing target), handled as a statement error would be.
  void TimerEvent();
  void RunTrapHandler(TrapKind kind, ProgramLine* target, bool saveInput, bool resetLimit);
  void RaiseTrapError(int32_t code, TrapKind kind);
  bool NestingExhausted();
  bool BreakKeyTrapped(bool fromInputEnd);
  int32_t LineNumberOfCurrent() const;
  // Resolved jumps. A numbered jump target in a program line's code is
  // remembered by the address of its operand (the site), with the line
  // executing it (the start of FindLine's walk), the code epoch and the
  // program's shape at the time. While the epoch stands no line was made or
  // freed and no code was replaced, renumbered or rewritten, so the site
  // still holds the same target in the same live line; while the shape
  // stands no line was linked or unlinked (inserted, deleted, MERGE, CHAIN,
  // NEW, OLD, LOAD). Numbers are compared again, so a remembered line is
  // the one FindLine would find from the same start. Entries are only
  // made while the numbered lines ascend (then a number names one line);
  // anything else takes FindLine's way. A fixed table (160 KB, made with
  // the interpreter): its size does not grow with the program, and a
  // collision only costs a FindLine.
  struct ResolvedJump {
    const uint8_t* site = nullptr;
    const ProgramLine* from = nullptr;
    uint64_t epoch = 0;
    uint64_t shape = 0;
    ProgramLine* line = nullptr;
  };
  static constexpr size_t kResolvedJumps = 4096;
  static size_t ResolvedSlot(const uint8_t* site) {
    const auto a = reinterpret_cast<uintptr_t>(site);
    return (a ^ (a >> 12)) & (kResolvedJumps - 1);
  }
  [[gnu::noinline]] ProgramLine* ResolveTarget(const uint8_t* site, uint32_t n);
  void LoopOverProgram(bool nested);
  // The slow ways out of LoopOverProgram, kept out of its path.
  [[gnu::noinline]] bool LeaveProgramLoop(bool nested);
  [[gnu::noinline]] void WaitStatementDelay(uint8_t delay);
  void ShowStatus(std::string_view text);
  // What line entry asks (LineEntryOwner).
  void LineEntered() override;
  void BreakPressed() override;
  void PausePressed() override;
  void LockKeyPressed(platform::LockKey key) override;
  bool KeyboardTurn() override;
  void ServeEvents() override;
  bool TakeErrorPlace(std::string& storedLine, int32_t& position) override;
  using InputEnd = LineEntry::InputEnd;

  platform::Host host_;
  ConsoleScreen& screen_;
  SettingsMemory& memory_;
  ProgramList program_;
  ProgramList oldProgram_;
  ProgramFileName programFile_, oldProgramFile_;
  LineEntry entry_;
  CodeBuffer scratch_;
  std::vector<RunStateListener*> listeners_;
  std::unique_ptr<ExpressionContext> expressions_;
  std::unique_ptr<SettingsBridge> settingsBridge_;
  std::unique_ptr<SettingsMap> settingsMap_;
  // The handler table, looked up once: dispatch is one indexed call.
  int32_t (*const* handlers_)(Interpreter&, const uint8_t*, size_t&) = nullptr;
  bool* pendingStop_ = nullptr;  // the evaluator's pending-stop flag
  Evaluator* eval_ = nullptr;    // the evaluator, looked up once
  std::unique_ptr<ScreenImageStack> screenImages_;
  std::unique_ptr<VolumeTable> volumes_;
  // Destroyed first: closing the files at the end empties the FIELD
  // variables of the expression context.
  std::unique_ptr<DataFileTable> files_;
  int32_t deferredError_ = 0;

  int32_t runMode_ = 0;
  StopReason stopReason_ = StopReason::None;
  bool canContinue_ = false;
  bool commandExecuting_ = false;
  int32_t stopDepth_ = 0;
  bool secure_ = false;
  bool hasColorLine_ = false;
  std::string lastCommand_;

  RunPosition pos_;
  // The running lines' execution forms.
  ExecutionForms forms_;
  std::unique_ptr<ResolvedJump[]> resolved_ = std::make_unique<ResolvedJump[]>(kResolvedJumps);
  TrapState traps_;
  uint32_t timerBase_ = 0;
  std::optional<std::string> recalled_;

  // Resumptions (RESUME and its forms) since the last turn one took
  // (LoopOverProgram).
  static constexpr uint32_t kRetriesPerTurn = 64;
  uint32_t retriesWithoutTurn_ = 0;
  bool quitPending_ = false;
  bool unwindDone_ = false;  // UnwindDone: clears quitPending at the top
  bool paused_ = false;      // the Pause key
  bool exiting_ = false;
  bool endSessionWhenRunEnds_ = false;
  RunOutcome lastOutcome_ = RunOutcome::Normal;
  std::string status_;
  ProgramFileHooks* programFiles_ = nullptr;
  std::optional<uint32_t> lastSysTick_;
};

}  // namespace torvic
