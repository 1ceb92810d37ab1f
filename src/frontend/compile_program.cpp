// Compile routines of the program commands: RUN, CHAIN, LOAD, SAVE, MERGE,
// OLD, DUMP, RENUM/RES/NUMBER/AUTO/RECALL, FIND, $XREF, the line-range
// commands and the line-copying forms. Small line numbers here are not on
// the jump-target chain and RENUM never rewrites them.
#include "frontend/compile_routines.h"
#include "frontend/compiler.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

// ",letter" options: the letter after a comma, or 0 when none follows.
char LetterOption(LineCompiler& c) {
  const size_t save = c.pos;
  if (!c.Accept(',')) return 0;
  c.SkipSpaces();
  if (c.pos < c.text.size()) {
    char ch = c.text[c.pos];
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
    if (ch >= 'A' && ch <= 'Z') {
      size_t next = c.pos + 1;
      while (next < c.text.size() && c.text[next] == ' ') ++next;
      if (next >= c.text.size() || c.text[next] == ',' || IsEndOfStatement(c.text, next)) {
        c.pos = c.pos + 1;
        return ch;
      }
    }
  }
  c.pos = save;
  return 0;
}

// An optional ",R" / ",A" style option byte: 1 when the letter is given.
bool LetterOptionByte(LineCompiler& c, char letter) {
  if (c.AtEndOfStatement()) return c.Option(0);
  char got = LetterOption(c);
  return got == letter && c.Option(1);
}

}  // namespace

// RUN                        u8 0
// RUN target (line, label)   u8 1 | target
// RUN expr (a file name)     u8 2 | expr
bool CompileRun(LineCompiler& c) {
  if (c.AtEndOfStatement()) return c.out.Put8(0);
  if (c.AtJumpTarget()) return c.out.Put8(1) && c.JumpTarget();
  return c.out.Put8(2) && c.Expression();
}

// CHAIN expr [, target]
//
//   expr | u8 0    or    expr | u8 1 | target
bool CompileChain(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (c.Accept(',')) return c.out.Put8(1) && c.JumpTarget();
  return c.out.Put8(0);
}

// LOAD expr [, R], LOADR expr [, R], FONT expr [, R]
//
//   expr | option byte (1 with ",R")
bool CompileLoad(LineCompiler& c) { return c.Expression() && LetterOptionByte(c, 'R'); }

// LOADC [, R]
//
//   option byte (1 with ",R")
bool CompileLoadc(LineCompiler& c) { return LetterOptionByte(c, 'R'); }

// SAVE expr [, A]; ASAVE expr; BSAVE expr
//
//   expr | option byte (1 with ",A" and for ASAVE, 0 for BSAVE)
bool CompileSave(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (c.token == tok::kAsave) return c.Option(1);
  if (c.token == tok::kBsave) return c.Option(0);
  return LetterOptionByte(c, 'A');
}

// LSAVE range, expr [, A]
//
//   range (9 bytes) | expr | option byte (1 with ",A")
bool CompileLsave(LineCompiler& c) {
  return c.Range() && c.Accept(',') && c.Expression() && LetterOptionByte(c, 'A');
}

// MERGE expr [, first [, step]]
//
//   expr | u32 first line (all bits set when omitted) | u16 step (10)
bool CompileMerge(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.Accept(',')) return c.out.Put32(kNoLineNumber) && c.out.Put16(10);
  if (!c.LineNumber32Or(kNoLineNumber)) return false;
  if (!c.Accept(',')) return c.out.Put16(10);
  return c.SmallLineNumber();
}

// OLD [expr]
//
//   u8 0    or    u8 1 | expr
bool CompileOld(LineCompiler& c) {
  if (c.AtEndOfStatement()) return c.out.Put8(0);
  return c.out.Put8(1) && c.Expression();
}

// DUMP expr [, A | D | O]; TYPE expr
//
//   expr | u8 mode: 2 without a letter (hexadecimal), 0 for A, 1 for D,
//   3 for O; TYPE writes 0
bool CompileDump(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (c.token == tok::kType) return c.Option(0);
  if (c.AtEndOfStatement()) return c.Option(2);
  switch (LetterOption(c)) {
    case 'A': return c.Option(0);
    case 'D': return c.Option(1);
    case 'O': return c.Option(3);
    default: return false;
  }
}

// RENUM [new] [, [first] [, step]]            (RENUM, RENUMBER)
//   u16 new (10) | u32 first (all bits set: from the start) | u16 step (10)
// RES [new] [, step]                          (RES, RESEQUENCE; code 96)
//   u16 new (100) | u32 all bits set | u16 step (10)
bool CompileRenum(LineCompiler& c) {
  const bool res = c.token == tok::kResequence;
  if (!c.SmallLineNumberOr(res ? 100 : 10)) return false;
  if (!res) {
    if (!c.Accept(',')) return c.out.Put32(kNoLineNumber) && c.out.Put16(10);
    if (!c.LineNumber32Or(kNoLineNumber)) return false;
  } else if (!c.out.Put32(kNoLineNumber)) {
    return false;
  }
  if (!c.Accept(',')) return c.out.Put16(10);
  return c.SmallLineNumberOr(10);
}

// NUMBER [start] [, step]   (NUMBER, NUM)
//
//   u16 start (100) | u16 step (10)
bool CompileNumber(LineCompiler& c) {
  if (!c.SmallLineNumberOr(100)) return false;
  if (!c.Accept(',')) return c.out.Put16(10);
  return c.SmallLineNumberOr(10);
}

// AUTO ON [, step] | AUTO OFF
//
//   u8 1 | u16 step (10)    or    u8 0
bool CompileAuto(LineCompiler& c) {
  if (c.AcceptWord(tok::kOff)) return c.out.Put8(0);
  if (!c.AcceptWord(stmt::kOn)) return false;
  if (!c.out.Put8(1)) return false;
  if (!c.Accept(',')) return c.out.Put16(10);
  return c.SmallLineNumber();
}

// RECALL n
//
//   small line number
bool CompileRecall(LineCompiler& c) { return c.SmallLineNumber(); }

// FIND expr [, ranges]
//
//   expr | range list (one whole-program range when omitted)
bool CompileFind(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.Accept(',')) return c.RangeList(true);
  return c.RangeList(false);
}

// $XREF [expr]
//
//   expr (the number 0 when omitted)
bool CompileXref(LineCompiler& c) { return c.ExpressionOr(0); }

// DEL, EDIT (and "."), KEEP, REMARK, UNREMARK ranges
//
//   range list with at least one range
bool CompileRangesRequired(LineCompiler& c) { return c.RangeList(false); }

// LIST [ranges]; CHKSW, CHKSYN, CHKUL, CHKIO, UNHIDE [ranges]
//
//   range list (one whole-program range when empty)
bool CompileRangesOptional(LineCompiler& c) { return c.RangeList(true); }

// LLIST [range]
//
//   range (9 bytes, no leading 1 and no end byte)
bool CompileLlist(LineCompiler& c) { return c.Range(); }

// XCOPY range TO n [, step]; XMOVE range TO n [, step]
//
//   range (9 bytes) | u16 n | u16 step (10)
bool CompileXcopyXmove(LineCompiler& c) {
  if (!c.Range() || !c.AcceptWord(tok::kTo) || !c.SmallLineNumber()) return false;
  if (!c.Accept(',')) return c.out.Put16(10);
  return c.SmallLineNumber();
}

// SPLIT n TO m | SPLIT n, m
//
//   u16 n | u16 m
bool CompileSplit(LineCompiler& c) {
  if (!c.SmallLineNumber()) return false;
  if (!c.AcceptWord(tok::kTo) && !c.Accept(',')) return false;
  return c.SmallLineNumber();
}

// The line-copying forms of COPY, MOVE, APPEND and SWAP (chosen by
// compile_files.cpp when a digit follows the keyword):
//
//   COPY n TO m [, E]             (code 154)   u16 n | u16 m | u8 E
//   MOVE n TO m [, E]             (code 171)   u16 n | u16 m | u8 E
//   APPEND n TO m [, E] [, D]     (code 145)   u16 n | u16 m | u8 E | u8 D
//   SWAP n, m                     (code 185)   u16 n | u16 m
//
// (option bytes are 1 when the letter is given)
bool CompileLineCopy(LineCompiler& c) {
  if (!c.SmallLineNumber()) return false;
  if (c.code == stmt::kSwapLines) return c.Accept(',') && c.SmallLineNumber();
  if (!c.AcceptWord(tok::kTo) || !c.SmallLineNumber()) return false;
  bool e = false, d = false;
  while (!c.AtEndOfStatement()) {
    char letter = LetterOption(c);
    if (letter == 'E' && !e) e = true;
    else if (letter == 'D' && c.code == stmt::kAppendLines && !d) d = true;
    else return false;
  }
  if (!c.Option(e ? 1 : 0)) return false;
  return c.code != stmt::kAppendLines || c.Option(d ? 1 : 0);
}

}  // namespace torvic
