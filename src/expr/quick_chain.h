// Chains: plans that are a letter or a number followed only by steps that
// fold their right operand (K/2*3+4-5, C MOD 7=0, LOG(K)*2). Such a plan
// needs no stack: its value is worked on in one place, step by step. The
// steps are the plans' own, in quick_code.h; the evaluator runs them on its
// stack top and the program loop's execution form runs a whole chain in a
// register, the same operations in the same order.
#pragma once

#include <span>

#include "base/errors.h"
#include "expr/operators.h"
#include "expr/quick_code.h"

namespace torvic::quick {

// -1 for true, 0 for false.
inline double Truth(bool t) { return t ? -1 : 0; }

// Whether `op` works on the value alone, with its right operand (if any)
// in the step: the steps after a chain's first.
inline bool IsChainStep(Op op) {
  Op base = Op::Add;
  bool letter = false;
  return op == Op::Square || op == Op::Kernel || op == Op::Negate ||
         FoldedRightOperand(op, base, letter);
}

// The operation of a step that folds its right operand, on the value `v`:
// kOk or the operation's error. One body per step, shared by the plans'
// step loop (which dispatches to it from its own switch) and ChainStep. A
// NaN compares unequal to everything, as in the general operators.
template <Op>
inline constexpr bool kNotFolded = false;

template <Op kOp>
[[gnu::always_inline]] inline int32_t FoldedStep(const Step& s, double& v) {
  if constexpr (kOp == Op::AddLetter) {
    return AddNumbers(v, *s.place, v);
  } else if constexpr (kOp == Op::AddNumber) {
    return AddNumbers(v, s.number, v);
  } else if constexpr (kOp == Op::SubtractLetter) {
    return SubtractNumbers(v, *s.place, v);
  } else if constexpr (kOp == Op::SubtractNumber) {
    return SubtractNumbers(v, s.number, v);
  } else if constexpr (kOp == Op::MultiplyLetter) {
    return MultiplyNumbers(v, *s.place, v);
  } else if constexpr (kOp == Op::MultiplyNumber) {
    return MultiplyNumbers(v, s.number, v);
  } else if constexpr (kOp == Op::DivideLetter) {
    return DivideNumbers(v, *s.place, v);
  } else if constexpr (kOp == Op::DivideNumber) {
    return DivideNumbers(v, s.number, v);
  } else if constexpr (kOp == Op::LessLetter) {
    v = Truth(v < *s.place);
  } else if constexpr (kOp == Op::LessNumber) {
    v = Truth(v < s.number);
  } else if constexpr (kOp == Op::GreaterLetter) {
    v = Truth(v > *s.place);
  } else if constexpr (kOp == Op::GreaterNumber) {
    v = Truth(v > s.number);
  } else if constexpr (kOp == Op::EqualLetter) {
    v = Truth(v == *s.place);
  } else if constexpr (kOp == Op::EqualNumber) {
    v = Truth(v == s.number);
  } else if constexpr (kOp == Op::NotEqualLetter) {
    v = Truth(!(v == *s.place));
  } else if constexpr (kOp == Op::NotEqualNumber) {
    v = Truth(!(v == s.number));
  } else if constexpr (kOp == Op::LessEqualLetter) {
    v = Truth(v <= *s.place);
  } else if constexpr (kOp == Op::LessEqualNumber) {
    v = Truth(v <= s.number);
  } else if constexpr (kOp == Op::GreaterEqualLetter) {
    v = Truth(v >= *s.place);
  } else if constexpr (kOp == Op::GreaterEqualNumber) {
    v = Truth(v >= s.number);
  } else if constexpr (kOp == Op::OtherBinaryLetter) {
    return OtherBinaryNumbers(s.code, v, *s.place, v);
  } else if constexpr (kOp == Op::OtherBinaryNumber) {
    return OtherBinaryNumbers(s.code, v, s.number, v);
  } else {
    static_assert(kNotFolded<kOp>, "not a step that folds its right operand");
  }
  return kOk;
}

// `step` on a copy of `v`, which it may hand on by address.
template <typename Work>
[[gnu::always_inline]] inline int32_t ThroughCopy(double& v, Work step) {
  double x = v;
  const int32_t e = step(x);
  v = x;
  return e;
}

// One step after a chain's first, on the value `v`: kOk or its error.
[[gnu::always_inline]] inline int32_t ChainStep(const Step& s, double& v) {
  switch (s.op) {
    case Op::AddLetter: return FoldedStep<Op::AddLetter>(s, v);
    case Op::AddNumber: return FoldedStep<Op::AddNumber>(s, v);
    case Op::SubtractLetter: return FoldedStep<Op::SubtractLetter>(s, v);
    case Op::SubtractNumber: return FoldedStep<Op::SubtractNumber>(s, v);
    case Op::MultiplyLetter: return FoldedStep<Op::MultiplyLetter>(s, v);
    case Op::MultiplyNumber: return FoldedStep<Op::MultiplyNumber>(s, v);
    case Op::DivideLetter: return FoldedStep<Op::DivideLetter>(s, v);
    case Op::DivideNumber: return FoldedStep<Op::DivideNumber>(s, v);
    case Op::LessLetter: return FoldedStep<Op::LessLetter>(s, v);
    case Op::LessNumber: return FoldedStep<Op::LessNumber>(s, v);
    case Op::GreaterLetter: return FoldedStep<Op::GreaterLetter>(s, v);
    case Op::GreaterNumber: return FoldedStep<Op::GreaterNumber>(s, v);
    case Op::EqualLetter: return FoldedStep<Op::EqualLetter>(s, v);
    case Op::EqualNumber: return FoldedStep<Op::EqualNumber>(s, v);
    case Op::NotEqualLetter: return FoldedStep<Op::NotEqualLetter>(s, v);
    case Op::NotEqualNumber: return FoldedStep<Op::NotEqualNumber>(s, v);
    case Op::LessEqualLetter: return FoldedStep<Op::LessEqualLetter>(s, v);
    case Op::LessEqualNumber: return FoldedStep<Op::LessEqualNumber>(s, v);
    case Op::GreaterEqualLetter: return FoldedStep<Op::GreaterEqualLetter>(s, v);
    case Op::GreaterEqualNumber: return FoldedStep<Op::GreaterEqualNumber>(s, v);
    // Through a copy where a call is given the result's place: `v`
    // itself must stay in a register.
    case Op::OtherBinaryLetter:
      return ThroughCopy(v, [&s](double& x) { return FoldedStep<Op::OtherBinaryLetter>(s, x); });
    case Op::OtherBinaryNumber:
      return ThroughCopy(v, [&s](double& x) { return FoldedStep<Op::OtherBinaryNumber>(s, x); });
    case Op::Square: return ThroughCopy(v, [](double& x) { return SquareNumber(x, x); });
    case Op::Kernel: return ThroughCopy(v, [&s](double& x) { return s.kernel(x, x); });
    case Op::Negate: v = -v; return kOk;
    default: return kErrInternalError;  // IsChainStep says which come here
  }
}

// Whether `steps` are a chain: a letter or a number, then chain steps.
inline bool IsChain(std::span<const Step> steps) {
  if (steps.empty() || (steps[0].op != Op::Letter && steps[0].op != Op::Number)) return false;
  for (size_t i = 1; i < steps.size(); ++i)
    if (!IsChainStep(steps[i].op)) return false;
  return true;
}

// The value of a chain (IsChain holds), unrounded as a plan leaves it.
// Kept out of line: inside a large caller the value between two steps
// goes through memory (every call on a rare path would clobber its
// register), and each step would wait for the store before it; here it
// stays in a register, which made chains of four steps run about a
// quarter faster.
[[gnu::noinline]] int32_t RunChain(std::span<const Step> steps, double& out);

}  // namespace torvic::quick
