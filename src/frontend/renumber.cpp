#include "frontend/renumber.h"

#include <string>
#include <unordered_set>
#include <vector>

#include "base/codebytes.h"
#include "frontend/compiled_line.h"
#include "frontend/reference_chains.h"

namespace torvic {

namespace {

constexpr size_t kMaxTextLength = 255;

// The line a jump target names, searched as a jump executed in `from` would
// search (from that line when it is numbered, else from the first line).
// Numbers outside 1..65535 name no line: an unnumbered line must never be
// found by its all-bits-set number.
ProgramLine* FindTarget(const ProgramList& program, uint32_t number, const ProgramLine& from) {
  if (number == 0 || number > 65535) return nullptr;
  return program.FindLine(number, from.IsNumbered() ? &from : nullptr);
}

int DigitCount(uint32_t n) {
  int digits = 1;
  while (n >= 10) n /= 10, ++digits;
  return digits;
}

// After the number at text position `position` changed its length by
// `delta`, the records of the line must still cut their own statements out
// of the text (error excerpts, the error position of the edit key): records
// that start after it move, records whose text holds it grow or shrink.
// Walks [from, to) like the run loop, into the parts of IF and of a stray
// ELSE (frame and structural records: compiled_line.h).
void ShiftRecordColumns(uint8_t* code, size_t from, size_t to, size_t position, int delta,
                        int depth = 0) {
  if (depth > 200) return;
  auto shift = [&](size_t columnAt, size_t lengthAt) {
    const size_t column = ReadU16(code + columnAt), length = ReadU16(code + lengthAt);
    if (column > position)
      WriteU16(code + columnAt, static_cast<uint16_t>(static_cast<int>(column) + delta));
    else if (column + length > position)
      WriteU16(code + lengthAt, static_cast<uint16_t>(static_cast<int>(length) + delta));
  };
  size_t at = from;
  while (at < to) {
    const uint8_t rc = code[at];
    if (rc == kRecordEnd) return;
    if (rc == kRecordUncompiled) {
      if (to - at < kUncompiledRecordSize) return;
      shift(at + 1, at + 3);
      at += kUncompiledRecordSize;
      continue;
    }
    if (rc == kRecordJump) {
      at += kJumpRecordSize;
      continue;
    }
    if (to - at < kRecordFrameSize) return;
    const RecordFrame f = ReadFrame(code, at);
    const size_t operands = at + kRecordFrameSize;
    if (f.operandLength > to - operands) return;
    const size_t end = operands + f.operandLength;
    shift(at + 3, at + 5);
    if (rc == stmt::kIf && end - operands >= 2) {
      const size_t thenStart = ReadU16(code + operands);
      if (thenStart >= operands && thenStart <= end)
        ShiftRecordColumns(code, thenStart, end, position, delta, depth + 1);
    } else if (rc == stmt::kElse) {
      ShiftRecordColumns(code, operands, end, position, delta, depth + 1);
    }
    at = end;
  }
}

// Pass 1: the new numbers (ProgramLine::newNumber, all bits set = keeps its
// number). False on an order error.
//
// `previous` is the number of the last numbered line before the one being
// planned, so a new number must stand above every number before it. An
// unnumbered line in between leaves it as it is: were it reset, lines 10,
// 20, an unnumbered line and 30 renumbered from 30 on with 5 would come out
// as 10, 20, -, 5, out of order, and jumps would no longer find their lines.
bool PlanNumbers(ProgramList& program, const RenumberRequest& r, bool& changed) {
  int64_t next = r.start;
  int64_t previous = -1;
  bool started = false;
  changed = false;
  const int32_t first = static_cast<int32_t>(r.first);
  for (ProgramLine* line = program.First(); line; line = line->Next()) {
    const int32_t number = line->SignedNumber();
    if (!started && number < first) {
      if (line->IsNumbered()) previous = number;
      continue;
    }
    started = true;
    if (r.keepUnnumbered && !line->IsNumbered()) continue;
    // A line that needs a number beyond 65535 cannot have one. (Checked when
    // the number is needed, so kept unnumbered lines at the end never fail.)
    if (next > 65535) return false;
    if (next == number) {
      previous = next;
    } else if (next <= previous) {
      return false;
    } else {
      line->newNumber = static_cast<uint32_t>(next);
      previous = next;
      changed = true;
    }
    next += r.step;
  }
  return true;
}

// Pass 2: the text length each line will have; the first line that would
// reach 256 characters, or null.
const ProgramLine* FindTooLong(const ProgramList& program, std::vector<size_t>& newLengths) {
  for (const ProgramLine* line = program.First(); line; line = line->Next()) {
    int64_t length = static_cast<int64_t>(line->text.size());
    for (const LineNumberItem& item : LineNumberItems(line->Code(), line->CodeLength())) {
      const ProgramLine* target = FindTarget(program, item.number, *line);
      if (target && target->newNumber != kNoLineNumber)
        length += DigitCount(target->newNumber) - item.digits;
    }
    if (length > static_cast<int64_t>(kMaxTextLength)) return line;
    newLengths.push_back(static_cast<size_t>(length < 0 ? 0 : length));
  }
  return nullptr;
}

// Pass 3 for one line: every item that names a renumbered line gets the new
// number, in the item and in the text.
void RewriteLine(const ProgramList& program, ProgramLine& line,
                 const MissingTargetReport& onMissing) {
  uint8_t* code = line.code.data();
  const size_t length = line.code.size();
  const std::vector<LineNumberItem> items = LineNumberItems(code, length);
  for (size_t i = 0; i < items.size(); ++i) {
    const size_t at = items[i].at;
    const uint32_t number = ReadU32(code + at);
    const ProgramLine* target = FindTarget(program, number, line);
    if (!target) {
      if (onMissing) onMissing(line, number);
      continue;
    }
    if (target->newNumber == kNoLineNumber) continue;
    const size_t column = ReadU16(code + at + 4);
    const size_t oldDigits = code[at + 6];
    if (column > line.text.size() || oldDigits > line.text.size() - column) continue;  // damaged
    const std::string digits = std::to_string(target->newNumber);
    line.text.replace(column, oldDigits, digits);
    WriteU32(code + at, target->newNumber);
    code[at + 6] = static_cast<uint8_t>(digits.size());
    const int delta = static_cast<int>(digits.size()) - static_cast<int>(oldDigits);
    if (delta == 0) continue;
    for (size_t j = i + 1; j < items.size(); ++j)
      WriteU16(code + items[j].at + 4,
               static_cast<uint16_t>(static_cast<int>(ReadU16(code + items[j].at + 4)) + delta));
    ShiftRecordColumns(code, kLineHeaderSize, length, column, delta);
  }
}

void ClearPlan(ProgramList& program) {
  for (ProgramLine* line = program.First(); line; line = line->Next())
    line->newNumber = kNoLineNumber;
}

}  // namespace

RenumberResult Renumber(ProgramList& program, const RenumberRequest& request,
                        const MissingTargetReport& onMissing) {
  RenumberResult result;
  ClearPlan(program);
  bool changed = false;
  if (!PlanNumbers(program, request, changed)) {
    ClearPlan(program);
    result.kind = RenumberResult::OrderError;
    return result;
  }
  if (!changed) {
    result.kind = RenumberResult::NothingChanged;
    return result;
  }
  std::vector<size_t> newLengths;
  if (const ProgramLine* tooLong = FindTooLong(program, newLengths)) {
    ClearPlan(program);
    result.kind = RenumberResult::LineTooLong;
    result.line = tooLong;
    return result;
  }
  // Storage first, so that running out of memory (thrown from here) leaves
  // the program as it was.
  {
    size_t i = 0;
    try {
      for (ProgramLine* line = program.First(); line; line = line->Next(), ++i)
        line->text.reserve(newLengths[i]);
    } catch (...) {
      ClearPlan(program);
      throw;
    }
  }
  for (ProgramLine* line = program.First(); line; line = line->Next())
    RewriteLine(program, *line, onMissing);
  ProgramLine::NoteCodeRewritten();
  for (ProgramLine* line = program.First(); line; line = line->Next()) {
    if (line->newNumber != kNoLineNumber) line->number = line->newNumber;
    line->newNumber = kNoLineNumber;
  }
  program.SetModified(true);
  result.kind = RenumberResult::Renumbered;
  return result;
}

bool Unnumber(ProgramList& program) {
  std::unordered_set<uint32_t> named;
  for (const ProgramLine* line = program.First(); line; line = line->Next())
    for (const LineNumberItem& item : LineNumberItems(line->Code(), line->CodeLength()))
      named.insert(item.number);
  bool changed = false;
  for (ProgramLine* line = program.First(); line; line = line->Next()) {
    if (line->IsNumbered() && !named.count(line->number)) {
      line->number = kNoLineNumber;
      changed = true;
    }
  }
  if (changed) {
    ProgramLine::NoteCodeRewritten();  // what was found by number is stale
    program.SetModified(true);
  }
  return changed;
}

}  // namespace torvic
