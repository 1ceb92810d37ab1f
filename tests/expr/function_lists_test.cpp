// The lists the function dispatch is built from: every function number of
// the function table stands in exactly one of them, so a function can
// neither lack its worker unnoticed nor be claimed twice.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "base/errors.h"
#include "expr/function_table.h"
#include "expr/functions.h"
#include "expr_session.h"

namespace torvic {
namespace {

TEST(FunctionLists, EveryFunctionNumberStandsInExactlyOneList) {
  std::array<int, 256> counts{};
  for (const FunctionWorkerRow& r : FunctionWorkerRows()) ++counts[r.number];
  for (const FunctionKernelRow& r : FunctionKernelRows()) ++counts[r.number];
  for (uint8_t n : FunctionsServedByEvaluator()) ++counts[n];
  for (const FunctionNotSupportedRow& r : FunctionsNotSupported()) ++counts[r.number];
  for (const FunctionComingRow& r : FunctionsNotBuiltYet()) ++counts[r.number];
  std::set<int> numbers;
  for (const FunctionRow& row : FunctionTable()) numbers.insert(row.number);
  for (int n = 0; n < 256; ++n) {
    const char* name = FunctionListingName(n);
    if (numbers.count(n)) EXPECT_EQ(counts[n], 1) << "function " << n << " " << name;
    else EXPECT_EQ(counts[n], 0) << "number " << n << " belongs to no function";
  }
}

TEST(FunctionLists, WorkersAnswerAsTheirListsSay) {
  for (const FunctionWorkerRow& r : FunctionWorkerRows())
    EXPECT_EQ(WorkerFor(r.number), r.worker) << int{r.number};
  for (const FunctionKernelRow& r : FunctionKernelRows())
    EXPECT_EQ(NumberKernelFor(r.number), r.kernel) << int{r.number};
  // The functions that answer "?Not supported" do so without looking at
  // their arguments (their kinds are checked before any worker runs).
  testing::Session s;
  auto answer = [&](uint8_t number) {
    CValue result;
    CallContext ctx{s.ev, s.vars, s.env, number, 0};
    return WorkerFor(number)(ctx, nullptr, 0, result);
  };
  for (const FunctionNotSupportedRow& r : FunctionsNotSupported())
    EXPECT_EQ(answer(r.number), kErrNotSupported) << int{r.number};
  for (const FunctionComingRow& r : FunctionsNotBuiltYet())
    EXPECT_EQ(answer(r.number), kErrNotSupported) << int{r.number};
  for (uint8_t n : FunctionsServedByEvaluator()) EXPECT_EQ(answer(n), kErrInternalError) << int{n};
}

}  // namespace
}  // namespace torvic
