#include "engine/handlers.h"

#include "base/errors.h"
#include "engine/interpreter.h"

namespace torvic {

namespace {

int32_t InternalError(Interpreter&, const uint8_t*, size_t&) { return kErrInternalError; }
// A statement of the language that this system does not implement.
int32_t NotSupported(Interpreter&, const uint8_t*, size_t&) { return kErrNotSupported; }
// A statement whose part of the system is not built yet: the same answer,
// kept apart so that the two can never be mistaken for one another (unused
// while every part is built).
[[maybe_unused]] int32_t NotBuiltYet(Interpreter&, const uint8_t*, size_t&) {
  return kErrNotSupported;
}

// The run column of every row of the statement table.
#define RUN(handler) \
  RunStatus::Built, handler, NotSupportedList{}, ComingPart {}
#define BY_DESIGN(list) \
  RunStatus::NotSupportedByDesign, NotSupported, NotSupportedList::list, ComingPart {}
#define NOT_BUILT(part) RunStatus::NotBuiltYet, NotBuiltYet, NotSupportedList{}, ComingPart::part
constexpr StatementRun kRuns[] = {
#define STATEMENT(Name, code, listing, compile, run, grammar) {code, run},
#include "frontend/statements.def"
};
#undef RUN
#undef BY_DESIGN
#undef NOT_BUILT

constexpr std::array<StatementHandler, 256> kTable = [] {
  std::array<StatementHandler, 256> table{};
  table.fill(InternalError);
  for (const StatementRun& r : kRuns) table[r.code] = r.handler;
  return table;
}();

}  // namespace

namespace handlers {

int32_t SkipPayload(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  return 0;
}
int32_t Remark(Interpreter& in, const uint8_t*, size_t& offset) {
  offset = in.Position().PayloadEnd();
  return 0;
}
int32_t StrayElse(Interpreter&, const uint8_t*, size_t&) { return kErrElseWithoutIf; }
int32_t StrayEndIf(Interpreter&, const uint8_t*, size_t&) { return kErrEndIfWithoutIf; }

}  // namespace handlers

const std::array<StatementHandler, 256>& HandlerTable() { return kTable; }

std::span<const StatementRun> StatementRuns() { return kRuns; }

}  // namespace torvic
