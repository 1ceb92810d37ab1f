#include "frontend/keywords.h"

#include <array>

#include "expr/function_table.h"

namespace torvic {

namespace {

// The keyword table, in table order. Several names may carry one token.
// Ties of equal matched length go to the first entry, so the order matters.
constexpr KeywordEntry kKeywords[] = {
    // Statement keywords
    {"abort", 1},
    {"about", 2},
    {"ask", 3},
    {"attach", 4},
    {"attrib", 5},
    {"backup", 6},
    {"beep", 7},
    {"bkoff", 8},
    {"bkon", 9},
    {"break", 258},
    {"call", 10},
    {"chain", 11},
    {"clear", 12},
    {"close", 13},
    {"clr", 14},
    {"cls", 15},
    {"color", 16},
    {"confirm", 17},
    {"const", 18},
    {"cont", 19},
    {"copy", 20},
    {"cursor", 21},
    {"cv", 123},
    {"data", 22},
    {"del", 24},
    {"delete", 25},
    {"detach", 26},
    {"dim", 27},
    {"dir", 28},
    {"dload", 29},
    {"dsave", 30},
    {"dump", 31},
    {"edit", 32},
    {"else", 33},
    {"end", 34},
    {"erase", 36},
    {"error", 37},
    {"exec", 38},
    {"exit", 39},
    {"field", 40},
    {"files", 41},
    {"for", 42},
    {"frame", 43},
    {"get", 44},
    {"goif", 46},
    {"gosub", 47},
    {"goto", 48},
    {"help", 50},
    {"htab", 51},
    {"if", 52},
    {"init", 53},
    {"input", 54},
    {"insert", 55},
    {"inverse", 56},
    {"invert", 57},
    {"keep", 58},
    {"kill", 59},
    {"let", 61},
    {"line", 199},
    {"list", 65},
    {"load", 66},
    {"loadr", 67},
    {"locate", 68},
    {"lock", 69},
    {"lset", 70},
    {"merge", 71},
    {"mid$", 72},
    {"move", 73},
    {"new", 74},
    {"next", 75},
    {"num", 76},
    {"number", 76},
    {"old", 77},
    {"on", 78},
    {"open", 82},
    {"option", 83},
    {"poke", 84},
    {"pop", 85},
    {"print", 86},
    {"push", 88},
    {"put", 89},
    {"randomize", 90},
    {"read", 91},
    {"redim", 92},
    {"rem", 93},
    {"rename", 95},
    {"renum", 96},
    {"reopen", 97},
    {"reset", 98},
    {"restore", 99},
    {"resume", 100},
    {"return", 101},
    {"rewind", 102},
    {"rset", 103},
    {"run", 104},
    {"save", 105},
    {"screen", 106},
    {"secure", 107},
    {"seek", 108},
    {"select", 109},
    {"set", 110},
    {"sound", 111},
    {"stop", 112},
    {"sys", 113},
    {"timer", 114},
    {"trace", 275},
    {"troff", 116},
    {"tron", 117},
    {"truncate", 118},
    {"unload", 119},
    {"unlock", 120},
    {"ver", 121},
    {"volini", 122},
    {"volume", 123},
    {"volumes", 124},
    {"vtab", 125},
    {"wait", 126},
    {"write", 127},
    {"llist", 129},
    {"lprint", 130},
    {"pcp", 133},
    {"printer", 134},
    {"printer?", 135},
    {"printers", 136},
    {"append", 144},
    {"assert", 147},
    {"auto", 148},
    {"build", 150},
    {"chksw", 151},
    {"chksyn", 152},
    {"chkul", 153},
    {"create", 155},
    {"debug", 157},
    {"dec", 158},
    {"fill", 159},
    {"find", 160},
    {"font", 161},
    {"format", 162},
    {"hide", 163},
    {"hscroll", 164},
    {"inc", 165},
    {"left$", 166},
    {"loadc", 167},
    {"log", 168},
    {"lsave", 169},
    {"mode", 170},
    {"nobreak", 172},
    {"pause", 173},
    {"profile", 174},
    {"prompt", 175},
    {"remark", 176},
    {"right$", 177},
    {"runr", 178},
    {"savec", 179},
    {"search", 180},
    {"split", 181},
    {"splitname", 182},
    {"swap", 184},
    {"unhide", 186},
    {"unremark", 187},
    {"vscroll", 188},
    {"xcopy", 189},
    {"xmove", 190},
    {"chord", 192},
    {"circle", 193},
    {"draw", 194},
    {"graph", 196},
    {"hlin", 197},
    {"hplot", 198},
    {"paint", 200},
    {"pclr", 201},
    {"pcls", 202},
    {"pcolor", 203},
    {"pfont", 204},
    {"pie", 205},
    {"pprint", 206},
    {"pset", 208},
    {"vlin", 210},
    // Aliases and further statement words
    {"at", 68},
    {"bye", 39},
    {"cat", 41},
    {"catalog", 41},
    {"cmd", 213},
    {"con", 19},
    {"continue", 19},
    {"fre", 53},
    {"hcircle", 193},
    {"hcls", 202},
    {"hdraw", 194},
    {"hgr", 263},
    {"hgr2", 263},
    {"home", 15},
    {"hpaint", 200},
    {"hreset", 271},
    {"hset", 208},
    {"noinverse", 269},
    {"noreverse", 269},
    {"notrace", 116},
    {"quit", 39},
    {"renumber", 96},
    {"res", 272},
    {"reverse", 56},
    {"unbreak", 172},
    {"untrace", 116},
    {"dirr", 218},
    {"pdv", 219},
    {"poke$", 220},
    {"recall", 221},
    {"start", 222},
    {"title", 223},
    {"chkio", 224},
    {"load?", 226},
    {"save?", 227},
    {"dos", 228},
    {"menu", 231},
    {"resize", 232},
    {"restart", 233},
    {"pwork", 245},
    {"unnum", 246},
    {"work", 247},
    {"arc", 193},
    {"off", 249},
    {"asave", 256},
    {"box", 257},
    {"bsave", 259},
    {"concat", 260},
    {"display", 262},
    {"gr", 263},
    {"hcolor", 264},
    {"hget", 265},
    {"hline", 266},
    {"hput", 267},
    {"name", 268},
    {"normal", 269},
    {"plot", 270},
    {"preset", 271},
    {"resequence", 272},
    {"system", 273},
    {"text", 274},
    {"type", 276},
    // Abbreviations (the full stop is part of the name)
    {"at.", 5},
    {"b.", 6},
    {"c.", 20},
    {"h.", 50},
    {"k.", 59},
    {"l.", 66},
    {"m.", 73},
    {"me.", 71},
    {"r.", 95},
    {"s.", 105},
    {"v.", 123},
    {"a.", 144},
    {"cr.", 155},
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

struct NameEntry {
  int code;
  const char* name;
};

// Listing names of the record codes (upper case).
constexpr NameEntry kStatementNames[] = {
    {1, "ABORT"},
    {2, "ABOUT"},
    {3, "ASK"},
    {4, "ATTACH"},
    {5, "ATTRIB"},
    {6, "BACKUP"},
    {7, "BEEP"},
    {8, "BKOFF"},
    {9, "BKON"},
    {10, "CALL"},
    {11, "CHAIN"},
    {12, "CLEAR"},
    {13, "CLOSE"},
    {14, "CLR"},
    {15, "CLS"},
    {16, "COLOR"},
    {17, "CONFIRM"},
    {18, "CONST"},
    {19, "CONT"},
    {20, "COPY"},
    {21, "CURSOR"},
    {22, "DATA"},
    {23, "DEF FN"},
    {24, "DEL"},
    {25, "DELETE"},
    {26, "DETACH"},
    {27, "DIM"},
    {28, "DIR"},
    {29, "DLOAD"},
    {30, "DSAVE"},
    {31, "DUMP"},
    {32, "EDIT"},
    {33, "ELSE"},
    {34, "END"},
    {35, "END IF"},
    {36, "ERASE"},
    {37, "ERROR"},
    {38, "EXEC"},
    {39, "EXIT"},
    {40, "FIELD"},
    {41, "FILES"},
    {42, "FOR"},
    {43, "FRAME"},
    {44, "GET"},
    {45, "GET"},
    {46, "GOIF"},
    {47, "GOSUB"},
    {48, "GOTO"},
    {49, "GOTO TIMER"},
    {50, "HELP"},
    {51, "HTAB"},
    {52, "IF"},
    {53, "INIT"},
    {54, "INPUT"},
    {55, "INSERT"},
    {56, "INVERSE"},
    {57, "INVERT"},
    {58, "KEEP"},
    {59, "KILL"},
    {60, "KILL #"},
    {61, "LET"},
    {62, "LINE EDIT"},
    {63, "LINE INPUT"},
    {64, "LINE ,"},
    {65, "LIST"},
    {66, "LOAD"},
    {67, "LOADR"},
    {68, "LOCATE"},
    {69, "LOCK"},
    {70, "LSET"},
    {71, "MERGE"},
    {72, "MID$"},
    {73, "MOVE"},
    {74, "NEW"},
    {75, "NEXT"},
    {76, "NUMBER"},
    {77, "OLD"},
    {78, "ON"},
    {79, "ON BREAK"},
    {80, "ON ERROR"},
    {81, "ON TIMER"},
    {82, "OPEN"},
    {83, "OPTION"},
    {84, "POKE"},
    {85, "POP"},
    {86, "PRINT"},
    {87, "PRINT USING"},
    {88, "PUSH"},
    {89, "PUT"},
    {90, "RANDOMIZE"},
    {91, "READ"},
    {92, "REDIM"},
    {93, "REM"},
    {94, "~"},
    {95, "RENAME"},
    {96, "RENUM"},
    {97, "REOPEN"},
    {98, "RESET"},
    {99, "RESTORE"},
    {100, "RESUME"},
    {101, "RETURN"},
    {102, "REWIND"},
    {103, "RSET"},
    {104, "RUN"},
    {105, "SAVE"},
    {106, "SCREEN"},
    {107, "SECURE"},
    {108, "SEEK"},
    {109, "SELECT"},
    {110, "SET"},
    {111, "SOUND"},
    {112, "STOP"},
    {113, "SYS"},
    {114, "TIMER"},
    {115, "TIMER ="},
    {116, "TROFF"},
    {117, "TRON"},
    {118, "TRUNCATE"},
    {119, "UNLOAD"},
    {120, "UNLOCK"},
    {121, "VER"},
    {122, "VOLINI"},
    {123, "VOLUME"},
    {124, "VOLUMES"},
    {125, "VTAB"},
    {126, "WAIT"},
    {127, "WRITE"},
    {128, "CLOSE PRINTER"},
    {129, "LLIST"},
    {130, "LPRINT"},
    {131, "LPRINT USING"},
    {132, "OPEN PRINTER"},
    {133, "PCP"},
    {134, "PRINTER"},
    {135, "PRINTER?"},
    {136, "PRINTERS"},
    {144, "APPEND"},
    {145, "APPEND"},
    {146, "APPEND"},
    {147, "ASSERT"},
    {148, "AUTO"},
    {149, "BREAK"},
    {150, "BUILD"},
    {151, "CHKSW"},
    {152, "CHKSYN"},
    {153, "CHKUL"},
    {154, "COPY"},
    {155, "CREATE"},
    {156, "CREATE"},
    {157, "DEBUG"},
    {158, "DEC"},
    {159, "FILL"},
    {160, "FIND"},
    {161, "FONT"},
    {162, "FORMAT"},
    {163, "HIDE"},
    {164, "HSCROLL"},
    {165, "INC"},
    {166, "LEFT$"},
    {167, "LOADC"},
    {168, "LOG"},
    {169, "LSAVE"},
    {170, "MODE"},
    {171, "MOVE"},
    {172, "NOBREAK"},
    {173, "PAUSE"},
    {174, "PROFILE"},
    {175, "PROMPT"},
    {176, "REMARK"},
    {177, "RIGHT$"},
    {178, "RUNR"},
    {179, "SAVEC"},
    {180, "SEARCH"},
    {181, "SPLIT"},
    {182, "SPLITNAME"},
    {183, "STEP"},
    {184, "SWAP"},
    {185, "SWAP"},
    {186, "UNHIDE"},
    {187, "UNREMARK"},
    {188, "VSCROLL"},
    {189, "XCOPY"},
    {190, "XMOVE"},
    {192, "CHORD"},
    {193, "CIRCLE"},
    {194, "DRAW"},
    {195, "GET"},
    {196, "GRAPH"},
    {197, "HLIN"},
    {198, "HPLOT"},
    {199, "LINE"},
    {200, "PAINT"},
    {201, "PCLR"},
    {202, "PCLS"},
    {203, "PCOLOR"},
    {204, "PFONT"},
    {205, "PIE"},
    {206, "PPRINT"},
    {207, "PPRINT USING"},
    {208, "PSET"},
    {209, "PUT"},
    {210, "VLIN"},
    {212, "CLR"},
    {213, "CMD"},
    {215, "$PRINT"},
    {216, "$XREF"},
    {218, "DIRR"},
    {219, "PDV"},
    {220, "POKE$"},
    {221, "RECALL"},
    {222, "START"},
    {223, "TITLE"},
    {224, "CHKIO"},
    {225, "LINES"},
    {226, "LOAD?"},
    {227, "SAVE?"},
    {228, "DOS"},
    {231, "MENU"},
    {232, "RESIZE"},
    {233, "RESTART"},
    {234, "$COLOR"},
    {244, "DEF USR"},
    {245, "PWORK"},
    {246, "UNNUM"},
    {247, "WORK"},
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
  return token == 72 || token == 166 || token == 177 || token == 220;
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
  // Every name matches from its first letter on: entries with another first
  // letter are passed over before their length is even taken.
  const char first = Lower(text[pos]);
  size_t bestLength = 0;
  int bestToken = tok::kNone;
  for (const KeywordEntry& e : kKeywords) {
    if (e.name[0] != first) continue;
    std::string_view name(e.name);
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
    case '~': pos = p + 1; return stmt::kRemark94;
    case '$': {
      size_t q = SkipSpaces(line, p + 1);
      struct Word {
        const char* name;
        int token;
      };
      static constexpr Word kDollarWords[] = {{"print", 215}, {"xref", 216}, {"color", 234}};
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
  const char first = Lower(text[pos]);  // as in KeywordAt
  size_t bestLength = 0;
  int bestRow = -1;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name[0] != first) continue;
    std::string_view name(table[i].name);
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

namespace {

// The listing names by code, indexed once at compile time: listing and
// every error message look names up by code.
template <size_t N>
constexpr std::array<const char*, 256> IndexByCode(const NameEntry (&entries)[N]) {
  std::array<const char*, 256> byCode{};
  for (const NameEntry& e : entries)
    if (e.code >= 0 && e.code < 256 && !byCode[e.code]) byCode[e.code] = e.name;
  return byCode;
}

constexpr auto kStatementNameByCode = IndexByCode(kStatementNames);

}  // namespace

const char* StatementListingName(int recordCode) {
  return recordCode >= 0 && recordCode < 256 ? kStatementNameByCode[recordCode] : nullptr;
}

int DefaultRecordCode(int token) {
  // Tokens 256..276 exist only in the keyword table and always compile into
  // a record code below 256.
  switch (token) {
    case 256: return 105;  // ASAVE -> SAVE
    case 257: return 199;  // BOX -> LINE
    case 258: return 149;  // BREAK
    case 259: return 105;  // BSAVE -> SAVE
    case 260: return 144;  // CONCAT -> APPEND
    case 262: return 86;   // DISPLAY -> PRINT
    case 263: return 196;  // GR, HGR, HGR2 -> GRAPH
    case 264: return 203;  // HCOLOR -> PCOLOR
    case 265: return 195;  // HGET -> GET (graphics)
    case 266: return 199;  // HLINE -> LINE
    case 267: return 209;  // HPUT -> PUT (graphics)
    case 268: return 95;   // NAME -> RENAME
    case 269: return 56;   // NORMAL, NOINVERSE, NOREVERSE -> INVERSE
    case 270: return 208;  // PLOT -> PSET
    case 271: return 208;  // PRESET, HRESET -> PSET
    case 272: return 96;   // RESEQUENCE, RES -> RENUM
    case 273: return 34;   // SYSTEM -> END
    case 274: return 196;  // TEXT -> GRAPH
    case 275: return 117;  // TRACE -> TRON
    case 276: return 31;   // TYPE -> DUMP
    default: break;
  }
  if (token >= 1 && token < 256 && token != tok::kOff) return token;
  return -1;
}

}  // namespace torvic
