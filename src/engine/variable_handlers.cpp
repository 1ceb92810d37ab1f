// The variable statements on the evaluator: LET, DIM, REDIM, ERASE, CLEAR,
// CLR, OPTION, CONST, DEF FN, DEF USR, INC, DEC, SWAP, RANDOMIZE and the
// MID$, LEFT$ and RIGHT$ assignments. Each hands its operand area to the
// statement worker of the expression subsystem.
#include "base/errors.h"
#include "engine/expression_context.h"
#include "engine/handlers.h"
#include "expr/numeric_functions.h"
#include "expr/string_functions.h"
#include "expr/variable_statements.h"

namespace torvic::handlers {

namespace {

// The code as a span up to the end of this statement's operands, so the
// workers' bounds checks can never read past the record.
Code StatementCode(Interpreter& in, const uint8_t* code) {
  return Code(code, in.Position().PayloadEnd());
}

template <int32_t (*Worker)(Evaluator&, Code, size_t)>
int32_t RunWorker(Interpreter& in, const uint8_t* code, size_t& offset) {
  const int32_t r = Worker(in.Expressions().Eval(), StatementCode(in, code), offset);
  offset = in.Position().PayloadEnd();
  return r;
}

}  // namespace

// LET: the usual statement, one number assignment, goes straight to its
// decoded plan; the rest (and anything that does not qualify) is
// ExecuteLet's, from the assignment the plan could not take on.
int32_t Let(Interpreter& in, const uint8_t* c, size_t& o) {
  Evaluator& ev = in.Expressions().Eval();
  const Code code = StatementCode(in, c);
  size_t pos = o;
  if (pos < code.size() && c[pos] == 1) {
    ++pos;
    int32_t e = kOk;
    if (ev.QuickAssign(code, pos, e)) {
      o = in.Position().PayloadEnd();
      if (e || ev.StopPending()) return e;
      if (pos < code.size() && c[pos] == 0) return kOk;
      return ExecuteLet(ev, code, pos);
    }
  }
  return RunWorker<ExecuteLet>(in, c, o);
}
int32_t Dim(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteDim>(in, c, o);
}
int32_t Redim(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteRedim>(in, c, o);
}
int32_t Erase(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteErase>(in, c, o);
}
int32_t Clear(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteClear>(in, c, o);
}
int32_t Option(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteOption>(in, c, o);
}
int32_t Const(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteConst>(in, c, o);
}
int32_t DefUsr(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteDefUsr>(in, c, o);
}
int32_t IncDec(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteIncDec>(in, c, o);
}
int32_t Swap(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteSwap>(in, c, o);
}
int32_t MidStatement(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteMidStatement>(in, c, o);
}
int32_t LeftRightStatement(Interpreter& in, const uint8_t* c, size_t& o) {
  return RunWorker<ExecuteLeftRightStatement>(in, c, o);
}

// CLR without arguments clears the variables as CLEAR without names does.
int32_t ClrVariables(Interpreter& in, const uint8_t*, size_t&) {
  ClearVariables(in.Expressions().Eval());
  return 0;
}

// RANDOMIZE: the generator starts again from the tick count.
int32_t Randomize(Interpreter& in, const uint8_t*, size_t&) {
  torvic::Randomize(in.Host().clock.TickCount());
  return 0;
}

int32_t DefFn(Interpreter& in, const uint8_t* code, size_t& offset) {
  const int32_t r =
      ExecuteDefFn(in.Expressions().Eval(), StatementCode(in, code), offset, in.Position().Line());
  offset = in.Position().PayloadEnd();
  return r;
}

}  // namespace torvic::handlers
