// Keywords and tokens: the one keyword table and the one matching rule. The
// record codes, their names and listing names are the statement table's
// (statements.h).
//
// Matching is by longest case-insensitive prefix with no word-boundary test:
// PRINTX begins with "print", LETTER=5 is LET with TER=5. Among entries of
// equal matched length the first one in table order wins.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "frontend/statements.h"

namespace torvic {

// Token classes of the keyword table.
namespace tok {
inline constexpr int kNone = -1;
// Statement keywords are 1..276; below 256 they double as record codes
// (stmt::k..., statements.h), above it they are the aliases (tok::k...).
inline constexpr int kFirstSecondary = 1000;  // secondary words 1000..1021
inline constexpr int kAs = 1000, kBack = 1001, kBackground = 1002, kBase = 1003, kCap = 1004,
                     kDef = 1005, kEcho = 1006, kExplicit = 1007, kGo = 1008, kNoCap = 1009,
                     kNoLet = 1010, kOutput = 1011, kPassword = 1012, kPreserve = 1013,
                     kRandom = 1014, kStep = 1015, kSub = 1016, kThen = 1017, kTo = 1018,
                     kUsing = 1019, kVChar = 1020, kZoneWidth = 1021;
inline constexpr int kFn = 1100, kLen = 1101, kUsr = 1102;  // function-like words
// Operator words 2000..2019.
inline constexpr int kAnd = 2000, kCol = 2002, kDiv = 2009, kEqv = 2004, kErs = 2005, kExt = 2006,
                     kImp = 2007, kIvs = 2008, kMod = 2010, kNot = 2011, kOr = 2014, kSpc = 2017,
                     kTab = 2018, kXor = 2019;
inline constexpr int kOff = 249;  // serves after TRACE and BREAK; no statement form
}  // namespace tok

// The keyword table in table order: statement keywords 1..276 (with their
// aliases and abbreviations), secondary words, "fn", "len", "usr" and the
// operator words. Several names may carry one token.
struct KeywordEntry {
  const char* name;  // lower case, at most 10 characters
  int token;
};
std::span<const KeywordEntry> KeywordTable();

// Keyword at position: the longest match of the keyword table at text[pos].
// On success pos moves past the matched text (including the spaces that the
// "go" and "$" rules let through) and the token is returned; on failure pos is
// unchanged and -1 is returned.
int KeywordAt(std::string_view text, size_t& pos);

// Word at position: skips spaces; if the next character is not a letter or
// "_" yields -1 without consuming anything; otherwise KeywordAt. Used to
// test for a secondary word such as TO.
int WordAt(std::string_view text, size_t& pos);

// The token of the statement that starts at pos (spaces are skipped first),
// by the first character: a letter or "_" gives the keyword (or 61, LET, when
// there is none); "?" PRINT, "'" REM, "." EDIT, "@" LOCATE, "~" 94, "$" the
// $PRINT/$XREF/$COLOR words, a double quote RUN (only when nothing but spaces
// precedes it on the whole line). -1 means a syntax error. The text is the
// whole line.
int StatementKeywordAt(std::string_view line, size_t& pos);

// The built-in function name at position: the longest match over the function
// table (a "$" name matches its letters, then any spaces, then "$"). Returns
// the index of the matched row in FunctionTable(), or -1; pos moves past the
// match on success.
int FunctionNameAt(std::string_view text, size_t& pos);

// True when neither a keyword nor a function name matches at pos: only then
// may an identifier (variable, array) start there.
bool IdentifierMayStartAt(std::string_view text, size_t pos);

// Reads an identifier at pos (a letter or "_", then letters, digits, "_"):
// upper-cased and cut to 31 significant characters; pos moves past all of
// it. Returns false (pos unchanged) when no identifier starts there.
inline constexpr size_t kMaxNameLength = 31;
bool ReadIdentifier(std::string_view text, size_t& pos, std::string& name);

}  // namespace torvic
