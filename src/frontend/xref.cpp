#include "frontend/xref.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "base/codebytes.h"
#include "expr/function_table.h"
#include "frontend/compiled_line.h"
#include "frontend/keywords.h"
#include "frontend/reference_chains.h"

namespace torvic {

namespace {

// ---------------------------------------------------------------------------
// Mode names

struct ModeName {
  std::string_view name;
  int mode;
};
// In matching order: the first name the operand is a prefix of decides.
constexpr ModeName kModeNames[] = {
    {"LINES", 0},     {"0", 0},          {"1", 0},      {"LABELS", 1},    {"*", 1},
    {"VARIABLES", 2}, {"VARS", 2},       {"DEFFNS", 3}, {"DEF FNS", 3},   {"FNS", 3},
    {"DEFFN", 3},     {"DEF FN", 3},     {"FN", 3},     {"CONSTANTS", 4}, {"CONSTS", 4},
    {"CONST", 4},     {"STATEMENTS", 5}, {"STMTS", 5},  {"FUNCTIONS", 6}, {"FUNCS", 6},
    {"FNCS", 6},
};

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// ---------------------------------------------------------------------------
// Collation

bool Ignorable(uint8_t c) { return c == '-' || c == '\''; }

int PrimaryWeight(uint8_t c) {
  if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 32);
  if (c >= 'A' && c <= 'Z') return 300 + (c - 'A');
  if (c >= '0' && c <= '9') return 200 + (c - '0');
  if (c < 128) return c;
  return 400 + c;
}

// The characters that weigh at the first level.
std::string Weighed(std::string_view s) {
  std::string out;
  for (char c : s)
    if (!Ignorable(static_cast<uint8_t>(c))) out.push_back(c);
  return out;
}

// ---------------------------------------------------------------------------
// Entries

struct Reference {
  int32_t line;
  bool definition;
};

struct Entry {
  std::string sortName;  // the stored name the order is taken from
  std::string printed;   // how the entry starts its output line
  std::vector<Reference> references;
};

// Entries in order of first appearance, found by an identity key.
class EntryTable {
 public:
  void Add(const std::string& identity, std::string_view sortName, std::string_view printed,
           int32_t line, bool definition) {
    auto [it, inserted] = index_.try_emplace(identity, entries_.size());
    if (inserted) entries_.push_back(Entry{std::string(sortName), std::string(printed), {}});
    std::vector<Reference>& refs = entries_[it->second].references;
    // A line is listed once per entry; a definition anywhere in it marks it.
    if (refs.empty() || refs.back().line != line) refs.push_back(Reference{line, definition});
    else if (definition) refs.back().definition = true;
  }

  std::vector<std::string> Lines() {
    // A stable sort keeps equal names in order of first appearance, as
    // inserting each new entry before the first greater one would.
    std::stable_sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
      return CompareXrefNames(a.sortName, b.sortName) < 0;
    });
    std::vector<std::string> lines;
    for (const Entry& e : entries_) {
      std::string text = e.printed + " : ";
      for (size_t i = 0; i < e.references.size(); ++i) {
        if (i) text += ',';
        text += std::to_string(e.references[i].line);
        if (e.references[i].definition) text += '*';
      }
      lines.push_back(std::move(text));
    }
    return lines;
  }

 private:
  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// One line's code, read with bounds.
struct LineCode {
  const uint8_t* code;
  size_t length;
  bool Has(size_t at, size_t n) const { return at <= length && n <= length - at; }
  // A name field at `at`: u8 length | name | u8 0.
  bool Name(size_t at, std::string_view& name) const {
    if (!Has(at, 1)) return false;
    const size_t n = code[at];
    if (!Has(at + 1, n + 1) || code[at + 1 + n] != 0) return false;
    name = std::string_view(reinterpret_cast<const char*>(code + at + 1), n);
    return true;
  }
};

class XrefBuilder {
 public:
  XrefBuilder(bool capitals, const DamagedLineReport& onDamaged)
      : capitals_(capitals), onDamaged_(onDamaged) {}

  std::string Shown(std::string_view name) const {
    std::string s(name);
    if (!capitals_)
      for (char& c : s) c = Lower(c);
    return s;
  }

  void Damaged(const ProgramLine& line) {
    if (onDamaged_) onDamaged_(line);
  }

  // Mode 1. Label items, from their link:
  //   u16 link | u8 definition flag | u8 length | name | u8 0
  void Labels(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    for (size_t at : ChainItems(c.code, c.length, Chain::Label, 4, &damaged)) {
      std::string_view name;
      if (!c.Name(at + 3, name)) {
        damaged = true;
        break;
      }
      table_.Add(std::string(name), name, "*" + Shown(name), line.SignedNumber(),
                 c.code[at + 2] == 1);
    }
    if (damaged) Damaged(line);
  }

  // Mode 2. Variable items (expr/expression_code.h), from their link, the item code
  // in the byte before it:
  //   5: u16 link | u8 flag | u8 letter index
  //   6..9: u16 link | u8 flag | u8 length | name | u8 0
  // (6 numeric, 7 string, 8 numeric array element, 9 string array element)
  void Variables(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    for (size_t at : ChainItems(c.code, c.length, Chain::Variable, 4, &damaged)) {
      const uint8_t kind = c.code[at - 1];
      std::string name;
      if (kind == 5) {
        const uint8_t letter = c.code[at + 3];
        if (letter >= 26) {
          damaged = true;  // reported; the other items still count
          continue;
        }
        name = std::string(1, static_cast<char>('A' + letter));
      } else if (kind >= 6 && kind <= 9) {
        std::string_view n;
        if (!c.Name(at + 3, n)) {
          damaged = true;
          break;
        }
        name = std::string(n);
      } else {
        damaged = true;
        continue;
      }
      const bool isString = kind == 7 || kind == 9;
      const bool isArray = kind == 8 || kind == 9;
      const std::string printed = Shown(name) + (isString ? "$" : "") + (isArray ? "()" : "");
      const char kindKey = static_cast<char>('0' + (isString ? 1 : 0) + (isArray ? 2 : 0));
      table_.Add(std::string(1, kindKey) + name, name, printed, line.SignedNumber(), false);
    }
    if (damaged) Damaged(line);
  }

  // Mode 3. The DEF FN name item (definition flag 1) and FN call items
  // (code 4, flag 0), from their link:
  //   DEF FN: u16 link | u8 1 | u8 length | name | u8 0
  //   FN:     u16 link | u8 0 | u8 function number | u8 string flag |
  //           u8 signature | u8 length | name | u8 0
  void UserFunctions(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    for (size_t at : ChainItems(c.code, c.length, Chain::UserFunction, 4, &damaged)) {
      const bool definition = c.code[at + 2] == 1;
      std::string_view name;
      if (!c.Name(definition ? at + 3 : at + 6, name)) {
        damaged = true;
        break;
      }
      const std::string printed = (capitals_ ? "FN " : "fn ") + Shown(name);
      table_.Add(std::string(name), name, printed, line.SignedNumber(), definition);
    }
    if (damaged) Damaged(line);
  }

  // Mode 4. Named-constant items (code 10), from their link:
  //   u16 link | u8 definition flag | u8 length | name | u8 0
  void Constants(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    for (size_t at : ChainItems(c.code, c.length, Chain::Constant, 4, &damaged)) {
      std::string_view name;
      if (!c.Name(at + 3, name)) {
        damaged = true;
        break;
      }
      table_.Add(std::string(name), name, "%" + Shown(name), line.SignedNumber(),
                 c.code[at + 2] == 1);
    }
    if (damaged) Damaged(line);
  }

  // Mode 5. The statement walk over the records (compiled_line.h): 250 and
  // 251 records are stepped over, a label definition is not a statement,
  // an IF counts and the walk goes on into its THEN part (the offset in the
  // first two bytes of its operand area), every other record counts and is
  // stepped over whole.
  void Statements(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    size_t at = kLineHeaderSize;
    while (at < c.length && c.code[at] != kRecordEnd) {
      const uint8_t rc = c.code[at];
      if (rc == kRecordUncompiled) {
        at += kUncompiledRecordSize;
        continue;
      }
      if (rc == kRecordJump) {
        at += kJumpRecordSize;
        continue;
      }
      if (!c.Has(at, kRecordFrameSize)) {
        damaged = true;
        break;
      }
      const RecordFrame f = ReadFrame(c.code, at);
      const size_t operands = at + kRecordFrameSize;
      const size_t end = operands + f.operandLength;
      if (end > c.length) {
        damaged = true;
        break;
      }
      if (rc == kRecordLabel) {
        at = end;
        continue;
      }
      if (const char* name = StatementListingName(rc)) {
        const bool starred =
            (rc >= 128 && rc <= 136) || (rc >= 144 && rc <= 190) || (rc >= 192 && rc <= 210);
        const std::string printed = Shown(name) + (starred ? "*" : "");
        table_.Add(printed, name, printed, line.SignedNumber(), false);
      } else {
        damaged = true;
      }
      if (rc == stmt::kIf && c.Has(operands, 2)) {
        const size_t thenStart = ReadU16(c.code + operands);
        if (thenStart < operands + 2 || thenStart > end) {
          damaged = true;
          break;
        }
        at = thenStart;
      } else {
        at = end;
      }
    }
    if (damaged) Damaged(line);
  }

  // Mode 6. Built-in call items (code 4), from their link:
  //   u16 link | u8 flag | u8 function number | ...
  void Functions(const ProgramLine& line) {
    const LineCode c{line.Code(), line.CodeLength()};
    bool damaged = false;
    for (size_t at : ChainItems(c.code, c.length, Chain::BuiltinFunction, 4, &damaged)) {
      const uint8_t id = c.code[at + 3];
      const char* name = c.code[at - 1] == 4 ? FunctionListingName(id) : nullptr;
      if (!name) {
        damaged = true;
        continue;
      }
      const bool starred =
          (id >= 144 && id <= 197) || id == 202 || id == 203 || id == 248 || id == 249;
      table_.Add(std::to_string(id), name, Shown(name) + (starred ? "*" : ""), line.SignedNumber(),
                 false);
    }
    if (damaged) Damaged(line);
  }

  EntryTable& Table() { return table_; }

 private:
  bool capitals_;
  const DamagedLineReport& onDamaged_;
  EntryTable table_;
};

// Mode 0: for each numbered line that numbered lines jump to, the lines
// that do, in program order.
std::vector<std::string> LineListing(const ProgramList& program,
                                     const DamagedLineReport& onDamaged) {
  std::map<uint32_t, std::vector<int32_t>> referrers;
  for (const ProgramLine* line = program.First(); line; line = line->Next()) {
    if (!line->IsNumbered()) continue;
    bool damaged = false;
    for (const LineNumberItem& item : LineNumberItems(line->Code(), line->CodeLength(), &damaged)) {
      std::vector<int32_t>& r = referrers[item.number];
      if (r.empty() || r.back() != line->SignedNumber()) r.push_back(line->SignedNumber());
    }
    if (damaged && onDamaged) onDamaged(*line);
  }
  std::vector<std::string> lines;
  for (const ProgramLine* line = program.First(); line; line = line->Next()) {
    if (!line->IsNumbered()) continue;
    auto it = referrers.find(line->number);
    if (it == referrers.end()) continue;
    std::string text = std::to_string(line->number) + " : ";
    for (size_t i = 0; i < it->second.size(); ++i) {
      if (i) text += ',';
      text += std::to_string(it->second[i]);
    }
    lines.push_back(std::move(text));
  }
  return lines;
}

}  // namespace

int XrefModeFromText(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  std::string upper(text);
  for (char& c : upper) c = Upper(c);
  for (const ModeName& m : kModeNames)
    if (m.name.size() >= upper.size() && m.name.compare(0, upper.size(), upper) == 0) return m.mode;
  if (upper.empty() || upper.size() > 5) return -1;
  uint32_t n = 0;
  for (char c : upper) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + static_cast<uint32_t>(c - '0');
  }
  return n <= 65535 ? 0 : -1;
}

int XrefModeFromNumber(double value) {
  if (!(value > -1.0 && value < 7.0)) return -1;  // NaN fails too
  return static_cast<int>(std::trunc(value));
}

int CompareXrefNames(std::string_view a, std::string_view b) {
  const std::string wa = Weighed(a), wb = Weighed(b);
  const size_t n = std::min(wa.size(), wb.size());
  for (size_t i = 0; i < n; ++i) {
    const int d =
        PrimaryWeight(static_cast<uint8_t>(wa[i])) - PrimaryWeight(static_cast<uint8_t>(wb[i]));
    if (d) return d;
  }
  if (wa.size() != wb.size()) return wa.size() < wb.size() ? -1 : 1;
  for (size_t i = 0; i < n; ++i) {
    if (wa[i] == wb[i]) continue;
    const bool lowerA = wa[i] >= 'a' && wa[i] <= 'z';
    return lowerA ? -1 : 1;
  }
  return a.compare(b);
}

std::vector<std::string> BuildXref(const ProgramList& program, XrefMode mode, bool capitals,
                                   const DamagedLineReport& onDamaged) {
  if (mode == XrefMode::Lines) return LineListing(program, onDamaged);
  XrefBuilder builder(capitals, onDamaged);
  for (const ProgramLine* line = program.First(); line; line = line->Next()) {
    if (!line->IsNumbered()) continue;
    switch (mode) {
      case XrefMode::Labels: builder.Labels(*line); break;
      case XrefMode::Variables: builder.Variables(*line); break;
      case XrefMode::UserFunctions: builder.UserFunctions(*line); break;
      case XrefMode::Constants: builder.Constants(*line); break;
      case XrefMode::Statements: builder.Statements(*line); break;
      case XrefMode::Functions: builder.Functions(*line); break;
      case XrefMode::Lines: break;
    }
  }
  return builder.Table().Lines();
}

}  // namespace torvic
