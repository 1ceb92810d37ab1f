#include "expr/file_functions.h"

#include "expr/evaluator.h"

namespace torvic {

int32_t FnEof(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Eof, ctx, args, count, result);
}

int32_t FnLoc(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Loc, ctx, args, count, result);
}

int32_t FnLof(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Lof, ctx, args, count, result);
}

int32_t FnRec(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Rec, ctx, args, count, result);
}

int32_t FnBufsiz(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Bufsiz, ctx, args, count, result);
}

int32_t FnOpen(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Open, ctx, args, count, result);
}

int32_t FnFreefile(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Freefile, ctx, args, count, result);
}

int32_t FnFilemode(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::Filemode, ctx, args, count, result);
}

int32_t FnModeLetter(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::ModeLetter, ctx, args, count, result);
}

int32_t FnFileName(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::FileName, ctx, args, count, result);
}

int32_t FnInputText(CallContext& ctx, const CValue* args, int count, CValue& result) {
  return ctx.env.CallFileFunction(FileFunction::InputText, ctx, args, count, result);
}

}  // namespace torvic
