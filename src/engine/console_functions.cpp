#include "engine/console_functions.h"

#include "engine/errors.h"
#include "engine/expression_context.h"
#include "engine/screen_images.h"

namespace torvic {

namespace {

Interpreter* InterpreterOf(CallContext& ctx) {
  auto* context = dynamic_cast<ExpressionContext*>(&ctx.env);
  return context ? &context->Owner() : nullptr;
}

}  // namespace

int32_t FnNextKey(CallContext& ctx, const CValue*, int, CValue& result) {
  Interpreter* in = InterpreterOf(ctx);
  if (!in) return kErrNotSupported;
  result.SetString(in->NextKey());
  // A trap handler that ended with RESUME while the key was looked for.
  if (in->Reason() == StopReason::RetryStatement) in->SetReason(StopReason::None);
  return kOk;
}

int32_t FnScreen(CallContext& ctx, const CValue* args, int count, CValue& result) {
  Interpreter* in = InterpreterOf(ctx);
  if (!in) return kErrNotSupported;
  if (count != 6) return kErrInternalError;
  double a[6];
  for (int i = 0; i < 6; ++i) a[i] = args[i].number;
  size_t images;
  if (int32_t r = OpenScreenImage(*in, a, images)) return r;
  result.SetNumber(static_cast<double>(images));
  return kOk;
}

}  // namespace torvic
