// The evaluator: runs expression code (layout in expression_code.h) on the
// evaluation stack and calls the built-in functions through the dispatch
// table of functions.h.
//
// The evaluator knows nothing of the interpreter. What it needs from outside
// (is a program running, the pending-stop flag, colours, the current volume,
// the clock, the settings memory, the console, host services for the
// function workers) comes through EvalEnvironment.
//
// Code is addressed as a span (the compiled line or an FN body) and a
// position in it; every read is bounds-checked, so malformed code (say from
// a damaged program file) raises "?Internal error" instead of reading past
// the line.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/code_reader.h"
#include "expr/expression_code.h"
#include "expr/numeric_rules.h"
#include "expr/quick_code.h"
#include "expr/value.h"
#include "expr/variables.h"

namespace torvic {

class SettingsMemory;
class FileNameVolumes;
class ConsoleAccess;
struct VolumeEnquiries;
struct CallContext;
enum class FileFunction : uint8_t;
namespace platform {
struct Host;
struct LocalTime;
}  // namespace platform

// Code and its bounds-checked readers: code_reader.h.

class EvalEnvironment {
 public:
  virtual ~EvalEnvironment() = default;
  virtual bool ProgramRunning() = 0;
  // The interpreter's pending-stop state. The evaluator reads the flag
  // after every item, so it is fetched once as a reference to the flag
  // itself rather than asked for through a call each time.
  virtual const bool& PendingStop() = 0;
  virtual double ForegroundColor() = 0;         // item 128
  virtual double BackgroundColor() = 0;         // item 129
  virtual std::string CurrentVolumeName() = 0;  // item 132
  virtual platform::LocalTime LocalNow() = 0;   // item 133
  virtual SettingsMemory& Settings() = 0;
  // PEEK: a settings address as the settings map reads it (live values of
  // the special addresses); a bare environment reads the stored byte.
  virtual int32_t PeekByte(uint32_t address);
  // USR service 21148: a valid file name on an existing volume?
  virtual bool IsValidFileName(std::string_view name) = 0;
  // The volumes fullname$ and tempname$ work with (string_functions.h);
  // null for the stand-in set with SetFileNameVolumes.
  virtual FileNameVolumes* FileVolumes() { return nullptr; }
  // The console the key and screen functions act on (console_functions.h);
  // null without one, and they answer "?Not supported".
  virtual ConsoleAccess* Console() { return nullptr; }
  // The volume table and the walks of volume$ and file$ (volume_functions.h);
  // null for a bare evaluator, which has no volumes.
  virtual VolumeEnquiries* Volumes() { return nullptr; }
  // The data-file functions (eof, loc, ...: expr/file_functions.h), which
  // read the interpreter's file table; "?Not supported" without one.
  virtual int32_t CallFileFunction(FileFunction which, CallContext& ctx, const CValue* args,
                                   int count, CValue& result);
  // The USR service for an unknown address: print the text and stop the
  // running program as a break does.
  virtual void BreakFromUsr(std::string_view text) = 0;
  // Host services for the function workers of other subsystems (may be null
  // in tests).
  virtual platform::Host* Host() = 0;
  // The error registers read by err and erl, and the reading of timer (the
  // tick count less the base that TIMER = sets).
  virtual int32_t LastErrorCode() { return 0; }
  virtual int32_t LastErrorLine() { return 0; }
  virtual uint32_t TimerReading() { return 0; }
  // The rows of info that only the interpreter knows (its volumes, when its
  // window was made, the state of its program): false for any other row,
  // and for every row in a bare environment.
  virtual bool InterpreterInfo(int row, double& value) { return false; }
};

// Seconds since 1 January 1601 of a local date and time (item 133): the
// time value of date_functions.h.
double SecondsSince1601(const platform::LocalTime& t);

// What a variable reference resolved to: the place, and its identity parts.
struct ResolvedRef {
  VarSlot slot;
  uint8_t code = 0;       // item code 5..9
  std::string_view name;  // points into the code
  uint64_t element = 0;   // linear index for array elements
  int letter = -1;        // 0..25 for item 5
};

class Evaluator {
 public:
  // Deepest FN nesting; a call beyond it raises "?Out of memory" instead of
  // exhausting the C++ stack.
  static constexpr size_t kMaxFnDepth = 100;
  // USR services.
  static constexpr int32_t kUsrZero = 0, kUsrVariableText = 17968, kUsrValidFileName = 21148;

  Evaluator(VariableStore& vars, EvalEnvironment& env);

  VariableStore& Vars() { return vars_; }
  EvalEnvironment& Env() { return env_; }

  // Runs the expression at code[pos] up to its 0 byte, leaving one value on
  // the stack; pos moves past the 0 byte. Stops without error (leaving the
  // number 0) when the pending-stop flag is set; callers check it.
  int32_t Evaluate(Code code, size_t& pos);
  // The same, popping the result.
  int32_t EvaluateValue(Code code, size_t& pos, CValue& out);
  // A number ("?Type mismatch" for a string); with `round` rounded half up.
  // A lone number literal (FOR's 1 and TO 5) gives itself at once.
  int32_t EvaluateNumber(Code code, size_t& pos, double& out, bool round = false) {
    if (IsLoneLiteral(code, pos) && !stop_) {
      out = ReadF64(code.data() + pos + 1);
      pos += kLoneLiteralSize;
      if (round) out = RoundHalfUp(out);
      return kOk;
    }
    return EvaluateNumberOf(code, pos, out, round);
  }
  // Whether the expression at code[pos] is one number literal, which
  // EvaluateNumber reads without a plan.
  static constexpr size_t kLoneLiteralSize = 1 + 8 + 1;  // item, value, end byte
  static bool IsLoneLiteral(Code code, size_t pos) {
    return CodeHas(code, pos, kLoneLiteralSize) && code[pos] == item::kNumber &&
           code[pos + 9] == item::kEnd;
  }
  // A string ("?Type mismatch" for a number).
  int32_t EvaluateString(Code code, size_t& pos, CBasicString& out);

 private:
  int32_t EvaluateNumberOf(Code code, size_t& pos, double& out, bool round);

 public:
  // Resolves the variable item 5..9 at code[pos] (subscripts evaluated,
  // scalars and arrays created as a read would) to a writable place; pos
  // moves past the item.
  int32_t ResolveReference(Code code, size_t& pos, ResolvedRef& ref);
  // Reads the array name item 5..7 at code[pos]: the array kind (8 or 9)
  // and its name.
  int32_t ReadArrayName(Code code, size_t& pos, uint32_t& kind, std::string_view& name);

  // The checks made before CONST evaluates its expression (no variables,
  // no FN calls: "?Illegal constant definition"; constants must exist:
  // "?Undefined constant") and when DEF FN records its body (every FN called
  // must be defined: "?Undefined function"; constants must exist). Walks
  // the expression at code[pos] without evaluating it; pos moves past it.
  enum class Check { Constant, FnBody };
  int32_t CheckExpression(Code code, size_t& pos, Check what);

  // DEF USR slot = address.
  int32_t DefineUsr(int32_t slot, double address);

  // One assignment of LET (its only target, the 0 byte, the expression, at
  // code[pos]) the quick way (see quick_code.h): true when it qualifies,
  // with the result in `e` and, on success, pos past the expression. False
  // when the general way must run; nothing has happened then. With
  // `wholeStatement` it qualifies only when the statement ends after the
  // expression (the program loop runs such a LET without its handler).
  bool QuickAssign(Code code, size_t& pos, int32_t& e, bool wholeStatement = false);

  // The quick plans kept by the program loop's execution form
  // (engine/execution_form.h): the plan of the expression (or, with
  // `assignment`, of the one-target assignment) at code[pos] of the code
  // of `epoch`, copied to `out`; false when it does not qualify. A copy may
  // run while PlansOf(epoch, assignment) holds.
  bool FindPlan(Code code, size_t pos, uint64_t epoch, bool assignment, quick::Plan& out);
  // The steps of such a copy, while PlansOf holds.
  std::span<const quick::Step> PlanSteps(const quick::Plan& plan, bool assignment) {
    const std::vector<quick::Step>& steps = (assignment ? quickAssignments_ : quick_).Steps();
    if (plan.firstStep + plan.stepCount > steps.size()) return {};
    return {steps.data() + plan.firstStep, plan.stepCount};
  }
  // Whether the copies of plans found in `epoch` still run: the pool they
  // came from (the assignments' or the expressions') still holds that
  // epoch's plans. Only its own pool counts: a program may never look up
  // the other one.
  bool PlansOf(uint64_t epoch, bool assignment) const {
    return (assignment ? quickAssignments_ : quick_).Epoch() == epoch;
  }
  // The place of the numeric element a copy's target step names: site
  // `site` of the assignments' pool, with one subscript at `subscript`,
  // found as the step finds it (and the array dimensioned on first use);
  // while PlansOf(epoch, true) holds.
  int32_t AssignmentElement(uint32_t site, const double* subscript, double*& at) {
    quick::Site& s = quickAssignments_.Sites()[site];
    if (s.removals == vars_.Removals()) [[likely]] {
      at = VariableStore::NumberAt(*s.record, 1, subscript);
      return at ? kOk : kErrBadSubscript;
    }
    return FindAssignmentElement(s, subscript, at);
  }
  // Runs such a copy as QuickAssign runs the plan it finds: the result,
  // with pos past the expression on success. Only for the cached code with
  // no stop pending.
  int32_t RunAssignmentPlan(const quick::Plan& plan, size_t& pos);
  // Runs such a copy as EvaluateNumber runs the plan it finds (unrounded).
  int32_t RunNumberPlan(const quick::Plan& plan, size_t& pos, double& out);

  // The pending-stop flag (see EvalEnvironment::PendingStop).
  bool StopPending() const { return stop_; }

  // Empties the evaluation stack (program reset, error stops).
  void ResetStack() { sp_ = 0; }
  // Empties it and gives back what its values (and the FN calls'
  // parameters) hold beyond the usual: deep stacks and long strings kept
  // for reuse would hold the memory budget after the command that needed
  // them. Only while no evaluation is under way (between commands at the
  // prompt): a suspended one may still read its values.
  void ReleaseStack();

  // Scratch of the assignment statements (LET, the MID$ statement and its
  // kin): reused, so that assignments seldom allocate, and owned here, so
  // that what it holds is given back with the evaluator (and by
  // ReleaseStack) rather than kept for the life of the process.
  struct AssignmentScratch {
    std::vector<VarSlot> targets;
    CValue value;
  };
  AssignmentScratch& Scratch() { return scratch_; }

  // Letter index to its name ("A".."Z") for array names written as item 5.
  static std::string_view LetterName(int index);

  // Named scalars and arrays are found again by where they are named: the
  // record found for an item of `code` is kept by the item's address and
  // reused without a name lookup while no record has been removed and
  // `epoch` (which the owner of the code changes whenever code is freed or
  // rewritten) is the same. Only code starting at `code` is cached; null
  // turns the cache off. Programs cannot tell: the same record is found.
  void SetCachedCode(const uint8_t* code, uint64_t epoch) {
    cachedCode_ = code;
    codeEpoch_ = epoch;
  }

 private:
  // CheckExpression's items that take more than a length check.
  int32_t CheckCall(Code code, size_t& pos, Check what);
  int32_t CheckVariable(uint8_t c, Code code, size_t& pos, Check what);

  struct SiteEntry {
    const uint8_t* site = nullptr;
    uint64_t removals = 0;
    uint64_t epoch = 0;
    CVariable* record = nullptr;
  };
  static constexpr size_t kSiteEntries = 256;
  SiteEntry& SiteSlot(const uint8_t* site) {
    const auto a = reinterpret_cast<uintptr_t>(site);
    return sites_[(a ^ (a >> 8)) & (kSiteEntries - 1)];
  }
  // The cached record of the item at code[itemPos], or null.
  CVariable* CachedRecord(Code code, size_t itemPos) {
    if (code.data() != cachedCode_) return nullptr;
    const uint8_t* site = code.data() + itemPos;
    const SiteEntry& e = SiteSlot(site);
    if (e.site == site && e.removals == vars_.Removals() && e.epoch == codeEpoch_) return e.record;
    return nullptr;
  }
  void CacheRecord(Code code, size_t itemPos, CVariable* record) {
    if (code.data() != cachedCode_ || !record) return;
    const uint8_t* site = code.data() + itemPos;
    SiteSlot(site) = SiteEntry{site, vars_.Removals(), codeEpoch_, record};
  }
  CVariable* ScalarAt(Code code, size_t itemPos, uint32_t kind, std::string_view name) {
    if (CVariable* v = CachedRecord(code, itemPos)) return v;
    CVariable* v = vars_.Scalar(kind, name);
    CacheRecord(code, itemPos, v);
    return v;
  }

  int32_t Run(Code code, size_t& pos);
  int32_t RunItems(Code code, size_t& pos);
  int32_t StringItem(Code code, size_t& pos);
  int32_t OperatorItem(Code code, size_t& pos, size_t base);
  int32_t ScalarItem(Code code, size_t& pos, uint8_t c);
  int32_t ConstantItem(Code code, size_t& pos);
  int32_t ParamItem(Code code, size_t& pos, uint8_t c);
  // The quick path (quick_code.h): the plan of the expression at code[pos]
  // when the code is the cached program code, no stop is pending and the
  // expression qualifies; else null.
  const quick::Plan* QuickPlanFor(Code code, size_t pos) {
    if (code.data() != cachedCode_ || stop_) return nullptr;
    return quick_.Find(code, pos, codeEpoch_);
  }
  // Runs a plan as RunItems would run its expression: kOk with the number
  // in `out` and pos past the 0 byte, an error, or kStopped.
  int32_t RunPlan(const quick::Plan& plan, size_t& pos, double& out);
  // Runs a plan's steps on `st` (a plan of `cache`): its value, or a
  // target's subscripts, are left there. On a stop pos is left where the
  // general loop stops.
  CVariable* SiteScalar(quick::Site& site);
  int32_t SiteSlot(quick::Site& site, int count, const double* subs, VarSlot& slot);
  int32_t SiteElement(quick::Site& site, int count, const double* subs, double*& at);
  int32_t FindAssignmentElement(quick::Site& site, const double* subscript, double*& at);
  // The string steps that take more than a copy: a built-in with strings
  // among its arguments or as its result, and the end of an append.
  int32_t StringStep(quick::PlanCache& cache, const quick::Step& s, double* st, int& sp);
  int32_t MixedCallStep(const quick::Step& s, double* st, int& sp, int& ssp);
  int32_t AppendStep(std::string_view tail);
  int32_t RunPlanWithStrings(const quick::Plan& plan, size_t& pos, double& out);
  int32_t RunAssignmentWithStrings(const quick::Plan& plan, size_t& pos);
  // Target steps store the place they find in *place.
  int32_t CallStep(quick::PlanCache& cache, const quick::Plan& plan, double* st, int& sp,
                   const quick::Step*& s, const quick::Step*& last, size_t& pos);
  template <bool kStrings>
  int32_t RunSteps(quick::PlanCache& cache, const quick::Plan& plan, double* st, size_t& pos,
                   double** place = nullptr);
  // One expression that must leave one value on the stack: quick when it
  // can be, else Run.
  int32_t RunOne(Code code, size_t& pos);
  int32_t Call(Code code, size_t& pos);
  int32_t CallFixed(uint8_t number, uint8_t signature);
  int32_t CallUserFunction(Code code, size_t& pos);
  int32_t CallList(uint8_t number, uint8_t signature, int count);
  int32_t ArrayEnquiry(Code code, size_t& pos, uint8_t signature);
  int32_t Usr(int slot);

  CValue& Push();
  void PushNumber(double v) { Push().SetNumber(v); }
  CValue& Top() { return stack_[sp_ - 1]; }

  VariableStore& vars_;
  EvalEnvironment& env_;
  const bool& stop_;
  // The stack keeps its values (and their string storage) beyond sp_ for
  // reuse, so pushes seldom allocate.
  memory::Vector<CValue> stack_;
  size_t sp_ = 0;
  CValue result_;  // scratch result of a worker, swapped onto the stack
  AssignmentScratch scratch_;
  std::array<int32_t, 10> usrSlots_{};
  size_t fnDepth_ = 0;
  static constexpr size_t kMaxRunDepth = 1000;
  size_t runDepth_ = 0;
  const uint8_t* cachedCode_ = nullptr;
  uint64_t codeEpoch_ = 0;
  std::array<SiteEntry, kSiteEntries> sites_{};
  quick::PlanCache quick_;
  quick::PlanCache quickAssignments_;
  std::array<CValue, 6> quickArgs_;  // arguments of a quick built-in call
  CValue quickLeft_, quickRight_;    // operands of the rarer quick operators
  // The string stack of plans (views, and storage of their own kept for
  // reuse: quick_code.h), and the place a string target step found.
  struct QuickString {
    std::string_view view;
    CBasicString own;
  };
  std::array<QuickString, quick::kMaxDepth + 1> quickStrings_;
  CBasicString* quickStringPlace_ = nullptr;
  int quickSsp_ = 0;  // the string stack's depth

  friend struct CallContext;
};

}  // namespace torvic
