#include "engine/statement_operands.h"

#include <cmath>

namespace torvic {

bool TruncatedInRange(double x, int32_t lo, int32_t hi, int32_t& out) {
  const double t = std::trunc(x);
  if (!(t >= lo && t <= hi)) return false;  // also NaN
  out = static_cast<int32_t>(t);
  return true;
}

int32_t OperandReader::Checked(int32_t result) {
  if (result == 0 && in_.Reason() != StopReason::None) stopped_ = true;
  return result;
}

int32_t OperandReader::Value(CValue& v) {
  if (stopped_) return 0;
  return Checked(Eval().EvaluateValue(code_, pos_, v));
}

int32_t OperandReader::Number(double& x) {
  x = 0;
  if (stopped_) return 0;
  return Checked(Eval().EvaluateNumber(code_, pos_, x));
}

int32_t OperandReader::String(CBasicString& s) {
  if (stopped_) return 0;
  return Checked(Eval().EvaluateString(code_, pos_, s));
}

int32_t OperandReader::Whole(int32_t& out, int32_t lo, int32_t hi, int32_t error) {
  out = 0;
  double x;
  if (int32_t r = Number(x)) return r;
  if (stopped_) return 0;
  return TruncatedInRange(x, lo, hi, out) ? 0 : error;
}

int32_t OperandReader::Target(ResolvedRef& ref) {
  if (stopped_) return 0;
  return Checked(Eval().ResolveReference(code_, pos_, ref));
}

}  // namespace torvic
