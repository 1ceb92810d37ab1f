#include "expr/function_table.h"

namespace torvic {

// Filled by the expression evaluator's function table.
std::span<const FunctionRow> FunctionTable() { return {}; }

}  // namespace torvic
