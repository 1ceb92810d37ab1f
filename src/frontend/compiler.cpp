// The line and statement loop of the compiler: label, statements separated by
// ":", the statement frame, failure rollback, and the dispatch on the token.
//
// Statement record frame (8 bytes, then the operand area of the record code;
// the statement table, statements.def, names the routine that documents it):
//
//   0 u8  record code            3 u16 column of the statement's first character
//   1 u16 operand length         5 u16 text length, trailing spaces not counted
//                                7 u8  0
//
// A statement that does not compile becomes the 5-byte 250 record
// (u8 250 | u16 column | u16 length) covering the whole failing statement, so
// that the "?Syntax error" excerpt shows it as typed.
#include "frontend/compiler.h"

#include <string>

#include "frontend/compile_routines.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler_context.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

bool MatchesWordAt(std::string_view text, size_t pos, std::string_view lower) {
  if (pos > text.size() || text.size() - pos < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    char c = text[pos + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != lower[i]) return false;
  }
  return true;
}

size_t SkipSpacesAt(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

// Moves to the next end of statement, stepping over quoted strings (a doubled
// quote closes and reopens, which comes to the same).
size_t SkipToEndOfStatement(std::string_view text, size_t pos) {
  while (pos < text.size() && !IsEndOfStatement(text, pos)) {
    if (text[pos] == '"') {
      ++pos;
      while (pos < text.size() && text[pos] != '"') ++pos;
      if (pos < text.size()) ++pos;
    } else {
      ++pos;
    }
  }
  return pos;
}

uint16_t TrimmedLength(std::string_view text, size_t from, size_t to) {
  while (to > from && text[to - 1] == ' ') --to;
  return static_cast<uint16_t>(to - from);
}

// The statement a keyword token starts, compiled by the routine the
// statement table names for it. Secondary words other than DEF and STEP,
// function-like and operator words, and OFF start none.
bool DispatchStatement(LineCompiler& c, int token) {
  c.token = token;
  CompileRoutine routine = nullptr;
  if (!StatementFormOfToken(token, c.code, routine)) return false;
  return routine ? routine(c) : true;
}

}  // namespace

// Label definition record (always the first record of its line, so the name
// starts at offset 28):
//
//   frame (code 248, column of "*", text length of "*NAME")
//   u16 link (label chain) | u8 1 (definition) | u8 name length | name | u8 0
//
// *NAME followed, after spaces, by ":", a remark "'" or the end of the line.
bool CompileLabel(LineCompiler& c) {
  size_t p = SkipSpacesAt(c.text, c.pos);
  if (p >= c.text.size() || c.text[p] != '*') return false;
  const size_t star = p++;
  std::string name;
  if (!ReadIdentifier(c.text, p, name)) return false;
  size_t after = SkipSpacesAt(c.text, p);
  if (after < c.text.size() && c.text[after] != ':' && c.text[after] != '\'') return false;
  CodeBuffer& out = c.out;
  const size_t record = out.Size();
  out.Put8(kRecordLabel);
  out.Put16(0);
  out.Put16(static_cast<uint16_t>(star));
  out.Put16(TrimmedLength(c.text, star, p));
  out.Put8(0);
  out.PutChainLink(Chain::Label);
  out.Put8(1);
  out.Put8(static_cast<uint8_t>(name.size()));
  out.PutString(name);
  out.Put8(0);
  if (out.Failed()) {
    out.Truncate(record);
    return false;
  }
  out.Patch16(record + 1, static_cast<uint16_t>(out.Size() - record - kRecordFrameSize));
  out.SetHeaderFlag(kHeaderLabelFlag, 1);
  c.pos = p;
  return true;
}

bool IsEndOfStatement(std::string_view text, size_t pos) {
  if (pos >= text.size()) return true;
  char ch = text[pos];
  if (ch == ':' || ch == '\'') return true;
  if (MatchesWordAt(text, pos, "else")) return true;
  if (MatchesWordAt(text, pos, "end"))
    return MatchesWordAt(text, SkipSpacesAt(text, pos + 3), "if");
  return false;
}

void CompileStatement(LineCompiler& c) {
  c.SkipSpaces();
  if (c.pos >= c.text.size() || c.text[c.pos] == ':') return;  // empty statement
  const size_t start = c.pos;
  CodeBuffer& out = c.out;
  const size_t record = out.Size();
  // A $COLOR nested in a failing IF must not leave the header flag set.
  const uint8_t colorFlag = out.At(kHeaderColorFlag);
  bool ok = false;
  size_t after = start;
  int token = StatementKeywordAt(c.text, c.pos);
  if (token != tok::kNone) {
    // Reserve the frame; the code, lengths and column are filled in below.
    out.Reserve(kRecordFrameSize);
    const size_t savedRecord = c.record;
    const uint8_t savedCode = c.code;
    const int savedToken = c.token;
    c.record = record;
    ok = !out.Failed() && DispatchStatement(c, token) && !out.Failed();
    const uint8_t code = c.code;
    c.record = savedRecord;
    c.code = savedCode;
    c.token = savedToken;
    if (ok) {
      after = c.pos;
      // Remarks end wherever their routine put the position; every other
      // statement must stand at an end of statement.
      if (code != stmt::kRem && code != stmt::kTilde) ok = c.AtEndOfStatement();
    }
    if (ok) {
      const size_t operands = out.Size() - record - kRecordFrameSize;
      if (operands > 0xFFFF) ok = false;
      else {
        out.Patch8(record, code);
        out.Patch16(record + 1, static_cast<uint16_t>(operands));
        out.Patch16(record + 3, static_cast<uint16_t>(start));
        out.Patch16(record + 5, TrimmedLength(c.text, start, after));
        out.Patch8(record + 7, 0);
        if (code == stmt::kDollarColor) out.SetHeaderFlag(kHeaderColorFlag, 1);
      }
    }
  }
  if (!ok) {
    WriteUncompiled(c, record, start);
    out.SetHeaderFlag(kHeaderColorFlag, colorFlag);
  }
}

void WriteUncompiled(LineCompiler& c, size_t record, size_t start) {
  // No byte and no chain item of the failed statement remains; the 250
  // record covers the statement from its first character to its end. The
  // scan steps over quoted strings from the statement's start (so that a
  // statement that begins with a quote is read in step), and goes on from
  // wherever the routine stopped when that lies further on.
  c.out.Truncate(record);
  size_t end = SkipToEndOfStatement(c.text, start);
  if (end == start) end = SkipToEndOfStatement(c.text, start + 1);  // always move on
  if (end < c.pos) end = SkipToEndOfStatement(c.text, c.pos);
  c.pos = end;
  c.out.StructuralUncompiled(static_cast<uint16_t>(start), TrimmedLength(c.text, start, end));
}

void CompileImpliedGoto(LineCompiler& c) {
  c.SkipSpaces();
  const size_t start = c.pos;
  CodeBuffer& out = c.out;
  const size_t record = out.Size();
  bool ok = out.Reserve(kRecordFrameSize) != 0 && c.JumpTarget() && !out.Failed();
  const size_t after = c.pos;
  if (ok && c.AtEndOfStatement()) {
    out.Patch8(record, stmt::kGoto);
    out.Patch16(record + 1, static_cast<uint16_t>(out.Size() - record - kRecordFrameSize));
    out.Patch16(record + 3, static_cast<uint16_t>(start));
    out.Patch16(record + 5, TrimmedLength(c.text, start, after));
    return;
  }
  WriteUncompiled(c, record, start);
}

void CompileStatementRun(LineCompiler& c) {
  for (;;) {
    // Stop at "'", ELSE, END IF and the end; the caller decides what they
    // belong to. Empty statements between colons compile to nothing.
    c.SkipSpaces();
    if (c.pos >= c.text.size()) return;
    if (c.text[c.pos] != ':') {
      if (IsEndOfStatement(c.text, c.pos)) return;
      CompileStatement(c);
      c.SkipSpaces();
      if (c.pos >= c.text.size() || c.text[c.pos] != ':') return;
    }
    ++c.pos;
  }
}

void CompileLine(std::string_view text, CodeBuffer& out) {
  out.Reset();
  LineCompiler c(text, out);
  CompileLabel(c);
  c.SkipSpaces();
  if (c.pos < text.size() && text[c.pos] == ':') ++c.pos;
  for (;;) {
    const size_t before = c.pos;
    CompileStatement(c);
    c.SkipSpaces();
    if (c.pos >= text.size()) break;
    if (text[c.pos] == ':') {
      ++c.pos;
      continue;
    }
    // "'", ELSE and END IF start a statement without a ":". Anything else
    // here would be a statement that stopped short; never loop on it.
    if (c.pos == before) ++c.pos;
  }
  out.StructuralEnd();
}

}  // namespace torvic
