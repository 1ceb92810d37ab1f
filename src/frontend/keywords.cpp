#include "frontend/keywords.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "expr/function_table.h"

namespace torvic {

namespace {

// The keyword table, in table order. Several names may carry one token.
// Ties of equal matched length go to the first entry, so the order matters.
constexpr KeywordEntry kKeywords[] = {
    // Statement keywords
    {"abort", stmt::kAbort},
    {"about", stmt::kAbout},
    {"ask", stmt::kAsk},
    {"attach", stmt::kAttach},
    {"attrib", stmt::kAttrib},
    {"backup", stmt::kBackup},
    {"beep", stmt::kBeep},
    {"bkoff", stmt::kBkoff},
    {"bkon", stmt::kBkon},
    {"break", tok::kBreak},
    {"call", stmt::kCall},
    {"chain", stmt::kChain},
    {"clear", stmt::kClear},
    {"close", stmt::kClose},
    {"clr", stmt::kClr},
    {"cls", stmt::kCls},
    {"color", stmt::kColor},
    {"confirm", stmt::kConfirm},
    {"const", stmt::kConst},
    {"cont", stmt::kCont},
    {"copy", stmt::kCopy},
    {"cursor", stmt::kCursor},
    {"cv", stmt::kVolume},
    {"data", stmt::kData},
    {"del", stmt::kDel},
    {"delete", stmt::kDelete},
    {"detach", stmt::kDetach},
    {"dim", stmt::kDim},
    {"dir", stmt::kDir},
    {"dload", stmt::kDload},
    {"dsave", stmt::kDsave},
    {"dump", stmt::kDump},
    {"edit", stmt::kEdit},
    {"else", stmt::kElse},
    {"end", stmt::kEnd},
    {"erase", stmt::kErase},
    {"error", stmt::kError},
    {"exec", stmt::kExec},
    {"exit", stmt::kExit},
    {"field", stmt::kField},
    {"files", stmt::kFiles},
    {"for", stmt::kFor},
    {"frame", stmt::kFrame},
    {"get", stmt::kGet},
    {"goif", stmt::kGoif},
    {"gosub", stmt::kGosub},
    {"goto", stmt::kGoto},
    {"help", stmt::kHelp},
    {"htab", stmt::kHtab},
    {"if", stmt::kIf},
    {"init", stmt::kInit},
    {"input", stmt::kInput},
    {"insert", stmt::kInsert},
    {"inverse", stmt::kInverse},
    {"invert", stmt::kInvert},
    {"keep", stmt::kKeep},
    {"kill", stmt::kKill},
    {"let", stmt::kLet},
    {"line", stmt::kLine},
    {"list", stmt::kList},
    {"load", stmt::kLoad},
    {"loadr", stmt::kLoadr},
    {"locate", stmt::kLocate},
    {"lock", stmt::kLock},
    {"lset", stmt::kLset},
    {"merge", stmt::kMerge},
    {"mid$", stmt::kMid},
    {"move", stmt::kMove},
    {"new", stmt::kNew},
    {"next", stmt::kNext},
    {"num", stmt::kNumber},
    {"number", stmt::kNumber},
    {"old", stmt::kOld},
    {"on", stmt::kOn},
    {"open", stmt::kOpen},
    {"option", stmt::kOption},
    {"poke", stmt::kPoke},
    {"pop", stmt::kPop},
    {"print", stmt::kPrint},
    {"push", stmt::kPush},
    {"put", stmt::kPut},
    {"randomize", stmt::kRandomize},
    {"read", stmt::kRead},
    {"redim", stmt::kRedim},
    {"rem", stmt::kRem},
    {"rename", stmt::kRename},
    {"renum", stmt::kRenum},
    {"reopen", stmt::kReopen},
    {"reset", stmt::kReset},
    {"restore", stmt::kRestore},
    {"resume", stmt::kResume},
    {"return", stmt::kReturn},
    {"rewind", stmt::kRewind},
    {"rset", stmt::kRset},
    {"run", stmt::kRun},
    {"save", stmt::kSave},
    {"screen", stmt::kScreen},
    {"secure", stmt::kSecure},
    {"seek", stmt::kSeek},
    {"select", stmt::kSelect},
    {"set", stmt::kSet},
    {"sound", stmt::kSound},
    {"stop", stmt::kStop},
    {"sys", stmt::kSys},
    {"timer", stmt::kTimer},
    {"trace", tok::kTrace},
    {"troff", stmt::kTroff},
    {"tron", stmt::kTron},
    {"truncate", stmt::kTruncate},
    {"unload", stmt::kUnload},
    {"unlock", stmt::kUnlock},
    {"ver", stmt::kVer},
    {"volini", stmt::kVolini},
    {"volume", stmt::kVolume},
    {"volumes", stmt::kVolumes},
    {"vtab", stmt::kVtab},
    {"wait", stmt::kWait},
    {"write", stmt::kWrite},
    {"llist", stmt::kLlist},
    {"lprint", stmt::kLprint},
    {"pcp", stmt::kPcp},
    {"printer", stmt::kPrinter},
    {"printer?", stmt::kPrinterQuery},
    {"printers", stmt::kPrinters},
    {"append", stmt::kAppend},
    {"assert", stmt::kAssert},
    {"auto", stmt::kAuto},
    {"build", stmt::kBuild},
    {"chksw", stmt::kChksw},
    {"chksyn", stmt::kChksyn},
    {"chkul", stmt::kChkul},
    {"create", stmt::kCreate},
    {"debug", stmt::kDebug},
    {"dec", stmt::kDec},
    {"fill", stmt::kFill},
    {"find", stmt::kFind},
    {"font", stmt::kFont},
    {"format", stmt::kFormat},
    {"hide", stmt::kHide},
    {"hscroll", stmt::kHscroll},
    {"inc", stmt::kInc},
    {"left$", stmt::kLeft},
    {"loadc", stmt::kLoadc},
    {"log", stmt::kLog},
    {"lsave", stmt::kLsave},
    {"mode", stmt::kMode},
    {"nobreak", stmt::kNobreak},
    {"pause", stmt::kPause},
    {"profile", stmt::kProfile},
    {"prompt", stmt::kPrompt},
    {"remark", stmt::kRemark},
    {"right$", stmt::kRight},
    {"runr", stmt::kRunr},
    {"savec", stmt::kSavec},
    {"search", stmt::kSearch},
    {"split", stmt::kSplit},
    {"splitname", stmt::kSplitname},
    {"swap", stmt::kSwap},
    {"unhide", stmt::kUnhide},
    {"unremark", stmt::kUnremark},
    {"vscroll", stmt::kVscroll},
    {"xcopy", stmt::kXcopy},
    {"xmove", stmt::kXmove},
    {"chord", stmt::kChord},
    {"circle", stmt::kCircle},
    {"draw", stmt::kDraw},
    {"graph", stmt::kGraph},
    {"hlin", stmt::kHlin},
    {"hplot", stmt::kHplot},
    {"paint", stmt::kPaint},
    {"pclr", stmt::kPclr},
    {"pcls", stmt::kPcls},
    {"pcolor", stmt::kPcolor},
    {"pfont", stmt::kPfont},
    {"pie", stmt::kPie},
    {"pprint", stmt::kPprint},
    {"pset", stmt::kPset},
    {"vlin", stmt::kVlin},
    // Aliases and further statement words
    {"at", stmt::kLocate},
    {"bye", stmt::kExit},
    {"cat", stmt::kFiles},
    {"catalog", stmt::kFiles},
    {"cmd", stmt::kCmd},
    {"con", stmt::kCont},
    {"continue", stmt::kCont},
    {"fre", stmt::kInit},
    {"hcircle", stmt::kCircle},
    {"hcls", stmt::kPcls},
    {"hdraw", stmt::kDraw},
    {"hgr", tok::kHgr},
    {"hgr2", tok::kHgr},
    {"home", stmt::kCls},
    {"hpaint", stmt::kPaint},
    {"hreset", tok::kPreset},
    {"hset", stmt::kPset},
    {"noinverse", tok::kNormal},
    {"noreverse", tok::kNormal},
    {"notrace", stmt::kTroff},
    {"quit", stmt::kExit},
    {"renumber", stmt::kRenum},
    {"res", tok::kResequence},
    {"reverse", stmt::kInverse},
    {"unbreak", stmt::kNobreak},
    {"untrace", stmt::kTroff},
    {"dirr", stmt::kDirr},
    {"pdv", stmt::kPdv},
    {"poke$", stmt::kPokeString},
    {"recall", stmt::kRecall},
    {"start", stmt::kStart},
    {"title", stmt::kTitle},
    {"chkio", stmt::kChkio},
    {"load?", stmt::kLoadQuery},
    {"save?", stmt::kSaveQuery},
    {"dos", stmt::kDos},
    {"menu", stmt::kMenu},
    {"resize", stmt::kResize},
    {"restart", stmt::kRestart},
    {"pwork", stmt::kPwork},
    {"unnum", stmt::kUnnum},
    {"work", stmt::kWork},
    {"arc", stmt::kCircle},
    {"off", tok::kOff},
    {"asave", tok::kAsave},
    {"box", tok::kBox},
    {"bsave", tok::kBsave},
    {"concat", tok::kConcat},
    {"display", tok::kDisplay},
    {"gr", tok::kHgr},
    {"hcolor", tok::kHcolor},
    {"hget", tok::kHget},
    {"hline", tok::kHline},
    {"hput", tok::kHput},
    {"name", tok::kName},
    {"normal", tok::kNormal},
    {"plot", tok::kPlot},
    {"preset", tok::kPreset},
    {"resequence", tok::kResequence},
    {"system", tok::kSystem},
    {"text", tok::kText},
    {"type", tok::kType},
    // Abbreviations (the full stop is part of the name)
    {"at.", stmt::kAttrib},
    {"b.", stmt::kBackup},
    {"c.", stmt::kCopy},
    {"h.", stmt::kHelp},
    {"k.", stmt::kKill},
    {"l.", stmt::kLoad},
    {"m.", stmt::kMove},
    {"me.", stmt::kMerge},
    {"r.", stmt::kRename},
    {"s.", stmt::kSave},
    {"v.", stmt::kVolume},
    {"a.", stmt::kAppend},
    {"cr.", stmt::kCreate},
    // Secondary words
    {"as", 1000},
    {"back", 1001},
    {"background", 1002},
    {"base", 1003},
    {"cap", 1004},
    {"def", 1005},
    {"echo", 1006},
    {"explicit", 1007},
    {"go", 1008},
    {"nocap", 1009},
    {"nolet", 1010},
    {"output", 1011},
    {"password", 1012},
    {"preserve", 1013},
    {"random", 1014},
    {"step", 1015},
    {"sub", 1016},
    {"then", 1017},
    {"to", 1018},
    {"using", 1019},
    {"vchar", 1020},
    {"zonewidth", 1021},
    // Function-like words
    {"fn", 1100},
    {"len", 1101},
    {"usr", 1102},
    // Operator words
    {"and", 2000},
    {"col", 2002},
    {"div", 2009},
    {"eqv", 2004},
    {"ers", 2005},
    {"ext", 2006},
    {"imp", 2007},
    {"ivs", 2008},
    {"mod", 2010},
    {"not", 2011},
    {"or", 2014},
    {"spc", 2017},
    {"tab", 2018},
    {"xor", 2019},
};

inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Case-insensitive comparison of `word` (lower case) with text at pos, over
// the length of the word only.
bool MatchesAt(std::string_view text, size_t pos, std::string_view word) {
  if (pos > text.size() || text.size() - pos < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[pos + i]) != word[i]) return false;
  return true;
}

size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

// "mid$", "left$", "right$", "poke$": the letters, any spaces, then "$".
// Returns the matched length or 0.
size_t MatchDollarName(std::string_view text, size_t pos, std::string_view name) {
  std::string_view letters = name.substr(0, name.size() - 1);
  if (!MatchesAt(text, pos, letters)) return 0;
  size_t p = SkipSpaces(text, pos + letters.size());
  if (p < text.size() && text[p] == '$') return p + 1 - pos;
  return 0;
}

bool IsDollarStatement(int token) {
  return token == stmt::kMid || token == stmt::kLeft || token == stmt::kRight ||
         token == stmt::kPokeString;
}

// The rows of a table grouped by the first character of their names, each
// group in table order (so that ties still go to the first row): a lookup
// reads only the rows that can match, with their names' lengths at hand.
class FirstCharacterIndex {
 public:
  struct Candidate {
    std::string_view name;
    uint16_t row;
  };

  template <typename Row>
  explicit FirstCharacterIndex(std::span<const Row> rows) {
    for (const Row& r : rows) ++start_[static_cast<unsigned char>(r.name[0]) + 1];
    for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    candidates_.resize(rows.size());
    std::array<uint16_t, 257> next = start_;
    for (size_t i = 0; i < rows.size(); ++i)
      candidates_[next[static_cast<unsigned char>(rows[i].name[0])]++] =
          Candidate{rows[i].name, static_cast<uint16_t>(i)};
  }
  // The rows whose names start with `c`.
  std::span<const Candidate> StartingWith(char c) const {
    const auto u = static_cast<unsigned char>(c);
    return std::span<const Candidate>(candidates_).subspan(start_[u], start_[u + 1] - start_[u]);
  }

 private:
  std::array<uint16_t, 257> start_{};
  std::vector<Candidate> candidates_;
};

const FirstCharacterIndex& KeywordIndex() {
  static const FirstCharacterIndex index{std::span<const KeywordEntry>(kKeywords)};
  return index;
}

const FirstCharacterIndex& FunctionIndex() {
  static const FirstCharacterIndex index{FunctionTable()};
  return index;
}

}  // namespace

std::span<const KeywordEntry> KeywordTable() { return kKeywords; }

int KeywordAt(std::string_view text, size_t& pos) {
  // LINES is its own statement unless the text reads LINESTEP (LINE STEP).
  if (MatchesAt(text, pos, "lines") && !MatchesAt(text, pos + 5, "tep")) {
    pos += 5;
    return stmt::kLines;
  }
  if (pos >= text.size()) return tok::kNone;
  // Every name matches from its first letter on: only the entries with
  // this first letter are read.
  size_t bestLength = 0;
  int bestToken = tok::kNone;
  for (const auto& [name, row] : KeywordIndex().StartingWith(Lower(text[pos]))) {
    const KeywordEntry& e = kKeywords[row];
    size_t length = 0;
    int token = e.token;
    if (IsDollarStatement(e.token)) {
      length = MatchDollarName(text, pos, name);
    } else if (e.token == tok::kGo) {
      // "go", any spaces, then "if", "sub" or "to": GO SUB is GOSUB. "go"
      // alone matches nothing.
      if (!MatchesAt(text, pos, "go")) continue;
      size_t p = SkipSpaces(text, pos + 2);
      if (MatchesAt(text, p, "if")) {
        length = p + 2 - pos, token = stmt::kGoif;
      } else if (MatchesAt(text, p, "sub")) {
        length = p + 3 - pos, token = stmt::kGosub;
      } else if (MatchesAt(text, p, "to")) {
        length = p + 2 - pos, token = stmt::kGoto;
      }
    } else if (MatchesAt(text, pos, name)) {
      length = name.size();
    }
    if (length > bestLength) {
      bestLength = length;
      bestToken = token;
    }
  }
  if (bestToken != tok::kNone) pos += bestLength;
  return bestToken;
}

int WordAt(std::string_view text, size_t& pos) {
  size_t p = SkipSpaces(text, pos);
  if (p >= text.size() || !(IsLetter(text[p]) || text[p] == '_')) return tok::kNone;
  int token = KeywordAt(text, p);
  if (token != tok::kNone) pos = p;
  return token;
}

int StatementKeywordAt(std::string_view line, size_t& pos) {
  size_t p = SkipSpaces(line, pos);
  if (p >= line.size()) return tok::kNone;
  char c = line[p];
  if (IsLetter(c) || c == '_') {
    int token = KeywordAt(line, p);
    pos = p;  // an assignment without LET starts at its target
    return token == tok::kNone ? stmt::kLet : token;
  }
  switch (c) {
    case '?': pos = p + 1; return stmt::kPrint;
    case '\'': pos = p + 1; return stmt::kRem;
    case '.': pos = p + 1; return stmt::kEdit;
    case '@': pos = p + 1; return stmt::kLocate;
    case '~': pos = p + 1; return stmt::kTilde;
    case '$': {
      size_t q = SkipSpaces(line, p + 1);
      struct Word {
        const char* name;
        int token;
      };
      static constexpr Word kDollarWords[] = {
          {"print", stmt::kDollarPrint}, {"xref", stmt::kXref}, {"color", stmt::kDollarColor}};
      for (const Word& w : kDollarWords) {
        if (MatchesAt(line, q, w.name)) {
          pos = q + std::string_view(w.name).size();
          return w.token;
        }
      }
      return tok::kNone;
    }
    case '"':
      // A line that is only a quoted program name runs it.
      for (size_t i = 0; i < p; ++i)
        if (line[i] != ' ') return tok::kNone;
      pos = p;
      return stmt::kRun;
    default: return tok::kNone;
  }
}

int FunctionNameAt(std::string_view text, size_t& pos) {
  std::span<const FunctionRow> table = FunctionTable();
  if (pos >= text.size()) return -1;
  size_t bestLength = 0;
  int bestRow = -1;
  for (const auto& [name, i] : FunctionIndex().StartingWith(Lower(text[pos]))) {  // as in KeywordAt
    size_t length = 0;
    if (table[i].stringResult && !name.empty() && name.back() == '$')
      length = MatchDollarName(text, pos, name);
    else if (MatchesAt(text, pos, name)) length = name.size();
    if (length > bestLength) {
      bestLength = length;
      bestRow = static_cast<int>(i);
    }
  }
  if (bestRow >= 0) pos += bestLength;
  return bestRow;
}

bool IdentifierMayStartAt(std::string_view text, size_t pos) {
  size_t p = pos;
  if (KeywordAt(text, p) != tok::kNone) return false;
  p = pos;
  return FunctionNameAt(text, p) < 0;
}

bool ReadIdentifier(std::string_view text, size_t& pos, std::string& name) {
  if (pos >= text.size() || !(IsLetter(text[pos]) || text[pos] == '_')) return false;
  name.clear();
  size_t p = pos;
  while (p < text.size() && (IsLetter(text[p]) || IsDigit(text[p]) || text[p] == '_')) {
    if (name.size() < kMaxNameLength) {
      char c = text[p];
      name.push_back((c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c);
    }
    ++p;
  }
  pos = p;
  return true;
}

}  // namespace torvic
