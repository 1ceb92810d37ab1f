// The trap state: the three trap registers (ON ERROR, ON BREAK, ON TIMER),
// the stack of what their handlers interrupted, how deep stopped states and
// handlers are nested, and the error registers ERR, ERL and the error
// position that F8 goes back to.
//
// Only state and its bookkeeping live here; firing a trap runs a nested
// program loop and so belongs to the interpreter (traps.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "frontend/program.h"
#include "platform/memory_budget.h"

namespace torvic {

enum class TrapKind { Error, Break, Timer };

// Where a trap points: the ON statement's position (line and record); the
// target is read from that statement each time the trap fires.
struct TrapRegister {
  bool set = false;
  ProgramLine* line = nullptr;
  size_t offset = 0;       // the ON statement's record frame
  bool inHandler = false;  // its handler runs: the same event is not trapped
};

// What a trap handler interrupted, restored by RESUME. The three traps
// share one stack of these, newest last.
struct TrapContext {
  ProgramLine* line = nullptr;
  size_t offset = 0;
  bool lineChanged = false;
  int32_t inputMode = 0;
  int32_t inputLimit = 255;
  // The partly typed INPUT line (only when inputMode was 2).
  std::string inputText;
  int32_t inputCursor = 0;
};

class TrapState {
 public:
  // Deepest nesting of stopped states and trap handlers together; past it
  // "?Out of memory" is reported instead of nesting further, so no sequence
  // of commands can exhaust the C++ stack.
  static constexpr int32_t kMaxNesting = 96;

  // The contexts have room for the deepest nesting from the start, so a
  // trap can always fire, even when a program has used up the budget.
  TrapState() { contexts_.reserve(kMaxNesting + 1); }

  // --- the registers -------------------------------------------------------------
  const TrapRegister& Register(TrapKind kind) const { return registers_[Index(kind)]; }
  bool IsSet(TrapKind kind) const { return Register(kind).set; }
  bool InHandler(TrapKind kind) const { return Register(kind).inHandler; }
  // The ON statement at `line`, `offset` becomes the trap's position.
  void Set(TrapKind kind, ProgramLine* line, size_t offset) {
    TrapRegister& r = registers_[Index(kind)];
    r.set = true;
    r.line = line;
    r.offset = offset;
  }
  // The trap is off; a handler that runs goes on running.
  void Clear(TrapKind kind) {
    TrapRegister& r = registers_[Index(kind)];
    r.set = false;
    r.line = nullptr;
    r.offset = 0;
  }
  void SetInHandler(TrapKind kind, bool on) { registers_[Index(kind)].inHandler = on; }
  // The in-handler flags go too: a handler that restarts the program (RUN)
  // lets the new run trap again, which the nesting bound keeps finite.
  void ClearAll() {
    for (TrapRegister& r : registers_) r = TrapRegister{};
  }

  // --- the contexts ----------------------------------------------------------------
  // Never waits for storage: room for the deepest nesting was kept.
  void PushContext(TrapContext&& c) { contexts_.push_back(std::move(c)); }
  // False when no handler's context is saved (RESUME without ON).
  bool PopContext(TrapContext& c) {
    if (contexts_.empty()) return false;
    c = std::move(contexts_.back());
    contexts_.pop_back();
    return true;
  }
  size_t ContextDepth() const { return contexts_.size(); }
  // A handler left another way than by RESUME leaves its context behind;
  // the stack follows the nesting back to `depth`.
  void DropContextsAbove(size_t depth) {
    while (contexts_.size() > depth) contexts_.pop_back();
  }
  // Every context goes; true when one of them saved an INPUT being read
  // (that read is then cancelled).
  bool DiscardContexts(int32_t readingInputMode) {
    bool inputSaved = false;
    for (const TrapContext& c : contexts_)
      if (c.inputMode == readingInputMode) inputSaved = true;
    contexts_.clear();
    return inputSaved;
  }

  // --- nesting -----------------------------------------------------------------------
  int32_t NestDepth() const { return nestDepth_; }
  bool NestingFull() const { return nestDepth_ >= kMaxNesting; }
  void EnterNesting() { ++nestDepth_; }
  void LeaveNesting() { --nestDepth_; }

  // --- the error registers -------------------------------------------------------------
  int32_t Err() const { return err_; }
  int32_t Erl() const { return erl_; }
  // The column of the last error in its line's text (-1: none to go back
  // to), and the stored line it is in (null: the command line).
  int32_t ErrorPosition() const { return errorPosition_; }
  const ProgramLine* ErrorLine() const { return errorLine_; }
  // An error raised: ERR and ERL, and where F8 goes back to.
  void RecordError(int32_t err, int32_t erl, int32_t column, const ProgramLine* line) {
    err_ = err;
    erl_ = erl;
    SetErrorPosition(column, line);
  }
  void SetErrErl(int32_t err, int32_t erl) {
    err_ = err;
    erl_ = erl;
  }
  void SetErrorPosition(int32_t column, const ProgramLine* line) {
    errorPosition_ = column;
    errorLine_ = line;
  }
  void ForgetErrorPosition() { SetErrorPosition(-1, nullptr); }

 private:
  static constexpr size_t Index(TrapKind kind) { return static_cast<size_t>(kind); }

  TrapRegister registers_[3];
  memory::Vector<TrapContext> contexts_;
  int32_t nestDepth_ = 0;  // stopped states and trap handlers now running
  int32_t err_ = 0, erl_ = 0;
  int32_t errorPosition_ = -1;
  const ProgramLine* errorLine_ = nullptr;
};

}  // namespace torvic
