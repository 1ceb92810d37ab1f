// The operator table of expressions: code, source spellings, precedence and
// class, written once. The compiler reads spellings and precedences, the
// evaluator applies operators by code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "base/errors.h"
#include "expr/numeric_rules.h"
#include "expr/value.h"

namespace torvic {

namespace op {
inline constexpr uint8_t kNegate = 1, kPower = 2, kMultiply = 3, kDivide = 4, kIntDivide = 5,
                         kDiv = 6, kMod = 7, kPlus = 8, kMinus = 9, kConcat = 10, kEqual = 11,
                         kNotEqual = 12, kLess = 13, kGreater = 14, kLessEqual = 15,
                         kGreaterEqual = 16, kNot = 17, kAnd = 18, kOr = 19, kXor = 20, kEqv = 21,
                         kImp = 22, kOpenParen = 23;
inline constexpr uint8_t kLast = 22;
}  // namespace op

enum class OperatorClass : uint8_t {
  None,
  NumericUnary,
  NumericBinary,
  Concatenation,
  Relational,
  IntegerUnary,
  IntegerBinary
};

struct OperatorRow {
  uint8_t code;
  const char* spelling;  // as written; a word operator in lower case
  uint8_t precedence;    // higher binds tighter
  OperatorClass cls;
};

// Binary operator spellings in match order (two-character relational forms
// before their one-character prefixes). A blank may stand between the two
// characters of a two-character relational operator; words are matched by
// prefix, case-insensitively, without a word boundary.
std::span<const OperatorRow> BinaryOperatorSpellings();

// Precedence by operator code (unary minus 12, NOT 5, the marker 0).
uint8_t OperatorPrecedence(uint8_t code);

// ---------------------------------------------------------------------------
// The numeric binary operators on doubles, with the shared rules (15-digit
// rounding of fractional results, error mapping). Each returns 0 and stores
// the result in `out`, or returns the error code and leaves `out` alone
// (`out` may be one of the operands' own places).
//
// + - * / and the comparisons are inline so that the evaluator, NEXT and
// the functions computed through an operator pay only for the arithmetic and
// a compare or two in the common case; they give exactly what
// ApplyBinaryOperator gives on two numbers.

// a + b and a - b: "?Overflow error" (36) for an infinity from finite
// operands, "?Function call error" (18) for a NaN from non-NaN operands.
inline int32_t AddNumbers(double a, double b, double& out) {
  const double r = a + b;
  if (int32_t e = ArithmeticResultError(a, b, r, false)) return e;
  out = Round15(r);
  return kOk;
}
inline int32_t SubtractNumbers(double a, double b, double& out) {
  const double r = a - b;
  if (int32_t e = ArithmeticResultError(a, b, r, false)) return e;
  out = Round15(r);
  return kOk;
}
// a * b and a / b: as + and -, and "?Underflow error" (52) for a zero or
// subnormal result of non-zero operands; a / 0 is "?/0 error" (9).
inline int32_t MultiplyNumbers(double a, double b, double& out) {
  const double r = a * b;
  if (int32_t e = ArithmeticResultError(a, b, r, true)) return e;
  out = Round15(r);
  return kOk;
}
inline int32_t DivideNumbers(double a, double b, double& out) {
  if (b == 0) return kErrDivisionByZero;
  const double r = a / b;
  if (int32_t e = ArithmeticResultError(a, b, r, true)) return e;
  out = Round15(r);
  return kOk;
}

// A relational operator (op::kEqual .. op::kGreaterEqual) on two numbers:
// -1 for true, 0 for false. A NaN is unordered: only <> is true for it.
inline double CompareNumbers(uint8_t code, double a, double b) {
  bool t = false;
  switch (code) {
    case op::kEqual: t = a == b; break;
    case op::kNotEqual: t = !(a == b); break;
    case op::kLess: t = a < b; break;
    case op::kGreater: t = a > b; break;
    case op::kLessEqual: t = a <= b; break;
    case op::kGreaterEqual: t = a >= b; break;
  }
  return t ? -1 : 0;
}

// ^, \, DIV and MOD on doubles (and any other code: "?Internal error").
int32_t OtherNumericBinary(uint8_t code, double a, double b, double& out);

// \ and MOD (`mod` true): on the operands rounded to 32-bit integers.
inline int32_t IntegerQuotient(bool mod, double a, double b, double& out) {
  int32_t x, y;
  if (!RoundToInt32(a, x) || !RoundToInt32(b, y)) return kErrFunctionCallError;
  if (y == 0) return kErrDivisionByZero;
  // The one quotient that does not fit in 32 bits.
  if (x == INT32_MIN && y == -1) return kErrOverflow;
  out = mod ? x % y : x / y;
  return kOk;
}

// x^2: a whole number below 2^26 squares exactly, as the general rule
// multiplies whole powers; anything else takes the general rule.
inline int32_t SquareNumber(double a, double& out) {
  if (std::fabs(a) < 0x1p26 && a == static_cast<double>(static_cast<int64_t>(a))) {
    out = a * a;
    return kOk;
  }
  return OtherNumericBinary(op::kPower, a, 2, out);
}

// OtherNumericBinary with \ and MOD inline.
[[gnu::always_inline]] inline int32_t OtherBinaryNumbers(uint8_t code, double a, double b,
                                                         double& out) {
  if (code == op::kMod || code == op::kIntDivide)
    return IntegerQuotient(code == op::kMod, a, b, out);
  return OtherNumericBinary(code, a, b, out);
}

// Every numeric binary operator on doubles. Exposed for the numeric
// functions that compute "through" an operator and for NEXT.
inline int32_t NumericBinary(uint8_t code, double a, double b, double& out) {
  switch (code) {
    case op::kPlus: return AddNumbers(a, b, out);
    case op::kMinus: return SubtractNumbers(a, b, out);
    case op::kMultiply: return MultiplyNumbers(a, b, out);
    case op::kDivide: return DivideNumbers(a, b, out);
    default: return OtherNumericBinary(code, a, b, out);
  }
}

// A comparison (= <> < > <= >=) of two strings, byte by byte as
// CBasicString::Compare orders them: -1 when it holds, else 0.
inline double CompareStrings(uint8_t code, std::string_view a, std::string_view b) {
  const int c = CBasicString::Compare(a, b);
  bool t = false;
  switch (code) {
    case op::kEqual: t = c == 0; break;
    case op::kNotEqual: t = c != 0; break;
    case op::kLess: t = c < 0; break;
    case op::kGreater: t = c > 0; break;
    case op::kLessEqual: t = c <= 0; break;
    case op::kGreaterEqual: t = c >= 0; break;
  }
  return t ? -1 : 0;
}

// The operators on values of any kind: strings, mixed kinds, the integer
// operators, and numbers with the operators NumericBinary has out of line.
int32_t ApplyGeneralBinaryOperator(uint8_t code, CValue& left, const CValue& right);

// Applies a binary operator to two stack values: the result replaces `left`.
// Returns an error code; on error the operands are left as they were. Two
// numbers under + - * / or a comparison are handled inline.
inline int32_t ApplyBinaryOperator(uint8_t code, CValue& left, const CValue& right) {
  if (left.IsNumber() && right.IsNumber()) {
    switch (code) {
      case op::kPlus: return AddNumbers(left.number, right.number, left.number);
      case op::kMinus: return SubtractNumbers(left.number, right.number, left.number);
      case op::kMultiply: return MultiplyNumbers(left.number, right.number, left.number);
      case op::kDivide: return DivideNumbers(left.number, right.number, left.number);
      case op::kEqual:
      case op::kNotEqual:
      case op::kLess:
      case op::kGreater:
      case op::kLessEqual:
      case op::kGreaterEqual:
        left.number = CompareNumbers(code, left.number, right.number);
        return kOk;
      default: break;
    }
  }
  return ApplyGeneralBinaryOperator(code, left, right);
}

// Applies unary minus or NOT to the value in place.
int32_t ApplyUnaryOperator(uint8_t code, CValue& v);

}  // namespace torvic
