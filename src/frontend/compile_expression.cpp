// The statement compiler's door to expression code (expr_compiler.h):
// expressions, assignment targets, bare array names and DEF FN bodies. The
// item layouts are documented in expr/expression_code.h.
#include "frontend/expr_compiler.h"

#include "frontend/compiler_context.h"

namespace torvic {

bool LineCompiler::Expression() { return CompileExpression(text, pos, out); }

bool LineCompiler::FnBody(const std::vector<FnParameter>& parameters) {
  DefFnParams table;
  for (const FnParameter& p : parameters) {
    if (table.count >= DefFnParams::kMax) return false;
    table.params[table.count].name = p.name;
    table.params[table.count].isString = p.isString;
    ++table.count;
  }
  return CompileExpression(text, pos, out, &table);
}

// variable or array-element item (codes 5..9)
bool LineCompiler::Target() {
  SkipSpaces();
  return CompileVariableReference(text, pos, out);
}

// array-name item (codes 5..7: the scalar codes, no subscripts)
bool LineCompiler::ArrayName() {
  SkipSpaces();
  return CompileArrayName(text, pos, out);
}

}  // namespace torvic
