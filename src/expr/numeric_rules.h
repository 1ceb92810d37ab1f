// The numeric rules that every operator (and the functions computed through
// an operator) shares: 15-significant-digit rounding of fractional results,
// half-up rounding to whole numbers with the 32-bit range check, and the
// mapping of floating-point exceptions to BASIC errors.
//
// Floating-point exceptions are never trapped with signals. The plain
// arithmetic operators check their results (an infinity from finite
// operands is an overflow, a NaN from non-NaN operands an invalid
// operation, a zero or subnormal product or quotient of non-zero operands an
// underflow); library calls such as pow are bracketed with the
// floating-point environment (feclearexcept / fetestexcept) unless their
// result already shows that no exception was raised.
//
// The checks every operator result passes through are inline: the common
// case (a whole number, a normal result) costs a compare or two, and only
// the rare cases call out of line.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "base/errors.h"

namespace torvic {

// floor(x + 0.5): the rounding used wherever a whole number is needed.
inline double RoundHalfUp(double x) { return std::floor(x + 0.5); }

// Round15 of a value that is finite and not whole (any value is accepted,
// but the caller has already handled the others).
double Round15Fraction(double x);

// Rounds a fractional value to 15 significant digits: exactly what
// formatting with "%.15G" and reading the text back gives. Whole numbers,
// infinities and NaN are returned unchanged. Every double of magnitude
// 2^52 or more is whole; below that, a value is whole when converting it to
// a 64-bit integer and back gives it again (no library call needed). A NaN
// fails the magnitude test and is returned as it is.
inline double Round15(double x) {
  if (!(std::fabs(x) < 0x1p52)) return x;
  if (x == static_cast<double>(static_cast<int64_t>(x))) return x;
  // Halves and quarters (at most four binary places, at most eleven digits
  // before the point) are their own rounding, as Round15Fraction finds
  // first; they are common enough to be told apart here.
  const double sixteenths = x * 16;
  if (std::fabs(x) < 1e11 && sixteenths == static_cast<double>(static_cast<int64_t>(sixteenths)))
    return x;
  return Round15Fraction(x);
}

// Rounds half up and checks the 32-bit range of the integer operators
// (greater than -2147483649 and less than 2147483648). False when out of
// range ("?Function call error").
bool RoundToInt32Slow(double x, int32_t& out);
inline bool RoundToInt32(double x, int32_t& out) {
  // A whole number in range is its own rounding (-0 gives 0, as floor(0.5)
  // does); the others round on the slow way.
  if (x > -2147483649.0 && x < 2147483648.0) {
    const auto i = static_cast<int32_t>(x);
    if (static_cast<double>(i) == x) {
      out = i;
      return true;
    }
  }
  return RoundToInt32Slow(x, out);
}

// Error of a floating-point exception raised by a library call: brackets a
// computation. Usage: FpGuard g; y = pow(a, b); if (int32_t e = g.Error()) ...
// The constructor clears every flag, so flags left over from earlier work
// never count.
class FpGuard {
 public:
  FpGuard();
  // 0, or 9 (division by zero), 18 (invalid), 36 (overflow), 52 (underflow).
  // Clears the flags it found.
  int32_t Error();
};

// The rare cases of ArithmeticResultError: a result that is zero,
// subnormal, infinite or NaN.
int32_t UnusualResultError(double a, double b, double r, bool product);

// The result check of the plain arithmetic: the error a result r of the
// operands a and b stands for, or 0. `product` is true for * and /, whose
// results can underflow. A sum is checked only for an infinity or a NaN
// (a zero or subnormal sum of doubles is exact); a product passes at once
// when it is normal.
inline int32_t ArithmeticResultError(double a, double b, double r, bool product) {
  const double m = std::fabs(r);
  if (product ? (m >= DBL_MIN && m <= DBL_MAX) : m <= DBL_MAX) return kOk;
  return UnusualResultError(a, b, r, product);
}

}  // namespace torvic
