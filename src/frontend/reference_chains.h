// Walking the reference chains of a compiled line (layout in code_buffer.h)
// for the commands that read them: RENUM and UNNUM (the jump-target chain)
// and $XREF (all of them).
//
// Code read here may come from elsewhere than the compiler (a program file),
// so every link is checked: it must point forward and leave room for the
// item inside the line. A chain that breaks these rules ends there and is
// reported as damaged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "frontend/code_buffer.h"

namespace torvic {

// The chain offsets of the items of chain `c`, in chain (that is, source)
// order. `itemSize` is the number of bytes every item needs from its chain
// offset on; *damaged is set when a link breaks the rules.
std::vector<size_t> ChainItems(const uint8_t* code, size_t length, Chain c, size_t itemSize,
                               bool* damaged = nullptr);

// A jump target by line number, read at its chain offset (the u32 field):
//   u8 0 | u32 number | u16 column | u8 digits | u16 link
struct LineNumberItem {
  size_t at = 0;  // chain offset: the u32 field
  uint32_t number = 0;
  uint16_t column = 0;
  uint8_t digits = 0;
};
inline constexpr size_t kLineNumberItemReach = 4 + 2 + 1 + 2;  // from the u32 field

std::vector<LineNumberItem> LineNumberItems(const uint8_t* code, size_t length,
                                            bool* damaged = nullptr);

}  // namespace torvic
