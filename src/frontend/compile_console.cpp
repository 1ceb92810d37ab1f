// Compile routines of the console statements: PRINT and its relatives,
// INPUT, LINE INPUT/LINE EDIT, GET and PUT, CMD, the screen statements, the
// graphics statements, and the statements whose operands are a plain list
// of arguments (the argument-pattern table below).
#include <string>

#include "frontend/compile_routines.h"
#include "frontend/keywords.h"

namespace torvic {

namespace {

bool IsWordChar(char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') ||
         ch == '_' || ch == '$';
}

// The letters `lower` as a whole word (not followed by a name character), so
// that COLUMN, COLOR, EXTRACT, REVERSE and SELECT are not COL, EXT, REV, SEL.
bool AcceptWholeWord(LineCompiler& c, std::string_view lower) {
  const size_t save = c.pos;
  if (!c.AcceptLetters(lower)) return false;
  if (c.pos < c.text.size() && IsWordChar(c.text[c.pos])) {
    c.pos = save;
    return false;
  }
  return true;
}

// default string: u8 2 | u8 1 | " " | u8 0 | u8 0 (an expression of one
// string literal holding a blank)
bool DefaultBlank(LineCompiler& c) {
  return c.out.Put8(2) && c.out.Put8(1) && c.out.Put8(' ') && c.out.Put8(0) && c.out.Put8(0);
}

// The inline items of PRINT. Arguments stand in parentheses; an omitted
// optional argument is filled in (see kInlineItems).
enum class InlineArgs { None, Optional, Required, Colours };
struct InlineItem {
  const char* word;
  uint8_t item;
  InlineArgs args;
  double fallback;  // the default of an optional numeric argument
};
constexpr InlineItem kInlineItems[] = {
    {"ansi", 1, InlineArgs::None, 0},     {"col", 2, InlineArgs::Colours, 0},
    {"eol", 4, InlineArgs::Optional, 0},  {"ers", 5, InlineArgs::Optional, -1},
    {"ext", 7, InlineArgs::Required, 0},  {"ivs", 8, InlineArgs::Optional, 1},
    {"nov", 9, InlineArgs::None, 0},      {"oem", 10, InlineArgs::None, 0},
    {"rev", 11, InlineArgs::None, 0},     {"sel", 13, InlineArgs::Optional, 0},
    {"spc", 14, InlineArgs::Required, 0}, {"tab", 15, InlineArgs::Required, 0},
};
constexpr uint8_t kItemComma = 3, kItemExpression = 6, kItemNewLine = 12;

// One inline item with its operands; false (nothing consumed) when none
// stands here, and `failed` when one does but its arguments are malformed.
bool InlineItemAt(LineCompiler& c, bool& failed) {
  for (const InlineItem& it : kInlineItems) {
    if (!AcceptWholeWord(c, it.word)) continue;
    if (!c.out.Put8(it.item)) return failed = true;
    const bool open = c.Accept('(');
    switch (it.args) {
      case InlineArgs::None:
        if (open) return failed = true;
        return true;
      case InlineArgs::Required:
        if (!open || !c.Expression()) return failed = true;
        break;
      case InlineArgs::Optional: {
        bool ok;
        if (open && c.Peek() != ')') ok = c.Expression();
        else ok = it.item == 4 ? DefaultBlank(c) : c.DefaultNumber(it.fallback);
        if (!ok) return failed = true;
        break;
      }
      case InlineArgs::Colours: {
        bool ok = open && c.Peek() != ',' && c.Peek() != ')' ? c.Expression() : c.DefaultItem(128);
        if (ok && open && c.Accept(',')) ok = c.Expression();
        else if (ok) ok = c.DefaultItem(129);
        if (!ok) return failed = true;
        break;
      }
    }
    if (open && !c.Accept(')')) return failed = true;
    return true;
  }
  return false;
}

// The items of PRINT (and of CMD), closed by u8 0. Item 12 (new line) is
// appended unless the statement ends with ",", ";" or an inline item. With
// `usingForm` only expressions are items, and only a final ";" keeps the
// new line away.
bool PrintItems(LineCompiler& c, bool usingForm, bool newLineWhenEmpty) {
  bool newLine = newLineWhenEmpty;
  while (!c.AtEndOfStatement()) {
    if (c.Accept(';')) {
      newLine = false;
      continue;
    }
    if (c.Accept(',')) {
      if (!usingForm && !c.out.Put8(kItemComma)) return false;
      newLine = usingForm;
      continue;
    }
    bool failed = false;
    if (!usingForm && InlineItemAt(c, failed)) {
      newLine = false;
      continue;
    }
    if (failed) return false;
    if (!c.out.Put8(kItemExpression) || !c.Expression()) return false;
    newLine = true;
  }
  if (newLine && !c.out.Put8(kItemNewLine)) return false;
  return c.out.Put8(0);
}

// ["prompt" ; | "prompt" ,] before INPUT and LINE INPUT targets:
//   u8 prompt flag (0 none, 1 followed by ";", 2 followed by ",") | [prompt expr]
bool Prompt(LineCompiler& c) {
  if (c.Peek() != '"') return c.out.Put8(0);
  const size_t flagAt = c.out.Reserve(1);
  if (!c.Expression()) return false;
  if (c.Accept(';')) c.out.Patch8(flagAt, 1);
  else if (c.Accept(',')) c.out.Patch8(flagAt, 2);
  else return false;
  return !c.out.Failed();
}

// target items until the list ends | u8 0
bool Targets(LineCompiler& c) {
  do {
    if (!c.Target()) return false;
  } while (c.Accept(','));
  return c.out.Put8(0);
}

// A graphics argument list: expressions separated by ",", ";", "-" or TO,
// with "(x, y)" pairs allowed:
//
//   u8 count (0..255) | expressions
bool GraphicsList(LineCompiler& c) {
  const size_t countAt = c.out.Reserve(1);
  if (c.out.Failed()) return false;
  int count = 0;
  while (!c.AtEndOfStatement()) {
    if (c.Accept(',') || c.Accept(';') || c.Accept('-') || c.AcceptWord(tok::kTo)) continue;
    const bool pair = c.Accept('(');
    do {
      if (++count > 255 || !c.Expression()) return false;
    } while (pair && c.Accept(','));
    if (pair && !c.Accept(')')) return false;
  }
  c.out.Patch8(countAt, static_cast<uint8_t>(count));
  return true;
}

// Argument patterns: the operands of a statement whose arguments are
// expressions separated by ",". The statement table gives each such
// statement its pattern (PATTERN("e,e") in statements.def). Each
// comma-separated element of a pattern is one operand in this order:
//   e        a required expression
//   n<num>   an optional expression, default number <num> when omitted
//   i<code>  an optional expression, default item <code> (128 foreground,
//            129 background colour)
//   p        an optional expression behind a presence byte (u8 0, or u8 1 | expr)
// A leading "#" in the source before the first argument is accepted and
// ignored (ATTACH #1).

// console LINE row, col, width, height [, style [, colour]]
constexpr const char* kConsoleLinePattern = "e,e,e,e,n0,i128";

bool CompilePattern(LineCompiler& c, std::string_view pattern) {
  c.Accept('#');
  bool first = true;
  bool omittedRest = false;
  while (!pattern.empty()) {
    size_t comma = pattern.find(',');
    std::string_view element = pattern.substr(0, comma);
    pattern = comma == std::string_view::npos ? std::string_view() : pattern.substr(comma + 1);
    // The separator before every argument but the first; once the source
    // has ended, the remaining optional arguments take their defaults.
    if (!first && !omittedRest && !c.Accept(',')) {
      if (!c.AtEndOfStatement()) return false;
      omittedRest = true;
    }
    first = false;
    const bool omitted = omittedRest || c.Peek() == ',' || c.AtEndOfStatement();
    const char kind = element[0];
    const std::string value(element.substr(1));
    bool ok;
    switch (kind) {
      case 'e': ok = !omitted && c.Expression(); break;
      case 'n': ok = omitted ? c.DefaultNumber(std::stod(value)) : c.Expression(); break;
      case 'i':
        ok = omitted ? c.DefaultItem(static_cast<uint8_t>(std::stoi(value))) : c.Expression();
        break;
      case 'p': ok = omitted ? c.out.Put8(0) : c.out.Put8(1) && c.Expression(); break;
      default: ok = false; break;
    }
    if (!ok) return false;
  }
  return true;
}

}  // namespace

// The argument-pattern statements: the pattern their row gives.
bool CompileByPattern(LineCompiler& c) {
  const char* pattern = ArgumentPatternOf(c.code);
  return pattern && CompilePattern(c, pattern);
}

// PRINT [# file ,] [@ row, col [, | ;]] [USING format$ ; expr, ...] [items]
// (also "?", DISPLAY, LPRINT, PPRINT; with USING codes 87, 131, 207)
//
//   u8 form: 0 the screen | 1 PRINT #: file expr | 2 PRINT @: row expr, col expr
//   [format expr]                          (the USING forms)
//   items: u8 item code and its operands ... u8 0
//     1 ANSI; 2 COL: text expr (item 128), background expr (item 129);
//     3 ","; 4 EOL: fill expr (" "); 5 ERS: count expr (-1); 6 an expr;
//     7 EXT: glyph expr; 8 IVS: expr (1); 9 NOV; 10 OEM; 11 REV;
//     12 new line (added unless the statement ends with ",", ";" or an inline
//     item); 13 SEL: character set expr (0); 14 SPC: expr; 15 TAB: expr
//   The USING forms carry items 6 and 12 only.
bool CompilePrint(LineCompiler& c) {
  if (c.Accept('#')) {
    if (!c.out.Put8(1) || !c.Expression()) return false;
    if (!c.Accept(',') && !c.AtEndOfStatement() && c.PeekWord() != tok::kUsing) return false;
  } else if (c.Accept('@')) {
    if (!c.out.Put8(2) || !c.Expression() || !c.Accept(',') || !c.Expression()) return false;
    if (!c.Accept(',')) c.Accept(';');
  } else if (!c.out.Put8(0)) {
    return false;
  }
  if (c.AcceptWord(tok::kUsing)) {
    c.code = c.code == stmt::kLprint   ? stmt::kLprintUsing
             : c.code == stmt::kPprint ? stmt::kPprintUsing
                                       : stmt::kPrintUsing;
    if (!c.Expression()) return false;
    if (!c.Accept(';') && !c.Accept(',') && !c.AtEndOfStatement()) return false;
    return PrintItems(c, true, true);
  }
  return PrintItems(c, false, true);
}

// INPUT [;] ["prompt" ; | "prompt" ,] target [, target ...]
// INPUT # file, target [, target ...]
//
//   u8 0 | u8 new-line flag (0 after "INPUT;", else 1) | prompt flag and
//          prompt expr (see Prompt) | target items | u8 0
//   u8 1 | file expr | target items | u8 0
bool CompileInput(LineCompiler& c) {
  if (c.Accept('#')) return c.out.Put8(1) && c.Expression() && c.Accept(',') && Targets(c);
  const bool semicolon = c.Accept(';');
  return c.out.Put8(0) && c.out.Put8(semicolon ? 0 : 1) && Prompt(c) && Targets(c);
}

// LINE INPUT ["prompt" ; | ,] target | LINE INPUT # file, target   (code 63)
//   u8 0 | prompt flag and prompt expr | target
//   u8 1 | file expr | target
// LINE EDIT [default$ ,] ["prompt" ; | ,] target                  (code 62)
//   u8 default flag (1 when given) | u8 prompt flag (as above)
//   [default expr] | [prompt expr] | target
// LINE , arguments                                                (code 64)
//   graphics list
// LINE (x, y) - (x, y) ...; BOX, HLINE                            (code 199)
//   u8 1 | graphics list
// LINE row, col, width, height [, style [, colour]]               (code 199)
//   u8 0 | row, col, width, height exprs | style expr (0) | colour expr (item 128)
bool CompileLineWord(LineCompiler& c) {
  if (c.token != stmt::kLine) {  // BOX, HLINE
    c.code = stmt::kLine;
    return c.out.Put8(1) && GraphicsList(c);
  }
  if (c.AcceptWord(stmt::kInput)) {
    c.code = stmt::kLineInput;
    if (c.Accept('#')) return c.out.Put8(1) && c.Expression() && c.Accept(',') && c.Target();
    return c.out.Put8(0) && Prompt(c) && c.Target();
  }
  if (c.AcceptWord(stmt::kEdit)) {
    c.code = stmt::kLineEdit;
    const size_t flags = c.out.Reserve(2);
    if (c.out.Failed()) return false;
    // A lone target needs neither default nor prompt.
    const size_t save = c.pos, saveOut = c.Here();
    if (c.Target() && c.AtEndOfStatement()) return true;
    c.pos = save;
    c.out.Truncate(saveOut);
    const bool quoted = c.Peek() == '"';
    if (!c.Expression()) return false;
    if (quoted && c.Accept(';')) {
      c.out.Patch8(flags + 1, 1);  // that was the prompt
      return c.Target();
    }
    if (!c.Accept(',')) return false;
    c.out.Patch8(flags, 1);  // that was the default
    if (c.Peek() == '"') {
      if (!c.Expression()) return false;
      if (c.Accept(';')) c.out.Patch8(flags + 1, 1);
      else if (c.Accept(',')) c.out.Patch8(flags + 1, 2);
      else return false;
    }
    return c.Target();
  }
  if (c.Accept(',')) {
    c.code = stmt::kLineList;
    return GraphicsList(c);
  }
  if (c.Peek() == '(') return c.out.Put8(1) && GraphicsList(c);
  return c.out.Put8(0) && CompilePattern(c, kConsoleLinePattern);
}

// GET # file, record       (code 44)   file expr | record expr
// GET (x, y) ...; HGET     (code 195)  graphics list
// GET target               (code 45)   target
bool CompileGet(LineCompiler& c) {
  if (c.token == tok::kHget || c.Peek() == '(') {
    c.code = stmt::kGetGraphics;
    return GraphicsList(c);
  }
  if (c.Accept('#')) return c.Expression() && c.Accept(',') && c.Expression();
  c.code = stmt::kGetKey;
  return c.Target();
}

// PUT # file, record       (code 89)   file expr | record expr
// PUT (x, y) ...; HPUT     (code 209)  graphics list
bool CompilePut(LineCompiler& c) {
  if (c.token == tok::kHput || c.Peek() == '(') {
    c.code = stmt::kPutGraphics;
    return GraphicsList(c);
  }
  return c.Accept('#') && c.Expression() && c.Accept(',') && c.Expression();
}

// CMD n [, items]
//
//   file expr | PRINT items ... u8 0 (no items and no new line without any)
bool CompileCmd(LineCompiler& c) {
  if (!c.Expression()) return false;
  if (!c.Accept(',')) return c.out.Put8(0);
  return PrintItems(c, false, false);
}

// COLOR [text] [, background]  (code 16): text expr (item 128) | background expr (item 129)
// COLOR = ..., HCOLOR [=] ...   (code 203): graphics list
bool CompileColor(LineCompiler& c) {
  if (c.token == tok::kHcolor || c.token == stmt::kPcolor || c.Accept('=')) {
    c.code = stmt::kPcolor;
    c.Accept('=');
    return GraphicsList(c);
  }
  return CompilePattern(c, "i128,i129");
}

// CLR (code 212): no operands
// CLR row, col, width, height (code 14): four exprs
bool CompileClr(LineCompiler& c) {
  if (c.AtEndOfStatement()) {
    c.code = stmt::kClrVariables;
    return true;
  }
  return CompilePattern(c, "e,e,e,e");
}

// ASK word target; SET word expr
//
//   u8 word: 1 BACK, BACKGROUND [COLOR]; 2 COLOR; 3 ZONEWIDTH; 4 VOLUME;
//            5 PRINTER
//   ASK: target            SET: expr
bool CompileAskSet(LineCompiler& c) {
  uint8_t word;
  if (c.AcceptWord(tok::kBackground) || c.AcceptWord(tok::kBack)) {
    word = 1;
    c.AcceptWord(stmt::kColor);
  } else if (c.AcceptWord(stmt::kColor)) {
    word = 2;
  } else if (c.AcceptWord(tok::kZoneWidth)) {
    word = 3;
  } else if (c.AcceptWord(stmt::kVolume)) {
    word = 4;
  } else if (c.AcceptWord(stmt::kPrinter)) {
    word = 5;
  } else {
    return false;
  }
  if (!c.out.Put8(word)) return false;
  return c.code == stmt::kAsk ? c.Target() : c.Expression();
}

// GRAPH [arguments]; HGR, HGR2, GR; TEXT
//
//   u8 mode (2 GRAPH, 1 HGR/HGR2/GR, 0 TEXT) | graphics list (empty but for GRAPH)
bool CompileGraph(LineCompiler& c) {
  if (c.token == tok::kHgr) return c.out.Put8(1) && c.out.Put8(0);
  if (c.token == tok::kText) return c.out.Put8(0) && c.out.Put8(0);
  return c.out.Put8(2) && GraphicsList(c);
}

// PSET, HSET, PLOT x, y [, colour]; PRESET, HRESET
//
//   u8 form (0 set, 1 reset) | graphics list
bool CompilePset(LineCompiler& c) {
  return c.out.Put8(c.token == tok::kPreset ? 1 : 0) && GraphicsList(c);
}

// The graphics statements that answer "?Not supported" after evaluating
// their arguments (CHORD, CIRCLE, HLIN, HPLOT, PAINT, PCLR, PCLS, PIE, VLIN)
//
//   graphics list
bool CompileGraphics(LineCompiler& c) { return GraphicsList(c); }

// keyword [[#] expr [, [#] expr ...]]: the statements whose arguments are a
// plain list of expressions (CALL, SCREEN, CLOSE-like lists, and the
// statements that only answer "?Not supported")
//
//   u8 count (0..255) | expressions
bool CompileGenericList(LineCompiler& c) {
  const size_t countAt = c.out.Reserve(1);
  if (c.out.Failed()) return false;
  int count = 0;
  if (!c.AtEndOfStatement()) {
    do {
      c.Accept('#');
      if (++count > 255 || !c.Expression()) return false;
    } while (c.Accept(','));
  }
  c.out.Patch8(countAt, static_cast<uint8_t>(count));
  return true;
}

// LOG [ON | OFF] [expr [, expr ...]]
//
//   u8 word (1 ON, 0 OFF, 2 neither) | u8 count | expressions
bool CompileSwitchedList(LineCompiler& c) {
  uint8_t word = 2;
  if (c.AcceptWord(stmt::kOn)) word = 1;
  else if (c.AcceptWord(tok::kOff)) word = 0;
  if (!c.out.Put8(word)) return false;
  c.Accept(',');
  return CompileGenericList(c);
}

// keyword expr: one expression
bool CompileOneExpression(LineCompiler& c) { return c.Expression(); }

// WORK [volume$]: u8 0, or u8 1 | expr
bool CompileOptionalExpression(LineCompiler& c) {
  if (c.AtEndOfStatement()) return c.out.Put8(0);
  return c.out.Put8(1) && c.Expression();
}

}  // namespace torvic
