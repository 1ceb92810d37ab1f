// CodeBuffer: the 4096-byte scratch buffer a line is compiled into, with the
// reference chains of the compiled line.
//
// Compiled line (all fields little-endian, unaligned; offsets from byte 0):
//
//   0  u16  head of the jump-target chain (line-number references)
//   2  u16  head of the DATA chain (every DATA item of the line, in order)
//   4  u8   1 if the line begins with a label definition
//   5  u8   1 if the line contains a $COLOR statement
//   6  u16  head of the label chain (label definitions and references)
//   8  u16  head of the variable chain (variable and array references)
//  10  u16  head of the user-function chain (DEF FN definitions, FN calls)
//  12  u16  head of the named-constant chain ("%" names: CONST and uses)
//  14  u16  head of the built-in function chain (built-in function calls)
//  16  ...  statement records
//  end u8   0
//
// A chain head or link holds the offset of the next item's link field, or 0
// at the end; items are appended in source order. Every chained item starts
// with its u16 link, except the jump-target item:
//
//   jump target by line number (10 bytes):
//     u8 0 | u32 line number | u16 column of the first digit | u8 digit count | u16 link
//   whose chain offset points at the u32 field and whose link lies 7 bytes
//   further on.
//
// Writes never pass the capacity: once a write does not fit, the buffer is
// marked failed (Failed()) and further writes are dropped, so a statement
// that would not fit fails like any other and is rolled back with Truncate.
// The last kTailReserve bytes are kept for the structural records that end a
// statement or the line (a 250 record and the end byte), written with the
// Structural* calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/codebytes.h"

namespace torvic {

// The chains, named by the offset of their head in the line header.
enum class Chain : uint8_t {
  JumpTarget = 0,
  Data = 2,
  Label = 6,
  Variable = 8,
  UserFunction = 10,
  Constant = 12,
  BuiltinFunction = 14,
};
inline constexpr Chain kAllChains[] = {Chain::JumpTarget,     Chain::Data,         Chain::Label,
                                       Chain::Variable,       Chain::UserFunction, Chain::Constant,
                                       Chain::BuiltinFunction};

inline constexpr size_t kLineHeaderSize = 16;
inline constexpr size_t kHeaderLabelFlag = 4;
inline constexpr size_t kHeaderColorFlag = 5;
inline constexpr size_t kRecordFrameSize =
    8;  // code, u16 operand length, u16 column, u16 text length, 0
inline constexpr size_t kJumpTargetItemSize = 10;
inline constexpr size_t kJumpTargetLinkDistance = 7;  // from the u32 field to the link
inline constexpr uint32_t kNoLineNumber = 0xFFFFFFFFu;

// Where the link field of a chained item at chain offset `at` lies.
inline size_t ChainLinkOffset(Chain c, size_t at) {
  return c == Chain::JumpTarget ? at + kJumpTargetLinkDistance : at;
}

class CodeBuffer {
 public:
  static constexpr size_t kCapacity = 4096;
  static constexpr size_t kTailReserve = 6;  // one 250 record and the end byte

  CodeBuffer() { Reset(); }

  // Empties the buffer to a cleared 16-byte header.
  void Reset();

  size_t Size() const { return size_; }
  const uint8_t* Data() const { return bytes_.data(); }
  uint8_t* Data() { return bytes_.data(); }
  bool Failed() const { return failed_; }

  // Plain writes; false (and Failed()) when they do not fit.
  bool Put8(uint8_t v);
  bool Put16(uint16_t v);
  bool Put32(uint32_t v);
  bool PutF64(double v);
  bool PutBytes(const void* data, size_t n);
  bool PutString(std::string_view s) { return PutBytes(s.data(), s.size()); }
  // Reserves n zero bytes and returns their offset (0 when they do not fit).
  size_t Reserve(size_t n);

  void Patch8(size_t at, uint8_t v) { bytes_[at] = v; }
  void Patch16(size_t at, uint16_t v) { WriteU16(&bytes_[at], v); }
  uint8_t At(size_t at) const { return bytes_[at]; }

  // Writes a u16 link (0) at the current position and appends it to the end
  // of chain c. For the jump-target chain use PutJumpTarget instead.
  bool PutChainLink(Chain c);

  // Writes the 10-byte jump-target item; with onChain it is appended to the
  // jump-target chain (its u32 field is what the chain points at).
  bool PutJumpTarget(uint32_t line, uint16_t column, uint8_t digits, bool onChain);

  // Rolls back a failed statement: cuts the output back to `pos` and every
  // chain so that no item at or beyond pos stays linked; clears Failed().
  void Truncate(size_t pos);

  // Structural writes that may use the tail reserve.
  bool StructuralUncompiled(uint16_t column, uint16_t length);  // 250 record
  bool StructuralEnd();                                         // end byte 0

  void SetHeaderFlag(size_t offset, uint8_t v) { bytes_[offset] = v; }

 private:
  bool Fits(size_t n, size_t limit) const { return !failed_ && size_ + n <= limit; }
  bool Room(size_t n);  // within the capacity less the tail reserve
  void Append(Chain c, size_t at);
  size_t& Tail(Chain c) { return tail_[static_cast<size_t>(c) / 2]; }

  std::array<uint8_t, kCapacity> bytes_;
  size_t size_ = 0;
  bool failed_ = false;
  // Offset of the link field to patch for the next item of each chain
  // (the header slot while the chain is empty), indexed by head offset / 2.
  std::array<size_t, 8> tail_{};
};

}  // namespace torvic
