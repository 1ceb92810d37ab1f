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
// floating-point environment (feclearexcept / fetestexcept).
#pragma once

#include <cmath>
#include <cstdint>

namespace torvic {

// floor(x + 0.5): the rounding used wherever a whole number is needed.
inline double RoundHalfUp(double x) { return std::floor(x + 0.5); }

// Rounds a fractional value to 15 significant digits: exactly what
// formatting with "%.15G" and reading the text back gives. Whole numbers,
// infinities and NaN are returned unchanged.
double Round15(double x);

// Rounds half up and checks the 32-bit range of the integer operators
// (greater than -2147483649 and less than 2147483648). False when out of
// range ("?Function call error").
bool RoundToInt32(double x, int32_t& out);

// Error of a floating-point exception raised by a library call: brackets a
// computation. Usage: FpGuard g; y = pow(a, b); if (int32_t e = g.Error()) ...
class FpGuard {
 public:
  FpGuard();
  // 0, or 9 (division by zero), 18 (invalid), 36 (overflow), 52 (underflow).
  // Clears the flags it found.
  int32_t Error();
};

// The result check of the plain arithmetic: the error a result r of the
// operands a and b stands for, or 0. `product` is true for * and /, whose
// results can underflow.
int32_t ArithmeticResultError(double a, double b, double r, bool product);

}  // namespace torvic
