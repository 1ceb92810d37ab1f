// The evaluator's calls: built-in functions by their signatures, user
// functions (DEF FN), DEF USR and USR, and the checks that CONST and DEF FN
// make of an expression before it is stored.
#include "expr/evaluator.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/codebytes.h"
#include "base/errors.h"
#include "expr/expression_code.h"
#include "expr/function_table.h"
#include "expr/functions.h"
#include "expr/numeric_rules.h"

namespace torvic {

namespace {

// The kind of variable an item stands for, as VARPTR names it.
uint32_t ScalarKindOfItem(uint8_t code) {
  switch (code) {
    case item::kLetter:
    case item::kNumericScalar: return kNumericScalar;
    case item::kStringScalar: return kStringScalar;
    case item::kNumericElement: return kNumericArray;
    default: return kStringArray;
  }
}

}  // namespace

// --- function calls -----------------------------------------------------------------

int32_t Evaluator::Call(Code code, size_t& pos) {
  // hdr (3) | number | string-result flag | signature
  if (!CodeHas(code, pos, 6)) return kErrInternalError;
  const uint8_t number = code[pos + 3];
  const uint8_t signature = code[pos + 5];
  pos += 6;
  switch (signature) {
    case sig::kUserFunction: return CallUserFunction(code, pos);
    case sig::kMaxLen: {
      ResolvedRef ref;
      if (int32_t e = ResolveReference(code, pos, ref)) return e;
      if (!ref.slot.IsString()) return kErrInternalError;
      // A string bound to a record buffer can hold only its field width.
      PushNumber(ref.slot.str->Borrowed() ? ref.slot.str->Length() : CBasicString::kMaxLength);
      return kOk;
    }
    case sig::kVarPtr: {
      ResolvedRef ref;
      if (int32_t e = ResolveReference(code, pos, ref)) return e;
      const double id =
          vars_.IdentityOf(ScalarKindOfItem(ref.code), ref.name, ref.element, ref.letter);
      if (id == 0) return kErrOutOfMemory;
      if (number == fnum::kVarPtrString)
        Push().SetString(std::to_string(static_cast<uint32_t>(id)));
      else PushNumber(id);
      return kOk;
    }
    case sig::kLBound:
    case sig::kMaxSize:
    case sig::kSize:
    case sig::kUBound: return ArrayEnquiry(code, pos, signature);
    case sig::kUsr: {
      uint8_t slot;
      if (!ReadCode8(code, pos, slot)) return kErrInternalError;
      return Usr(slot);
    }
    case sig::kChrList:
    case sig::kMaxList:
    case sig::kMinList:
    case sig::kUsing:
    case sig::kChoose:
    case sig::kSwitch: {
      uint8_t count;
      if (!ReadCode8(code, pos, count)) return kErrInternalError;
      return CallList(number, signature, count);
    }
    case sig::kMkTime: return CallList(number, signature, 6);
    default: return CallFixed(number, signature);
  }
}

int32_t Evaluator::CallFixed(uint8_t number, uint8_t signature) {
  const SignatureKinds* kinds = FixedSignature(signature);
  if (!kinds) return kErrInternalError;
  const size_t n = std::strlen(kinds->args);
  if (sp_ < n) return kErrInternalError;
  const size_t base = sp_ - n;
  // Every argument's kind is checked before the worker is called.
  for (size_t i = 0; i < n; ++i) {
    const char k = kinds->args[i];
    const CValue& a = stack_[base + i];
    if ((k == 'N' && !a.IsNumber()) || (k == 'S' && !a.IsString()) ||
        (k == '=' && a.kind != stack_[base + i - 1].kind))
      return kErrTypeMismatch;
  }
  CallContext ctx{*this, vars_, env_, number, signature};
  result_.SetNumber(0);
  if (int32_t e = WorkerFor(number)(ctx, stack_.data() + base, static_cast<int>(n), result_))
    return e;
  if (n == 0) {
    Push();
    std::ranges::swap(stack_[sp_ - 1], result_);
  } else {
    std::ranges::swap(stack_[base], result_);
    sp_ = base + 1;
  }
  return kOk;
}

int32_t Evaluator::CallList(uint8_t number, uint8_t signature, int count) {
  // using$ and choose count the values after the first argument; switch
  // counts pairs.
  size_t n = static_cast<size_t>(count);
  if (signature == sig::kUsing || signature == sig::kChoose) n += 1;
  if (signature == sig::kSwitch) n *= 2;
  if (sp_ < n || n == 0) return kErrInternalError;
  const size_t base = sp_ - n;
  CValue* args = stack_.data() + base;
  switch (signature) {
    case sig::kChrList: {
      for (size_t i = 0; i < n; ++i) {
        if (!args[i].IsNumber()) return kErrTypeMismatch;
        const double b = RoundHalfUp(args[i].number);
        if (!(b >= 0 && b <= 255)) return kErrFunctionCallError;
      }
      CBasicString& s = result_.MakeString();
      for (size_t i = 0; i < n; ++i)
        s.AppendByte(static_cast<uint8_t>(RoundHalfUp(args[i].number)));
      break;
    }
    case sig::kMaxList:
    case sig::kMinList: {
      for (size_t i = 0; i < n; ++i)
        if (!args[i].IsNumber()) return kErrTypeMismatch;
      double r = args[0].number;
      for (size_t i = 1; i < n; ++i)
        r = signature == sig::kMaxList ? (args[i].number > r ? args[i].number : r)
                                       : (args[i].number < r ? args[i].number : r);
      result_.SetNumber(r);
      break;
    }
    default: {  // using$, mktime, choose, switch: workers of their own subjects
      if (signature == sig::kUsing && !args[0].IsString()) return kErrTypeMismatch;
      if (signature == sig::kMkTime)
        for (size_t i = 0; i < n; ++i)
          if (!args[i].IsNumber()) return kErrTypeMismatch;
      CallContext ctx{*this, vars_, env_, number, signature};
      result_.SetNumber(0);
      if (int32_t e = WorkerFor(number)(ctx, args, static_cast<int>(n), result_)) return e;
      break;
    }
  }
  std::ranges::swap(stack_[base], result_);
  sp_ = base + 1;
  return kOk;
}

// FN name(arguments): the arguments are on the stack; each call gets its own
// parameter frame, so nested calls leave the outer call's parameters alone.
int32_t Evaluator::CallUserFunction(Code code, size_t& pos) {
  std::string_view name;
  uint8_t count;
  if (!ReadCodeName(code, pos, name) || !ReadCode8(code, pos, count)) return kErrInternalError;
  const UserFunction* f = vars_.FindUserFunction(name);
  if (!f) return kErrUndefinedFunction;
  if (count != f->paramCount) return kErrFunctionCallError;
  if (sp_ < count || count > 10) return kErrInternalError;
  if (fnDepth_ >= kMaxFnDepth || !vars_.PushParamFrame(kMaxFnDepth)) return kErrOutOfMemory;
  ParamFrame& frame = vars_.Params();
  const size_t base = sp_ - count;
  for (size_t i = 0; i < count; ++i) {
    ParamFrame::Slot& s = frame.slots[i];
    CValue& a = stack_[base + i];
    s.kind = a.kind;
    s.number = a.number;
    if (a.IsString()) std::ranges::swap(s.str, a.str);
  }
  frame.count = count;
  sp_ = base;
  // The call's depth and frame end with it however it ends (an error, or
  // std::bad_alloc from storage that runs out in the body).
  struct CallFrame {
    Evaluator& ev;
    explicit CallFrame(Evaluator& e) : ev(e) { ++ev.fnDepth_; }
    ~CallFrame() {
      --ev.fnDepth_;
      ev.vars_.PopParamFrame();
    }
  };
  int32_t e;
  {
    const CallFrame call(*this);
    size_t bodyPos = 0;
    e = Run(Code(f->body.data(), f->body.size()), bodyPos);
  }
  if (e) return e;
  if (!Top().IsNumber()) return kErrTypeMismatch;  // user functions return numbers only
  return kOk;
}

int32_t Evaluator::ArrayEnquiry(Code code, size_t& pos, uint8_t signature) {
  uint32_t kind;
  std::string_view name;
  if (int32_t e = ReadArrayName(code, pos, kind, name)) return e;
  if (signature == sig::kMaxSize) {
    CVariable* v = vars_.FindArray(kind, name);
    if (!v) return kErrBadSubscript;  // and nothing is created
    PushNumber(static_cast<double>(v->ElementCount()));
    return kOk;
  }
  if (int32_t e = Run(code, pos)) return e;
  if (!Top().IsNumber()) return kErrTypeMismatch;
  const double d = RoundHalfUp(stack_[--sp_].number);
  if (!(d >= 1 && d <= kMaxDimensions)) return kErrBadSubscript;
  const int dim = static_cast<int>(d);
  CVariable* v = vars_.FindArray(kind, name);
  if (!v) {
    // Created as by an element reference with `dim` subscripts of 10.
    double tens[kMaxDimensions];
    for (double& t : tens) t = kAutoUpperBound;
    VarSlot slot;
    if (int32_t e = vars_.Element(kind, name, dim, tens, env_.ProgramRunning(), slot)) return e;
    v = vars_.FindArray(kind, name);
  }
  if (dim > v->dimensions) return kErrBadSubscript;
  const int32_t extent = v->extents[static_cast<size_t>(dim - 1)];
  double r = v->base;
  if (signature == sig::kUBound) r = v->base == 0 ? extent - 1 : extent;
  if (signature == sig::kSize) r = extent;
  PushNumber(r);
  return kOk;
}

// --- DEF USR and USR ------------------------------------------------------------

int32_t Evaluator::DefineUsr(int32_t slot, double address) {
  if (slot < 0 || slot > 9) return kErrInternalError;
  const double a = RoundHalfUp(address);
  if (!(a >= 0 && a < 65536)) return kErrCommandError;
  usrSlots_[static_cast<size_t>(slot)] = static_cast<int32_t>(a);
  return kOk;
}

int32_t Evaluator::Usr(int slot) {
  if (slot > 9 || sp_ == 0) return kErrInternalError;
  CValue& x = Top();
  if (!x.IsNumber()) return kErrTypeMismatch;
  switch (usrSlots_[static_cast<size_t>(slot)]) {
    case kUsrZero: x.SetNumber(0); return kOk;
    case kUsrVariableText: {
      VarSlot place;
      const bool found = vars_.ResolveIdentity(x.number, place);
      CBasicString& out = result_.MakeString();
      if (found && place.IsString()) {
        // The text with every CR LF pair reduced to the CR.
        const std::string_view s = place.str->View();
        for (size_t i = 0; i < s.size(); ++i) {
          out.AppendByte(static_cast<uint8_t>(s[i]));
          if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        }
      } else if (found) {
        uint8_t bytes[8];
        WriteF64(bytes, *place.number);
        out.Assign(bytes, 8);
      }
      std::ranges::swap(x, result_);
      return kOk;
    }
    case kUsrValidFileName: {
      VarSlot place;
      const bool valid = vars_.ResolveIdentity(x.number, place) && place.IsString() &&
                         env_.IsValidFileName(place.str->View());
      x.SetNumber(valid ? 1 : 0);
      return kOk;
    }
    default:
      x.SetNumber(0);
      env_.BreakFromUsr("USR: no machine code at this address");
      return kOk;
  }
}

// --- checks of CONST and DEF FN ---------------------------------------------------

// A built-in or user function call item, after its item byte.
int32_t Evaluator::CheckCall(Code code, size_t& pos, Check what) {
  const bool constant = what == Check::Constant;
  std::string_view name;
  if (!CodeHas(code, pos, 6)) return kErrInternalError;
  const uint8_t signature = code[pos + 5];
  pos += 6;
  switch (signature) {
    case sig::kUserFunction:
      if (!ReadCodeName(code, pos, name) || !CodeHas(code, pos, 1)) return kErrInternalError;
      ++pos;
      if (constant) return kErrIllegalConstant;
      if (!vars_.FindUserFunction(name)) return kErrUndefinedFunction;
      break;
    case sig::kChrList:
    case sig::kMaxList:
    case sig::kMinList:
    case sig::kUsing:
    case sig::kChoose:
    case sig::kSwitch:
    case sig::kUsr:
      if (!CodeHas(code, pos, 1)) return kErrInternalError;
      ++pos;
      break;
    case sig::kLBound:
    case sig::kSize:
    case sig::kUBound: {
      // The array name, then the dimension with its own 0 byte.
      if (constant) return kErrIllegalConstant;
      uint32_t kind;
      if (int32_t e = ReadArrayName(code, pos, kind, name)) return e;
      if (int32_t e = CheckExpression(code, pos, what)) return e;
      break;
    }
    default:  // the operands of maxlen, varptr, maxsize follow as items
      break;
  }
  return kOk;
}

// A variable or array element item (`c`), after its item byte.
int32_t Evaluator::CheckVariable(uint8_t c, Code code, size_t& pos, Check what) {
  if (what == Check::Constant) return kErrIllegalConstant;
  std::string_view name;
  pos += 3;
  if (!ReadCodeName(code, pos, name)) return kErrInternalError;
  if (c >= item::kNumericElement) {
    uint8_t count;
    if (!ReadCode8(code, pos, count)) return kErrInternalError;
    for (int i = 0; i < count; ++i)
      if (int32_t e = CheckExpression(code, pos, what)) return e;
  }
  return kOk;
}

int32_t Evaluator::CheckExpression(Code code, size_t& pos, Check what) {
  const bool constant = what == Check::Constant;
  for (;;) {
    uint8_t c;
    if (!ReadCode8(code, pos, c)) return kErrInternalError;
    std::string_view name;
    switch (c) {
      case item::kEnd: return kOk;
      case item::kNumber:
        if (!CodeHas(code, pos, 8)) return kErrInternalError;
        pos += 8;
        break;
      case item::kString: {
        if (!CodeHas(code, pos, 1)) return kErrInternalError;
        const void* zero = std::memchr(code.data() + pos + 1, 0, code.size() - pos - 1);
        if (!zero) return kErrInternalError;
        pos = static_cast<size_t>(static_cast<const uint8_t*>(zero) - code.data()) + 1;
        break;
      }
      case item::kOperator:
        if (!CodeHas(code, pos, 1)) return kErrInternalError;
        ++pos;
        break;
      case item::kCall:
        if (int32_t e = CheckCall(code, pos, what)) return e;
        break;
      case item::kLetter:
        if (constant) return kErrIllegalConstant;
        if (!CodeHas(code, pos, 4)) return kErrInternalError;
        pos += 4;
        break;
      case item::kNumericScalar:
      case item::kStringScalar:
      case item::kNumericElement:
      case item::kStringElement:
        if (int32_t e = CheckVariable(c, code, pos, what)) return e;
        break;
      case item::kConstant:
        pos += 3;
        if (!ReadCodeName(code, pos, name)) return kErrInternalError;
        if (!vars_.FindConstant(name)) return kErrUndefinedConstant;
        break;
      case item::kNumericParam:
      case item::kStringParam:
        if (constant) return kErrIllegalConstant;
        if (!CodeHas(code, pos, 1)) return kErrInternalError;
        ++pos;
        break;
      case item::kOverflow:
      case item::kUnderflow:
      case item::kForeground:
      case item::kBackground:
      case item::kZero130:
      case item::kZero131:
      case item::kCurrentVolume:
      case item::kCurrentTime: break;
      default: return kErrInternalError;
    }
  }
}

}  // namespace torvic
