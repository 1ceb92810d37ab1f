// Compile routines of the control statements: IF/ELSE/END IF, jumps, ON and
// the traps, LET, FOR/NEXT, DEF FN/DEF USR, CONST, DATA, the remarks and the
// switches. Each routine's operand layout is documented above it; the frame
// is written by CompileStatement (compiler.cpp).
#include <string>

#include "frontend/compile_routines.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler.h"
#include "frontend/expr_compiler.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

constexpr int kMaxIfDepth = 64;

// "end" followed by the keyword "if".
bool AcceptEndIf(LineCompiler& c) {
  const size_t save = c.pos;
  if (c.AcceptLetters("end") && c.AcceptWord(stmt::kIf)) return true;
  c.pos = save;
  return false;
}

bool AtElse(LineCompiler& c) {
  c.SkipSpaces();
  const size_t save = c.pos;
  bool at = c.AcceptLetters("else");
  c.pos = save;
  return at;
}

// A THEN or ELSE part: an implied GOTO for a bare jump target, otherwise the
// statements up to "'", ELSE, END IF or the end of the line.
void CompilePart(LineCompiler& c) {
  if (c.AtJumpTarget()) CompileImpliedGoto(c);
  else CompileStatementRun(c);
}

// ON or OFF: 1 or 0; -1 when neither follows.
int OnOff(LineCompiler& c) {
  if (c.AcceptWord(stmt::kOn)) return 1;
  if (c.AcceptWord(tok::kOff)) return 0;
  return -1;
}

}  // namespace

// IF condition THEN statements | THEN target | GOTO target | GOSUB target
//   [ELSE statements | ELSE target] [END IF]
//
//   u16 THEN-start (offset of the first record of the THEN part)
//   condition expression
//   u16 false target (offset of the ELSE part, or of the end of the THEN part)
//   THEN part records
//   [u8 251 | u16 end target]  ELSE part records      (only with ELSE)
//
// The IF's operand length spans its THEN and ELSE parts, so the record nests
// the records of both. An END IF that closes the construct writes nothing.
bool CompileIf(LineCompiler& c) {
  struct DepthGuard {
    int& depth;
    explicit DepthGuard(int& d) : depth(d) { ++depth; }
    ~DepthGuard() { --depth; }
  } guard(c.ifDepth);
  // A 255-character line cannot nest deeper than this; the limit only keeps
  // recursion bounded whatever the input.
  if (c.ifDepth >= kMaxIfDepth) return false;
  const size_t thenStart = c.ReserveU16();
  if (!c.Expression()) return false;
  const size_t falseTarget = c.ReserveU16();
  if (c.out.Failed()) return false;
  c.PatchU16(thenStart, c.Here());
  const int word = c.PeekWord();
  if (word == tok::kThen) {
    c.AcceptWord(tok::kThen);
    CompilePart(c);
  } else if (word == stmt::kGoto || word == stmt::kGosub) {
    CompileStatement(c);  // the GOTO or GOSUB record is the THEN part
  } else {
    return false;
  }
  if (c.out.Failed()) return false;
  c.PatchU16(falseTarget, c.Here());
  if (AtElse(c)) {
    c.AcceptLetters("else");
    if (!c.out.Put8(kRecordJump)) return false;
    const size_t endTarget = c.ReserveU16();
    if (c.out.Failed()) return false;
    c.PatchU16(falseTarget, c.Here());
    CompilePart(c);
    if (c.out.Failed()) return false;
    c.PatchU16(endTarget, c.Here());
  }
  AcceptEndIf(c);
  return true;
}

// ELSE statements (an ELSE with no IF before it on its line)
//
//   the records of its statements
//
// Executing the record raises "?ELSE without matching IF"; its operand length
// spans the statements so that they are never reached through it.
bool CompileElse(LineCompiler& c) {
  CompilePart(c);
  return !c.out.Failed();
}

// END | END IF (record END IF) | SYSTEM: no operands
bool CompileEnd(LineCompiler& c) {
  if (c.token == stmt::kEnd && c.AcceptWord(stmt::kIf)) c.code = stmt::kEndIf;
  return true;
}

// GOTO target | GOSUB target | GOTO TIMER (record GOTO TIMER, no operands)
//
//   jump target (on the jump-target chain, 0 included)
bool CompileGotoGosub(LineCompiler& c) {
  if (c.code == stmt::kGoto && c.AcceptWord(stmt::kTimer)) {
    c.code = stmt::kGotoTimer;
    return true;
  }
  return c.JumpTarget();
}

// GOIF condition, target1 [, target2]
//
//   condition expression | u16 offset of the flag byte after target1 | target1
//   u8 1 | target2    or    u8 0
bool CompileGoif(LineCompiler& c) {
  if (!c.Expression() || !c.Accept(',')) return false;
  const size_t flagAt = c.ReserveU16();
  if (!c.JumpTarget()) return false;
  c.PatchU16(flagAt, c.Here());
  if (c.Accept(',')) return c.out.Put8(1) && c.JumpTarget();
  return c.out.Put8(0);
}

// ON expr GOTO|GOSUB t1, t2, ...                       (code 78)
//   expr | u8 47 or 48 | u16 offset just past the list | u8 count (1..255) | targets
// ON BREAK GOTO target                                 (code 79)
//   target (a line 0 is off the chain)
// ON ERROR GOTO target | ON ERROR RESUME NEXT          (code 80)
//   u8 48 | target (a line 0 is off the chain)    or    u8 100
// ON TIMER [[=] expr] GOTO target                     (code 81)
//   u16 offset of the target | interval expr (1000 when omitted) | target
//   (a line 0 is off the chain)
bool CompileOn(LineCompiler& c) {
  const int word = c.PeekWord();
  if (word == tok::kBreak) {
    c.AcceptWord(word);
    c.code = stmt::kOnBreak;
    return c.AcceptWord(stmt::kGoto) && c.JumpTarget(true);
  }
  if (word == stmt::kError) {
    c.AcceptWord(word);
    c.code = stmt::kOnError;
    if (c.AcceptWord(stmt::kGoto)) return c.out.Put8(stmt::kGoto) && c.JumpTarget(true);
    return c.AcceptWord(stmt::kResume) && c.AcceptWord(stmt::kNext) && c.out.Put8(stmt::kResume);
  }
  if (word == stmt::kTimer) {
    c.AcceptWord(word);
    c.code = stmt::kOnTimer;
    const size_t targetAt = c.ReserveU16();
    // The interval may follow "=", stand in parentheses, or stand alone
    // (ON TIMER 500 GOTO 100); without one it is a second.
    if (c.Accept('=')) {
      if (!c.Expression()) return false;
    } else if (c.PeekWord() == stmt::kGoto) {
      if (!c.DefaultNumber(1000)) return false;
    } else if (!c.Expression()) {
      return false;
    }
    if (!c.AcceptWord(stmt::kGoto)) return false;
    c.PatchU16(targetAt, c.Here());
    return c.JumpTarget(true);
  }
  if (!c.Expression()) return false;
  const int jump = c.PeekWord();
  if (jump != stmt::kGoto && jump != stmt::kGosub) return false;
  c.AcceptWord(jump);
  if (!c.out.Put8(static_cast<uint8_t>(jump))) return false;
  const size_t endAt = c.ReserveU16();
  const size_t countAt = c.out.Reserve(1);
  if (c.out.Failed()) return false;
  int count = 0;
  do {
    if (++count > 255 || !c.JumpTarget()) return false;
  } while (c.Accept(','));
  c.out.Patch8(countAt, static_cast<uint8_t>(count));
  c.PatchU16(endAt, c.Here());
  return true;
}

// RETURN [target] | RESTORE [target] | PUSH [target]
//
//   u8 0    or    u8 1 | target
//
// RESTORE and PUSH targets are always on the jump-target chain; a RETURN
// target only when it is not line 0.
bool CompileOptionalTarget(LineCompiler& c) {
  if (c.AtEndOfStatement()) return c.out.Put8(0);
  return c.out.Put8(1) && c.JumpTarget(c.code == stmt::kReturn);
}

// RESUME [NEXT | target]
//
//   NEXT:     u8 1
//   target:   u8 0 | target (a line 0 is off the chain)
//   nothing:  u8 0 | line-number target 0 with column 65535 and 255 digits,
//             off the chain (there is no text behind it to renumber)
bool CompileResume(LineCompiler& c) {
  if (c.AcceptWord(stmt::kNext)) return c.out.Put8(1);
  if (!c.out.Put8(0)) return false;
  if (c.AtEndOfStatement()) return c.out.PutJumpTarget(0, 0xFFFF, 255, false);
  return c.JumpTarget(true);
}

// [LET] target [, target ...] = expr [, target [, target ...] = expr ...]
//
//   for each group: u8 1 | target items | u8 0 | expr
//   u8 0 after the last group
bool CompileLet(LineCompiler& c) {
  do {
    if (!c.out.Put8(1)) return false;
    do {
      if (!c.Target()) return false;
    } while (c.Accept(','));
    if (!c.out.Put8(0) || !c.Accept('=') || !c.Expression()) return false;
  } while (c.Accept(','));
  return c.out.Put8(0);
}

// FOR variable = expr TO expr [STEP expr]
//
//   variable item (code 5 or 6: a numeric scalar) | start expr | limit expr
//   step expr (the number 1 when omitted)
bool CompileFor(LineCompiler& c) {
  const size_t item = c.Here();
  if (!c.Target()) return false;
  const uint8_t kind = c.out.At(item);
  if (kind != 5 && kind != 6) return false;
  if (!c.Accept('=') || !c.Expression() || !c.AcceptWord(tok::kTo) || !c.Expression()) return false;
  if (c.AcceptWord(tok::kStep)) return c.Expression();
  return c.DefaultNumber(1);
}

// NEXT [variable [, variable ...]]
//
//   variable items (codes 5 and 6) | u8 0
bool CompileNext(LineCompiler& c) {
  if (!c.AtEndOfStatement()) {
    do {
      const size_t item = c.Here();
      if (!c.Target()) return false;
      const uint8_t kind = c.out.At(item);
      if (kind != 5 && kind != 6) return false;
    } while (c.Accept(','));
  }
  return c.out.Put8(0);
}

// DEF FN name [(parameter, ... up to 10)] = expr        (code 23)
//   u16 link (user-function chain) | u8 1 (definition) | u8 length | name | u8 0
//   u8 parameter count | u16 offset of the end of the body | body expr
// DEF USR[digit] = expr                                  (code 244)
//   u8 digit (0 when omitted) | expr
bool CompileDef(LineCompiler& c) {
  const int word = c.PeekWord();
  if (word == tok::kUsr) {
    c.AcceptWord(word);
    c.code = stmt::kDefUsr;
    uint8_t digit = 0;
    if (c.AtDigit()) digit = static_cast<uint8_t>(c.text[c.pos++] - '0');
    return c.out.Put8(digit) && c.Accept('=') && c.Expression();
  }
  if (word != tok::kFn) return false;
  c.AcceptWord(word);
  c.code = stmt::kDefFn;
  if (!CompileUserFunctionDefinitionName(c.text, c.pos, c.out)) return false;
  std::vector<FnParameter> parameters;
  if (c.Accept('(')) {
    do {
      c.SkipSpaces();
      FnParameter p;
      if (!ReadVariableName(c.text, c.pos, p.name, &p.isString)) return false;
      if (parameters.size() >= DefFnParams::kMax) return false;
      parameters.push_back(p);
    } while (c.Accept(','));
    if (!c.Accept(')')) return false;
  }
  if (!c.out.Put8(static_cast<uint8_t>(parameters.size()))) return false;
  const size_t endAt = c.ReserveU16();
  if (!c.Accept('=') || !c.FnBody(parameters)) return false;
  c.PatchU16(endAt, c.Here());
  return true;
}

// CONST [%]name = expr
//
//   "%" name item: u8 10 | u16 link (named-constant chain) | u8 1 (definition)
//                  | u8 length | name | u8 0
//   expr
bool CompileConst(LineCompiler& c) {
  if (c.Peek() == '%') {
    if (!CompileConstantName(c.text, c.pos, c.out, true)) return false;
  } else {
    // The name without its "%" defines the same constant.
    c.SkipSpaces();
    std::string name;
    if (!IdentifierMayStartAt(c.text, c.pos) || !ReadIdentifier(c.text, c.pos, name)) return false;
    if (!c.out.Put8(10) || !c.out.PutChainLink(Chain::Constant) || !c.out.Put8(1) ||
        !c.out.Put8(static_cast<uint8_t>(name.size())) || !c.out.PutString(name) || !c.out.Put8(0))
      return false;
  }
  return c.Accept('=') && c.Expression();
}

// DATA item, item, ...
//
//   for each item: u16 link (DATA chain) | the item's text as written | u8 0
//
// An unquoted item runs to the next ",", ":", "'" or the end, trailing spaces
// cut; a quoted one from its opening quote to the next separator after the
// closing quote (quotes kept, a doubled quote stays doubled; an unterminated
// one runs to the end of the line). DATA alone writes no items; "1," ends
// with an empty item. An item holding a NUL byte cannot be stored as a
// 0-ended text, so such a statement does not compile.
bool CompileData(LineCompiler& c) {
  c.SkipSpaces();
  if (c.pos >= c.text.size() || c.text[c.pos] == ':' || c.text[c.pos] == '\'') return true;
  for (;;) {
    c.SkipSpaces();
    const size_t start = c.pos;
    size_t p = start;
    if (p < c.text.size() && c.text[p] == '"') {
      ++p;
      for (;;) {
        while (p < c.text.size() && c.text[p] != '"') ++p;
        if (p >= c.text.size()) break;
        ++p;
        if (p < c.text.size() && c.text[p] == '"') {
          ++p;
          continue;
        }
        break;
      }
    }
    while (p < c.text.size() && c.text[p] != ',' && c.text[p] != ':' && c.text[p] != '\'') ++p;
    size_t end = p;
    while (end > start && c.text[end - 1] == ' ') --end;
    std::string_view item = c.text.substr(start, end - start);
    if (item.find('\0') != std::string_view::npos) return false;
    if (!c.out.PutChainLink(Chain::Data) || !c.out.PutString(item) || !c.out.Put8(0)) return false;
    c.pos = p;
    if (p >= c.text.size() || c.text[p] != ',') return true;
    ++c.pos;
  }
}

// REM text | ' text: the rest of the line; no operands
bool CompileRem(LineCompiler& c) {
  c.pos = c.text.size();
  return true;
}

// ~ text: up to the next ":" outside a quoted string; no operands
bool CompileTildeRemark(LineCompiler& c) {
  bool quoted = false;
  while (c.pos < c.text.size() && (quoted || c.text[c.pos] != ':')) {
    if (c.text[c.pos] == '"') quoted = !quoted;
    ++c.pos;
  }
  return true;
}

// TIMER ON | OFF | STOP     (code 114)   u8 token of the word: 78, 249 or 112
// TIMER = expr              (code 115)   expr
bool CompileTimer(LineCompiler& c) {
  if (c.Accept('=')) {
    c.code = stmt::kTimerSet;
    return c.Expression();
  }
  for (int word : {int{stmt::kOn}, tok::kOff, int{stmt::kStop}})
    if (c.AcceptWord(word)) return c.out.Put8(static_cast<uint8_t>(word));
  return false;
}

// INVERSE [ON | OFF], REVERSE; NORMAL, NOINVERSE, NOREVERSE
//
//   u8 1 for ON or the word alone, 0 for OFF and for the NORMAL words
bool CompileInverse(LineCompiler& c) {
  if (c.token == tok::kNormal) return c.out.Put8(0);
  int v = OnOff(c);
  return c.out.Put8(v == 0 ? 0 : 1);
}

// CONFIRM ON|OFF, SECURE ON|OFF, CURSOR ON|OFF    u8 1 for ON, 0 for OFF
// DEBUG, PROFILE [ON|OFF]                         u8 1 for ON or alone, 0 for OFF
bool CompileOnOffSwitch(LineCompiler& c) {
  int v = OnOff(c);
  if (v < 0) {
    if (c.code != stmt::kDebug && c.code != stmt::kProfile) return false;
    v = 1;
  }
  return c.out.Put8(static_cast<uint8_t>(v));
}

// BREAK ON (code 9) | BREAK OFF (code 8): no operands
// BREAK [items] (code 149), NOBREAK [items] (code 172), items separated by ",":
//
//   for each item: u8 1 | range    or    u8 2 | u8 length | label name | u8 0
//   u8 0
bool CompileBreakList(LineCompiler& c) {
  if (c.code == stmt::kBreak) {
    int v = OnOff(c);
    if (v >= 0) {
      c.code = v ? stmt::kBkon : stmt::kBkoff;
      return true;
    }
  }
  if (!c.AtEndOfStatement()) {
    do {
      if (c.Accept('*')) {
        std::string name;
        if (!ReadIdentifier(c.text, c.pos, name)) return false;
        if (!c.out.Put8(2) || !c.out.Put8(static_cast<uint8_t>(name.size())) ||
            !c.out.PutString(name) || !c.out.Put8(0))
          return false;
      } else if (!c.out.Put8(1) || !c.Range()) {
        return false;
      }
    } while (c.Accept(','));
  }
  return c.out.Put8(0);
}

// TRACE [ON] (code 117) | TRACE OFF (code 116): no operands
bool CompileTrace(LineCompiler& c) {
  if (OnOff(c) == 0) c.code = stmt::kTroff;
  return true;
}

// WAIT [expr], PAUSE [expr]
//
//   expr (the number 1000 when omitted)
bool CompileWaitPause(LineCompiler& c) { return c.ExpressionOr(1000); }

}  // namespace torvic
