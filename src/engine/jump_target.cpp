#include "engine/jump_target.h"

#include "base/codebytes.h"
#include "base/errors.h"
#include "frontend/program.h"

namespace torvic {

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
