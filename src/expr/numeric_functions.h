// The built-in functions that compute numbers: constants, arithmetic and
// transcendental functions, rounding, combinatorics, the random-number
// generator, the character-class tests and the conversions from strings to
// numbers (val, cvn, ord and the digit values).
//
// Each is a FunctionWorker (functions.h) registered by function number in
// the dispatch table. Functions that compute "through" an operator (cube
// through ^, deg through *, inv through /, ...) call NumericBinary so that
// they share its 15-digit rounding and its error mapping; the others return
// the mathematical library's double unchanged. No worker here allocates.
#pragma once

#include <cstdint>
#include <string_view>

#include "expr/functions.h"

namespace torvic {

// The shape of every worker, for declaring them in a list.
using WorkerFunction = int32_t(CallContext& ctx, const CValue* args, int count, CValue& result);

// Constants (no argument).
WorkerFunction FnPi, FnTwoPi, FnMaxNum, FnMinNum, FnTrue, FnFalse;

// One number, computed from that number alone: kernels that take the
// argument and give the result or an error code. One kernel serves the
// general call of its function (functions.cpp wraps it into the worker)
// and the decoded expressions, which call it directly (NumberKernel,
// functions.h).
namespace kernel {
int32_t Abs(double, double&), Sgn(double, double&), Int(double, double&), Ceil(double, double&),
    Fix(double, double&), Fp(double, double&), Sqr(double, double&), Cbr(double, double&),
    Cube(double, double&), Exp(double, double&), Exp2(double, double&), Exp10(double, double&),
    Log(double, double&), Log2(double, double&), Log10(double, double&), Inv(double, double&),
    Sin(double, double&), Cos(double, double&), Tan(double, double&), Sec(double, double&),
    Csc(double, double&), Cot(double, double&), Asin(double, double&), Acos(double, double&),
    Atn(double, double&), Sinh(double, double&), Cosh(double, double&), Tanh(double, double&),
    Deg(double, double&), Rad(double, double&);
}  // namespace kernel

// One number, with state: the random-number generator.
WorkerFunction FnRnd;

// Two numbers.
WorkerFunction FnMod, FnRemainder, FnRound, FnTruncate, FnHypot, FnCopySign, FnAngle, FnComb,
    FnPerm, FnIs0, FnIsNeg, FnIsPos;

// Two numbers or two strings: comp and compi.
WorkerFunction FnComp, FnCompI;

// One value of either kind.
WorkerFunction FnEmpty, FnFre;

// A string and a base: dec.
WorkerFunction FnDec;

// One string.
WorkerFunction FnVal, FnCvn, FnOrd, FnCdn, FnChn, FnAlpha, FnDigit, FnAlnum, FnHex, FnUpper,
    FnLower, FnCntrl, FnPrint, FnLen;

// ---------------------------------------------------------------------------
// The random-number generator: one 32-bit seed for the interpreter, a linear
// congruential generator (seed = seed * 214013 + 2531011 modulo 2^32, each
// draw bits 16..30 of the new seed, 0..32767). The seed is 0 when the
// program starts; the interpreter calls Randomize(0) when its state is
// created and by INIT when the settings ask for it, and RANDOMIZE calls it
// with the tick count.
void Randomize(uint32_t seed);
uint32_t RandomSeed();
// One draw: 0..32767.
uint32_t RandomDraw();

// val's reading of the number at the start of s: 0 when there is none, or
// "?Overflow error" / "?Underflow error" for a number beyond a double.
// With `end`, where the number text ends (0 when there is no number), for
// readers that refuse text after the number (READ).
int32_t ReadLeadingNumber(std::string_view s, double& out, size_t* end = nullptr);

}  // namespace torvic
