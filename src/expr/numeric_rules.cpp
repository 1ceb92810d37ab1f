#include "expr/numeric_rules.h"

#include <cfenv>
#include <charconv>

#include "engine/errors.h"

namespace torvic {

double Round15(double x) {
  if (!std::isfinite(x) || x == std::trunc(x)) return x;
  // Scientific notation with 14 digits after the point is the same correctly
  // rounded 15-digit decimal as "%.15G"; to_chars/from_chars do it without
  // the locale and without allocating.
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  double y = x;
  std::from_chars(buf, res.ptr, y);
  return y;
}

bool RoundToInt32(double x, int32_t& out) {
  const double r = RoundHalfUp(x);
  if (!(r > -2147483649.0 && r < 2147483648.0)) return false;
  out = static_cast<int32_t>(r);
  return true;
}

FpGuard::FpGuard() { std::feclearexcept(FE_ALL_EXCEPT); }

int32_t FpGuard::Error() {
  const int raised = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW | FE_UNDERFLOW);
  if (raised == 0) return kOk;
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised & FE_DIVBYZERO) return kErrDivisionByZero;
  if (raised & FE_INVALID) return kErrFunctionCallError;
  if (raised & FE_OVERFLOW) return kErrOverflow;
  return kErrUnderflow;
}

int32_t ArithmeticResultError(double a, double b, double r, bool product) {
  if (std::isfinite(r) && r != 0 && std::fpclassify(r) != FP_SUBNORMAL) return kOk;
  if (std::isnan(r)) return (std::isnan(a) || std::isnan(b)) ? kOk : kErrFunctionCallError;
  if (std::isinf(r)) return (std::isinf(a) || std::isinf(b)) ? kOk : kErrOverflow;
  if (!product) return kOk;
  if (r == 0) return (a != 0 && b != 0 && !std::isinf(b)) ? kErrUnderflow : kOk;
  return kErrUnderflow;  // a subnormal product or quotient
}

}  // namespace torvic
