// The commands that change the stored program as a whole: DEL, KEEP, RENUM
// (RES, RESEQUENCE), UNNUM, and FIND, the one program-editing command of
// the unsupported group that checks its operand first. Each change sets or
// recomputes the modified flag and ends with the program edit reset.
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/errors.h"
#include "console/settings.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "engine/interpreter.h"
#include "frontend/line_ranges.h"
#include "frontend/renumber.h"

namespace torvic::handlers {

namespace {

void AfterDeletions(Interpreter& in) {
  in.Program().SetModified(!in.Program().Empty());
  in.ResetAfterEdit();
}

}  // namespace

// DEL ranges   (operands: range list with at least one range)
int32_t Del(Interpreter& in, const uint8_t* code, size_t& offset) {
  std::vector<LineRange> ranges;
  const bool ok = ReadRangeList(code, offset, in.Position().PayloadEnd(), ranges);
  offset = in.Position().PayloadEnd();
  if (in.Running()) return kErrModeError;
  if (!ok) return kErrInternalError;
  ProgramList& program = in.Program();
  bool deleted = false;
  for (const LineRange& range : ranges) {
    WalkRange(program, range, [&](ProgramLine& line) {
      program.Remove(&line);
      deleted = true;
      return true;
    });
  }
  if (deleted) AfterDeletions(in);
  return 0;
}

// KEEP ranges   (operands: range list with at least one range)
int32_t Keep(Interpreter& in, const uint8_t* code, size_t& offset) {
  std::vector<LineRange> ranges;
  const bool ok = ReadRangeList(code, offset, in.Position().PayloadEnd(), ranges);
  offset = in.Position().PayloadEnd();
  if (in.Running()) return kErrModeError;
  if (!ok) return kErrInternalError;
  ProgramList& program = in.Program();
  std::unordered_set<const ProgramLine*> kept;  // the keep marks
  for (const LineRange& range : ranges) {
    WalkRange(program, range, [&](ProgramLine& line) {
      kept.insert(&line);
      return true;
    });
  }
  bool deleted = false;
  for (ProgramLine* line = program.First(); line;) {
    ProgramLine* next = line->Next();
    if (!kept.count(line)) {
      program.Remove(line);
      deleted = true;
    }
    line = next;
  }
  if (deleted) AfterDeletions(in);
  return 0;
}

// RENUM [new] [, [first] [, step]]; RES, RESEQUENCE [new] [, step]
// (operands: u16 new | u32 first, all bits set = from the start | u16 step)
int32_t Renum(Interpreter& in, const uint8_t* code, size_t& offset) {
  if (in.Position().PayloadEnd() - offset < 8) return kErrInternalError;
  RenumberRequest request;
  request.start = ReadU16(code + offset);
  request.first = ReadU32(code + offset + 2);
  request.step = ReadU16(code + offset + 6);
  request.keepUnnumbered = in.Memory().RenumKeepsUnnumbered();
  offset = in.Position().PayloadEnd();
  if (request.start == 0 || request.step == 0) return kErrCommandError;
  if (in.Running()) return kErrModeError;
  ProgramList& program = in.Program();
  if (program.Empty()) return 0;
  RenumberResult result;
  try {
    result = Renumber(program, request, [&](const ProgramLine& line, uint32_t number) {
      in.ReportError(kErrUndefinedLine, line.SignedNumber(), std::to_string(number));
    });
  } catch (const std::bad_alloc&) { return kErrOutOfMemory; }
  switch (result.kind) {
    case RenumberResult::OrderError: return kErrRenumberError;
    case RenumberResult::LineTooLong:
      in.ReportError(kErrLineTooLong, result.line->SignedNumber(), std::nullopt);
      return -kErrLineTooLong;
    case RenumberResult::NothingChanged:
    case RenumberResult::Renumbered: in.ResetAfterEdit(); return 0;
  }
  return 0;
}

// UNNUM
int32_t Unnum(Interpreter& in, const uint8_t*, size_t&) {
  if (in.Running()) return kErrModeError;
  if (in.Program().Empty()) return 0;
  Unnumber(in.Program());
  in.ResetAfterEdit();
  return 0;
}

// FIND text$ [, ranges]   (operands: expression | range list)
// Not supported, but a text that is empty or longer than 255 characters
// is a command error first.
int32_t Find(Interpreter& in, const uint8_t* code, size_t& offset) {
  CBasicString text;
  const int32_t r =
      in.Expressions().Eval().EvaluateString(Code(code, in.Position().PayloadEnd()), offset, text);
  offset = in.Position().PayloadEnd();
  if (r != 0) return r;
  if (in.Reason() != StopReason::None) return 0;
  if (text.Length() < 1 || text.Length() > 255) return kErrCommandError;
  return kErrNotSupported;
}

}  // namespace torvic::handlers
