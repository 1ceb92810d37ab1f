#include "frontend/code_buffer.h"

#include <cstring>

namespace torvic {

void CodeBuffer::Reset() {
  std::memset(bytes_.data(), 0, kLineHeaderSize);
  size_ = kLineHeaderSize;
  failed_ = false;
  for (Chain c : kAllChains) Tail(c) = static_cast<size_t>(c);
}

bool CodeBuffer::Room(size_t n) {
  if (Fits(n, kCapacity - kTailReserve)) return true;
  failed_ = true;
  return false;
}

bool CodeBuffer::Put8(uint8_t v) {
  if (!Room(1)) return false;
  bytes_[size_++] = v;
  return true;
}

bool CodeBuffer::Put16(uint16_t v) {
  if (!Room(2)) return false;
  WriteU16(&bytes_[size_], v);
  size_ += 2;
  return true;
}

bool CodeBuffer::Put32(uint32_t v) {
  if (!Room(4)) return false;
  WriteU32(&bytes_[size_], v);
  size_ += 4;
  return true;
}

bool CodeBuffer::PutF64(double v) {
  if (!Room(8)) return false;
  WriteF64(&bytes_[size_], v);
  size_ += 8;
  return true;
}

bool CodeBuffer::PutBytes(const void* data, size_t n) {
  if (!Room(n)) return false;
  if (n) std::memcpy(&bytes_[size_], data, n);
  size_ += n;
  return true;
}

size_t CodeBuffer::Reserve(size_t n) {
  if (!Room(n)) return 0;
  size_t at = size_;
  std::memset(&bytes_[size_], 0, n);
  size_ += n;
  return at;
}

void CodeBuffer::Append(Chain c, size_t at) {
  WriteU16(&bytes_[Tail(c)], static_cast<uint16_t>(at));
  Tail(c) = ChainLinkOffset(c, at);
}

bool CodeBuffer::PutChainLink(Chain c) {
  size_t at = size_;
  if (!Put16(0)) return false;
  Append(c, at);
  return true;
}

bool CodeBuffer::PutJumpTarget(uint32_t line, uint16_t column, uint8_t digits, bool onChain) {
  if (!Room(kJumpTargetItemSize)) return false;
  bytes_[size_] = 0;  // kind: line number
  size_t field = size_ + 1;
  WriteU32(&bytes_[field], line);
  WriteU16(&bytes_[field + 4], column);
  bytes_[field + 6] = digits;
  WriteU16(&bytes_[field + kJumpTargetLinkDistance], 0);
  size_ += kJumpTargetItemSize;
  if (onChain) Append(Chain::JumpTarget, field);
  return true;
}

void CodeBuffer::Truncate(size_t pos) {
  if (pos < kLineHeaderSize) pos = kLineHeaderSize;
  if (pos < size_) size_ = pos;
  failed_ = false;
  // Items are appended in output order, so everything linked at or beyond
  // pos is a tail of its chain: cut each chain before its first such item.
  for (Chain c : kAllChains) {
    size_t link = static_cast<size_t>(c);  // the header slot
    for (;;) {
      size_t next = ReadU16(&bytes_[link]);
      if (next == 0) break;
      if (next >= pos) {
        WriteU16(&bytes_[link], 0);
        break;
      }
      link = ChainLinkOffset(c, next);
    }
    Tail(c) = link;
  }
}

bool CodeBuffer::StructuralUncompiled(uint16_t column, uint16_t length) {
  if (!Fits(5, kCapacity - 1)) return false;
  bytes_[size_] = 250;
  WriteU16(&bytes_[size_ + 1], column);
  WriteU16(&bytes_[size_ + 3], length);
  size_ += 5;
  return true;
}

bool CodeBuffer::StructuralEnd() {
  if (size_ + 1 > kCapacity) return false;
  bytes_[size_++] = 0;
  return true;
}

}  // namespace torvic
