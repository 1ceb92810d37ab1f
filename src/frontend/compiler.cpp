#include "frontend/compiler.h"

#include <string>

#include "frontend/compiled_line.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

bool MatchesWordAt(std::string_view text, size_t pos, std::string_view lower) {
  if (text.size() - pos < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    char c = text[pos + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != lower[i]) return false;
  }
  return true;
}

size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

// Moves to the next end of statement, stepping over quoted strings (a doubled
// quote inside a string does not end it).
size_t SkipToEndOfStatement(std::string_view text, size_t pos) {
  while (pos < text.size() && !IsEndOfStatement(text, pos)) {
    if (text[pos] == '"') {
      ++pos;
      while (pos < text.size() && text[pos] != '"') ++pos;
      if (pos < text.size()) ++pos;  // the closing quote (a doubled one reopens)
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

// *NAME followed (after spaces) by ":", a remark or the end of the line.
bool CompileLabel(std::string_view text, size_t& pos, CodeBuffer& out) {
  size_t p = SkipSpaces(text, pos);
  if (p >= text.size() || text[p] != '*') return false;
  const size_t star = p++;
  std::string name;
  if (!ReadIdentifier(text, p, name)) return false;
  size_t after = SkipSpaces(text, p);
  if (after < text.size() && text[after] != ':' && text[after] != '\'') return false;
  const size_t record = out.Size();
  out.Put8(kRecordLabel);
  out.Put16(0);
  out.Put16(static_cast<uint16_t>(star));
  out.Put16(TrimmedLength(text, star, p));
  out.Put8(0);
  out.PutChainLink(Chain::Label);
  out.Put8(1);  // definition
  out.Put8(static_cast<uint8_t>(name.size()));
  out.PutString(name);
  out.Put8(0);
  if (out.Failed()) {
    out.Truncate(record);
    return false;
  }
  out.Patch16(record + 1, static_cast<uint16_t>(out.Size() - record - kRecordFrameSize));
  out.SetHeaderFlag(kHeaderLabelFlag, 1);
  pos = p;
  return true;
}

}  // namespace

bool IsEndOfStatement(std::string_view text, size_t pos) {
  if (pos >= text.size()) return true;
  char c = text[pos];
  if (c == ':' || c == '\'') return true;
  if (MatchesWordAt(text, pos, "else")) return true;
  if (MatchesWordAt(text, pos, "end")) {
    size_t p = SkipSpaces(text, pos + 3);
    return MatchesWordAt(text, p, "if");
  }
  return false;
}

// Until the statement compiler proper exists, every statement is kept as its
// text: exactly what a statement that does not compile becomes.
void CompileLine(std::string_view text, CodeBuffer& out) {
  out.Reset();
  size_t pos = 0;
  CompileLabel(text, pos, out);
  for (;;) {
    pos = SkipSpaces(text, pos);
    if (pos >= text.size()) break;
    if (text[pos] == ':') {
      ++pos;
      continue;
    }
    const size_t start = pos;
    if (text[pos] == '\'')
      pos = text.size();  // a remark runs to the end of the line
    else
      pos = SkipToEndOfStatement(text, pos + 1);
    if (!out.StructuralUncompiled(static_cast<uint16_t>(start), TrimmedLength(text, start, pos)))
      break;
  }
  out.StructuralEnd();
}

}  // namespace torvic
