// The memory budget: one count of the bytes held by everything a BASIC
// program can make grow (variables, arrays and strings, the evaluation
// stack, the GOSUB stack, the FOR list, PUSH, trap contexts, the key queue,
// screen images and the program itself) against one limit: a quarter of the
// machine's memory and at most 2 GiB, unless the command line's `--memory`
// sets another.
//
// A charge that would pass the limit throws std::bad_alloc, as a failed
// allocation does, so both take one road: the statement that asked fails
// with "?Out of memory" (Interpreter::ExecuteStatement catches it), and the
// program, the prompt and the rest of the session go on. A runaway program
// therefore ends with a BASIC error long before the machine swaps or the
// kernel ends the process.
//
// Charges are made where storage is taken and refunded where it is given
// back: by the containers' allocator (Allocator, Vector, Deque), by objects
// that hold storage of their own (CBasicString's block, program lines and
// variable records through a Reservation). Nothing is charged on the paths
// that allocate nothing, which is what the run loop's usual statements do,
// so the budget costs the run loop nothing. One thread: no atomics.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace torvic::memory {

// The largest budget --memory accepts (and more than any machine has).
inline constexpr uint64_t kMaxLimit = uint64_t{1} << 50;
// The smallest: below it not even a short program and its variables fit.
inline constexpr uint64_t kMinLimit = uint64_t{64} << 10;
// The budget before the front end sets one (tests, the fuzz targets).
inline constexpr uint64_t kInitialLimit = uint64_t{2} << 30;

struct Ledger {
  uint64_t limit = kInitialLimit;
  uint64_t used = 0;
};
inline constinit Ledger ledger;

// Throws std::bad_alloc (out of line: the charges stay small).
[[noreturn]] void Exhausted();

// What a block of n bytes takes from the heap: the allocator hands out
// blocks in steps of 16 bytes, 8 of them its own bookkeeping, the smallest
// holding 24. Charging the block rather than the request keeps the count
// close to what the process really holds, small blocks included.
constexpr uint64_t BlockBytes(uint64_t n) { return n <= 24 ? 32 : (n + 8 + 15) & ~uint64_t{15}; }
// What a std::string of that length holds beside its object: nothing while
// the text fits the object itself (15 bytes), else its block.
constexpr uint64_t StringBytes(uint64_t length) {
  return length <= 15 ? 0 : BlockBytes(length + 1);
}

// Takes n bytes from the budget; std::bad_alloc when they do not fit.
// Limits stay below 2^50 and requests below 2^63, so the sum cannot wrap.
inline void Charge(uint64_t n) {
  if (ledger.used + n > ledger.limit) [[unlikely]]
    Exhausted();
  ledger.used += n;
}
// Gives back bytes charged before.
inline void Refund(uint64_t n) noexcept { ledger.used -= n; }

inline uint64_t Limit() { return ledger.limit; }
inline uint64_t Used() { return ledger.used; }
inline uint64_t Available() { return ledger.used >= ledger.limit ? 0 : ledger.limit - ledger.used; }
// Sets the limit (clamped to kMinLimit..kMaxLimit); what is held stays held.
void SetLimit(uint64_t bytes);

// The default budget: a quarter of the memory this process may use (the
// machine's, or its control group's when that is less), at most 2 GiB.
uint64_t DefaultLimit();

// A size as --memory takes it: a whole number of bytes, or with K, M, G or
// T (powers of 1024, in either case, an optional B after them: 256M, 4G,
// 512KB). False for anything else or a size outside kMinLimit..kMaxLimit.
bool ParseSize(std::string_view text, uint64_t& bytes);

// The machine's memory as the kernel reports it (/proc/meminfo); zeros
// when it cannot be read.
struct SystemMemory {
  uint64_t totalPhysical = 0;
  uint64_t availablePhysical = 0;
  uint64_t totalSwap = 0;
  uint64_t freeSwap = 0;
};
SystemMemory ReadSystemMemory();

// INIT's heap compaction: free pages the heap keeps go back to the system.
void ReturnFreeMemory();

// The standard allocator with every block charged to the budget: the
// containers a program makes grow use it, so their growth is counted
// exactly and refused past the limit.
template <class T>
struct Allocator {
  using value_type = T;
  // The size of one element; T is a pointer for the lists of records.
  static constexpr size_t kElementBytes = sizeof(value_type);  // NOLINT(bugprone-sizeof-expression)
  Allocator() = default;
  template <class U>
  constexpr Allocator(const Allocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > SIZE_MAX / 2 / kElementBytes) throw std::bad_array_new_length();
    const uint64_t bytes = BlockBytes(n * kElementBytes);
    Charge(bytes);
    try {
      return std::allocator<T>().allocate(n);
    } catch (...) {
      Refund(bytes);
      throw;
    }
  }
  void deallocate(T* p, size_t n) noexcept {
    std::allocator<T>().deallocate(p, n);
    Refund(BlockBytes(n * kElementBytes));
  }
  friend bool operator==(const Allocator&, const Allocator&) { return true; }
};

template <class T>
using Vector = std::vector<T, Allocator<T>>;
template <class T>
using Deque = std::deque<T, Allocator<T>>;

// Empties a container and gives its storage back (clear() keeps it), so a
// stack a runaway program grew does not hold the budget after its run.
template <class C>
void Release(C& c) noexcept {
  C().swap(c);
}

// Bytes an object holds beside what its containers charge (its own record,
// a name, a copy of pixels): charged when the reservation is made, refunded
// when it goes. Moves carry the charge along.
class Reservation {
 public:
  Reservation() = default;
  explicit Reservation(uint64_t bytes) {
    Charge(bytes);
    bytes_ = bytes;
  }
  Reservation(Reservation&& o) noexcept : bytes_(std::exchange(o.bytes_, 0)) {}
  Reservation& operator=(Reservation&& o) noexcept {
    if (this != &o) {
      Refund(bytes_);
      bytes_ = std::exchange(o.bytes_, 0);
    }
    return *this;
  }
  ~Reservation() { Refund(bytes_); }

  // Holds `bytes` from now on; std::bad_alloc (and no change) when the
  // growth does not fit.
  void Resize(uint64_t bytes) {
    if (bytes > bytes_) Charge(bytes - bytes_);
    else Refund(bytes_ - bytes);
    bytes_ = bytes;
  }
  uint64_t Bytes() const { return bytes_; }

 private:
  uint64_t bytes_ = 0;
};

}  // namespace torvic::memory
