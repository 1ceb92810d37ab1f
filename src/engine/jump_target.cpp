#include "engine/jump_target.h"

#include "engine/errors.h"
#include "frontend/codebytes.h"
#include "frontend/program.h"

namespace torvic {

JumpTarget ReadJumpTarget(const uint8_t* code, size_t& offset) {
  JumpTarget t;
  if (code[offset] == 0) {
    t.number = ReadU32(code + offset + 1);
    offset += kJumpTargetItemSize;
  } else if (code[offset] != 1) {
    t.valid = false;
  } else {
    t.byLabel = true;
    const size_t length = code[offset + 4];
    t.label = std::string_view(reinterpret_cast<const char*>(code + offset + 5), length);
    offset += 6 + length;
  }
  return t;
}

ProgramLine* FindJumpTarget(const ProgramList& program, const JumpTarget& target,
                            const ProgramLine* from, int32_t& error) {
  if (!target.valid) {
    error = kErrInternalError;
    return nullptr;
  }
  ProgramLine* line =
      target.byLabel ? program.FindLabel(target.label) : program.FindLine(target.number, from);
  error = line ? 0 : (target.byLabel ? kErrUndefinedLabel : kErrUndefinedLine);
  return line;
}

}  // namespace torvic
