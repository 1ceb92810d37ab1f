// Compile routines of the data-file statements (OPEN, CLOSE, FIELD, WRITE,
// SEEK, INSERT #, DELETE #, KILL #, CREATE #, APPEND #, the file lists) and
// of the file-system statements (COPY, MOVE, APPEND, RENAME, KILL, ATTRIB,
// BACKUP, the catalogue).
#include "frontend/compile_routines.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

constexpr int kTokenFor = 42, kTokenAppend = 144, kTokenInput = 54, kTokenPrinter = 134;

// "#" expr: a file number
bool FileNumber(LineCompiler& c) { return c.Accept('#') && c.Expression(); }

}  // namespace

// OPEN name$ FOR APPEND|INPUT|OUTPUT|RANDOM AS [#]n [LEN = length]
//   u8 0 | name expr | u8 mode (0 APPEND, 1 INPUT, 2 OUTPUT, 3 RANDOM)
//   | file-number expr | length expr (512 when omitted)
// OPEN mode$, [#]n, name$ [, length]
//   u8 1 | mode expr | file-number expr | name expr
//   | u8 0, or u8 1 | length expr   (no fixed default: 128 for RANDOM, else 512)
// OPEN PRINTER (code 132): no operands
bool CompileOpen(LineCompiler& c) {
  if (c.AcceptWord(kTokenPrinter)) {
    c.code = stmt::kOpenPrinter;
    return true;
  }
  const size_t formAt = c.out.Reserve(1);
  if (c.out.Failed() || !c.Expression()) return false;
  if (c.AcceptWord(kTokenFor)) {
    uint8_t mode;
    if (c.AcceptWord(kTokenAppend)) mode = 0;
    else if (c.AcceptWord(kTokenInput)) mode = 1;
    else if (c.AcceptWord(tok::kOutput)) mode = 2;
    else if (c.AcceptWord(tok::kRandom)) mode = 3;
    else return false;
    if (!c.out.Put8(mode) || !c.AcceptWord(tok::kAs)) return false;
    c.Accept('#');
    if (!c.Expression()) return false;
    if (c.AcceptWord(tok::kLen)) return c.Accept('=') && c.Expression();
    return c.DefaultNumber(512);
  }
  c.out.Patch8(formAt, 1);
  if (!c.Accept(',')) return false;
  c.Accept('#');
  if (!c.Expression() || !c.Accept(',') || !c.Expression()) return false;
  if (c.Accept(',')) return c.out.Put8(1) && c.Expression();
  return c.out.Put8(0);
}

// CLOSE [[#]n [, [#]n ...]]    (code 13): u8 count | file-number exprs
// CLOSE PRINTER                (code 128): no operands
bool CompileClose(LineCompiler& c) {
  if (c.AcceptWord(kTokenPrinter)) {
    c.code = stmt::kClosePrinter;
    return true;
  }
  return CompileGenericList(c);
}

// ABORT, REWIND, TRUNCATE [[#]n [, [#]n ...]]
//
//   u8 count | file-number exprs (count 0: every open file)
bool CompileFileList(LineCompiler& c) { return CompileGenericList(c); }

// FIELD [#]n, width AS target [, width AS target ...]
//
//   file-number expr | for each field: u8 1 | width expr | target ; u8 0
bool CompileField(LineCompiler& c) {
  c.Accept('#');
  if (!c.Expression()) return false;
  while (c.Accept(',')) {
    if (!c.out.Put8(1) || !c.Expression() || !c.AcceptWord(tok::kAs) || !c.Target()) return false;
  }
  return c.out.Put8(0);
}

// SEEK #n, position; INSERT #n, record
//
//   file-number expr | expr
bool CompileFileAndNumber(LineCompiler& c) {
  return FileNumber(c) && c.Accept(',') && c.Expression();
}

// WRITE [#n ,] [expr [, expr ...]]
//
//   file-number expr (0, the screen, when omitted) | u8 count | exprs
bool CompileWrite(LineCompiler& c) {
  if (c.Accept('#')) {
    if (!c.Expression()) return false;
    if (!c.Accept(',') && !c.AtEndOfStatement()) return false;
  } else if (!c.DefaultNumber(0)) {
    return false;
  }
  const size_t countAt = c.out.Reserve(1);
  if (c.out.Failed()) return false;
  int count = 0;
  if (!c.AtEndOfStatement()) {
    do {
      if (++count > 255 || !c.Expression()) return false;
    } while (c.Accept(','));
  }
  c.out.Patch8(countAt, static_cast<uint8_t>(count));
  return true;
}

// DELETE #n, record   (code 25): file-number expr | record expr
// DELETE name$        (code 59, as KILL): name expr
bool CompileDelete(LineCompiler& c) {
  if (c.Peek() == '#') return CompileFileAndNumber(c);
  c.code = stmt::kKill;
  return c.Expression();
}

// KILL name$   (code 59): name expr
// KILL #n      (code 60): file-number expr
bool CompileKill(LineCompiler& c) {
  if (c.Accept('#')) c.code = stmt::kKillFile;
  return c.Expression();
}

// CREATE name$          (code 155): name expr
// CREATE #n, name$      (code 156): file-number expr | name expr
bool CompileCreate(LineCompiler& c) {
  if (c.Peek() != '#') return c.Expression();
  c.code = stmt::kCreateFile;
  return CompileFileAndNumber(c);
}

// APPEND name$ TO name$; CONCAT   (code 144): expr | expr
// APPEND #n, expr                 (code 146): file-number expr | expr
// APPEND n TO m [, E] [, D]       (code 145): see CompileLineCopy
bool CompileAppend(LineCompiler& c) {
  if (c.token == stmt::kAppend && c.AtDigit()) {
    c.code = stmt::kAppendLines;
    return CompileLineCopy(c);
  }
  if (c.token == stmt::kAppend && c.Peek() == '#') {
    c.code = stmt::kAppendRecord;
    return CompileFileAndNumber(c);
  }
  return c.Expression() && c.AcceptWord(tok::kTo) && c.Expression();
}

// COPY source$ TO destination$ (code 20); MOVE ... (code 73): expr | expr
// COPY n TO m [, E] (code 154); MOVE n TO m [, E] (code 171): CompileLineCopy
bool CompileCopyMove(LineCompiler& c) {
  if (c.AtDigit()) {
    c.code = c.code == stmt::kCopy ? stmt::kCopyLines : stmt::kMoveLines;
    return CompileLineCopy(c);
  }
  return c.Expression() && c.AcceptWord(tok::kTo) && c.Expression();
}

// RENAME old$ AS|TO new$; NAME old$ AS new$
//
//   expr | expr
bool CompileRename(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.AcceptWord(tok::kAs) && (c.token == tok::kName || !c.AcceptWord(tok::kTo))) return false;
  return c.Expression();
}

// ATTRIB name$ [, ON | OFF]
//
//   name expr | u8 setting (0 none: list, 1 ON: read-only, 2 OFF: writable)
bool CompileAttrib(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.Accept(',')) return c.Option(0);
  if (c.AcceptWord(stmt::kOn)) return c.Option(1);
  if (c.AcceptWord(tok::kOff)) return c.Option(2);
  return false;
}

// BACKUP source$ TO|, destination$; DSAVE name$, string$
//
//   expr | expr
bool CompileTwoNames(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.Accept(',') && !(c.code == stmt::kBackup && c.AcceptWord(tok::kTo))) return false;
  return c.Expression();
}

// CATALOG, CAT, FILES, DIR [pattern$] [, option ...]; SEARCH string$ [, option ...]
//
//   u8 0, or u8 1 | pattern expr   (SEARCH: the string expr, always present)
//   u8 sorted | u8 paged | u8 wide
//
// An option is S (sorted), P (paged) or W (wide); the letter alone turns the
// option on for this listing (1), with a "-" before it off (2); an option
// not given keeps the setting (0).
bool CompileCatalog(LineCompiler& c) {
  if (c.code == stmt::kSearch) {
    if (!c.Expression()) return false;
  } else if (c.AtEndOfStatement() || c.Peek() == ',') {
    if (!c.out.Put8(0)) return false;
  } else if (!c.out.Put8(1) || !c.Expression()) {
    return false;
  }
  uint8_t options[3] = {0, 0, 0};
  while (c.Accept(',')) {
    const uint8_t value = c.Accept('-') ? 2 : 1;
    c.SkipSpaces();
    if (c.pos >= c.text.size()) return false;
    char letter = c.text[c.pos];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
    const char* letters = "SPW";
    int index = -1;
    for (int i = 0; i < 3; ++i)
      if (letters[i] == letter) index = i;
    if (index < 0) return false;
    ++c.pos;
    options[index] = value;
  }
  return c.Option(options[0]) && c.Option(options[1]) && c.Option(options[2]);
}

// DLOAD name$, target$
//
//   name expr | target
bool CompileDload(LineCompiler& c) { return c.Expression() && c.Accept(',') && c.Target(); }

}  // namespace torvic
