#include "expr/system_functions.h"

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "expr/evaluator.h"
#include "expr/numeric_rules.h"
#include "expr/system_values.h"
#include "expr/variables.h"
#include "platform/host.h"
#include "platform/memory_budget.h"

namespace torvic {

double AvailableMemory() {
  const memory::SystemMemory m = memory::ReadSystemMemory();
  const uint64_t budget = memory::Available();
  if (m.totalPhysical == 0) return static_cast<double>(budget);  // nothing known of the machine
  return static_cast<double>(std::min(budget, m.availablePhysical + m.freeSwap));
}

double PhysicalMemoryAvailable() {
  return static_cast<double>(memory::ReadSystemMemory().availablePhysical);
}

int32_t FnMem(CallContext&, const CValue*, int, CValue& result) {
  result.SetNumber(AvailableMemory());
  return kOk;
}

namespace {

// The rows of info that are numbers fixed by the system's description.
struct FixedRow {
  int row;
  double value;
};
constexpr FixedRow kFixedRows[] = {{0, 34},  {1, 12532364820.0},  {12, 255},
                                   {23, 15}, {26, 12372285600.0}, {29, 65536},
                                   {30, 7},  {31, 17105418},      {32, 14}};

}  // namespace

int32_t FnInfo(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double n = RoundHalfUp(args[0].number);
  if (!(n >= 0 && n <= 255)) return kErrFunctionCallError;
  const int row = static_cast<int>(n);
  for (const FixedRow& f : kFixedRows) {
    if (f.row == row) {
      result.SetNumber(f.value);
      return kOk;
    }
  }
  double v = 0;
  if (InfoOfTheSystem(ctx, row, v)) {
    result.SetNumber(v);
    return kOk;
  }
  switch (row) {
    case 2: v = static_cast<double>(ctx.vars.HeldBytes()); break;
    case 3: v = static_cast<double>(ctx.vars.StringBytes()); break;
    case 5: {
      const platform::Host* host = ctx.env.Host();
      v = host ? host->clock.TickCount() : 0;
      break;
    }
    case 14:
    case 15:
    case 16:
    case 17:
    case 18: {
      const memory::SystemMemory m = memory::ReadSystemMemory();
      if (row == 14) v = static_cast<double>(m.availablePhysical);
      if (row == 15 && m.totalPhysical > 0)
        v = std::round(100.0 * static_cast<double>(m.totalPhysical - m.availablePhysical) /
                       static_cast<double>(m.totalPhysical));
      if (row == 16) v = static_cast<double>(m.totalPhysical);
      if (row == 17) v = static_cast<double>(m.totalPhysical + m.totalSwap);
      if (row == 18) v = static_cast<double>(m.availablePhysical + m.freeSwap);
      break;
    }
    default: break;
  }
  result.SetNumber(v);
  return kOk;
}

}  // namespace torvic
