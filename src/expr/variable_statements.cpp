#include "expr/variable_statements.h"

#include <vector>

#include "base/errors.h"
#include "console/settings.h"
#include "expr/expression_code.h"

namespace torvic {

namespace {

// An element item with its bounds: kind, name and the evaluated bounds.
int32_t ReadBoundsItem(Evaluator& ev, Code code, size_t& pos, uint8_t c, uint32_t& kind,
                       std::string_view& name, int& count, double* bounds) {
  if (c != item::kNumericElement && c != item::kStringElement) return kErrInternalError;
  kind = c == item::kNumericElement ? kNumericArray : kStringArray;
  pos += 3;
  uint8_t n;
  if (!ReadCodeName(code, pos, name) || !ReadCode8(code, pos, n)) return kErrInternalError;
  if (n == 0 || n > kMaxDimensions) return kErrBadSubscript;
  count = n;
  for (int i = 0; i < n; ++i)
    if (int32_t e = ev.EvaluateNumber(code, pos, bounds[i])) return e;
  return kOk;
}

// DIM and REDIM share the walk over their element items, each one after
// a 1 byte, the list closed by a 0 byte (the layout is CompileDim's).
template <typename Make>
int32_t ForEachBoundsItem(Evaluator& ev, Code code, size_t pos, Make&& make) {
  for (;;) {
    uint8_t marker, c;
    if (!ReadCode8(code, pos, marker)) return kErrInternalError;
    if (marker == 0) return kOk;
    if (marker != 1 || !ReadCode8(code, pos, c)) return kErrInternalError;
    uint32_t kind;
    std::string_view name;
    int count;
    double bounds[kMaxDimensions];
    if (int32_t e = ReadBoundsItem(ev, code, pos, c, kind, name, count, bounds)) return e;
    if (int32_t e = make(kind, name, count, bounds)) return e;
  }
}

// ERASE and CLEAR share the walk over their array names, each one after a
// 1 byte, the list closed by a 0 byte (CompileArrayList's layout); false in
// *any when the list is empty.
template <typename Act>
int32_t ForEachArrayName(Evaluator& ev, Code code, size_t pos, bool& any, Act&& act) {
  any = false;
  for (;;) {
    uint8_t marker;
    if (!ReadCode8(code, pos, marker)) return kErrInternalError;
    if (marker == 0) return kOk;
    if (marker != 1) return kErrInternalError;
    any = true;
    uint32_t kind;
    std::string_view name;
    if (int32_t e = ev.ReadArrayName(code, pos, kind, name)) return e;
    if (int32_t e = act(kind, name)) return e;
  }
}

}  // namespace

// [LET] target [, target ...] = expr [, target [, target ...] = expr ...]
int32_t ExecuteLet(Evaluator& ev, Code code, size_t pos) {
  // Reused across statements so that assignments do not allocate.
  std::vector<VarSlot>& targets = ev.Scratch().targets;
  CValue& value = ev.Scratch().value;
  for (;;) {
    uint8_t marker;
    if (!ReadCode8(code, pos, marker)) return kErrInternalError;
    if (marker == 0) return kOk;
    // One numeric target: resolved and assigned the quick way.
    int32_t quick = kOk;
    if (ev.QuickAssign(code, pos, quick)) {
      if (quick) return quick;
      if (ev.StopPending()) return kOk;  // the rest waits for the stop
      continue;
    }
    targets.clear();
    // Resolve every target first; the first fixes the kind.
    for (;;) {
      if (!CodeHas(code, pos, 1)) return kErrInternalError;
      if (code[pos] == item::kEnd) {
        ++pos;
        break;
      }
      ResolvedRef ref;
      if (int32_t e = ev.ResolveReference(code, pos, ref)) return e;
      if (!targets.empty() && targets.front().IsString() != ref.slot.IsString())
        return kErrTypeMismatch;
      targets.push_back(ref.slot);
    }
    if (targets.empty()) return kErrInternalError;
    if (targets.front().IsString()) {
      if (int32_t e = ev.EvaluateString(code, pos, value.str)) return e;
      // Assign unbinds a FIELD-bound target: it gets storage of its own and
      // the record buffer stays as it was.
      for (VarSlot& t : targets) t.str->Assign(value.str.View());
    } else {
      double v;
      if (int32_t e = ev.EvaluateNumber(code, pos, v)) return e;
      for (VarSlot& t : targets) *t.number = v;  // stored unrounded
    }
    // A stop in the expression left pos inside it: the rest of the
    // statement waits for the stop.
    if (ev.StopPending()) return kOk;
  }
}

// DIM array(bounds) [, array(bounds) ...]
int32_t ExecuteDim(Evaluator& ev, Code code, size_t pos) {
  const bool running = ev.Env().ProgramRunning();
  return ForEachBoundsItem(ev, code, pos,
                           [&](uint32_t kind, std::string_view name, int count, const double* b) {
                             return ev.Vars().CreateArray(kind, name, count, b, running);
                           });
}

// REDIM [PRESERVE] array(bounds) [, ...]
int32_t ExecuteRedim(Evaluator& ev, Code code, size_t pos) {
  uint8_t preserve;
  if (!ReadCode8(code, pos, preserve)) return kErrInternalError;
  const bool running = ev.Env().ProgramRunning();
  return ForEachBoundsItem(
      ev, code, pos, [&](uint32_t kind, std::string_view name, int count, const double* b) {
        return ev.Vars().ResizeArray(preserve != 0, kind, name, count, b, running);
      });
}

// ERASE [array [, array ...]]
int32_t ExecuteErase(Evaluator& ev, Code code, size_t pos) {
  const bool running = ev.Env().ProgramRunning();
  bool any;
  const int32_t e = ForEachArrayName(ev, code, pos, any, [&](uint32_t kind, std::string_view name) {
    return ev.Vars().EraseArray(kind, name, running);
  });
  if (e == kOk && !any) ev.Vars().DeleteAllArrays();
  return e;
}

// CLEAR [array [, array ...]]
int32_t ExecuteClear(Evaluator& ev, Code code, size_t pos) {
  const bool running = ev.Env().ProgramRunning();
  bool any;
  const int32_t e = ForEachArrayName(ev, code, pos, any, [&](uint32_t kind, std::string_view name) {
    return ev.Vars().ClearArray(kind, name, running);
  });
  if (e == kOk && !any) ClearVariables(ev);
  return e;
}

void ClearVariables(Evaluator& ev) {
  if (!ev.Env().Settings().ClearKeepsScalars()) ev.Vars().ResetScalars();
  ev.Vars().ZeroArrays();
}

// OPTION BASE n ; OPTION EXPLICIT
int32_t ExecuteOption(Evaluator& ev, Code code, size_t pos) {
  uint8_t which;
  if (!ReadCode8(code, pos, which) || which > 1) return kErrInternalError;
  double base = 0;
  if (which == 0) {
    if (int32_t e = ev.EvaluateNumber(code, pos, base, true)) return e;
    if (ev.StopPending()) return kOk;
  }
  if (!ev.Env().ProgramRunning()) return kErrModeError;
  if (ev.Vars().ArraysExist()) return kErrAlreadyDimensioned;
  if (which == 1) {
    ev.Vars().SetExplicitArrays(true);
    return kOk;
  }
  // The base is 0 or 1; anything else is refused before it changes.
  if (base != 0 && base != 1) return kErrCommandError;
  ev.Vars().SetOptionBase(static_cast<uint8_t>(base));
  return kOk;
}

// CONST %name = expr
int32_t ExecuteConst(Evaluator& ev, Code code, size_t pos) {
  uint8_t c;
  std::string_view name;
  if (!ReadCode8(code, pos, c) || c != item::kConstant) return kErrInternalError;
  pos += 3;
  if (!ReadCodeName(code, pos, name)) return kErrInternalError;
  size_t check = pos;
  if (int32_t e = ev.CheckExpression(code, check, Evaluator::Check::Constant)) return e;
  double v;
  if (int32_t e = ev.EvaluateNumber(code, pos, v)) return e;
  if (!ev.Env().ProgramRunning()) return kErrModeError;
  return ev.Vars().AddConstant(name, v);
}

// DEF FN name [(parameters)] = expr
int32_t ExecuteDefFn(Evaluator& ev, Code code, size_t pos, const void* line) {
  uint16_t link, end;
  uint8_t flag, params;
  std::string_view name;
  if (!ReadCode16(code, pos, link) || !ReadCode8(code, pos, flag) ||
      !ReadCodeName(code, pos, name) || !ReadCode8(code, pos, params) ||
      !ReadCode16(code, pos, end) || end < pos || end > code.size() || params > kMaxFnParameters)
    return kErrInternalError;
  if (!ev.Env().ProgramRunning()) return kErrModeError;
  size_t check = pos;
  if (int32_t e = ev.CheckExpression(code, check, Evaluator::Check::FnBody)) return e;
  if (check != end) return kErrInternalError;
  return ev.Vars().DefineUserFunction(name, params, line, static_cast<uint32_t>(pos),
                                      code.data() + pos, end - pos);
}

// DEF USR[digit] = expr
int32_t ExecuteDefUsr(Evaluator& ev, Code code, size_t pos) {
  uint8_t slot;
  if (!ReadCode8(code, pos, slot)) return kErrInternalError;
  double address;
  if (int32_t e = ev.EvaluateNumber(code, pos, address)) return e;
  if (slot > 9) return kErrInternalError;
  return ev.DefineUsr(slot, address);
}

// INC variable / DEC variable: the target is looked up (or created) first.
int32_t ExecuteIncDec(Evaluator& ev, Code code, size_t pos) {
  ResolvedRef ref;
  if (int32_t e = ev.ResolveReference(code, pos, ref)) return e;
  return kErrNotSupported;
}

int32_t ExecuteSwap(Evaluator&, Code, size_t) { return kErrNotSupported; }

}  // namespace torvic
