// Test support: a trivial evaluation environment, and a session that
// compiles source text with the expression compiler and runs it through the
// evaluator and the variable statements, the way the interpreter will.
#pragma once

#include <string>
#include <string_view>

#include "base/errors.h"
#include "console/settings.h"
#include "expr/evaluator.h"
#include "expr/variable_statements.h"
#include "frontend/code_buffer.h"
#include "frontend/expr_compiler.h"
#include "platform/host.h"

namespace torvic::testing {

struct TestEnv : EvalEnvironment {
  bool running = true;
  bool stop = false;
  SettingsMemory settings;
  std::string volume = "WORK";
  platform::LocalTime now{2024, 5, 6, 1, 12, 30, 15, 0};
  std::string breakText;
  std::string validName = "WORK:GOOD.DAT";

  bool ProgramRunning() override { return running; }
  const bool& PendingStop() override { return stop; }
  double ForegroundColor() override { return 7; }
  double BackgroundColor() override { return 1; }
  std::string CurrentVolumeName() override { return volume; }
  platform::LocalTime LocalNow() override { return now; }
  SettingsMemory& Settings() override { return settings; }
  bool IsValidFileName(std::string_view name) override { return name == validName; }
  void BreakFromUsr(std::string_view text) override { breakText = std::string(text); }
  platform::Host* Host() override { return nullptr; }
};

// The result of evaluating one expression.
struct Result {
  bool compiled = false;
  int32_t error = 0;
  CValue value;
};

class Session {
 public:
  TestEnv env;
  VariableStore vars;
  Evaluator ev{vars, env};

  Result Eval(std::string_view text) {
    Result r;
    CodeBuffer& out = Fresh();
    size_t pos = 0;
    const size_t start = out.Size();
    r.compiled = CompileExpression(text, pos, out) && pos == text.size();
    if (!r.compiled) return r;
    size_t at = start;
    r.error = ev.EvaluateValue(Line(out), at, r.value);
    ev.ResetStack();
    return r;
  }
  double Num(std::string_view text) {
    Result r = Eval(text);
    return r.compiled && r.error == 0 && r.value.IsNumber() ? r.value.number : -999999;
  }
  int32_t Error(std::string_view text) {
    Result r = Eval(text);
    return r.compiled ? r.error : -1;
  }

  // target [, target] = expr [, target ... = expr]
  int32_t Let(std::string_view text) {
    CodeBuffer& out = Fresh();
    size_t pos = 0;
    for (;;) {
      out.Put8(1);
      for (;;) {
        if (!CompileVariableReference(text, pos, out)) return -1;
        SkipBlanks(text, pos);
        if (pos < text.size() && text[pos] == ',') {
          ++pos;
          continue;
        }
        if (pos < text.size() && text[pos] == '=') {
          ++pos;
          break;
        }
        return -1;
      }
      out.Put8(0);
      if (!CompileExpression(text, pos, out)) return -1;
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == ',') {
        ++pos;
        continue;
      }
      break;
    }
    out.Put8(0);
    return pos == text.size() ? Exec(ExecuteLet, out) : -1;
  }
  // element [, element ...] for DIM and REDIM, each after a 1 byte as the
  // statement compiler writes them; `preserve` < 0 for DIM.
  int32_t Dim(std::string_view text, int preserve = -1) {
    CodeBuffer& out = Fresh();
    if (preserve >= 0) out.Put8(static_cast<uint8_t>(preserve));
    size_t pos = 0;
    for (;;) {
      uint8_t code;
      out.Put8(1);
      if (!CompileVariableReference(text, pos, out, &code) || code < item::kNumericElement)
        return -1;
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == ',') {
        ++pos;
        continue;
      }
      break;
    }
    out.Put8(0);
    return Exec(preserve >= 0 ? ExecuteRedim : ExecuteDim, out);
  }
  int32_t Names(int32_t (*run)(Evaluator&, Code, size_t), std::string_view text) {
    CodeBuffer& out = Fresh();
    size_t pos = 0;
    while (pos < text.size()) {
      out.Put8(1);
      if (!CompileArrayName(text, pos, out)) return -1;
      SkipBlanks(text, pos);
      if (pos < text.size() && text[pos] == ',') ++pos;
    }
    out.Put8(0);
    return Exec(run, out);
  }
  int32_t Erase(std::string_view text) { return Names(ExecuteErase, text); }
  int32_t Clear(std::string_view text) { return Names(ExecuteClear, text); }
  // OPTION EXPLICIT, or OPTION BASE with the base as an expression.
  int32_t Option(bool isExplicit, std::string_view base = "0") {
    CodeBuffer& out = Fresh();
    out.Put8(isExplicit ? 1 : 0);
    size_t pos = 0;
    if (!isExplicit && !CompileExpression(base, pos, out)) return -1;
    return Exec(ExecuteOption, out);
  }
  // %name = expr
  int32_t Const(std::string_view text) {
    CodeBuffer& out = Fresh();
    size_t pos = 0;
    if (!CompileConstantName(text, pos, out, true)) return -1;
    SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != '=') return -1;
    ++pos;
    if (!CompileExpression(text, pos, out)) return -1;
    return Exec(ExecuteConst, out);
  }
  // name [(p1, ...)] = body; compiled into a line of its own that stays
  // alive as long as the session, as a program line would.
  int32_t DefFn(std::string_view text) {
    CodeBuffer& out = lines_[next_++ % kLines];
    out.Reset();
    const size_t start = out.Size();
    size_t pos = 0;
    if (!CompileUserFunctionDefinitionName(text, pos, out)) return -1;
    DefFnParams params;
    SkipBlanks(text, pos);
    if (pos < text.size() && text[pos] == '(') {
      ++pos;
      for (;;) {
        SkipBlanks(text, pos);
        auto& p = params.params[static_cast<size_t>(params.count)];
        if (!ReadVariableName(text, pos, p.name, &p.isString)) return -1;
        ++params.count;
        SkipBlanks(text, pos);
        if (text[pos] == ',') {
          ++pos;
          continue;
        }
        if (text[pos] == ')') {
          ++pos;
          break;
        }
        return -1;
      }
    }
    out.Put8(static_cast<uint8_t>(params.count));
    const size_t endAt = out.Reserve(2);
    SkipBlanks(text, pos);
    if (pos >= text.size() || text[pos] != '=') return -1;
    ++pos;
    if (!CompileExpression(text, pos, out, &params)) return -1;
    out.Patch16(endAt, static_cast<uint16_t>(out.Size()));
    return ExecuteDefFn(ev, Line(out), start, &out);
  }
  int32_t DefUsr(uint8_t slot, std::string_view expr) {
    CodeBuffer& out = Fresh();
    out.Put8(slot);
    size_t pos = 0;
    if (!CompileExpression(expr, pos, out)) return -1;
    return Exec(ExecuteDefUsr, out);
  }

  static Code Line(const CodeBuffer& out) { return Code(out.Data(), out.Size()); }

 private:
  CodeBuffer& Fresh() {
    scratch_.Reset();
    return scratch_;
  }
  int32_t Exec(int32_t (*run)(Evaluator&, Code, size_t), CodeBuffer& out) {
    if (out.Failed()) return -1;
    const int32_t e = run(ev, Line(out), kLineHeaderSize);
    ev.ResetStack();
    return e;
  }

  static constexpr int kLines = 8;
  CodeBuffer scratch_;
  CodeBuffer lines_[kLines];
  int next_ = 0;
};

}  // namespace torvic::testing
