// The statement table (statements.def) in the shapes the language front end
// uses: the record-code names, the listing names, the keyword tokens that
// compile into another code, and the rows themselves for the tests and the
// disassembler. The handler table is derived from the same rows in
// engine/handlers.cpp.
#pragma once

#include <cstdint>
#include <span>

namespace torvic {

// Record codes by name: stmt::kPrint is 86. A statement's record code is its
// keyword's token unless the table says otherwise (END IF, GOTO TIMER, the
// aliases below).
namespace stmt {
enum StatementCode : uint8_t {
#define STATEMENT(Name, code, listing, compile, run, grammar) k##Name = code,
#include "frontend/statements.def"
};
}  // namespace stmt

// Keyword tokens above 255: spellings with a record code of another name
// (ASAVE compiles into SAVE's record, TRACE into TRON's).
namespace tok {
enum AliasToken : int {
#define ALIAS(Name, token, Code, compile) k##Name = token,
#include "frontend/statements.def"
};
}  // namespace tok

// How a record's operands come to be (the compile column of the table).
enum class CompileKind : uint8_t {
  NoOperands,  // the keyword alone
  Routine,     // the keyword's compile routine
  Pattern,     // a plain argument list (CompileByPattern)
  WrittenBy,   // no keyword of its own: another statement's routine writes it
};

struct StatementRow {
  uint8_t code;
  const char* name;     // the identifier of stmt::kName
  const char* listing;  // upper case; null for the label record
  CompileKind compile;
  const char* pattern;  // the argument pattern (Pattern rows), else null
  const char* grammar;  // the source forms, one line
};

// Every row, in code order.
std::span<const StatementRow> StatementRows();
// The row of a record code, or null for a code that names no statement
// (0, 250 and 251 are structural records; see compiled_line.h).
const StatementRow* StatementRowOf(int recordCode);

// The upper-case listing name of a record code, or nullptr when the code
// has none. (The functions' listing names are the function table's,
// expr/function_table.h.)
const char* StatementListingName(int recordCode);

// The record code a keyword token (1..276) compiles to when no context
// changes it (the aliases: HOME to CLS, RESEQUENCE to RENUM, TYPE to DUMP);
// context-dependent forms (END IF, GOTO TIMER, GET #...) are decided by the
// statement compiler. -1 for a token with no statement form.
int DefaultRecordCode(int token);

// The argument pattern of a Pattern row's code, or null.
const char* ArgumentPatternOf(int recordCode);

}  // namespace torvic
