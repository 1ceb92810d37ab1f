// POKE and POKE$: writes to the settings memory through the settings map.
#include "base/errors.h"
#include "console/settings_map.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"

namespace torvic::handlers {

namespace {

// A whole number in 0..limit from the expression at the offset, rounded
// half up; "?Function call error" outside.
int32_t WholeInRange(Interpreter& in, Code code, size_t& offset, double limit, uint32_t& out) {
  double v = 0;
  if (const int32_t r = in.Expressions().Eval().EvaluateNumber(code, offset, v, true)) return r;
  if (!(v >= 0 && v <= limit)) return kErrFunctionCallError;
  out = static_cast<uint32_t>(v);
  return kOk;
}

}  // namespace

// POKE address, value (operands: two expressions)
int32_t Poke(Interpreter& in, const uint8_t* code, size_t& offset) {
  const Code c(code, in.Position().PayloadEnd());
  uint32_t address = 0, value = 0;
  int32_t r = WholeInRange(in, c, offset, SettingsMap::kTop, address);
  if (r == kOk && in.Reason() == StopReason::None) r = WholeInRange(in, c, offset, 255, value);
  offset = in.Position().PayloadEnd();
  if (r != kOk || in.Reason() != StopReason::None) return r;
  return in.Settings().PokeByte(address, static_cast<uint8_t>(value));
}

// POKE$ address, s$ (operands: two expressions)
int32_t PokeString(Interpreter& in, const uint8_t* code, size_t& offset) {
  const Code c(code, in.Position().PayloadEnd());
  uint32_t address = 0;
  CBasicString bytes;
  int32_t r = WholeInRange(in, c, offset, SettingsMap::kTop, address);
  if (r == kOk && in.Reason() == StopReason::None)
    r = in.Expressions().Eval().EvaluateString(c, offset, bytes);
  offset = in.Position().PayloadEnd();
  if (r != kOk || in.Reason() != StopReason::None) return r;
  return in.Settings().PokeBytes(address, bytes.Data(), static_cast<size_t>(bytes.Length()));
}

}  // namespace torvic::handlers
