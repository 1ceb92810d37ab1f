#include "engine/file_functions.h"

#include "base/errors.h"
#include "console/screen.h"
#include "engine/datafiles.h"
#include "engine/expression_context.h"
#include "expr/numeric_rules.h"
#include "volumes/volumes.h"

namespace torvic::files {

namespace {

Interpreter* InterpreterOf(CallContext& ctx) {
  auto* context = dynamic_cast<ExpressionContext*>(&ctx.env);
  return context ? &context->Owner() : nullptr;
}

// The file number argument: the interpreter, the number (0..255, else
// "?Function call error") and the open file (null for 0 and for a number
// that is not open).
struct FileArgument {
  Interpreter* in = nullptr;
  int32_t number = 0;
  DataFile* file = nullptr;
};

int32_t ReadFileArgument(CallContext& ctx, double x, FileArgument& a) {
  a.in = InterpreterOf(ctx);
  if (!a.in) return kErrNotSupported;
  x = RoundHalfUp(x);
  if (!(x >= 0 && x <= kMaxFileNumber)) return kErrFunctionCallError;
  a.number = static_cast<int32_t>(x);
  a.file = a.in->Files().FindFile(a.number);
  return kOk;
}

// The same for the functions that need an open file beyond number 0.
int32_t OpenFileArgument(CallContext& ctx, double x, FileArgument& a) {
  if (int32_t r = ReadFileArgument(ctx, x, a)) return r;
  return a.number != 0 && !a.file ? kErrFileNotOpen : kOk;
}

}  // namespace

int32_t FnEof(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  if (!a.file) {
    result.SetNumber(0);
    return kOk;
  }
  if (a.file->mode != FileMode::Input && a.file->mode != FileMode::Random) return kErrFileModeError;
  result.SetNumber(a.file->atEnd ? -1 : 0);
  return kOk;
}

int32_t FnLoc(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  if (!a.file) result.SetNumber(a.in->Screen().Column());
  else if (a.file->mode == FileMode::Random) result.SetNumber(a.file->recordNumber);
  else result.SetNumber(static_cast<double>(a.file->hostPosition));
  return kOk;
}

int32_t FnLof(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  if (!a.file) {
    result.SetNumber(static_cast<double>(a.in->Entry().Keys().Size()));
    return kOk;
  }
  int32_t error;
  const int64_t length = a.in->Files().Length(*a.file, error);
  if (error) return error;
  result.SetNumber(static_cast<double>(length));
  return kOk;
}

int32_t FnRec(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  if (!a.file) {
    result.SetNumber(0);
    return kOk;
  }
  if (a.file->mode != FileMode::Random) return kErrFileModeError;
  int32_t error;
  const int64_t records = a.in->Files().Length(*a.file, error);
  if (error) return error;
  result.SetNumber(static_cast<double>(records));
  return kOk;
}

int32_t FnBufsiz(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  result.SetNumber(a.file ? a.file->recordLength : 0);
  return kOk;
}

int32_t FnOpen(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = ReadFileArgument(ctx, args[0].number, a)) return r;
  result.SetNumber(a.number == 0 || a.file ? -1 : 0);
  return kOk;
}

int32_t FnFreefile(CallContext& ctx, const CValue*, int, CValue& result) {
  Interpreter* in = InterpreterOf(ctx);
  if (!in) return kErrNotSupported;
  result.SetNumber(in->Files().FreeNumber());
  return kOk;
}

int32_t FnFilemode(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[0].number, a)) return r;
  result.SetNumber(a.file ? static_cast<int32_t>(a.file->mode) : 3);
  return kOk;
}

int32_t FnModeLetter(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = ReadFileArgument(ctx, args[0].number, a)) return r;
  CBasicString& s = result.MakeString();
  if (a.number == 0) s.AppendByte('R');
  else if (a.file) s.AppendByte(static_cast<uint8_t>(ModeWord(a.file->mode)[0]));
  return kOk;
}

int32_t FnFileName(CallContext& ctx, const CValue* args, int, CValue& result) {
  FileArgument a;
  if (int32_t r = ReadFileArgument(ctx, args[0].number, a)) return r;
  CBasicString& s = result.MakeString();
  if (!a.file) return kOk;
  if (!a.in->Volumes().FindVolume(a.file->volume)) return kErrVolumeDoesNotExist;
  s.Append(a.file->volume);
  s.AppendByte(':');
  s.Append(a.file->name);
  return kOk;
}

int32_t FnInputText(CallContext& ctx, const CValue* args, int, CValue& result) {
  const double n = RoundHalfUp(args[0].number);
  if (!(n >= 1 && n <= CBasicString::kMaxLength)) return kErrFunctionCallError;
  FileArgument a;
  if (int32_t r = OpenFileArgument(ctx, args[1].number, a)) return r;
  const int32_t count = static_cast<int32_t>(n);
  if (a.file) {
    if (a.file->mode != FileMode::Input && a.file->mode != FileMode::Random)
      return kErrFileModeError;
    return a.in->Files().ReadBytes(*a.file, count, result.MakeString());
  }
  // The keyboard: keys as GET reads them, waiting for each; a stop ends
  // the wait with the keys read so far.
  Interpreter& in = *a.in;
  CBasicString& keys = result.MakeString();
  for (int32_t got = 0; got < count;) {
    const std::string key = in.NextKey();
    if (in.Reason() == StopReason::RetryStatement) in.SetReason(StopReason::None);
    if (in.Reason() != StopReason::None || in.QuitPending()) break;
    if (key.empty()) {
      in.WaitForKey();
      continue;
    }
    if (!keys.FitsAppend(static_cast<int64_t>(key.size()))) return kErrStringTooLong;
    keys.Append(key);
    ++got;
  }
  return kOk;
}

}  // namespace torvic::files
