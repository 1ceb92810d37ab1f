// The operator table of expressions: code, source spellings, precedence and
// class, written once. The compiler reads spellings and precedences, the
// evaluator applies operators by code.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

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

enum class OperatorClass : uint8_t { None, NumericUnary, NumericBinary, Concatenation, Relational,
                                     IntegerUnary, IntegerBinary };

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

// Applies a binary operator to two stack values: the result replaces `left`.
// Returns an error code; on error the operands are left as they were.
int32_t ApplyBinaryOperator(uint8_t code, CValue& left, const CValue& right);

// Applies unary minus or NOT to the value in place.
int32_t ApplyUnaryOperator(uint8_t code, CValue& v);

// The numeric binary operators on doubles, with the shared rules (15-digit
// rounding of fractional results, error mapping). Exposed for the numeric
// functions that compute "through" an operator.
int32_t NumericBinary(uint8_t code, double a, double b, double& out);

}  // namespace torvic
