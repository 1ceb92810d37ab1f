// Jump targets in operand areas, and finding the line they name.
//
// Layouts (written by the statement compiler):
//   by line number (10 bytes): u8 0 | u32 number | u16 column | u8 digits | u16 link
//   by label (6 + n bytes):    u8 1 | u16 link | u8 0 | u8 n | name (upper case) | u8 0
// Targets are never bound in the code: each execution looks the line up
// (the interpreter remembers what a site found, Interpreter::FindTarget).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/codebytes.h"
#include "frontend/code_buffer.h"

namespace torvic {

class ProgramLine;
class ProgramList;

struct JumpTarget {
  bool valid = true;  // false for a kind byte other than 0 and 1 (a damaged line)
  bool byLabel = false;
  uint32_t number = 0;
  std::string_view label;
};

// Reads the target at `offset` and moves the offset past it. Inline: every
// GOTO and GOSUB of a running program reads one.
inline JumpTarget ReadJumpTarget(const uint8_t* code, size_t& offset) {
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

// The line the target names, searching by number from `from` (the current
// line) or by label; null with `error` set to 51 or 50 when there is none,
// or 21 for a target that is not valid.
ProgramLine* FindJumpTarget(const ProgramList& program, const JumpTarget& target,
                            const ProgramLine* from, int32_t& error);

}  // namespace torvic
