// The statement table's rows as data for the front end: listing names and
// argument patterns by record code, and the compile dispatch by keyword
// token, all made at compile time from statements.def.
#include "frontend/statements.h"

#include <array>

#include "frontend/compile_routines.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

// The compile column of a row: how its kind reads, and the routine behind
// it (for a WRITTEN_BY row the routine that writes the record, kept so that
// the table cannot name a routine that does not exist).
struct CompileColumn {
  CompileKind kind;
  CompileRoutine routine;
  const char* pattern;
};

#define NO_OPERANDS \
  CompileColumn { CompileKind::NoOperands, nullptr, nullptr }
#define ROUTINE(fn) \
  CompileColumn { CompileKind::Routine, fn, nullptr }
#define PATTERN(p) \
  CompileColumn { CompileKind::Pattern, CompileByPattern, p }
#define WRITTEN_BY(fn) \
  CompileColumn { CompileKind::WrittenBy, fn, nullptr }

struct FullRow {
  StatementRow row;
  CompileRoutine routine;
};

constexpr FullRow kRows[] = {
#define STATEMENT(Name, code, listing, compile, run, grammar) \
  {{code, #Name, listing, (compile).kind, (compile).pattern, grammar}, (compile).routine},
#include "frontend/statements.def"
};

constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];

constexpr std::array<StatementRow, kRowCount> kPublicRows = [] {
  std::array<StatementRow, kRowCount> rows{};
  for (size_t i = 0; i < kRowCount; ++i) rows[i] = kRows[i].row;
  return rows;
}();

// The row index of every code (-1: no row). A code written twice stops the
// build: the table is the one place a code is given its meaning.
constexpr std::array<int16_t, 256> kRowOfCode = [] {
  std::array<int16_t, 256> byCode{};
  byCode.fill(-1);
  for (size_t i = 0; i < kRowCount; ++i) {
    if (byCode[kRows[i].row.code] >= 0) throw "a record code has two rows";
    byCode[kRows[i].row.code] = static_cast<int16_t>(i);
  }
  return byCode;
}();

// The keyword tokens 1..276 and what they compile into.
struct TokenForm {
  int16_t code = -1;  // -1: no statement form
  CompileRoutine routine = nullptr;
};

struct AliasRow {
  int token;
  uint8_t code;
  CompileColumn compile;
};

constexpr AliasRow kAliases[] = {
#define ALIAS(Name, token, Code, compile) {token, stmt::k##Code, compile},
#define SECONDARY(Word, Code, compile) {tok::k##Word, stmt::k##Code, compile},
#include "frontend/statements.def"
};

constexpr int kLastStatementToken = 276;

constexpr std::array<TokenForm, kLastStatementToken + 1> kFormOfToken = [] {
  std::array<TokenForm, kLastStatementToken + 1> forms{};
  // A statement's own keyword carries its record code as token; a record
  // written by another statement's routine has no keyword.
  for (const FullRow& r : kRows)
    if (r.row.compile != CompileKind::WrittenBy) forms[r.row.code] = {r.row.code, r.routine};
  for (const AliasRow& a : kAliases) {
    if (a.token > kLastStatementToken) continue;
    if (forms[a.token].code >= 0) throw "an alias token is a record code";
    forms[a.token] = {a.code, a.compile.routine};
  }
  return forms;
}();

}  // namespace

std::span<const StatementRow> StatementRows() { return kPublicRows; }

const StatementRow* StatementRowOf(int recordCode) {
  if (recordCode < 0 || recordCode > 255 || kRowOfCode[recordCode] < 0) return nullptr;
  return &kPublicRows[kRowOfCode[recordCode]];
}

const char* StatementListingName(int recordCode) {
  const StatementRow* row = StatementRowOf(recordCode);
  return row ? row->listing : nullptr;
}

int DefaultRecordCode(int token) {
  if (token < 1 || token > kLastStatementToken) return -1;
  return kFormOfToken[token].code;
}

const char* ArgumentPatternOf(int recordCode) {
  const StatementRow* row = StatementRowOf(recordCode);
  return row ? row->pattern : nullptr;
}

bool StatementFormOfToken(int token, uint8_t& code, CompileRoutine& routine) {
  if (token >= 1 && token <= kLastStatementToken) {
    const TokenForm& f = kFormOfToken[token];
    if (f.code < 0) return false;
    code = static_cast<uint8_t>(f.code);
    routine = f.routine;
    return true;
  }
  for (const AliasRow& a : kAliases) {
    if (a.token != token) continue;
    code = a.code;
    routine = a.compile.routine;
    return true;
  }
  return false;
}

}  // namespace torvic
