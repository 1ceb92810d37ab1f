// Bounds-checked reads of compiled code (expression code and the operand
// areas of the statements that the variable operations execute). Every
// reader returns false when the code ends too early; callers answer
// "?Internal error" for such malformed code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/codebytes.h"

namespace torvic {

using Code = std::span<const uint8_t>;

inline bool CodeHas(Code code, size_t pos, size_t n) {
  return pos <= code.size() && n <= code.size() - pos;
}

inline bool ReadCode8(Code code, size_t& pos, uint8_t& v) {
  if (!CodeHas(code, pos, 1)) return false;
  v = code[pos++];
  return true;
}

inline bool ReadCode16(Code code, size_t& pos, uint16_t& v) {
  if (!CodeHas(code, pos, 2)) return false;
  v = ReadU16(code.data() + pos);
  pos += 2;
  return true;
}

// A name field: u8 length | the name | u8 0.
inline bool ReadCodeName(Code code, size_t& pos, std::string_view& name) {
  if (!CodeHas(code, pos, 1)) return false;
  const size_t n = code[pos];
  if (!CodeHas(code, pos + 1, n + 1) || code[pos + 1 + n] != 0) return false;
  name = std::string_view(reinterpret_cast<const char*>(code.data() + pos + 1), n);
  pos += n + 2;
  return true;
}

}  // namespace torvic
