// The memory budget's parts: sizes as --memory takes them, the allocator
// and the reservation that charge it, and a string that cannot grow.
#include "platform/memory_budget.h"

#include <gtest/gtest.h>

#include <new>
#include <string>

#include "expr/value.h"

namespace torvic::memory {
namespace {

// A budget of `bytes` above what is held now, for one test.
struct TightBudget {
  uint64_t saved = Limit();
  explicit TightBudget(uint64_t bytes) { ledger.limit = Used() + bytes; }
  ~TightBudget() { ledger.limit = saved; }
};

TEST(MemoryBudget, SizesTakeUnitsAndStayInRange) {
  struct Case {
    const char* text;
    bool ok;
    uint64_t bytes;
  } cases[] = {
      {"65536", true, 65536},
      {"64K", true, 64 << 10},
      {"64k", true, 64 << 10},
      {"64KB", true, 64 << 10},
      {"256M", true, 256ull << 20},
      {"4G", true, 4ull << 30},
      {"4gb", true, 4ull << 30},
      {"1024T", true, 1ull << 50},
      {"1025T", false, 0},
      {"63K", false, 0},
      {"0", false, 0},
      {"", false, 0},
      {"M", false, 0},
      {"-1M", false, 0},
      {"1.5G", false, 0},
      {"12X", false, 0},
      {"12MM", false, 0},
      {"12 M", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const Case& c : cases) {
    uint64_t bytes = 0;
    EXPECT_EQ(ParseSize(c.text, bytes), c.ok) << c.text;
    if (c.ok) { EXPECT_EQ(bytes, c.bytes) << c.text; }
  }
}

TEST(MemoryBudget, DefaultIsAQuarterOfTheMachineAtMostTwoGiB) {
  const uint64_t d = DefaultLimit();
  EXPECT_GE(d, kMinLimit);
  EXPECT_LE(d, uint64_t{2} << 30);
  const SystemMemory m = ReadSystemMemory();
  if (m.totalPhysical > 0) { EXPECT_LE(d, m.totalPhysical / 4 + 1); }
}

TEST(MemoryBudget, ContainersChargeTheirBlocksAndGiveThemBack) {
  const uint64_t before = Used();
  {
    Vector<double> v;
    v.reserve(1000);
    EXPECT_EQ(Used() - before, BlockBytes(8000));
    Deque<int> d(5000, 1);
    EXPECT_GT(Used() - before, BlockBytes(8000) + 5000 * sizeof(int));
  }
  EXPECT_EQ(Used(), before);
}

TEST(MemoryBudget, ARefusedChargeThrowsAndChangesNothing) {
  const TightBudget tight(100000);
  const uint64_t before = Used();
  Vector<double> v(1000, 1.0);
  const uint64_t held = Used();
  EXPECT_THROW(v.resize(20000), std::bad_alloc);
  EXPECT_EQ(v.size(), 1000u);
  EXPECT_EQ(Used(), held);
  Reservation r(50000);
  EXPECT_THROW(r.Resize(200000), std::bad_alloc);
  EXPECT_EQ(r.Bytes(), 50000u);
  Reservation moved(std::move(r));
  EXPECT_EQ(r.Bytes(), 0u);
  EXPECT_EQ(moved.Bytes(), 50000u);
  EXPECT_THROW(Reservation(100000), std::bad_alloc);
  moved.Resize(10);
  EXPECT_EQ(Used(), held + 10);
  Release(v);
  moved = Reservation();
  EXPECT_EQ(Used(), before);
}

TEST(MemoryBudget, AStringThatCannotGrowStaysAsItWas) {
  const TightBudget tight(40000);
  const uint64_t before = Used();
  {
    CBasicString s(std::string(1000, 'A'));
    EXPECT_EQ(Used() - before, s.HeldBytes());
    EXPECT_THROW(s.Assign(std::string(60000, 'B')), std::bad_alloc);
    EXPECT_EQ(s.Length(), 1000);
    EXPECT_EQ(s.View(), std::string(1000, 'A'));
    EXPECT_THROW(s.AppendRepeated("C", 60000), std::bad_alloc);
    EXPECT_EQ(s.Length(), 1000);
    CBasicString t = std::move(s);  // the block moves with its charge
    EXPECT_EQ(Used() - before, t.HeldBytes());
  }
  EXPECT_EQ(Used(), before);
}

TEST(MemoryBudget, LimitsAreClampedToTheirRange) {
  const uint64_t saved = Limit();
  SetLimit(1);
  EXPECT_EQ(Limit(), kMinLimit);
  SetLimit(~uint64_t{0});
  EXPECT_EQ(Limit(), kMaxLimit);
  SetLimit(saved);
}

}  // namespace
}  // namespace torvic::memory
