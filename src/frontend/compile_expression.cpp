// The statement compiler's door to expression code: expressions, assignment
// targets and bare array names.
//
// Until the expression compiler proper is linked in, this file holds a small
// stand-in that writes the same expression code for the simple forms
// (literals, variables, array elements, "%" constants, parentheses and the
// arithmetic and relational operators). It refuses everything else, so such
// statements stay uncompiled records rather than being compiled wrongly.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "frontend/compiler_context.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

inline bool IsDigitChar(char ch) { return ch >= '0' && ch <= '9'; }
inline bool IsNameStart(char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch == '_';
}

struct Operator {
  const char* spelling;
  uint8_t code;
  int precedence;
};
// Two-character spellings first so that "<=" is not read as "<".
constexpr Operator kOperators[] = {
    {"<>", 12, 6}, {"><", 12, 6}, {"<=", 15, 6}, {"=<", 15, 6}, {">=", 16, 6}, {"=>", 16, 6},
    {"^", 2, 13},  {"*", 3, 11},  {"/", 4, 11},  {"\\", 5, 10}, {"+", 8, 8},   {"-", 9, 8},
    {"&", 10, 7},  {"=", 11, 6},  {"<", 13, 6},  {">", 14, 6},
};
constexpr uint8_t kNegate = 1, kMarker = 23;

int PrecedenceOf(uint8_t code) {
  if (code == kNegate) return 12;
  for (const Operator& o : kOperators)
    if (o.code == code) return o.precedence;
  return 0;
}

// variable item: u8 code | u16 link (variable chain) | u8 0 | then
//   code 5: u8 letter index;  codes 6, 7: u8 length | name | u8 0;
//   codes 8, 9: u8 length | name | u8 0 | u8 subscript count | subscripts
bool VariableItem(LineCompiler& c, bool allowSubscripts, bool requireSubscripts, int depth);
bool ExpressionAt(LineCompiler& c, int depth);

bool NumberLiteral(LineCompiler& c) {
  size_t p = c.pos;
  const size_t start = p;
  while (p < c.text.size() && IsDigitChar(c.text[p])) ++p;
  if (p < c.text.size() && c.text[p] == '.') {
    ++p;
    while (p < c.text.size() && IsDigitChar(c.text[p])) ++p;
  }
  if (p == start + 1 && c.text[start] == '.') return false;
  if (p < c.text.size() && (c.text[p] == 'E' || c.text[p] == 'e')) {
    size_t q = p + 1;
    if (q < c.text.size() && (c.text[q] == '+' || c.text[q] == '-')) ++q;
    if (q < c.text.size() && IsDigitChar(c.text[q])) {
      while (q < c.text.size() && IsDigitChar(c.text[q])) ++q;
      p = q;
    }
  }
  std::string digits(c.text.substr(start, p - start));
  c.pos = p;
  double v = std::strtod(digits.c_str(), nullptr);
  if (std::isinf(v)) return c.out.Put8(13);
  return c.out.Put8(1) && c.out.PutF64(v);
}

// string literal: u8 2 | u8 length | characters | u8 0 ("" stands for ")
bool StringLiteral(LineCompiler& c) {
  ++c.pos;
  std::string s;
  while (c.pos < c.text.size()) {
    char ch = c.text[c.pos++];
    if (ch == '"') {
      if (c.pos < c.text.size() && c.text[c.pos] == '"') {
        s += '"';
        ++c.pos;
        continue;
      }
      break;
    }
    s += ch;
  }
  if (s.size() > 255) return false;
  return c.out.Put8(2) && c.out.Put8(static_cast<uint8_t>(s.size())) && c.out.PutString(s) &&
         c.out.Put8(0);
}

bool ReadName(LineCompiler& c, std::string& name, bool& isString) {
  c.SkipSpaces();
  if (c.pos >= c.text.size() || !IsNameStart(c.text[c.pos])) return false;
  if (!IdentifierMayStartAt(c.text, c.pos)) return false;
  if (!ReadIdentifier(c.text, c.pos, name)) return false;
  size_t p = c.pos;
  while (p < c.text.size() && c.text[p] == ' ') ++p;
  isString = p < c.text.size() && c.text[p] == '$';
  if (isString) c.pos = p + 1;
  return true;
}

bool VariableItem(LineCompiler& c, bool allowSubscripts, bool requireSubscripts, int depth) {
  std::string name;
  bool isString = false;
  if (!ReadName(c, name, isString)) return false;
  const bool subscripted = allowSubscripts && c.Peek() == '(';
  if (requireSubscripts && !subscripted) return false;
  CodeBuffer& out = c.out;
  if (!subscripted && c.fnParameters) {
    // parameter reference: u8 11 (numeric) or 12 (string) | u8 slot index
    for (size_t i = 0; i < c.fnParameters->size(); ++i) {
      const FnParameter& p = (*c.fnParameters)[i];
      if (p.name == name && p.isString == isString)
        return out.Put8(isString ? 12 : 11) && out.Put8(static_cast<uint8_t>(i));
    }
  }
  if (!subscripted) {
    if (!isString && name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z')
      return out.Put8(5) && out.PutChainLink(Chain::Variable) && out.Put8(0) &&
             out.Put8(static_cast<uint8_t>(name[0] - 'A'));
    return out.Put8(isString ? 7 : 6) && out.PutChainLink(Chain::Variable) && out.Put8(0) &&
           out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0);
  }
  c.Accept('(');
  if (!(out.Put8(isString ? 9 : 8) && out.PutChainLink(Chain::Variable) && out.Put8(0) &&
        out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0)))
    return false;
  const size_t countAt = out.Reserve(1);
  int count = 0;
  do {
    if (++count > 10 || !ExpressionAt(c, depth + 1)) return false;
  } while (c.Accept(','));
  if (!c.Accept(')') || countAt == 0) return false;
  out.Patch8(countAt, static_cast<uint8_t>(count));
  return true;
}

// Operator-precedence parse into postfix code; the expression ends with 0.
bool ExpressionAt(LineCompiler& c, int depth) {
  if (depth > 40) return false;
  CodeBuffer& out = c.out;
  std::vector<uint8_t> ops;
  auto popWhile = [&](int precedence) {
    while (!ops.empty() && ops.back() != kMarker && PrecedenceOf(ops.back()) >= precedence) {
      if (!out.Put8(3) || !out.Put8(ops.back())) return false;
      ops.pop_back();
    }
    return true;
  };
  int open = 0;
  for (;;) {
    // Operand.
    char ch = c.Peek();
    if (ch == '+') {
      ++c.pos;
      continue;
    }
    if (ch == '-') {
      ++c.pos;
      ops.push_back(kNegate);
      continue;
    }
    if (ch == '(') {
      ++c.pos;
      ops.push_back(kMarker);
      ++open;
      continue;
    }
    bool ok;
    if (IsDigitChar(ch) || ch == '.')
      ok = NumberLiteral(c);
    else if (ch == '"')
      ok = StringLiteral(c);
    else if (ch == '%') {
      ++c.pos;
      std::string name;
      bool isString = false;
      ok = ReadName(c, name, isString) && !isString && out.Put8(10) &&
           out.PutChainLink(Chain::Constant) && out.Put8(0) &&
           out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0);
    } else if (IsNameStart(ch))
      ok = VariableItem(c, true, false, depth);
    else
      ok = false;
    if (!ok) return false;
    // Closing parentheses, then an operator or the end.
    for (;;) {
      if (open > 0 && c.Peek() == ')') {
        ++c.pos;
        if (!popWhile(0)) return false;
        if (ops.empty() || ops.back() != kMarker) return false;
        ops.pop_back();
        --open;
        continue;
      }
      break;
    }
    c.SkipSpaces();
    const Operator* found = nullptr;
    for (const Operator& o : kOperators) {
      std::string_view s(o.spelling);
      if (c.text.substr(c.pos, s.size()) == s) {
        found = &o;
        break;
      }
    }
    if (!found) break;
    c.pos += std::string_view(found->spelling).size();
    if (!popWhile(found->precedence)) return false;
    ops.push_back(found->code);
  }
  if (open != 0) return false;
  if (!popWhile(0)) return false;
  return out.Put8(0);
}

}  // namespace

bool LineCompiler::Expression() { return ExpressionAt(*this, 0); }

bool LineCompiler::FnBody(const std::vector<FnParameter>& parameters) {
  fnParameters = &parameters;
  bool ok = ExpressionAt(*this, 0);
  fnParameters = nullptr;
  return ok;
}

bool LineCompiler::Target() { return VariableItem(*this, true, false, 0); }

// array name: the element item (codes 8, 9) with a subscript count of 0
bool LineCompiler::ArrayName() {
  std::string name;
  bool isString = false;
  if (!ReadName(*this, name, isString)) return false;
  return out.Put8(isString ? 9 : 8) && out.PutChainLink(Chain::Variable) && out.Put8(0) &&
         out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0) &&
         out.Put8(0);
}

}  // namespace torvic
