#include "expr/value.h"

#include <algorithm>
#include <cstring>

namespace torvic {

namespace {

// The capacity to give a block that must hold n bytes: what the allocator's
// size class holds anyway (blocks come in 16-byte steps with 8 bytes of
// bookkeeping, the smallest holding 24), less the byte the block keeps
// beyond the capacity, and never above the longest string.
int32_t CapacityFor(int32_t n) {
  const int64_t block =
      std::max<int64_t>(24, ((static_cast<int64_t>(n) + 1 + 8 + 15) & ~int64_t{15}) - 8);
  return static_cast<int32_t>(std::min<int64_t>(block - 1, CBasicString::kMaxLength));
}

}  // namespace

void CBasicString::MoveLong(uint8_t* to, const char* from, int32_t n) {
  std::memmove(to, from, static_cast<size_t>(n));
}

void CBasicString::Clear() { Release(); }

uint8_t* CBasicString::NewBlock(int32_t capacity) {
  const uint64_t bytes = memory::BlockBytes(static_cast<uint64_t>(capacity) + 1);
  memory::Charge(bytes);
  try {
    return new uint8_t[static_cast<size_t>(capacity) + 1];
  } catch (...) {
    memory::Refund(bytes);
    throw;
  }
}

void CBasicString::Reserve(int32_t n) {
  if (!borrowed_ && n <= capacity_) return;
  // Grow by half again so that repeated appends stay linear.
  int32_t cap =
      CapacityFor(std::max(n, borrowed_ ? n : std::min(kMaxLength, capacity_ + capacity_ / 2)));
  uint8_t* p = NewBlock(cap);
  if (length_ > 0) std::memcpy(p, data_, static_cast<size_t>(length_));
  if (!borrowed_ && data_) FreeBlock(data_, capacity_);
  data_ = p;
  capacity_ = cap;
  borrowed_ = false;
}

void CBasicString::AssignSlow(std::string_view s) {
  const int32_t n = static_cast<int32_t>(std::min<size_t>(s.size(), kMaxLength));
  if (borrowed_ || n > capacity_) {
    // s may point into our own storage: build the new block before freeing.
    const int32_t cap = CapacityFor(n);
    uint8_t* p = NewBlock(cap);
    if (n > 0) std::memcpy(p, s.data(), static_cast<size_t>(n));
    if (!borrowed_ && data_) FreeBlock(data_, capacity_);
    data_ = p;
    capacity_ = cap;
    borrowed_ = false;
  } else if (n > 0) {
    std::memmove(data_, s.data(), static_cast<size_t>(n));
  }
  length_ = n;
}

void CBasicString::AppendSlow(std::string_view s) {
  const int32_t n = static_cast<int32_t>(std::min<size_t>(s.size(), kMaxLength - length_));
  if (n <= 0) return;
  if (borrowed_ || length_ + n > capacity_) {
    // Keep s valid even when it views this string's own bytes.
    std::string copy(s.substr(0, static_cast<size_t>(n)));
    Reserve(length_ + n);
    std::memcpy(data_ + length_, copy.data(), static_cast<size_t>(n));
  } else {
    std::memmove(data_ + length_, s.data(), static_cast<size_t>(n));
  }
  length_ += n;
}

void CBasicString::AppendRepeated(std::string_view s, int64_t count) {
  if (s.empty() || count <= 0) return;
  const int64_t total =
      std::min<int64_t>(length_ + static_cast<int64_t>(s.size()) * count, kMaxLength);
  std::string copy(s);
  Reserve(static_cast<int32_t>(total));
  while (length_ < total) {
    const int32_t n =
        static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(copy.size()), total - length_));
    std::memcpy(data_ + length_, copy.data(), static_cast<size_t>(n));
    length_ += n;
  }
}

void CBasicString::Resize(int32_t n) {
  n = std::clamp(n, 0, kMaxLength);
  if (n > length_) {
    Reserve(n);
    std::memset(data_ + length_, 0, static_cast<size_t>(n - length_));
  }
  length_ = n;
}

void CBasicString::Bind(uint8_t* buffer, int32_t width) {
  Release();
  data_ = buffer;
  length_ = capacity_ = std::clamp(width, 0, kMaxLength);
  borrowed_ = true;
}

void CBasicString::Unbind() {
  if (!borrowed_) return;
  const std::string copy(View());
  Release();
  Assign(copy);
}

int CBasicString::Compare(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = static_cast<int8_t>(a[i]), y = static_cast<int8_t>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

static uint8_t UpperByte(uint8_t c) {
  return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

int CBasicString::CompareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int x = static_cast<int8_t>(UpperByte(static_cast<uint8_t>(a[i])));
    const int y = static_cast<int8_t>(UpperByte(static_cast<uint8_t>(b[i])));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int32_t CBasicString::Find(std::string_view s, std::string_view pat, int32_t start) {
  const int32_t length = static_cast<int32_t>(s.size());
  if (pat.empty()) return 1;
  if (length == 0) return -1;
  if (start < 1) start = 1;
  if (start > length) return -1;
  const char* data = s.data();
  if (pat.size() == 1) {  // one byte, the usual INSTR: a plain byte scan
    const void* hit = std::memchr(data + start - 1, static_cast<uint8_t>(pat[0]),
                                  static_cast<size_t>(length) - static_cast<size_t>(start) + 1);
    return hit ? static_cast<int32_t>(static_cast<const char*>(hit) - data) + 1 : -1;
  }
  const size_t at = s.find(pat, static_cast<size_t>(start - 1));
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at) + 1;
}

int32_t CBasicString::FindLast(std::string_view pat, int32_t end) const {
  if (pat.empty()) return 1;
  if (length_ == 0) return -1;
  const int64_t limit = std::min<int64_t>(end, length_);  // last byte the match may cover
  const int64_t startMax = limit - static_cast<int64_t>(pat.size());  // 0-based
  if (startMax < 0) return -1;
  const size_t at = View().rfind(pat, static_cast<size_t>(startMax));
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at) + 1;
}

int32_t CBasicString::FindLastByte(uint8_t b) const {
  for (int32_t i = length_ - 1; i >= 0; --i)
    if (data_[i] == b) return i + 1;
  return -1;
}

}  // namespace torvic
