// The two kinds of BASIC value: numbers (doubles) and strings (CBasicString),
// and CValue, the entry of the evaluation stack that holds either.
//
// There is no implicit conversion between the kinds anywhere; an operation
// that receives the wrong kind raises "?Type mismatch". Truth values are
// numbers: false 0, true -1.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "platform/memory_budget.h"

namespace torvic {

// The interpreter's byte string: counted bytes (0..65535), not
// NUL-terminated. Storage is owned, except while the string is bound to a
// file record buffer by FIELD ("borrowed"): then it points into that buffer
// and never frees it.
//
// Operations that build strings clamp at kMaxLength and drop the excess
// silently; the operations that can exceed the limit (concatenation,
// repeating, formatting) check first with FitsAppend and raise
// "?String too long" themselves.
//
// Storage is kept for reuse: Assign and Append write into the block they
// have when it is large enough, which is what nearly every string operation
// of a running program finds (the evaluation stack's strings and the
// variables keep their blocks), so the common case is inline and copies
// short texts without a library call. Blocks are sized to what the
// allocator hands out anyway, so a string that grows by a few bytes does
// not need a new block each time.
//
// Every owned block is charged to the memory budget (memory_budget.h) while
// the string holds it: a string that cannot grow throws std::bad_alloc and
// is left as it was.
class CBasicString {
 public:
  static constexpr int32_t kMaxLength = 65535;

  CBasicString() = default;
  explicit CBasicString(std::string_view s) { Assign(s); }
  CBasicString(const CBasicString& o) { Assign(o.View()); }
  CBasicString(CBasicString&& o) noexcept { Steal(o); }
  CBasicString& operator=(const CBasicString& o) {
    if (this != &o) Assign(o.View());
    return *this;
  }
  CBasicString& operator=(CBasicString&& o) noexcept {
    if (this != &o) {
      Release();
      Steal(o);
    }
    return *this;
  }
  ~CBasicString() { Release(); }
  // Exchanges the two strings' storage (found by std::ranges::swap): no
  // block is made, freed or charged.
  friend void swap(CBasicString& a, CBasicString& b) noexcept {
    std::swap(a.data_, b.data_);
    std::swap(a.capacity_, b.capacity_);
    std::swap(a.length_, b.length_);
    std::swap(a.borrowed_, b.borrowed_);
  }

  const uint8_t* Data() const { return data_; }
  uint8_t* MutableData() { return data_; }
  int32_t Length() const { return length_; }
  int32_t Capacity() const { return capacity_; }
  bool Empty() const { return length_ == 0; }
  bool Borrowed() const { return borrowed_; }
  // The bytes of the block the string owns, as charged to the budget.
  uint64_t HeldBytes() const {
    return data_ && !borrowed_ ? memory::BlockBytes(static_cast<uint64_t>(capacity_) + 1) : 0;
  }
  std::string_view View() const {
    return {reinterpret_cast<const char*>(data_), static_cast<size_t>(length_)};
  }
  std::string ToStdString() const { return std::string(View()); }
  uint8_t operator[](int32_t i) const { return data_[i]; }

  // Copies s (clamped). A borrowed string is unbound first, so the record
  // buffer it pointed into is never written by an assignment.
  [[gnu::always_inline]] void Assign(std::string_view s) {
    if (!borrowed_ && s.size() <= static_cast<size_t>(capacity_)) {
      const int32_t n = static_cast<int32_t>(s.size());  // capacity_ <= kMaxLength: no clamp
      MoveBytes(data_, s.data(), n);
      length_ = n;
    } else {
      AssignSlow(s);
    }
  }
  void Assign(const uint8_t* p, int32_t n) {
    Assign(std::string_view(reinterpret_cast<const char*>(p), n < 0 ? 0 : static_cast<size_t>(n)));
  }
  // Appends s, clamping the result at kMaxLength.
  [[gnu::always_inline]] void Append(std::string_view s) {
    // s cannot overlap the free space after our text, so copying there is
    // safe even when s views this string's own bytes.
    if (!borrowed_ && s.size() <= static_cast<size_t>(capacity_ - length_)) {
      const int32_t n = static_cast<int32_t>(s.size());  // within capacity: no clamp
      MoveBytes(data_ + length_, s.data(), n);
      length_ += n;
    } else {
      AppendSlow(s);
    }
  }
  void Append(const CBasicString& s) { Append(s.View()); }
  void AppendByte(uint8_t b) { Append(std::string_view(reinterpret_cast<const char*>(&b), 1)); }
  // Appends s repeated count times, clamped.
  void AppendRepeated(std::string_view s, int64_t count);
  // True when appending n bytes keeps the string within kMaxLength.
  bool FitsAppend(int64_t n) const { return length_ + n <= kMaxLength; }
  // Sets the length to n (clamped), keeping the first bytes; new bytes are 0.
  void Resize(int32_t n);
  // Releases owned storage; data null, length, capacity and borrowed 0.
  void Clear();
  // Keeps the storage for reuse but empties the text.
  void SetEmpty() {
    if (borrowed_) Clear();
    length_ = 0;
  }

  // FIELD binding: the string shows `width` bytes of a record buffer.
  void Bind(uint8_t* buffer, int32_t width);
  // Gives a bound string storage of its own holding the same text.
  void Unbind();

  // Byte-by-byte comparison with bytes taken as signed 8-bit values (bytes
  // 128..255 sort before 0..127); a prefix is less. Returns <0, 0, >0.
  int Compare(const CBasicString& o) const { return Compare(View(), o.View()); }
  static int Compare(std::string_view a, std::string_view b);
  // The same on upper-cased bytes (ASCII letters only).
  static int CompareNoCase(std::string_view a, std::string_view b);

  // Searches. Positions are 1-based; -1 means not found. An empty pattern is
  // found at 1 (also in an empty string); otherwise a search in an empty
  // string finds nothing.
  // First occurrence of pat starting at or after position start.
  int32_t Find(std::string_view pat, int32_t start) const { return Find(View(), pat, start); }
  static int32_t Find(std::string_view s, std::string_view pat, int32_t start);
  // Last occurrence of pat that ends at or before position end.
  int32_t FindLast(std::string_view pat, int32_t end) const;
  // Last occurrence of the byte b.
  int32_t FindLastByte(uint8_t b) const;

 private:
  void Steal(CBasicString& o) noexcept {
    data_ = o.data_;
    capacity_ = o.capacity_;
    length_ = o.length_;
    borrowed_ = o.borrowed_;
    o.data_ = nullptr;
    o.capacity_ = o.length_ = 0;
    o.borrowed_ = false;
  }
  void Release() noexcept {
    if (!borrowed_ && data_) FreeBlock(data_, capacity_);
    data_ = nullptr;
    capacity_ = length_ = 0;
    borrowed_ = false;
  }
  // A block for `capacity` bytes (and the byte beyond), charged to the
  // budget; and its return.
  static uint8_t* NewBlock(int32_t capacity);
  static void FreeBlock(uint8_t* block, int32_t capacity) noexcept {
    delete[] block;
    memory::Refund(memory::BlockBytes(static_cast<uint64_t>(capacity) + 1));
  }
  void Reserve(int32_t n);  // owned storage of at least n bytes, text kept
  // Assign and Append when the block is too small or borrowed.
  void AssignSlow(std::string_view s);
  void AppendSlow(std::string_view s);
  // memmove for n bytes. Texts of up to 32 bytes, most of what programs
  // build, are copied as two overlapping words loaded before either store,
  // which is exact for any overlap; longer ones go to the library.
  static void MoveBytes(uint8_t* to, const char* from, int32_t n) {
    if (n > 32) {
      MoveLong(to, from, n);
    } else if (n >= 16) {
      MoveTwo<16>(to, from, n);
    } else if (n >= 8) {
      MoveTwo<8>(to, from, n);
    } else if (n >= 4) {
      MoveTwo<4>(to, from, n);
    } else if (n > 0) {
      const char a = from[0], b = from[n / 2], c = from[n - 1];
      to[0] = static_cast<uint8_t>(a);
      to[n / 2] = static_cast<uint8_t>(b);
      to[n - 1] = static_cast<uint8_t>(c);
    }
  }
  static void MoveLong(uint8_t* to, const char* from, int32_t n);  // memmove, out of line
  // The first and the last W bytes of n (W <= n <= 2W).
  template <int W>
  static void MoveTwo(uint8_t* to, const char* from, int32_t n) {
    char head[W], tail[W];
    std::memcpy(head, from, W);
    std::memcpy(tail, from + n - W, W);
    std::memcpy(to, head, W);
    std::memcpy(to + n - W, tail, W);
  }

  uint8_t* data_ = nullptr;
  int32_t capacity_ = 0;
  int32_t length_ = 0;
  bool borrowed_ = false;
};

enum class ValueKind : uint32_t { Number = 0, String = 1 };

// An evaluation-stack entry. The string member is only meaningful for
// string values; keeping it beside the number (rather than in a union) lets
// a stack slot keep its string storage for reuse, so pushing numbers never
// allocates and pushing strings mostly does not.
struct CValue {
  ValueKind kind = ValueKind::Number;
  double number = 0;
  CBasicString str;

  CValue() = default;
  explicit CValue(double d) : number(d) {}
  explicit CValue(std::string_view s) : kind(ValueKind::String), str(s) {}

  friend void swap(CValue& a, CValue& b) noexcept {
    std::swap(a.kind, b.kind);
    std::swap(a.number, b.number);
    swap(a.str, b.str);
  }

  bool IsNumber() const { return kind == ValueKind::Number; }
  bool IsString() const { return kind == ValueKind::String; }
  void SetNumber(double d) {
    kind = ValueKind::Number;
    number = d;
  }
  void SetString(std::string_view s) {
    kind = ValueKind::String;
    str.Assign(s);
  }
  // Becomes an empty string value, keeping storage.
  CBasicString& MakeString() {
    kind = ValueKind::String;
    str.SetEmpty();
    return str;
  }
};

}  // namespace torvic
