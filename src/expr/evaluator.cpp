#include "expr/evaluator.h"

#include <concepts>
#include <cstring>
#include <string>

#include "base/errors.h"
#include "console/settings.h"
#include "expr/expression_code.h"
#include "expr/function_table.h"
#include "expr/functions.h"
#include "expr/numeric_rules.h"
#include "expr/operators.h"
#include "expr/quick_chain.h"
#include "expr/string_functions.h"
#include "platform/host.h"

namespace torvic {

int32_t EvalEnvironment::PeekByte(uint32_t address) { return Settings().Byte(address); }

int32_t EvalEnvironment::CallFileFunction(FileFunction, CallContext&, const CValue*, int, CValue&) {
  return kErrNotSupported;
}

namespace {

// Internal result of a run that ended because the pending-stop flag was
// set; the public entry points turn it into success with the number 0.
constexpr int32_t kStopped = -0x7FFF;

constexpr char kLetterNames[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

std::string_view Evaluator::LetterName(int index) {
  return std::string_view(kLetterNames + index, 1);
}

Evaluator::Evaluator(VariableStore& vars, EvalEnvironment& env)
    : vars_(vars),
      env_(env),
      stop_(env.PendingStop()),
      quick_(&vars.Letter(0)),
      quickAssignments_(&vars.Letter(0), /*assignments=*/true) {
  stack_.resize(64);
}

void Evaluator::ReleaseStack() {
  sp_ = 0;
  constexpr size_t kKept = 64;  // what the evaluator starts with
  if (stack_.size() > kKept) {
    stack_.resize(kKept);
    try {
      stack_.shrink_to_fit();
    } catch (const std::bad_alloc&) {  // the bigger block simply stays
    }
  }
  for (CValue& v : stack_) v.str.Clear();
  for (QuickString& q : quickStrings_) {
    q.view = {};
    q.own.Clear();
  }
  for (CValue& v : quickArgs_) v.str.Clear();
  result_.str.Clear();
  scratch_.value.str.Clear();
  vars_.ReleaseParamFrames();
}

CValue& Evaluator::Push() {
  if (sp_ == stack_.size()) stack_.emplace_back();
  return stack_[sp_++];
}

// --- entry points ------------------------------------------------------------

int32_t Evaluator::Evaluate(Code code, size_t& pos) {
  const size_t base = sp_;
  const int32_t e = RunOne(code, pos);
  if (e == kStopped) {
    sp_ = base;
    PushNumber(0);
    return kOk;
  }
  return e;
}

int32_t Evaluator::EvaluateValue(Code code, size_t& pos, CValue& out) {
  if (int32_t e = Evaluate(code, pos)) return e;
  std::ranges::swap(out, stack_[--sp_]);
  return kOk;
}

int32_t Evaluator::EvaluateString(Code code, size_t& pos, CBasicString& out) {
  if (int32_t e = Evaluate(code, pos)) return e;
  if (!Top().IsString()) return kErrTypeMismatch;
  out = stack_[--sp_].str;
  return kOk;
}

// --- the loop ------------------------------------------------------------------

// --- the quick path ----------------------------------------------------------------

using quick::Truth;

int32_t Evaluator::RunOne(Code code, size_t& pos) {
  if (const quick::Plan* plan = QuickPlanFor(code, pos)) {
    double v;
    const int32_t e = RunPlan(*plan, pos, v);
    if (e == kOk) PushNumber(v);
    return e;
  }
  return Run(code, pos);
}

// A scalar site's record, looked up again (and created as a read creates
// it) when records were removed since it was found; null when memory runs
// out.
inline CVariable* Evaluator::SiteScalar(quick::Site& site) {
  if (site.removals != vars_.Removals()) {
    site.record = vars_.Scalar(
        site.itemCode == item::kStringScalar ? kStringScalar : kNumericScalar, site.name);
    if (!site.record) return nullptr;
    site.removals = vars_.Removals();
  }
  return site.record;
}

// An element site's place for these subscripts: through the kept record,
// or found (and dimensioned on first use) as the general reference does.
inline int32_t Evaluator::SiteSlot(quick::Site& site, int count, const double* subs,
                                   VarSlot& slot) {
  if (site.removals == vars_.Removals()) return vars_.ElementOf(*site.record, count, subs, slot);
  CVariable* record = nullptr;
  const uint32_t kind = site.itemCode == item::kStringElement ? kStringArray : kNumericArray;
  const int32_t e =
      vars_.Element(kind, site.name, count, subs, env_.ProgramRunning(), slot, nullptr, &record);
  if (e == kOk && record) {
    site.record = record;
    site.removals = vars_.Removals();
  }
  return e;
}

inline int32_t Evaluator::SiteElement(quick::Site& site, int count, const double* subs,
                                      double*& at) {
  VarSlot slot;
  const int32_t e = SiteSlot(site, count, subs, slot);
  if (e == kOk) at = slot.number;
  return e;
}

int32_t Evaluator::FindAssignmentElement(quick::Site& site, const double* subscript, double*& at) {
  return SiteElement(site, 1, subscript, at);
}

// A built-in of the string steps: its arguments, taken from the two stacks
// in the order of its signature, and its worker (one of the pure ones, so
// no stop and no code of its own can come of it).
int32_t Evaluator::MixedCallStep(const quick::Step& s, double* st, int& sp, int& ssp) {
  const int n = s.count;
  for (int i = n - 1; i >= 0; --i) {
    CValue& a = quickArgs_[static_cast<size_t>(i)];
    if (s.text[i] == 'S') {
      a.SetString(quickStrings_[static_cast<size_t>(--ssp)].view);
    } else {
      a.SetNumber(st[--sp]);
    }
  }
  CallContext ctx{*this, vars_, env_, s.code, s.signature};
  result_.SetNumber(0);
  if (int32_t e = WorkerFor(s.code)(ctx, quickArgs_.data(), n, result_)) return e;
  if (result_.IsString() != s.stringResult) return kErrInternalError;  // a broken signature
  if (s.stringResult) {
    QuickString& t = quickStrings_[static_cast<size_t>(ssp++)];
    std::ranges::swap(t.own, result_.str);
    t.view = t.own.View();
  } else {
    st[sp++] = result_.number;
  }
  return kOk;
}

// A+tail joined into the target, as the general LET would assign the
// joined copy: "?String too long" leaves it alone, and a target bound to a
// record buffer gets storage of its own (as Assign gives it; Append of an
// empty tail would leave the binding). The tail may view the target itself,
// which Append allows.
int32_t Evaluator::AppendStep(std::string_view tail) {
  CBasicString& to = *quickStringPlace_;
  if (!to.FitsAppend(static_cast<int64_t>(tail.size()))) return kErrStringTooLong;
  if (to.Borrowed()) {
    quickLeft_.SetString(to.View());
    quickLeft_.str.Append(tail);
    to.Assign(quickLeft_.str.View());
  } else {
    to.Append(tail);
  }
  return kOk;
}

// The string steps of RunSteps; quickSsp_ is the string stack's depth.
[[gnu::always_inline]] inline int32_t Evaluator::StringStep(quick::PlanCache& cache,
                                                            const quick::Step& s, double* st,
                                                            int& sp) {
  using quick::Op;
  QuickString* const ss = quickStrings_.data();
  int& ssp = quickSsp_;
  switch (s.op) {
    case Op::Text: ss[ssp++].view = std::string_view(s.text, s.end); break;
    case Op::StringScalar: {
      const CVariable* v = SiteScalar(cache.Sites()[s.site]);
      if (!v) return kErrOutOfMemory;
      ss[ssp++].view = v->str.View();
      break;
    }
    case Op::StringElement: {
      sp -= s.count;
      VarSlot slot;
      if (int32_t e = SiteSlot(cache.Sites()[s.site], s.count, st + sp, slot)) return e;
      ss[ssp++].view = slot.str->View();
      break;
    }
    case Op::Concat: {
      QuickString& a = ss[ssp - 2];
      const std::string_view b = ss[ssp - 1].view;
      if (a.view.size() + b.size() > static_cast<size_t>(CBasicString::kMaxLength))
        return kErrStringTooLong;
      // Joined in the entry's own storage (the view may be a cut of it).
      if (a.view.data() != a.own.View().data() || a.view.size() != a.own.View().size())
        a.own.Assign(a.view);
      a.own.Append(b);
      a.view = a.own.View();
      --ssp;
      break;
    }
    case Op::Length:
      --ssp;
      st[sp++] = static_cast<double>(ss[ssp].view.size());
      break;
    case Op::ScalarLength: {
      const CVariable* v = SiteScalar(cache.Sites()[s.site]);
      if (!v) return kErrOutOfMemory;
      st[sp++] = v->str.Length();
      break;
    }
    case Op::Chr: {
      uint8_t c;
      if (!CharacterCode(st[sp - 1], c)) return kErrFunctionCallError;
      --sp;
      QuickString& t = ss[ssp++];
      t.own.Assign(std::string_view(reinterpret_cast<const char*>(&c), 1));
      t.view = t.own.View();
      break;
    }
    case Op::Left:
      --sp;
      if (!LeftPart(ss[ssp - 1].view, st[sp], ss[ssp - 1].view)) return kErrFunctionCallError;
      break;
    case Op::Right:
      --sp;
      if (!RightPart(ss[ssp - 1].view, st[sp], ss[ssp - 1].view)) return kErrFunctionCallError;
      break;
    case Op::Mid:
      sp -= 2;
      if (!MidPart(ss[ssp - 1].view, st[sp], st[sp + 1], ss[ssp - 1].view))
        return kErrFunctionCallError;
      break;
    case Op::Instr:
      ssp -= 2;
      st[sp++] = InstrPosition(ss[ssp].view, ss[ssp + 1].view, 1);
      break;
    case Op::InstrFrom: {
      int32_t from;
      if (!InstrFrom(st[sp - 1], from)) return kErrFunctionCallError;
      ssp -= 2;
      st[sp - 1] = InstrPosition(ss[ssp].view, ss[ssp + 1].view, from);
      break;
    }
    case Op::CompareStrings:
      ssp -= 2;
      st[sp++] = CompareStrings(s.code, ss[ssp].view, ss[ssp + 1].view);
      break;
    case Op::MixedCall:
      if (int32_t e = MixedCallStep(s, st, sp, ssp)) return e;
      break;
    case Op::TargetStringScalar: {
      CVariable* v = SiteScalar(cache.Sites()[s.site]);
      if (!v) return kErrOutOfMemory;
      quickStringPlace_ = &v->str;
      break;
    }
    case Op::TargetStringElement: {
      sp -= s.count;
      VarSlot slot;
      if (int32_t e = SiteSlot(cache.Sites()[s.site], s.count, st + sp, slot)) return e;
      quickStringPlace_ = slot.str;
      break;
    }
    case Op::Append:
      if (int32_t e = AppendStep(ss[--ssp].view)) return e;
      break;
    default: return kErrInternalError;
  }
  return kOk;
}

// A call step of RunSteps: the worker on the numbers, which may evaluate
// code of its own (so the step pools may have moved: `s` and `last` are
// found again) and may leave the stop flag (kStopped, pos past the call).
[[gnu::always_inline]] inline int32_t Evaluator::CallStep(quick::PlanCache& cache,
                                                          const quick::Plan& plan, double* st,
                                                          int& sp, const quick::Step*& s,
                                                          const quick::Step*& last, size_t& pos) {
  const int n = s->count;
  const size_t index = static_cast<size_t>(s - cache.Steps().data());
  sp -= n;
  for (int i = 0; i < n; ++i) quickArgs_[static_cast<size_t>(i)].SetNumber(st[sp + i]);
  CallContext ctx{*this, vars_, env_, s->code, s->signature};
  result_.SetNumber(0);
  if (int32_t e = WorkerFor(s->code)(ctx, quickArgs_.data(), n, result_)) return e;
  if (!result_.IsNumber()) return kErrInternalError;  // a worker broke its signature
  st[sp++] = result_.number;
  // A worker that evaluated code of its own may have grown the pools.
  if (plan.firstStep + plan.stepCount > cache.Steps().size()) return kErrInternalError;
  s = cache.Steps().data() + index;
  last = cache.Steps().data() + plan.firstStep + plan.stepCount;
  if (stop_) {
    pos = s->end;  // where the general loop stops: just past the call
    return kStopped;
  }
  return kOk;
}

template <bool kStrings>
[[gnu::always_inline]] inline int32_t Evaluator::RunSteps(quick::PlanCache& cache,
                                                          const quick::Plan& plan, double* st,
                                                          size_t& pos, double** place) {
  using quick::Op;
  int sp = 0;
  const quick::Step* s = cache.Steps().data() + plan.firstStep;
  const quick::Step* last = s + plan.stepCount;
  for (; s != last; ++s) {
    int32_t e = kOk;  // the arithmetic's error, checked once after the switch
    switch (s->op) {
      case Op::Number: st[sp++] = s->number; break;
      case Op::Letter: st[sp++] = *s->place; break;
      case Op::Scalar: {
        const CVariable* v = SiteScalar(cache.Sites()[s->site]);
        if (!v) return kErrOutOfMemory;
        st[sp++] = v->number;
        break;
      }
      case Op::Element: {
        sp -= s->count;
        double* at;
        if (e = SiteElement(cache.Sites()[s->site], s->count, st + sp, at); e != kOk) return e;
        st[sp++] = *at;
        break;
      }
      case Op::TargetScalar: {
        CVariable* v = SiteScalar(cache.Sites()[s->site]);
        if (!v) return kErrOutOfMemory;
        *place = &v->number;
        break;
      }
      case Op::TargetElement: {
        sp -= s->count;
        if (e = SiteElement(cache.Sites()[s->site], s->count, st + sp, *place); e != kOk) return e;
        break;
      }
      case Op::ElementLetter: {
        double* at;
        if (e = SiteElement(cache.Sites()[s->site], 1, s->place, at); e != kOk) return e;
        st[sp++] = *at;
        break;
      }
      case Op::TargetElementLetter:
        if (e = SiteElement(cache.Sites()[s->site], 1, s->place, *place); e != kOk) return e;
        break;
      case Op::Constant: {
        const double* v = vars_.FindConstant(cache.Sites()[s->site].name);
        if (!v) return kErrUndefinedConstant;
        st[sp++] = *v;
        break;
      }
      case Op::Negate: st[sp - 1] = -st[sp - 1]; break;
      case Op::Not: {
        quickLeft_.SetNumber(st[sp - 1]);
        if (e = ApplyUnaryOperator(op::kNot, quickLeft_); e != kOk) return e;
        st[sp - 1] = quickLeft_.number;
        break;
      }
      case Op::Add:
        e = AddNumbers(st[sp - 2], st[sp - 1], st[sp - 2]);
        --sp;
        break;
      // Steps that fold their right operand (quick_chain.h).
      case Op::AddLetter: e = quick::FoldedStep<Op::AddLetter>(*s, st[sp - 1]); break;
      case Op::AddNumber: e = quick::FoldedStep<Op::AddNumber>(*s, st[sp - 1]); break;
      case Op::SubtractLetter: e = quick::FoldedStep<Op::SubtractLetter>(*s, st[sp - 1]); break;
      case Op::SubtractNumber: e = quick::FoldedStep<Op::SubtractNumber>(*s, st[sp - 1]); break;
      case Op::MultiplyLetter: e = quick::FoldedStep<Op::MultiplyLetter>(*s, st[sp - 1]); break;
      case Op::MultiplyNumber: e = quick::FoldedStep<Op::MultiplyNumber>(*s, st[sp - 1]); break;
      case Op::DivideLetter: e = quick::FoldedStep<Op::DivideLetter>(*s, st[sp - 1]); break;
      case Op::DivideNumber: e = quick::FoldedStep<Op::DivideNumber>(*s, st[sp - 1]); break;
      case Op::LessLetter: e = quick::FoldedStep<Op::LessLetter>(*s, st[sp - 1]); break;
      case Op::LessNumber: e = quick::FoldedStep<Op::LessNumber>(*s, st[sp - 1]); break;
      case Op::GreaterLetter: e = quick::FoldedStep<Op::GreaterLetter>(*s, st[sp - 1]); break;
      case Op::GreaterNumber: e = quick::FoldedStep<Op::GreaterNumber>(*s, st[sp - 1]); break;
      case Op::EqualLetter: e = quick::FoldedStep<Op::EqualLetter>(*s, st[sp - 1]); break;
      case Op::EqualNumber: e = quick::FoldedStep<Op::EqualNumber>(*s, st[sp - 1]); break;
      case Op::NotEqualLetter: e = quick::FoldedStep<Op::NotEqualLetter>(*s, st[sp - 1]); break;
      case Op::NotEqualNumber: e = quick::FoldedStep<Op::NotEqualNumber>(*s, st[sp - 1]); break;
      case Op::LessEqualLetter: e = quick::FoldedStep<Op::LessEqualLetter>(*s, st[sp - 1]); break;
      case Op::LessEqualNumber: e = quick::FoldedStep<Op::LessEqualNumber>(*s, st[sp - 1]); break;
      case Op::GreaterEqualLetter:
        e = quick::FoldedStep<Op::GreaterEqualLetter>(*s, st[sp - 1]);
        break;
      case Op::GreaterEqualNumber:
        e = quick::FoldedStep<Op::GreaterEqualNumber>(*s, st[sp - 1]);
        break;
      case Op::OtherBinaryLetter:
        e = quick::FoldedStep<Op::OtherBinaryLetter>(*s, st[sp - 1]);
        break;
      case Op::OtherBinaryNumber:
        e = quick::FoldedStep<Op::OtherBinaryNumber>(*s, st[sp - 1]);
        break;
      case Op::Subtract:
        e = SubtractNumbers(st[sp - 2], st[sp - 1], st[sp - 2]);
        --sp;
        break;
      case Op::Multiply:
        e = MultiplyNumbers(st[sp - 2], st[sp - 1], st[sp - 2]);
        --sp;
        break;
      case Op::Divide:
        e = DivideNumbers(st[sp - 2], st[sp - 1], st[sp - 2]);
        --sp;
        break;
      // Comparisons: a NaN compares unequal to everything, as in the general
      // operator.
      case Op::Less:
        --sp;
        st[sp - 1] = Truth(st[sp - 1] < st[sp]);
        break;
      case Op::Greater:
        --sp;
        st[sp - 1] = Truth(st[sp - 1] > st[sp]);
        break;
      case Op::Equal:
        --sp;
        st[sp - 1] = Truth(st[sp - 1] == st[sp]);
        break;
      case Op::NotEqual:
        --sp;
        st[sp - 1] = Truth(!(st[sp - 1] == st[sp]));
        break;
      case Op::LessEqual:
        --sp;
        st[sp - 1] = Truth(st[sp - 1] <= st[sp]);
        break;
      case Op::GreaterEqual:
        --sp;
        st[sp - 1] = Truth(st[sp - 1] >= st[sp]);
        break;
      case Op::Power: {
        const double a = st[sp - 2], b = st[sp - 1];
        if (e = NumericBinary(op::kPower, a, b, st[sp - 2]); e != kOk) return e;
        --sp;
        break;
      }
      case Op::Square: e = SquareNumber(st[sp - 1], st[sp - 1]); break;
      case Op::OtherBinary:
        e = OtherBinaryNumbers(s->code, st[sp - 2], st[sp - 1], st[sp - 2]);
        --sp;
        break;
      case Op::Binary: {
        quickLeft_.SetNumber(st[sp - 2]);
        quickRight_.SetNumber(st[sp - 1]);
        if (e = ApplyBinaryOperator(s->code, quickLeft_, quickRight_); e != kOk) return e;
        st[sp - 2] = quickLeft_.number;
        --sp;
        break;
      }
      case Op::Kernel:
        if (e = s->kernel(st[sp - 1], st[sp - 1]); e != kOk) return e;
        break;
      case Op::Call:
        if (e = CallStep(cache, plan, st, sp, s, last, pos); e != kOk) return e;
        break;
      case Op::Text:
      case Op::StringScalar:
      case Op::StringElement:
      case Op::Concat:
      case Op::Length:
      case Op::ScalarLength:
      case Op::Chr:
      case Op::Left:
      case Op::Right:
      case Op::Mid:
      case Op::Instr:
      case Op::InstrFrom:
      case Op::CompareStrings:
      case Op::MixedCall:
      case Op::TargetStringScalar:
      case Op::TargetStringElement:
      case Op::Append:
        // Plans without strings run without these steps (Plan::strings).
        if constexpr (!kStrings) return kErrInternalError;
        if (e = StringStep(cache, *s, st, sp); e != kOk) return e;
        break;
      default: __builtin_unreachable();  // the decoder writes no other step
    }
    if (e != kOk) [[unlikely]]
      return e;
  }
  return kOk;
}

[[gnu::always_inline]] inline int32_t Evaluator::RunPlan(const quick::Plan& found, size_t& pos,
                                                         double& out) {
  const quick::Plan plan = found;  // the pools may grow while it runs
  if (plan.strings) [[unlikely]]
    return RunPlanWithStrings(plan, pos, out);
  double st[quick::kMaxDepth + 1];
  if (int32_t e = RunSteps<false>(quick_, plan, st, pos)) return e;
  out = st[0];
  pos += plan.length;
  return kOk;
}

// The same for a plan with string steps (kept out of the number plans'
// loop, so that theirs keeps its registers).
int32_t Evaluator::RunPlanWithStrings(const quick::Plan& plan, size_t& pos, double& out) {
  double st[quick::kMaxDepth + 1];
  quickSsp_ = 0;
  if (int32_t e = RunSteps<true>(quick_, plan, st, pos)) return e;
  out = st[0];
  pos += plan.length;
  return kOk;
}

int32_t Evaluator::RunNumberPlan(const quick::Plan& plan, size_t& pos, double& out) {
  const int32_t e = RunPlan(plan, pos, out);
  if (e == kStopped) {
    out = 0;
    return kOk;
  }
  return e;
}

int32_t Evaluator::EvaluateNumberOf(Code code, size_t& pos, double& out, bool round) {
  if (const quick::Plan* plan = QuickPlanFor(code, pos)) {
    if (int32_t e = RunNumberPlan(*plan, pos, out)) return e;
    if (round) out = RoundHalfUp(out);
    return kOk;
  }
  if (int32_t e = Evaluate(code, pos)) return e;
  if (!Top().IsNumber()) return kErrTypeMismatch;
  out = stack_[--sp_].number;
  if (round) out = RoundHalfUp(out);
  return kOk;
}

// An assignment whose plan has string steps. A string target's value is
// copied into it (which unbinds one bound to a record buffer), unless the
// append step has joined the tail to it already.
int32_t Evaluator::RunAssignmentWithStrings(const quick::Plan& plan, size_t& pos) {
  const size_t start = pos;
  double* place = plan.place;
  double st[quick::kMaxDepth + 1];
  st[0] = 0;
  quickSsp_ = 0;
  quickStringPlace_ = nullptr;
  // No stop can come of a plan with strings: it calls only pure built-ins.
  if (int32_t e = RunSteps<true>(quickAssignments_, plan, st, pos, &place)) return e;
  if (!plan.stringTarget) *place = st[0];
  else if (!plan.append) quickStringPlace_->Assign(quickStrings_[0].view);  // may view itself
  pos = start + plan.length;
  return kOk;
}

int32_t Evaluator::RunAssignmentPlan(const quick::Plan& plan, size_t& pos) {
  if (plan.strings) [[unlikely]]
    return RunAssignmentWithStrings(plan, pos);
  const size_t start = pos;
  double* place = plan.place;
  double st[quick::kMaxDepth + 1];
  st[0] = 0;  // every plan leaves its value here; this says so to the compiler
  int32_t e = RunSteps<false>(quickAssignments_, plan, st, pos, &place);
  if (e == kStopped && place) {
    // Stopped in the expression: it gives 0, as Evaluate gives it.
    st[0] = 0;
    e = kOk;
  }
  if (e) return e;  // a stop in the subscripts returns as ResolveReference does
  *place = st[0];   // stored unrounded
  pos = start + plan.length;
  return kOk;
}

bool Evaluator::QuickAssign(Code code, size_t& pos, int32_t& e, bool wholeStatement) {
  if (code.data() != cachedCode_ || stop_) return false;
  const quick::Plan* found = quickAssignments_.Find(code, pos, codeEpoch_);
  if (!found) return false;
  const quick::Plan plan = *found;
  if (wholeStatement && !plan.endsStatement) return false;
  e = RunAssignmentPlan(plan, pos);
  return true;
}

bool Evaluator::FindPlan(Code code, size_t pos, uint64_t epoch, bool assignment, quick::Plan& out) {
  const quick::Plan* found = (assignment ? quickAssignments_ : quick_).Find(code, pos, epoch);
  if (!found) return false;
  out = *found;
  return true;
}

int32_t Evaluator::Run(Code code, size_t& pos) {
  // Subscripts and FN bodies run nested; the depth bound keeps malformed or
  // deeply recursive code from exhausting the C++ stack.
  if (runDepth_ >= kMaxRunDepth) return kErrOutOfMemory;
  // A guard, not a decrement after the call: storage that runs out inside
  // leaves by std::bad_alloc, and the depth must come back all the same.
  struct Depth {
    size_t& d;
    explicit Depth(size_t& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(runDepth_);
  return RunItems(code, pos);
}

// RunItems' items that take more than a push: a string constant, an
// operator, a scalar, a named constant, an FN parameter.
[[gnu::always_inline]] inline int32_t Evaluator::StringItem(Code code, size_t& pos) {
  // The length byte holds only the low 8 bits: read up to the 0 byte.
  if (!CodeHas(code, pos, 1)) return kErrInternalError;
  const uint8_t* start = code.data() + pos + 1;
  const void* zero = std::memchr(start, 0, code.size() - pos - 1);
  if (!zero) return kErrInternalError;
  const size_t n = static_cast<size_t>(static_cast<const uint8_t*>(zero) - start);
  Push().SetString(std::string_view(reinterpret_cast<const char*>(start), n));
  pos += n + 2;
  return kOk;
}

[[gnu::always_inline]] inline int32_t Evaluator::OperatorItem(Code code, size_t& pos, size_t base) {
  uint8_t o;
  if (!ReadCode8(code, pos, o) || o == 0 || o > op::kLast) return kErrInternalError;
  if (o == op::kNegate || o == op::kNot) {
    if (sp_ <= base) return kErrInternalError;
    return ApplyUnaryOperator(o, Top());
  }
  if (sp_ < base + 2) return kErrInternalError;
  const int32_t e = ApplyBinaryOperator(o, stack_[sp_ - 2], stack_[sp_ - 1]);
  if (e == kOk) --sp_;
  return e;
}

[[gnu::always_inline]] inline int32_t Evaluator::ScalarItem(Code code, size_t& pos, uint8_t c) {
  std::string_view name;
  const size_t site = pos - 1;
  pos += 3;
  if (!ReadCodeName(code, pos, name)) return kErrInternalError;
  CVariable* v = ScalarAt(code, site, c, name);
  if (!v) return kErrOutOfMemory;
  if (c == item::kNumericScalar) PushNumber(v->number);
  else Push().SetString(v->str.View());
  return kOk;
}

[[gnu::always_inline]] inline int32_t Evaluator::ConstantItem(Code code, size_t& pos) {
  std::string_view name;
  pos += 3;
  if (!ReadCodeName(code, pos, name)) return kErrInternalError;
  const double* v = vars_.FindConstant(name);
  if (!v) return kErrUndefinedConstant;
  PushNumber(*v);
  return kOk;
}

[[gnu::always_inline]] inline int32_t Evaluator::ParamItem(Code code, size_t& pos, uint8_t c) {
  uint8_t slot;
  if (!ReadCode8(code, pos, slot)) return kErrInternalError;
  ParamFrame& f = vars_.Params();
  if (slot >= f.count) return kErrInternalError;
  const ParamFrame::Slot& s = f.slots[slot];
  if ((c == item::kStringParam) != (s.kind == ValueKind::String)) return kErrTypeMismatch;
  if (c == item::kStringParam) Push().SetString(s.str.View());
  else PushNumber(s.number);
  return kOk;
}

int32_t Evaluator::RunItems(Code code, size_t& pos) {
  const size_t base = sp_;
  for (;;) {
    uint8_t c;
    if (!ReadCode8(code, pos, c)) return kErrInternalError;
    int32_t e = kOk;
    switch (c) {
      case item::kEnd: return sp_ == base + 1 ? kOk : kErrInternalError;
      case item::kNumber:
        if (!CodeHas(code, pos, 8)) return kErrInternalError;
        PushNumber(ReadF64(code.data() + pos));
        pos += 8;
        break;
      case item::kString: e = StringItem(code, pos); break;
      case item::kOperator: e = OperatorItem(code, pos, base); break;
      case item::kCall: e = Call(code, pos); break;
      case item::kLetter:
        if (!CodeHas(code, pos, 4) || code[pos + 3] > 25) return kErrInternalError;
        PushNumber(vars_.Letter(code[pos + 3]));
        pos += 4;
        break;
      case item::kNumericScalar:
      case item::kStringScalar: e = ScalarItem(code, pos, c); break;
      case item::kNumericElement:
      case item::kStringElement: {
        ResolvedRef ref;
        --pos;
        e = ResolveReference(code, pos, ref);
        if (e) break;
        if (ref.slot.IsString()) Push().SetString(ref.slot.str->View());
        else PushNumber(*ref.slot.number);
        break;
      }
      case item::kConstant: e = ConstantItem(code, pos); break;
      case item::kNumericParam:
      case item::kStringParam: e = ParamItem(code, pos, c); break;
      case item::kOverflow: return kErrOverflow;
      case item::kUnderflow: return kErrUnderflow;
      case item::kForeground: PushNumber(env_.ForegroundColor()); break;
      case item::kBackground: PushNumber(env_.BackgroundColor()); break;
      case item::kZero130:
      case item::kZero131: PushNumber(0); break;
      case item::kCurrentVolume: Push().SetString(env_.CurrentVolumeName()); break;
      case item::kCurrentTime: PushNumber(SecondsSince1601(env_.LocalNow())); break;
      default: return kErrInternalError;
    }
    if (e) return e;
    if (stop_) return kStopped;
  }
}

// --- references ------------------------------------------------------------------

int32_t Evaluator::ResolveReference(Code code, size_t& pos, ResolvedRef& ref) {
  uint8_t c;
  if (!ReadCode8(code, pos, c) || c < item::kLetter || c > item::kStringElement)
    return kErrInternalError;
  ref.code = c;
  ref.letter = -1;
  ref.element = 0;
  if (c == item::kLetter) {
    if (!CodeHas(code, pos, 4) || code[pos + 3] > 25) return kErrInternalError;
    ref.letter = code[pos + 3];
    ref.name = LetterName(ref.letter);
    ref.slot = VarSlot{&vars_.Letter(ref.letter), nullptr};
    pos += 4;
    return kOk;
  }
  const size_t site = pos - 1;
  pos += 3;
  if (!ReadCodeName(code, pos, ref.name)) return kErrInternalError;
  if (c == item::kNumericScalar || c == item::kStringScalar) {
    CVariable* v = ScalarAt(code, site, c, ref.name);
    if (!v) return kErrOutOfMemory;
    ref.slot = c == item::kNumericScalar ? VarSlot{&v->number, nullptr} : VarSlot{nullptr, &v->str};
    return kOk;
  }
  uint8_t count;
  if (!ReadCode8(code, pos, count)) return kErrInternalError;
  if (count == 0 || count > kMaxDimensions) return kErrBadSubscript;
  double subs[kMaxDimensions];
  for (int i = 0; i < count; ++i) {
    if (const quick::Plan* plan = QuickPlanFor(code, pos)) {
      if (int32_t e = RunPlan(*plan, pos, subs[i])) return e;
      continue;
    }
    if (int32_t e = Run(code, pos)) return e;
    if (!Top().IsNumber()) return kErrTypeMismatch;
    subs[i] = stack_[--sp_].number;
  }
  // The subscripts ran first: they may have removed records (a user
  // function's service), which the cache check sees.
  if (CVariable* v = CachedRecord(code, site))
    return vars_.ElementOf(*v, count, subs, ref.slot, &ref.element);
  CVariable* record = nullptr;
  const int32_t e = vars_.Element(c, ref.name, count, subs, env_.ProgramRunning(), ref.slot,
                                  &ref.element, &record);
  if (e == kOk) CacheRecord(code, site, record);
  return e;
}

int32_t Evaluator::ReadArrayName(Code code, size_t& pos, uint32_t& kind, std::string_view& name) {
  uint8_t c;
  if (!ReadCode8(code, pos, c)) return kErrInternalError;
  if (c == item::kLetter) {
    if (!CodeHas(code, pos, 4) || code[pos + 3] > 25) return kErrInternalError;
    name = LetterName(code[pos + 3]);
    kind = kNumericArray;
    pos += 4;
    return kOk;
  }
  if (c != item::kNumericScalar && c != item::kStringScalar) return kErrInternalError;
  pos += 3;
  if (!ReadCodeName(code, pos, name)) return kErrInternalError;
  kind = c == item::kNumericScalar ? kNumericArray : kStringArray;
  return kOk;
}

}  // namespace torvic
