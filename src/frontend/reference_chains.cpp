#include "frontend/reference_chains.h"

#include "base/codebytes.h"

namespace torvic {

std::vector<size_t> ChainItems(const uint8_t* code, size_t length, Chain c, size_t itemSize,
                               bool* damaged) {
  std::vector<size_t> items;
  if (length < kLineHeaderSize) {
    if (damaged) *damaged = true;
    return items;
  }
  size_t previous = 0;
  size_t at = ReadU16(code + static_cast<size_t>(c));
  while (at != 0) {
    const size_t link = ChainLinkOffset(c, at);
    if (at <= previous || at < kLineHeaderSize || at + itemSize > length || link + 2 > length) {
      if (damaged) *damaged = true;
      break;
    }
    items.push_back(at);
    previous = at;
    at = ReadU16(code + link);
  }
  return items;
}

std::vector<LineNumberItem> LineNumberItems(const uint8_t* code, size_t length, bool* damaged) {
  std::vector<LineNumberItem> items;
  for (size_t at : ChainItems(code, length, Chain::JumpTarget, kLineNumberItemReach, damaged)) {
    LineNumberItem item;
    item.at = at;
    item.number = ReadU32(code + at);
    item.column = ReadU16(code + at + 4);
    item.digits = code[at + 6];
    items.push_back(item);
  }
  return items;
}

}  // namespace torvic
