#include "engine/expression_context.h"

#include "console/screen.h"
#include "console/settings_map.h"

namespace torvic {

ExpressionContext::ExpressionContext(Interpreter& in)
    : in_(in), host_(in.Host()), evaluator_(vars_, *this) {}

int32_t ExpressionContext::PeekByte(uint32_t address) { return in_.Settings().PeekByte(address); }

double ExpressionContext::ForegroundColor() { return in_.Screen().TextColor(); }
double ExpressionContext::BackgroundColor() { return in_.Screen().BackColor(); }

void ExpressionContext::BreakFromUsr(std::string_view text) {
  in_.Screen().WriteText(text);
  in_.StopRun(StopReason::BreakKey);
  SyncPendingStop();
}

void ExpressionContext::OnRunReset() {
  vars_.ResetProgramState();
  evaluator_.ResetStack();
}

void ExpressionContext::OnEditReset() {
  vars_.DeleteAll();
  evaluator_.ResetStack();
}

void ExpressionContext::OnInit() {
  vars_.DeleteAll();
  evaluator_.ResetStack();
}

}  // namespace torvic
