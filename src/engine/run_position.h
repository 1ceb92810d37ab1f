// Where execution stands: the current line and offset, the bounds of the
// record being executed, the GOSUB stack, the FOR list and the DATA
// pointer. Everything a jump, a subroutine, a loop or READ moves, and
// everything a reset of the run drops.
//
// The program loop runs one statement after another on these fields, so
// every operation the loop or a handler uses per statement is inline here.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frontend/compiled_line.h"
#include "frontend/program.h"
#include "platform/memory_budget.h"

namespace torvic {

// A GOSUB return point; a null line is a point in the immediate line.
struct ReturnPoint {
  ProgramLine* line = nullptr;
  size_t offset = 0;
};

// A FOR loop record, kept in the FOR list oldest first. A record is found
// again by its run mode and variable, so a loop left by GOTO is reused by
// the next FOR on the same variable and the list stays small.
struct ForRecord {
  bool active = true;
  bool immediate = false;  // run mode 0 when the FOR executed
  int letter = -1;         // 0..25 for a letter variable, else -1
  std::string name;        // the numeric scalar's name when letter is -1
  double limit = 0;
  double step = 1;
  ProgramLine* line = nullptr;  // the FOR's line (null in immediate mode)
  // The code the FOR ran in: an immediate loop only continues inside the
  // same command line, never in another one that happens to be active.
  const uint8_t* code = nullptr;
  size_t offset = 0;  // just after the FOR statement
  // The variable's number, found once by the FOR so that NEXT needs no
  // lookup: a letter's place never moves; a named scalar's record stays
  // while VariableStore::Removals() equals `removals`, and is found again
  // by name when it does not.
  double* place = nullptr;
  uint64_t removals = 0;
  // The program NEXT item last found to name this loop's variable, and the
  // code epoch then: while the epoch holds, those bytes are unchanged, so
  // the same item names the same variable without comparing names.
  const uint8_t* nextItem = nullptr;
  uint64_t nextEpoch = 0;
};

// The DATA pointer: the line and the offset of the next item's link field;
// a null line when no DATA remains. A fresh pointer (after RUN, a program
// edit) stands before the program's first DATA item.
struct DataPointer {
  const ProgramLine* line = nullptr;
  size_t offset = 0;
  bool fresh = true;
};

class RunPosition {
 public:
  // --- the current line and offset ---------------------------------------------
  ProgramLine* Line() const { return line_; }
  size_t Offset() const { return offset_; }
  // The program loop's offset: the loop hands it to the handlers of the
  // current line, which advance it past their operands.
  size_t& LoopOffset() { return offset_; }
  // Moves execution: the program loop does not advance past a moved
  // position, it starts again from there.
  void MoveTo(ProgramLine* line, size_t offset) {
    line_ = line;
    offset_ = offset;
    lineChanged_ = true;
  }
  // The program loop's own step to the next line's first statement, which
  // it goes on with without starting over.
  void FallThrough(ProgramLine* next) {
    line_ = next;
    offset_ = kLineHeaderSize;
  }
  // A move inside a running program to a place past a line's start (NEXT
  // going back into its loop), which the program loop goes on with without
  // starting over: nothing it does on a line change applies there.
  void ContinueAt(ProgramLine* line, size_t offset) {
    line_ = line;
    offset_ = offset;
  }
  // Whether a statement moved execution since the loop last looked.
  bool LineChanged() const { return lineChanged_; }
  void ClearLineChanged() { lineChanged_ = false; }
  // A position saved by a trap handler, put back exactly (RESUME).
  void Restore(ProgramLine* line, size_t offset, bool lineChanged) {
    line_ = line;
    offset_ = offset;
    lineChanged_ = lineChanged;
  }

  // --- the record being executed -----------------------------------------------
  // Where it starts and where its operands end.
  size_t StatementStart() const { return statementStart_; }
  size_t PayloadEnd() const { return payloadEnd_; }
  void SetStatement(size_t start, size_t payloadEnd) {
    statementStart_ = start;
    payloadEnd_ = payloadEnd;
  }

  // --- the GOSUB stack (PUSH too) ------------------------------------------------
  // Throws std::bad_alloc when the memory budget has no room.
  void PushReturn(ReturnPoint point) { gosub_.push_back(point); }
  // False when the stack is empty.
  bool PopReturn(ReturnPoint& point) {
    if (gosub_.empty()) return false;
    point = gosub_.back();
    gosub_.pop_back();
    return true;
  }
  // The point the next RETURN goes back to, or null; DropReturn forgets it.
  const ReturnPoint* NewestReturn() const { return gosub_.empty() ? nullptr : &gosub_.back(); }
  void DropReturn() { gosub_.pop_back(); }
  size_t GosubDepth() const { return gosub_.size(); }

  // --- the FOR list --------------------------------------------------------------
  // The newest loop record, or null.
  ForRecord* NewestLoop() { return forList_.empty() ? nullptr : &forList_.back(); }
  // The newest record, scanning back, for which `take` answers true.
  template <typename Take>
  ForRecord* FindLoop(Take&& take) {
    for (size_t i = forList_.size(); i-- > 0;)
      if (take(forList_[i])) return &forList_[i];
    return nullptr;
  }
  // FOR: the record of the loop on this variable in this run mode, moved
  // up to be the newest, or a new one; active, with its variable set and
  // its other fields left for the caller to fill. All or nothing: throws
  // std::bad_alloc with the list unchanged when there is no room.
  ForRecord& EnterLoop(bool immediate, int letter, std::string_view name);
  // A finished loop ends the loops made after it (the inner ones) too.
  void LeaveLoop(const ForRecord& r) {
    forList_.erase(forList_.begin() + (&r - forList_.data()), forList_.end());
  }
  size_t ActiveLoops() const {
    return static_cast<size_t>(std::count_if(forList_.begin(), forList_.end(),
                                             [](const ForRecord& f) { return f.active; }));
  }
  // A new command line: the loops typed at the prompt before it are over.
  void DeactivateImmediateLoops() {
    for (ForRecord& f : forList_)
      if (f.immediate) f.active = false;
  }

  // --- the DATA pointer -----------------------------------------------------------
  const DataPointer& Data() const { return data_; }
  void SetData(const DataPointer& d) { data_ = d; }

  // --- resets -----------------------------------------------------------------------
  // The loops and the subroutines end; their storage goes back to the
  // budget.
  void ForgetLoopsAndReturns() {
    for (ForRecord& f : forList_) f.active = false;
    memory::Release(forList_);
    memory::Release(gosub_);
  }
  // The next READ starts at the program's first DATA item.
  void RewindData() { data_ = {}; }

 private:
  ProgramLine* line_ = nullptr;
  size_t offset_ = 0;
  bool lineChanged_ = false;
  size_t statementStart_ = 0;
  size_t payloadEnd_ = 0;
  // Charged to the memory budget: a program's subroutines and loops take
  // storage as its variables do.
  memory::Vector<ReturnPoint> gosub_;
  memory::Vector<ForRecord> forList_;
  DataPointer data_;
};

}  // namespace torvic
