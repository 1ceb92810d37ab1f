// Operand building blocks shared by the statement compile routines: source
// reading helpers, default numbers and items, jump targets, small line
// numbers and line ranges. Layouts are in compiler_context.h.
#include <string>

#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "frontend/compiler_context.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

inline bool IsDigitChar(char ch) { return ch >= '0' && ch <= '9'; }

// Reads a run of digits as a line number (at most 65535, the largest line
// number there can be). Fails without digits or on a larger value, so that
// no line number is ever silently wrapped.
bool ReadLineDigits(LineCompiler& c, uint32_t& value, size_t& first, size_t& count) {
  c.SkipSpaces();
  first = c.pos;
  uint32_t v = 0;
  while (c.pos < c.text.size() && IsDigitChar(c.text[c.pos])) {
    v = v * 10 + static_cast<uint32_t>(c.text[c.pos] - '0');
    if (v > 65535) return false;
    ++c.pos;
  }
  count = c.pos - first;
  value = v;
  return count > 0 && count <= 255;
}

}  // namespace

void LineCompiler::SkipSpaces() {
  while (pos < text.size() && text[pos] == ' ') ++pos;
}

char LineCompiler::Peek() {
  SkipSpaces();
  return pos < text.size() ? text[pos] : '\0';
}

bool LineCompiler::Accept(char ch) {
  if (Peek() != ch || pos >= text.size()) return false;
  ++pos;
  return true;
}

bool LineCompiler::AtEndOfStatement() {
  SkipSpaces();
  return IsEndOfStatement(text, pos);
}

int LineCompiler::PeekWord() {
  size_t p = pos;
  return WordAt(text, p);
}

bool LineCompiler::AcceptWord(int word) {
  size_t p = pos;
  if (WordAt(text, p) != word) return false;
  pos = p;
  return true;
}

bool LineCompiler::AcceptLetters(std::string_view lower) {
  SkipSpaces();
  if (text.size() - pos < lower.size()) return false;
  for (size_t i = 0; i < lower.size(); ++i) {
    char ch = text[pos + i];
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    if (ch != lower[i]) return false;
  }
  pos += lower.size();
  return true;
}

// default number: u8 1 | f64 value | u8 0
bool LineCompiler::DefaultNumber(double value) {
  return out.Put8(1) && out.PutF64(value) && out.Put8(0);
}

// default item: u8 code (128..133) | u8 0
bool LineCompiler::DefaultItem(uint8_t itemCode) { return out.Put8(itemCode) && out.Put8(0); }

bool LineCompiler::ExpressionOr(double fallback) {
  char ch = Peek();
  if (ch == ',' || AtEndOfStatement()) return DefaultNumber(fallback);
  return Expression();
}

// Jump target by line number (10 bytes, see code_buffer.h) or by label:
//   u8 1 | u16 link (label chain) | u8 0 (a reference) | u8 length | name | u8 0
bool LineCompiler::JumpTarget(bool zeroOffChain) {
  char ch = Peek();
  if (ch == '*') {
    ++pos;
    std::string name;
    if (!ReadIdentifier(text, pos, name)) return false;
    return out.Put8(1) && out.PutChainLink(Chain::Label) && out.Put8(0) &&
           out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0);
  }
  uint32_t line;
  size_t first, count;
  if (!ReadLineDigits(*this, line, first, count)) return false;
  const bool onChain = !(zeroOffChain && line == 0);
  return out.PutJumpTarget(line, static_cast<uint16_t>(first), static_cast<uint8_t>(count),
                           onChain);
}

// small line number: u16
bool LineCompiler::SmallLineNumber() {
  uint32_t line;
  size_t first, count;
  if (!ReadLineDigits(*this, line, first, count)) return false;
  return out.Put16(static_cast<uint16_t>(line));
}

bool LineCompiler::SmallLineNumberOr(uint16_t fallback) {
  if (!AtDigit()) return out.Put16(fallback);
  return SmallLineNumber();
}

bool LineCompiler::LineNumber32Or(uint32_t fallback) {
  if (!AtDigit()) return out.Put32(fallback);
  uint32_t line;
  size_t first, count;
  if (!ReadLineDigits(*this, line, first, count)) return false;
  return out.Put32(line);
}

// range: u32 first | u8 kind | u32 last. "100" is (100, 0, open), "100-" is
// (100, 1, open), "-200" (open, 1, 200), "100-200" (100, 1, 200), and
// nothing at all the whole program (open, 1, open).
bool LineCompiler::Range() {
  uint32_t first = kNoLineNumber, last = kNoLineNumber;
  uint8_t kind = 1;
  size_t at, count;
  if (AtDigit()) {
    if (!ReadLineDigits(*this, first, at, count)) return false;
    kind = 0;
  }
  if (Accept('-')) {
    kind = 1;
    if (AtDigit() && !ReadLineDigits(*this, last, at, count)) return false;
  }
  return out.Put32(first) && out.Put8(kind) && out.Put32(last);
}

// range list: { u8 1 | range } ... u8 0; ranges separated by ",". An empty
// list, where allowed, holds one whole-program range.
bool LineCompiler::RangeList(bool mayBeEmpty) {
  if (AtEndOfStatement()) {
    if (!mayBeEmpty) return false;
    return out.Put8(1) && Range() && out.Put8(0);
  }
  do {
    if (!out.Put8(1) || !Range()) return false;
  } while (Accept(','));
  return out.Put8(0);
}

}  // namespace torvic
