// The dispatch of built-in functions: one table from function number to its
// worker, and the argument and result kinds of every fixed signature.
//
// The evaluator checks every argument's kind against the signature before
// a worker is called, so a worker may take its arguments' kinds for granted.
// Every function number of the function table stands in exactly one list of
// functions.cpp (a unit test walks them): the workers, the one-number
// kernels, the numbers the evaluator serves itself, the functions this
// system does not implement, and the functions whose part of the system is
// not built yet. The last two answer "?Not supported"; nothing falls back to
// a default. Adding a worker is one line in the table in functions.cpp.
#pragma once

#include <cstdint>
#include <span>

#include "expr/numeric_rules.h"
#include "expr/value.h"

namespace torvic {

class Evaluator;
class VariableStore;
class EvalEnvironment;

struct CallContext {
  Evaluator& evaluator;
  VariableStore& vars;
  EvalEnvironment& env;
  uint8_t number;     // function number
  uint8_t signature;  // signature code of this call
};

// A worker gets the call's arguments (in argument order, kinds already
// checked; count 0 for the no-argument signatures) and writes the result,
// of the kind the signature gives, into `result`. Returns an error code.
// `result` is a reused scratch value: set its kind with SetNumber or
// MakeString/SetString.
using FunctionWorker = int32_t (*)(CallContext& ctx, const CValue* args, int count, CValue& result);

// The worker of a function number (never null).
FunctionWorker WorkerFor(uint8_t number);

// chr$'s byte: the code rounded half up; false outside 0..255.
inline bool CharacterCode(double code, uint8_t& out) {
  const double c = RoundHalfUp(code);
  if (!(c >= 0 && c <= 255)) return false;
  out = static_cast<uint8_t>(c);
  return true;
}

// The kernel of a one-number function that needs nothing but its number
// (abs, sin, log, ...; see numeric_functions.h), or null.
using NumberKernel = int32_t (*)(double x, double& out);
NumberKernel NumberKernelFor(uint8_t number);

// The lists the dispatch table is built from (for the tests that walk them).
struct FunctionWorkerRow {
  uint8_t number;
  FunctionWorker worker;
};
struct FunctionKernelRow {
  uint8_t number;
  NumberKernel kernel;
};
// Why a function of the language answers "?Not supported" for good.
enum class FunctionNotSupportedList : uint8_t {
  NotImplemented,  // names the language keeps without a function
  Printer,         // the printer functions
  Graphics,        // point and its spellings
};
struct FunctionNotSupportedRow {
  uint8_t number;
  FunctionNotSupportedList list;
};
// The parts still to come that bring the other functions.
enum class FunctionComingPart : uint8_t { KeyTexts };
struct FunctionComingRow {
  uint8_t number;
  FunctionComingPart part;
};
std::span<const FunctionWorkerRow> FunctionWorkerRows();
std::span<const FunctionKernelRow> FunctionKernelRows();
std::span<const uint8_t> FunctionsServedByEvaluator();
std::span<const FunctionNotSupportedRow> FunctionsNotSupported();
std::span<const FunctionComingRow> FunctionsNotBuiltYet();

// Argument kinds of the fixed signatures 1..25: one letter per argument,
// 'N' number, 'S' string, '?' either kind, '=' the same kind as the
// argument before it; and whether the result is a string.
struct SignatureKinds {
  const char* args;
  bool stringResult;
};
// Null for a code that is not a fixed signature.
const SignatureKinds* FixedSignature(uint8_t signature);

}  // namespace torvic
