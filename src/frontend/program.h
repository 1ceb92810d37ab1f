// The program: an ordered, doubly linked list of program lines, each with its
// source text and compiled code, and the modified flag beside it.
//
// Numbered lines stand in ascending order of number; unnumbered lines
// (number all bits set) keep the place where they were put. Jumps are never
// bound ahead of time: every executed jump looks its line up by number
// (walking from the current line toward the target) or by label.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/code_buffer.h"
#include "frontend/compiled_line.h"
#include "platform/memory_budget.h"

namespace torvic {

struct FormStatement;  // the engine's execution form (see ProgramLine::FormSlot)

// A line is charged to the memory budget (its object, text and code): a
// line that does not fit throws std::bad_alloc when it is made, and a
// replacement that does not fit leaves the line as it was.
class ProgramLine {
 public:
  ProgramLine(uint32_t lineNumber, std::string lineText, const uint8_t* lineCode, size_t codeLength)
      : held_(HeldBytes(lineText.size(), codeLength)),
        number(lineNumber),
        text(std::move(lineText)),
        code(lineCode, lineCode + codeLength) {
    ++codeEpoch_;
  }
  ~ProgramLine() { ++codeEpoch_; }
  ProgramLine(const ProgramLine&) = delete;
  ProgramLine& operator=(const ProgramLine&) = delete;

  // Changes whenever a line is made or freed or its code is replaced or
  // rewritten, so that what is remembered about code by its address (the
  // evaluator's variable cache and decoded expressions) is dropped when that
  // memory may hold other code.
  static uint64_t CodeEpoch() { return codeEpoch_; }
  // Code was rewritten or numbers changed in place (RENUM, UNNUM).
  static void NoteCodeRewritten() { ++codeEpoch_; }

 private:
  memory::Reservation held_;  // first: charged before the text and code are made

 public:
  uint32_t number;            // 1..65535, or kNoLineNumber
  std::string text;           // as typed after the number, trailing spaces removed
  std::vector<uint8_t> code;  // the compiled line, exact length (change it with ReplaceTextAndCode)
  uint32_t newNumber = kNoLineNumber;  // RENUM's scratch value
  // Where the engine's execution form of this line (engine/execution_form.h)
  // stands: `count` statements from `first`, made in code epoch `epoch`;
  // `entry` says that the line starts with the first of them and that it
  // has a fast way. A cache: a stale epoch means there is none (and
  // `first` may be freed).
  struct FormSlot {
    uint64_t epoch = ~uint64_t{0};
    const FormStatement* first = nullptr;
    uint32_t count = 0;
    bool entry = false;
  };
  mutable FormSlot form;

  bool IsNumbered() const { return number != kNoLineNumber; }
  // Numbers compare as signed 32-bit values, so unnumbered lines read as -1.
  int32_t SignedNumber() const { return static_cast<int32_t>(number); }
  const uint8_t* Code() const { return code.data(); }
  size_t CodeLength() const { return code.size(); }
  std::string_view Label() const { return LineLabel(code.data(), code.size()); }
  // The label definition as typed, from its "*" (the label record's column
  // and text length in the text); empty when the line defines no label.
  std::string_view LabelText() const;

  ProgramLine* Next() const { return next_; }
  ProgramLine* Prev() const { return prev_; }

  // Gives the line new text and code (swapped in: the old ones come back in
  // the arguments). The old code's memory is freed afterwards, so this
  // counts as code freed for CodeEpoch.
  void ReplaceTextAndCode(std::string& newText, std::vector<uint8_t>& newCode) {
    held_.Resize(HeldBytes(newText.size(), newCode.size()));
    text.swap(newText);
    code.swap(newCode);
    ++codeEpoch_;
  }

 private:
  friend class ProgramList;
  static uint64_t HeldBytes(size_t textLength, size_t codeLength) {
    return memory::BlockBytes(sizeof(ProgramLine)) + memory::StringBytes(textLength) +
           memory::BlockBytes(codeLength);
  }
  static inline uint64_t codeEpoch_ = 0;
  ProgramLine* prev_ = nullptr;
  ProgramLine* next_ = nullptr;
};

class ProgramList {
 public:
  ProgramList() = default;
  ProgramList(const ProgramList&) = delete;
  ProgramList& operator=(const ProgramList&) = delete;
  ~ProgramList() { Clear(); }

  ProgramLine* First() const { return first_; }
  ProgramLine* Last() const { return last_; }
  size_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }

  bool Modified() const { return modified_; }
  // The numbered lines stand in strictly ascending order (they do unless a
  // binary program file stored them otherwise).
  bool NumbersAscend() const { return ordered_; }
  // Changes whenever a line is linked into or unlinked from this list, or
  // the lists' lines are exchanged.
  uint64_t Shape() const { return shape_; }
  void SetModified(bool m) { modified_ = m; }

  // Links a line object into the list; the list owns it from then on.
  ProgramLine* Append(std::unique_ptr<ProgramLine> line);
  ProgramLine* InsertBefore(ProgramLine* before, std::unique_ptr<ProgramLine> line);
  // Unlinks a line and hands its ownership back.
  std::unique_ptr<ProgramLine> Detach(ProgramLine* line);
  void Remove(ProgramLine* line) { Detach(line); }
  // Frees every line; count 0. The modified flag is left to the caller.
  void Clear();
  // Moves all lines of `other` to the end of this list, in order.
  void TakeAllFrom(ProgramList& other);
  // Exchanges the lines and the modified flags of two lists (NEW and OLD
  // move a whole program this way, the line objects staying where they are).
  void Swap(ProgramList& other);

  // Inserts a new numbered line in number order: an existing line with the
  // same number is replaced (its object freed); unnumbered lines never stop
  // the walk. Returns the new line.
  ProgramLine* InsertByNumber(std::unique_ptr<ProgramLine> line);

  // The line with number n, searching from `start` (the first line when
  // null): forward when start's signed number is at most n, else backward.
  // Lines found are remembered by number (see FoundLine below), so a jump
  // far across a long program is not a walk every time.
  ProgramLine* FindLine(uint32_t n, const ProgramLine* start = nullptr) const;

  // The first line in program order whose label equals `name` (upper case,
  // compared exactly), or null.
  ProgramLine* FindLabel(std::string_view name) const;

  // The duplicate-label check made before a program starts: among the
  // labelled lines, the first one whose label another line repeats decides;
  // the result is that other line (the second occurrence), or null.
  ProgramLine* FindDuplicateLabel() const;

 private:
  // Lines found by number. While the numbered lines stand in ascending
  // order (as every insertion by number and RENUM keep them), each number
  // names at most one line, and a walk from the first line or from any
  // numbered line finds that line or none; so a line found once is the
  // answer again while the list keeps its shape (no line linked or
  // unlinked since) and the line still has that number (RENUM and UNNUM
  // change numbers in place). Misses are not remembered.
  struct FoundLine {
    uint32_t number = kNoLineNumber;
    uint64_t shape = 0;
    ProgramLine* line = nullptr;
  };
  static constexpr size_t kFoundLines = 128;
  static size_t FoundSlot(uint32_t n) { return (n * 0x9E3779B1u) >> 25; }
  // Keeps `ordered_` after `l` was linked in: false for good (until the
  // list is emptied) when a numbered neighbour is out of order.
  void CheckOrder(const ProgramLine* l);

  ProgramLine* first_ = nullptr;
  ProgramLine* last_ = nullptr;
  size_t count_ = 0;
  bool modified_ = false;
  bool ordered_ = true;  // numbered lines strictly ascend in list order
  uint64_t shape_ = 1;   // changes whenever a line is linked or unlinked
  mutable FoundLine found_[kFoundLines];
};

// Entering a typed line that begins (after spaces) with a digit.
struct LineEntryResult {
  enum Kind {
    Stored,       // inserted or replaced
    Deleted,      // an empty remainder deleted the line (or there was none)
    BadNumber,    // 0 or above 65535: nothing stored
    OutOfMemory,  // the program keeps its earlier state
  } kind = BadNumber;
  uint32_t number = 0;
  ProgramLine* line = nullptr;  // the stored line (Stored)
  // For BadNumber: the digits as typed, and the error column (the number of
  // spaces before them).
  std::string digits;
  int32_t column = 0;
};

// Reads the number, drops one space after it, and stores, replaces or deletes
// the line (compiling the text with CompileLine). Sets the modified flag as
// the program store's rules say; the caller resets the interpreter's run
// state after Stored and Deleted.
LineEntryResult EnterNumberedLine(ProgramList& program, std::string_view typed);

}  // namespace torvic
