// Element addressing in the variable store: the linear index ElementOf,
// NumberAt and StringAt compute, the bounds and rounding rules, and the
// automatic creation done by Element, checked against expected values and
// against a plain restatement of the rules over random shapes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "base/errors.h"
#include "expr/numeric_rules.h"
#include "expr/variables.h"

namespace torvic::testing {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The rules written out the long way: each subscript rounded half up, kept
// within 0..65536, then within base..base+extent-1, row-major.
int32_t ReferenceIndex(const CVariable& v, const std::vector<double>& subs, uint64_t& at) {
  if (static_cast<int>(subs.size()) != v.dimensions) return kErrBadSubscript;
  at = 0;
  for (int d = 0; d < v.dimensions; ++d) {
    const double r = RoundHalfUp(subs[static_cast<size_t>(d)]);
    if (!(r >= 0 && r < kSubscriptLimit)) return kErrBadSubscript;
    const int64_t i = static_cast<int64_t>(r) - v.base;
    if (i < 0 || i >= v.extents[static_cast<size_t>(d)]) return kErrBadSubscript;
    at = at * static_cast<uint64_t>(v.extents[static_cast<size_t>(d)]) + static_cast<uint64_t>(i);
  }
  return kOk;
}

struct ElementCase {
  int32_t base;
  std::vector<double> bounds;  // as DIM gives them
  std::vector<double> subs;
  int32_t error;
  uint64_t index;  // when no error
};

TEST(ArrayElements, BoundsRoundingAndLinearIndex) {
  const ElementCase cases[] = {
      // One dimension, base 0: DIM A(10) is 0..10.
      {0, {10}, {0}, kOk, 0},
      {0, {10}, {10}, kOk, 10},
      {0, {10}, {11}, kErrBadSubscript, 0},
      {0, {10}, {-1}, kErrBadSubscript, 0},
      {0, {10}, {-0.5}, kOk, 0},  // rounds half up to 0
      {0, {10}, {-0.51}, kErrBadSubscript, 0},
      {0, {10}, {0.49}, kOk, 0},
      {0, {10}, {0.5}, kOk, 1},
      {0, {10}, {10.49}, kOk, 10},
      {0, {10}, {10.5}, kErrBadSubscript, 0},
      {0,
       {10},
       {0.49999999999999994},
       kOk,
       1},  // x + 0.5 rounds to 1 in doubles, as RoundHalfUp sees it
      {0, {10}, {kNaN}, kErrBadSubscript, 0},
      {0, {10}, {kInf}, kErrBadSubscript, 0},
      {0, {10}, {-kInf}, kErrBadSubscript, 0},
      {0, {10}, {1e300}, kErrBadSubscript, 0},
      {0, {10}, {1, 1}, kErrBadSubscript, 0},  // wrong count
      // One dimension, base 1: DIM A(10) is 1..10.
      {1, {10}, {0}, kErrBadSubscript, 0},
      {1, {10}, {0.49}, kErrBadSubscript, 0},
      {1, {10}, {0.5}, kOk, 0},
      {1, {10}, {1}, kOk, 0},
      {1, {10}, {10}, kOk, 9},
      {1, {10}, {10.5}, kErrBadSubscript, 0},
      // Largest bounds.
      {0, {65536}, {65536}, kOk, 65536},
      {0, {65536}, {65536.49}, kOk, 65536},
      {0, {65536}, {65536.5}, kErrBadSubscript, 0},
      {1, {65536}, {65536}, kOk, 65535},
      {1, {65536}, {65537}, kErrBadSubscript, 0},
      // Two dimensions: the last subscript varies fastest.
      {0, {3, 4}, {1, 2}, kOk, 1 * 5 + 2},
      {0, {3, 4}, {3, 4}, kOk, 19},
      {0, {3, 4}, {2.5, 3.5}, kOk, 19},
      {0, {3, 4}, {4, 0}, kErrBadSubscript, 0},
      {0, {3, 4}, {0, 5}, kErrBadSubscript, 0},
      {0, {3, 4}, {0, -1}, kErrBadSubscript, 0},
      {0, {3, 4}, {kNaN, 0}, kErrBadSubscript, 0},
      {0, {3, 4}, {2}, kErrBadSubscript, 0},
      {1, {3, 4}, {1, 1}, kOk, 0},
      {1, {3, 4}, {3, 4}, kOk, 2 * 4 + 3},
      {1, {3, 4}, {0, 1}, kErrBadSubscript, 0},
      {1, {3, 4}, {1, 0}, kErrBadSubscript, 0},
      // More dimensions.
      {0, {2, 3, 4}, {1, 2, 3}, kOk, (1 * 4 + 2) * 5 + 3},
      {0, {2, 3, 4}, {2, 3, 4}, kOk, 59},
      {0, {2, 3, 4}, {2, 3, 5}, kErrBadSubscript, 0},
      {1, {2, 3, 4}, {2, 3, 4}, kOk, 23},
      {0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, kOk, 1023},
      {0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 1, 2}, kErrBadSubscript, 0},
  };
  for (uint32_t kind : {kNumericArray, kStringArray}) {
    for (const ElementCase& c : cases) {
      std::string what =
          "base " + std::to_string(c.base) + " kind " + std::to_string(kind) + " subs";
      for (double s : c.subs) what += " " + std::to_string(s);
      VariableStore vars;
      vars.SetOptionBase(c.base);
      ASSERT_EQ(
          vars.CreateArray(kind, "A", static_cast<int>(c.bounds.size()), c.bounds.data(), true),
          kOk)
          << what;
      CVariable& v = *vars.FindArray(kind, "A");
      const int n = static_cast<int>(c.subs.size());
      VarSlot slot;
      uint64_t at = 12345;
      ASSERT_EQ(vars.ElementOf(v, n, c.subs.data(), slot, &at), c.error) << what;
      VarSlot named;
      EXPECT_EQ(vars.Element(kind, "A", n, c.subs.data(), true, named), c.error) << what;
      if (kind == kNumericArray)
        EXPECT_EQ(VariableStore::NumberAt(v, n, c.subs.data()),
                  c.error ? nullptr : v.numbers.data() + c.index)
            << what;
      else
        EXPECT_EQ(VariableStore::StringAt(v, n, c.subs.data()),
                  c.error ? nullptr : v.strings.data() + c.index)
            << what;
      if (c.error) continue;
      EXPECT_EQ(at, c.index) << what;
      EXPECT_EQ(slot.number, kind == kNumericArray ? v.numbers.data() + c.index : nullptr) << what;
      EXPECT_EQ(slot.str, kind == kStringArray ? v.strings.data() + c.index : nullptr) << what;
      EXPECT_EQ(named.number, slot.number) << what;
      EXPECT_EQ(named.str, slot.str) << what;
    }
  }
}

// Created on first use: extents 11 - base (base 0 outside a running
// program); the element comes from the new record.
TEST(ArrayElements, AutomaticCreation) {
  struct Case {
    bool running;
    int32_t base;
    std::vector<double> subs;
    int32_t error;
    int32_t extent;
    uint64_t index;
  };
  const Case cases[] = {
      {true, 0, {10.49}, kOk, 11, 10},
      {true, 0, {10.5}, kErrBadSubscript, 0, 0},
      {true, 0, {-0.5}, kOk, 11, 0},
      {true, 0, {3, 4}, kOk, 11, 3 * 11 + 4},
      {true, 0, {1, 2, 3}, kOk, 11, (1 * 11 + 2) * 11 + 3},
      {true, 1, {1}, kOk, 10, 0},
      {true, 1, {0}, kErrBadSubscript, 0, 0},
      {true, 1, {10, 10}, kOk, 10, 99},
      {false, 1, {0}, kOk, 11, 0},
      {true, 0, {kNaN}, kErrBadSubscript, 0, 0},
  };
  for (uint32_t kind : {kNumericArray, kStringArray}) {
    for (const Case& c : cases) {
      const std::string what =
          std::to_string(c.running) + std::to_string(c.base) + " " + std::to_string(c.subs[0]);
      VariableStore vars;
      vars.SetOptionBase(c.base);
      VarSlot slot;
      uint64_t at = 0;
      CVariable* record = nullptr;
      const int n = static_cast<int>(c.subs.size());
      ASSERT_EQ(vars.Element(kind, "Q", n, c.subs.data(), c.running, slot, &at, &record), c.error)
          << what;
      CVariable* v = vars.FindArray(kind, "Q");
      if (c.error) {
        EXPECT_TRUE(v == nullptr && !vars.ArraysExist()) << what;  // nothing left behind
        continue;
      }
      ASSERT_EQ(record, v) << what;
      for (int d = 0; d < n; ++d) EXPECT_EQ(v->extents[static_cast<size_t>(d)], c.extent) << what;
      EXPECT_EQ(at, c.index) << what;
      EXPECT_TRUE(kind == kNumericArray ? slot.number == v->numbers.data() + c.index
                                        : slot.str == v->strings.data() + c.index)
          << what;
    }
  }
}

// Random shapes and subscripts, in range and out of it, whole and
// fractional: every entry point agrees with the rules written out.
TEST(ArrayElements, FastPathsAgreeWithTheRules) {
  std::mt19937 rng(20240506);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const double specials[] = {kNaN, kInf, -kInf, -0.5, -0.51, 65536.5, 65537, 1e18, -1e18};
  int hits = 0, misses = 0;
  for (int shape = 0; shape < 300; ++shape) {
    const int32_t base = pick(0, 1);
    const int dims = pick(1, 4);
    std::vector<double> bounds;
    for (int d = 0; d < dims; ++d) bounds.push_back(pick(1, dims <= 2 ? 40 : 6));
    const uint32_t kind = pick(0, 1) ? kNumericArray : kStringArray;
    VariableStore vars;
    vars.SetOptionBase(base);
    ASSERT_EQ(vars.CreateArray(kind, "R", dims, bounds.data(), true), kOk);
    CVariable& v = *vars.FindArray(kind, "R");
    for (int probe = 0; probe < 200; ++probe) {
      // Usually the right count, sometimes one more or less.
      int n = dims;
      if (pick(0, 19) == 0) n = std::max(1, dims + (pick(0, 1) ? 1 : -1));
      std::vector<double> subs;
      for (int d = 0; d < n; ++d) {
        const int kindOfSub = pick(0, 9);
        const double hi = d < dims ? bounds[static_cast<size_t>(d)] : 3;
        if (kindOfSub == 0) subs.push_back(specials[pick(0, std::size(specials) - 1)]);
        else if (kindOfSub < 4)  // fractional, near the edges too
          subs.push_back(std::uniform_real_distribution<double>(-1.5, hi + 1.5)(rng));
        else if (kindOfSub < 5)
          subs.push_back(pick(-2, static_cast<int>(hi) + 2) + (pick(0, 1) ? 0.5 : -0.5));
        else subs.push_back(pick(base, static_cast<int>(hi)));
      }
      uint64_t want = 0;
      const int32_t wantError = ReferenceIndex(v, subs, want);
      (wantError ? misses : hits)++;
      VarSlot slot;
      uint64_t at = 0;
      ASSERT_EQ(vars.ElementOf(v, n, subs.data(), slot, &at), wantError);
      VarSlot named;
      ASSERT_EQ(vars.Element(kind, "R", n, subs.data(), true, named), wantError);
      const bool numeric = kind == kNumericArray;
      const void* direct =
          numeric ? static_cast<const void*>(VariableStore::NumberAt(v, n, subs.data()))
                  : static_cast<const void*>(VariableStore::StringAt(v, n, subs.data()));
      if (wantError) {
        ASSERT_EQ(direct, nullptr);
        continue;
      }
      ASSERT_EQ(at, want);
      const void* place = numeric ? static_cast<const void*>(v.numbers.data() + want)
                                  : static_cast<const void*>(v.strings.data() + want);
      ASSERT_EQ(
          numeric ? static_cast<const void*>(slot.number) : static_cast<const void*>(slot.str),
          place);
      ASSERT_EQ(
          numeric ? static_cast<const void*>(named.number) : static_cast<const void*>(named.str),
          place);
      ASSERT_EQ(direct, place);
    }
  }
  // Both outcomes were exercised in earnest.
  EXPECT_GT(hits, 10000);
  EXPECT_GT(misses, 5000);
}

}  // namespace
}  // namespace torvic::testing
