// Readers for the compiled line (layout in code_buffer.h).
//
// Statement record frame (8 bytes, then the operand area):
//   0 u8 record code | 1 u16 operand length | 3 u16 column | 5 u16 text length | 7 u8 0
// Structural records:
//   248 label definition: the frame, then u16 link (label chain), u8 1,
//       u8 name length, the name in upper case, u8 0; always the first record,
//       so the name starts at offset 28 of the line
//   250 uncompiled text: u8 250, u16 column, u16 length (5 bytes, no frame)
//   251 jump: u8 251, u16 target offset in the same line (3 bytes, no frame)
//   0   end of line
#pragma once

#include <cstdint>
#include <string_view>

#include "base/codebytes.h"
#include "frontend/code_buffer.h"
#include "frontend/statements.h"

namespace torvic {

inline constexpr uint8_t kRecordEnd = 0;
inline constexpr uint8_t kRecordLabel = stmt::kLabel;
inline constexpr uint8_t kRecordUncompiled = 250;
inline constexpr uint8_t kRecordJump = 251;
inline constexpr size_t kUncompiledRecordSize = 5;
inline constexpr size_t kJumpRecordSize = 3;
inline constexpr size_t kLabelNameOffset = 28;  // in a line that starts with a label

struct RecordFrame {
  uint8_t code;
  uint16_t operandLength;
  uint16_t column;
  uint16_t textLength;
};

inline RecordFrame ReadFrame(const uint8_t* code, size_t at) {
  return RecordFrame{code[at], ReadU16(code + at + 1), ReadU16(code + at + 3),
                     ReadU16(code + at + 5)};
}

inline uint16_t ChainHead(const uint8_t* code, Chain c) {
  return ReadU16(code + static_cast<size_t>(c));
}

// The label a line defines (empty when its label flag is clear).
inline std::string_view LineLabel(const uint8_t* code, size_t codeLength) {
  if (codeLength <= kLabelNameOffset || code[kHeaderLabelFlag] != 1) return {};
  size_t length = code[kLabelNameOffset - 1];
  if (kLabelNameOffset + length > codeLength) return {};
  return std::string_view(reinterpret_cast<const char*>(code + kLabelNameOffset), length);
}

}  // namespace torvic
