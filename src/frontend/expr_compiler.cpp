#include "frontend/expr_compiler.h"

#include <charconv>
#include <cmath>

#include "expr/function_table.h"
#include "expr/operators.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool MatchWordAt(std::string_view text, size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[pos + i]) != word[i]) return false;
  return true;
}

bool PutName(CodeBuffer& out, std::string_view name) {
  return out.Put8(static_cast<uint8_t>(name.size())) && out.PutString(name) && out.Put8(0);
}

bool PutHeader(CodeBuffer& out, uint8_t code, Chain chain, bool definition = false) {
  return out.Put8(code) && out.PutChainLink(chain) && out.Put8(definition ? 1 : 0);
}

bool PutNumber(CodeBuffer& out, double v) { return out.Put8(item::kNumber) && out.PutF64(v); }

bool PutStringLiteral(CodeBuffer& out, std::string_view s) {
  return out.Put8(item::kString) && out.Put8(static_cast<uint8_t>(s.size() & 0xFF)) &&
         out.PutString(s) && out.Put8(0);
}

// One compile of one expression nesting: the operator stack of the
// precedence parser lives here.
class ExprCompiler {
 public:
  ExprCompiler(std::string_view text, size_t& pos, CodeBuffer& out, const DefFnParams* params,
               int nesting = 0)
      : text_(text), pos_(pos), out_(out), params_(params), nesting_(nesting) {}

  // expression (without its 0 byte)
  bool Body();
  // name [$] [(subscripts)] | parameter; `allowParams` only inside a DEF FN body.
  bool Reference(bool allowParams, uint8_t* code);
  // name [$] without subscripts (array name item 5..7)
  bool ArrayName(uint8_t* code);

 private:
  char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
  bool AtEnd() const { return pos_ >= text_.size(); }
  void Blanks() { SkipBlanks(text_, pos_); }
  bool Expect(char c) {
    Blanks();
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  bool Operand();
  bool NumberLiteral();
  bool StringLiteral();
  bool RadixLiteral();
  bool ConstantRef();
  bool FunctionCall(const FunctionRow& row);
  bool UserFunctionCall(const FunctionRow& row);
  bool ArrayBoundCall(const FunctionRow& row);
  bool GeneralCall(const FunctionRow& row);
  bool OptionalArgumentsCall(const FunctionRow& row);
  bool MatchBinaryOperator(uint8_t& code);
  bool PushOperator(uint8_t code);
  bool PopOperator();
  // One argument expression inlined into the call (its 0 byte left out).
  bool Argument() {
    ExprCompiler sub(text_, pos_, out_, params_, nesting_ + 1);
    return sub.Body();
  }
  // A complete expression with its own 0 byte.
  bool FullExpression() { return Argument() && out_.Put8(item::kEnd); }
  bool CallItem(const FunctionRow& row, uint8_t signature, uint8_t number = 0) {
    return PutHeader(out_, item::kCall, Chain::BuiltinFunction) &&
           out_.Put8(number ? number : row.number) && out_.Put8(row.stringResult ? 1 : 0) &&
           out_.Put8(signature);
  }
  bool ArgumentList(int minCount, int maxCount, int& count);
  bool DefaultArgument(uint8_t number, int position);

  std::string_view text_;
  size_t& pos_;
  CodeBuffer& out_;
  const DefFnParams* params_;
  // Parentheses, arguments and subscripts compile as nested expressions;
  // nesting deeper than this is refused so that neither the compiler nor
  // the evaluator (which recurses into subscripts) can exhaust the stack.
  static constexpr int kMaxNesting = 64;
  int nesting_;
  // The operator stack; deep nesting beyond it is refused as malformed.
  static constexpr int kStackSize = 128;
  uint8_t stack_[kStackSize];
  int depth_ = 0;
};

bool ExprCompiler::PushOperator(uint8_t code) {
  if (depth_ >= kStackSize) return false;
  stack_[depth_++] = code;
  return true;
}

bool ExprCompiler::PopOperator() {
  const uint8_t code = stack_[--depth_];
  return out_.Put8(item::kOperator) && out_.Put8(code);
}

bool ExprCompiler::MatchBinaryOperator(uint8_t& code) {
  const char c = Peek();
  if (c == '<' || c == '>' || c == '=') {
    // Two-character relational operators may have a blank between their characters.
    size_t p = pos_ + 1;
    SkipBlanks(text_, p);
    const char d = p < text_.size() ? text_[p] : '\0';
    for (const OperatorRow& row : BinaryOperatorSpellings()) {
      if (row.spelling[1] != '\0' && row.spelling[0] == c && row.spelling[1] == d) {
        code = row.code;
        pos_ = p + 1;
        return true;
      }
    }
  }
  for (const OperatorRow& row : BinaryOperatorSpellings()) {
    const std::string_view s(row.spelling);
    if (s.size() == 2 && !(s[0] >= 'a' && s[0] <= 'z')) continue;  // relational pairs done above
    if (MatchWordAt(text_, pos_, s)) {
      code = row.code;
      pos_ += s.size();
      return true;
    }
  }
  return false;
}

// Operator-precedence parsing: operands and operators alternate; a new
// binary operator first outputs every stacked operator of greater or equal
// precedence (left associativity, 2 ^ 3 ^ 2 = 64). Unary minus and NOT are
// stacked without popping (-2 ^ 2 = -4, NOT A = B is NOT (A = B)). A
// parenthesised part compiles as a nested expression, which gives the same
// code as stacking a marker.
bool ExprCompiler::Body() {
  if (nesting_ > kMaxNesting) return false;
  for (;;) {
    Blanks();
    if (!Operand()) return false;
    const size_t end = pos_;
    Blanks();
    uint8_t code;
    // A ")" or anything that is not an operator ends the expression; the
    // caller decides whether what follows belongs to it.
    if (Peek() == ')' || !MatchBinaryOperator(code)) {
      pos_ = end;
      break;
    }
    const uint8_t prec = OperatorPrecedence(code);
    while (depth_ > 0 && OperatorPrecedence(stack_[depth_ - 1]) >= prec)
      if (!PopOperator()) return false;
    if (!PushOperator(code)) return false;
  }
  while (depth_ > 0)
    if (!PopOperator()) return false;
  return !out_.Failed();
}

// Operand position: unary operators are stacked until an operand follows.
bool ExprCompiler::Operand() {
  for (;;) {
    Blanks();
    const char c = Peek();
    if (MatchWordAt(text_, pos_, "not")) {
      pos_ += 3;
      if (!PushOperator(op::kNot)) return false;
      continue;
    }
    if (c == '+') {  // unary plus is ignored
      ++pos_;
      continue;
    }
    if (c == '-') {
      ++pos_;
      if (!PushOperator(op::kNegate)) return false;
      continue;
    }
    if (c == '(') {
      ++pos_;
      return Argument() && Expect(')');
    }
    if (IsDigit(c) || c == '.') return NumberLiteral();
    if (c == '"') return StringLiteral();
    if (c == '&') return RadixLiteral();
    if (c == '%') return ConstantRef();
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      size_t p = pos_;
      const int row = FunctionNameAt(text_, p);
      if (row >= 0) {
        pos_ = p;
        return FunctionCall(FunctionTable()[static_cast<size_t>(row)]);
      }
      return Reference(params_ != nullptr, nullptr);
    }
    return false;
  }
}

// A literal too large or too small for a double: its decimal order of
// magnitude (the exponent plus the first significant digit's place) tells
// which. `mantissaEnd` is where the exponent's letter starts, if any.
uint8_t OutOfRangeItem(std::string_view lit, size_t mantissaEnd) {
  const size_t end = lit.size();
  long exponent = 0;
  if (mantissaEnd < end) {
    size_t q = mantissaEnd + 1;
    bool neg = false;
    if (lit[q] == '+' || lit[q] == '-') neg = lit[q++] == '-';
    for (; q < end; ++q) exponent = std::min(exponent * 10 + (lit[q] - '0'), 100000L);
    if (neg) exponent = -exponent;
  }
  long order = 0;  // position of the first significant digit relative to the point
  size_t i = 0;
  long intCount = 0;
  while (i < mantissaEnd && lit[i] != '.') {
    if (lit[i] != '0' || intCount > 0) ++intCount;
    ++i;
  }
  if (intCount > 0) {
    order = intCount;
  } else if (i < mantissaEnd) {
    long zeros = 0;
    for (++i; i < mantissaEnd && lit[i] == '0'; ++i) ++zeros;
    order = -zeros;
  }
  return exponent + order > 0 ? item::kOverflow : item::kUnderflow;
}

// digits [. digits] [E [+|-] digits]  |  . digits [E ...]
bool ExprCompiler::NumberLiteral() {
  const size_t start = pos_;
  size_t p = pos_;
  while (p < text_.size() && IsDigit(text_[p])) ++p;
  const bool intDigits = p > start;
  if (p < text_.size() && text_[p] == '.') {
    if (!intDigits && !(p + 1 < text_.size() && IsDigit(text_[p + 1]))) return false;
    ++p;
    while (p < text_.size() && IsDigit(text_[p])) ++p;
  }
  const size_t mantissaEnd = p;
  if (p < text_.size() && (text_[p] == 'E' || text_[p] == 'e')) {
    size_t q = p + 1;
    if (q < text_.size() && (text_[q] == '+' || text_[q] == '-')) ++q;
    if (q < text_.size() && IsDigit(text_[q])) {
      while (q < text_.size() && IsDigit(text_[q])) ++q;
      p = q;
    }
  }
  pos_ = p;
  const std::string_view lit = text_.substr(start, p - start);
  double v = 0;
  const auto res =
      std::from_chars(lit.data(), lit.data() + lit.size(), v, std::chars_format::general);
  bool nonZero = false;
  for (size_t i = start; i < mantissaEnd; ++i)
    if (text_[i] >= '1' && text_[i] <= '9') nonZero = true;
  if (res.ec == std::errc::result_out_of_range)
    return out_.Put8(OutOfRangeItem(text_.substr(start, p - start), mantissaEnd - start));
  if (res.ec != std::errc() || res.ptr != lit.data() + lit.size()) return false;
  // A literal that only fits as a subnormal is an underflow, as an operator
  // result of that size is.
  if (nonZero && (v == 0 || std::fpclassify(v) == FP_SUBNORMAL)) return out_.Put8(item::kUnderflow);
  return PutNumber(out_, v);
}

// "characters" with "" for one quote; an unterminated literal runs to the end.
bool ExprCompiler::StringLiteral() {
  ++pos_;
  std::string s;
  for (;;) {
    if (AtEnd()) break;
    const char c = text_[pos_++];
    if (c == '"') {
      if (Peek() == '"') {
        ++pos_;
        s.push_back('"');
        continue;
      }
      break;
    }
    if (c == '\0') return false;  // the literal is read up to its 0 byte
    s.push_back(c);
  }
  return PutStringLiteral(out_, s);
}

// &H hex | &O octal | &B binary: an unsigned 32-bit number.
bool ExprCompiler::RadixLiteral() {
  const char kind = Lower(pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0');
  int bits;
  if (kind == 'h') bits = 4;
  else if (kind == 'o') bits = 3;
  else if (kind == 'b') bits = 1;
  else return false;
  auto digitValue = [&](char c) -> int {
    int d = -1;
    if (IsDigit(c)) d = c - '0';
    else if (bits == 4 && Lower(c) >= 'a' && Lower(c) <= 'f') d = Lower(c) - 'a' + 10;
    return d >= 0 && d < (1 << bits) ? d : -1;
  };
  size_t p = pos_ + 2;
  if (p >= text_.size() || digitValue(text_[p]) < 0) return false;
  while (p < text_.size() && text_[p] == '0') ++p;  // leading zeros do not count
  const size_t first = p;
  const size_t limit = bits == 4 ? 8 : (bits == 1 ? 32 : 11);  // significant digits that fit
  uint64_t v = 0;
  while (p < text_.size() && digitValue(text_[p]) >= 0) {
    if (p - first <= limit) v = (v << bits) | static_cast<uint64_t>(digitValue(text_[p]));
    ++p;
  }
  pos_ = p;
  const size_t significant = p - first;
  bool fits = significant <= limit;
  if (bits == 3 && significant == 11 && text_[first] > '3') fits = false;
  if (!fits) return out_.Put8(item::kOverflow);
  return PutNumber(out_, static_cast<double>(v));
}

bool ExprCompiler::ConstantRef() {
  ++pos_;  // "%"
  if (!IdentifierMayStartAt(text_, pos_)) return false;
  std::string name;
  if (!ReadIdentifier(text_, pos_, name)) return false;
  return PutHeader(out_, item::kConstant, Chain::Constant) && PutName(out_, name);
}

bool ExprCompiler::Reference(bool allowParams, uint8_t* code) {
  std::string name;
  bool isString = false;
  if (!ReadVariableName(text_, pos_, name, &isString)) return false;
  size_t p = pos_;
  SkipBlanks(text_, p);
  if (p < text_.size() && text_[p] == '(') {
    // Array element: name(subscript, ...), each subscript with its own 0.
    pos_ = p + 1;
    const uint8_t c = isString ? item::kStringElement : item::kNumericElement;
    if (code) *code = c;
    if (!PutHeader(out_, c, Chain::Variable) || !PutName(out_, name)) return false;
    const size_t countAt = out_.Size();
    if (!out_.Put8(0)) return false;
    int count = 0;
    for (;;) {
      if (!FullExpression()) return false;
      if (++count > 255) return false;
      if (Expect(',')) continue;
      if (Expect(')')) break;
      return false;
    }
    out_.Patch8(countAt, static_cast<uint8_t>(count));
    return !out_.Failed();
  }
  if (allowParams && params_) {
    const int slot = params_->Find(name, isString);
    if (slot >= 0) {
      const uint8_t c = isString ? item::kStringParam : item::kNumericParam;
      if (code) *code = c;
      return out_.Put8(c) && out_.Put8(static_cast<uint8_t>(slot));
    }
  }
  if (!isString && name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') {
    if (code) *code = item::kLetter;
    return PutHeader(out_, item::kLetter, Chain::Variable) &&
           out_.Put8(static_cast<uint8_t>(name[0] - 'A'));
  }
  const uint8_t c = isString ? item::kStringScalar : item::kNumericScalar;
  if (code) *code = c;
  return PutHeader(out_, c, Chain::Variable) && PutName(out_, name);
}

bool ExprCompiler::ArrayName(uint8_t* code) {
  std::string name;
  bool isString = false;
  if (!ReadVariableName(text_, pos_, name, &isString)) return false;
  uint8_t c = isString ? item::kStringScalar : item::kNumericScalar;
  if (!isString && name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') c = item::kLetter;
  if (code) *code = c;
  if (!PutHeader(out_, c, Chain::Variable)) return false;
  if (c == item::kLetter) return out_.Put8(static_cast<uint8_t>(name[0] - 'A'));
  return PutName(out_, name);
}

bool ExprCompiler::DefaultArgument(uint8_t number, int position) {
  const DefaultArg* d = FindDefaultArg(number, static_cast<uint8_t>(position));
  if (!d) return false;  // a position with no default: MID$(A$,,3)
  switch (d->kind) {
    case DefaultKind::Number: return PutNumber(out_, d->value);
    case DefaultKind::String: return PutStringLiteral(out_, d->text);
    case DefaultKind::Item: return out_.Put8(static_cast<uint8_t>(d->value));
  }
  return false;
}

// ( expr, expr, ... ): between minCount and maxCount arguments, all given.
bool ExprCompiler::ArgumentList(int minCount, int maxCount, int& count) {
  count = 0;
  if (!Expect('(')) return false;
  for (;;) {
    if (!Argument()) return false;
    ++count;
    if (count > maxCount) return false;
    if (Expect(',')) continue;
    if (Expect(')')) break;
    return false;
  }
  return count >= minCount;
}

bool ExprCompiler::FunctionCall(const FunctionRow& row) {
  switch (row.signature) {
    // FN name [(arguments)]
    case sig::kUserFunction: return UserFunctionCall(row);
    // max(a, b, ...), min(...): two arguments use the plain two-number signature.
    case sig::kMaxList:
    case sig::kMinList: {
      int count;
      if (!ArgumentList(1, 255, count)) return false;
      if (count == 2) return CallItem(row, sig::kTwoNumbers);
      return CallItem(row, row.signature) && out_.Put8(static_cast<uint8_t>(count));
    }
    // chr$(code, ...)
    case sig::kChrList: {
      int count;
      if (!ArgumentList(1, 255, count)) return false;
      if (count == 1) return CallItem(row, sig::kNumberToString);
      return CallItem(row, sig::kChrList) && out_.Put8(static_cast<uint8_t>(count));
    }
    // using$(format, value, ...), choose(selector, value, ...)
    case sig::kUsing:
    case sig::kChoose: {
      int count;
      if (!ArgumentList(2, 256, count)) return false;
      return CallItem(row, row.signature) && out_.Put8(static_cast<uint8_t>(count - 1));
    }
    // switch(condition, value, condition, value, ...)
    case sig::kSwitch: {
      int count;
      if (!ArgumentList(2, 254, count) || count % 2 != 0) return false;
      return CallItem(row, row.signature) && out_.Put8(static_cast<uint8_t>(count / 2));
    }
    // mktime(a, b, c [, d [, e [, f]]]): omitted ones are 0
    case sig::kMkTime: {
      int count;
      if (!ArgumentList(3, 6, count)) return false;
      for (; count < 6; ++count)
        if (!PutNumber(out_, 0)) return false;
      return CallItem(row, row.signature);
    }
    // maxlen(string variable)
    case sig::kMaxLen: {
      if (!Expect('(') || !CallItem(row, row.signature)) return false;
      Blanks();
      uint8_t code;
      if (!Reference(false, &code)) return false;
      if (code != item::kStringScalar && code != item::kStringElement) return false;
      return Expect(')');
    }
    // varptr(variable), varptr$(variable), sadd(variable)
    case sig::kVarPtr: {
      const uint8_t number = row.number == fnum::kSadd ? fnum::kVarPtr : row.number;
      if (!Expect('(') || !CallItem(row, row.signature, number)) return false;
      Blanks();
      uint8_t code;
      if (!Reference(false, &code) || code > item::kStringElement) return false;
      return Expect(')');
    }
    // lbound(array [, dimension]), size(...), ubound(...), maxsize(array)
    case sig::kLBound:
    case sig::kSize:
    case sig::kUBound:
    case sig::kMaxSize: return ArrayBoundCall(row);
    // usr[digit](x)
    case sig::kUsr: {
      uint8_t slot = 0;
      if (IsDigit(Peek())) slot = static_cast<uint8_t>(text_[pos_++] - '0');
      int count;
      if (!ArgumentList(1, 1, count)) return false;
      return CallItem(row, row.signature) && out_.Put8(slot);
    }
    default: return GeneralCall(row);
  }
}

// FN name [(arguments)]
bool ExprCompiler::UserFunctionCall(const FunctionRow& row) {
  Blanks();
  if (!IdentifierMayStartAt(text_, pos_)) return false;
  std::string name;
  if (!ReadIdentifier(text_, pos_, name)) return false;
  int count = 0;
  size_t p = pos_;
  SkipBlanks(text_, p);
  if (p < text_.size() && text_[p] == '(' && !ArgumentList(1, 255, count)) return false;
  return PutHeader(out_, item::kCall, Chain::UserFunction) && out_.Put8(row.number) &&
         out_.Put8(0) && out_.Put8(sig::kUserFunction) && PutName(out_, name) &&
         out_.Put8(static_cast<uint8_t>(count));
}

// lbound(array [, dimension]), size(...), ubound(...), maxsize(array)
bool ExprCompiler::ArrayBoundCall(const FunctionRow& row) {
  if (!Expect('(') || !CallItem(row, row.signature)) return false;
  Blanks();
  if (!ArrayName(nullptr)) return false;
  if (row.signature != sig::kMaxSize) {
    if (Expect(',')) {
      if (!FullExpression()) return false;
    } else if (!PutNumber(out_, 1) || !out_.Put8(item::kEnd)) {
      return false;
    }
  }
  return Expect(')');
}

// The general case: a fixed argument count, with defaults for omitted
// arguments when the row allows it. instr takes an optional start first.
bool ExprCompiler::GeneralCall(const FunctionRow& row) {
  if (row.optionalArgs) return OptionalArgumentsCall(row);
  const int n = row.argCount;
  if (n == 0) return CallItem(row, row.signature);
  int count;
  if (row.number == fnum::kInstr && row.signature == 9) {
    if (!ArgumentList(2, 3, count)) return false;
    return CallItem(row, count == 3 ? sig::kInstr3 : row.signature);
  }
  if (!ArgumentList(n, n, count)) return false;
  return CallItem(row, row.signature);
}

// name [([a] [, [b] ...])]: an omitted argument takes its default.
bool ExprCompiler::OptionalArgumentsCall(const FunctionRow& row) {
  const int n = row.argCount;
  size_t p = pos_;
  SkipBlanks(text_, p);
  int given = 0;
  if (p < text_.size() && text_[p] == '(') {
    pos_ = p + 1;
    for (int position = 0;; ++position) {
      if (position >= n) return false;
      Blanks();
      if (Peek() == ',' || Peek() == ')') {
        if (!DefaultArgument(row.number, position)) return false;
      } else if (!Argument()) {
        return false;
      }
      given = position + 1;
      if (Expect(',')) continue;
      if (Expect(')')) break;
      return false;
    }
  }
  for (int position = given; position < n; ++position)
    if (!DefaultArgument(row.number, position)) return false;
  return CallItem(row, row.signature);
}

}  // namespace

int DefFnParams::Find(std::string_view name, bool isString) const {
  for (int i = 0; i < count && i < kMax; ++i)
    if (params[static_cast<size_t>(i)].isString == isString &&
        params[static_cast<size_t>(i)].name == name)
      return i;
  return -1;
}

void SkipBlanks(std::string_view text, size_t& pos) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
}

bool ReadVariableName(std::string_view text, size_t& pos, std::string& name, bool* isString) {
  if (pos >= text.size() || !IdentifierMayStartAt(text, pos)) return false;
  size_t p = pos;
  if (!ReadIdentifier(text, p, name)) return false;
  size_t q = p;
  SkipBlanks(text, q);
  const bool dollar = q < text.size() && text[q] == '$';
  if (dollar) p = q + 1;
  if (isString) *isString = dollar;
  pos = p;
  return true;
}

bool CompileExpression(std::string_view text, size_t& pos, CodeBuffer& out,
                       const DefFnParams* params) {
  SkipBlanks(text, pos);
  ExprCompiler c(text, pos, out, params);
  return c.Body() && out.Put8(item::kEnd);
}

bool CompileVariableReference(std::string_view text, size_t& pos, CodeBuffer& out, uint8_t* code) {
  SkipBlanks(text, pos);
  ExprCompiler c(text, pos, out, nullptr);
  return c.Reference(false, code) && !out.Failed();
}

bool CompileArrayName(std::string_view text, size_t& pos, CodeBuffer& out, uint8_t* code) {
  SkipBlanks(text, pos);
  ExprCompiler c(text, pos, out, nullptr);
  return c.ArrayName(code) && !out.Failed();
}

bool CompileConstantName(std::string_view text, size_t& pos, CodeBuffer& out, bool definition) {
  SkipBlanks(text, pos);
  if (pos >= text.size() || text[pos] != '%') return false;
  ++pos;
  if (!IdentifierMayStartAt(text, pos)) return false;
  std::string name;
  if (!ReadIdentifier(text, pos, name)) return false;
  return PutHeader(out, item::kConstant, Chain::Constant, definition) && PutName(out, name);
}

bool CompileUserFunctionDefinitionName(std::string_view text, size_t& pos, CodeBuffer& out,
                                       std::string* nameOut) {
  SkipBlanks(text, pos);
  if (!IdentifierMayStartAt(text, pos)) return false;
  std::string name;
  if (!ReadIdentifier(text, pos, name)) return false;
  if (nameOut) *nameOut = name;
  return out.PutChainLink(Chain::UserFunction) && out.Put8(1) && PutName(out, name);
}

}  // namespace torvic
