// The line compiler: one line of source text into a compiled line.
//
// It never reports an error: a statement that does not compile is stored as
// its text (a 250 record) and raises "?Syntax error" when executed; the other
// statements of the line still compile.
#pragma once

#include <string_view>

#include "frontend/code_buffer.h"

namespace torvic {

// Compiles `text` (the line without its number) into `out`, which is reset
// first: header, statement records, end byte.
void CompileLine(std::string_view text, CodeBuffer& out);

// End of statement: the end of the text, ":", "'", the letters "else" in any
// case, or "end" followed by any spaces and "if". No word boundary is looked
// at (a word that begins with "else" ends the statement).
bool IsEndOfStatement(std::string_view text, size_t pos);

}  // namespace torvic
