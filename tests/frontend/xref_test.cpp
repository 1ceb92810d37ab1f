// The cross-reference listing: mode names, the order of names, the lower-case
// form and damaged code. The listings themselves are in
// tests/transcripts/xref.*.
#include "frontend/xref.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/codebytes.h"
#include "frontend/compiler.h"

namespace torvic {
namespace {

TEST(XrefMode, NamesAbbreviationsAndNumbers) {
  struct Case {
    const char* text;
    int mode;
  };
  const Case cases[] = {
      {"", 0},          {"  ", 0},    {"LINES", 0},   {"l", 0},
      {"0", 0},         {"1", 0},     {"100", 0},     {"65535", 0},
      {"65536", -1},    {"10X", -1},  {"LINESX", -1}, {"LABELS", 1},
      {"lab", 1},       {"*", 1},     {" var ", 2},   {"VARS", 2},
      {"VARIABLES", 2}, {"D", 3},     {"DEF FN", 3},  {"DEF FNS", 3},
      {"DEF F", 3},     {"FN", 3},    {"F", 3},       {"FNC", 6},
      {"FNCS", 6},      {"FUNC", 6},  {"C", 4},       {"CONSTS", 4},
      {"S", 5},         {"STMTS", 5}, {"STAT", 5},    {"STATEMENTSS", -1},
      {"X", -1},        {"2", 0},     {"-1", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(XrefModeFromText(c.text), c.mode) << '"' << c.text << '"';

  struct Number {
    double value;
    int mode;
  };
  const Number numbers[] = {{0, 0}, {6, 6}, {6.99, 6}, {-0.5, 0}, {7, -1}, {-1, -1}, {1e300, -1}};
  for (const Number& n : numbers) EXPECT_EQ(XrefModeFromNumber(n.value), n.mode) << n.value;
}

TEST(XrefOrder, PunctuationDigitsLettersWithoutCaseThenLowerFirst) {
  // Each name sorts strictly before the next.
  const std::vector<std::string> ordered = {
      "",   "$PRINT", "_Z", "A",   "a$x",    "A$X",  "A1", "AB",   "a-c",
      "ac", "AC",     "B",  "END", "END IF", "ENDX", "Z",  "\xC0",
  };
  for (size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_LT(CompareXrefNames(ordered[i], ordered[i + 1]), 0)
        << ordered[i] << " < " << ordered[i + 1];
    EXPECT_GT(CompareXrefNames(ordered[i + 1], ordered[i]), 0);
  }
  EXPECT_EQ(CompareXrefNames("FN", "FN"), 0);
  // Hyphens and apostrophes weigh only when all else is equal.
  EXPECT_LT(CompareXrefNames("co-op", "coop") * CompareXrefNames("coop", "co-op"), 0);
  EXPECT_LT(CompareXrefNames("co-op", "copy"), 0);
}

void Fill(ProgramList& p, const std::vector<std::string>& lines) {
  for (const std::string& l : lines) EnterNumberedLine(p, l);
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "|";
  return s;
}

TEST(Xref, LowerCaseNamesWhenCapitalsAreOff) {
  ProgramList p;
  Fill(p, {"10 *TOP: DEF FN SQ(X) = X * X: CONST %QQ = 1", "20 AB$ = CHR$(65): GOTO *TOP"});
  auto listing = [&](XrefMode m, bool capitals) {
    return Joined(BuildXref(p, m, capitals, nullptr));
  };
  EXPECT_EQ(listing(XrefMode::Labels, false), "*top : 10*,20|");
  EXPECT_EQ(listing(XrefMode::UserFunctions, false), "fn sq : 10*|");
  EXPECT_EQ(listing(XrefMode::UserFunctions, true), "FN SQ : 10*|");
  EXPECT_EQ(listing(XrefMode::Constants, false), "%qq : 10*|");
  EXPECT_EQ(listing(XrefMode::Variables, false), "ab$ : 20|");
  EXPECT_EQ(listing(XrefMode::Statements, false), "const : 10|def fn : 10|goto : 20|let : 20|");
  EXPECT_EQ(listing(XrefMode::Functions, false), "chr$ : 20|");
}

TEST(Xref, OnlyNumberedLinesCountAndEachLineOnce) {
  ProgramList p;
  Fill(p, {"10 GOTO 20: GOTO 20: A = A", "20 GOSUB 10: A = 1"});
  CodeBuffer b;
  CompileLine("GOTO 10: A = 2", b);
  p.Append(std::make_unique<ProgramLine>(kNoLineNumber, "GOTO 10: A = 2", b.Data(), b.Size()));
  EXPECT_EQ(Joined(BuildXref(p, XrefMode::Lines, true, nullptr)), "10 : 20|20 : 10|");
  EXPECT_EQ(Joined(BuildXref(p, XrefMode::Variables, true, nullptr)), "A : 10,20|");
}

// A line whose code is hand-made: header, the given records, the end byte.
std::unique_ptr<ProgramLine> HandMade(uint32_t number, std::vector<uint8_t> records,
                                      uint16_t variableHead = 0) {
  std::vector<uint8_t> code(kLineHeaderSize, 0);
  WriteU16(code.data() + 8, variableHead);
  code.insert(code.end(), records.begin(), records.end());
  code.push_back(0);
  return std::make_unique<ProgramLine>(number, "X", code.data(), code.size());
}

TEST(Xref, DamagedCodeIsReportedPerLineAndPassedOver) {
  ProgramList p;
  Fill(p, {"10 A = 1"});
  // Record code 249 has no listing name: frame with no operands.
  p.Append(HandMade(20, {249, 0, 0, 0, 0, 1, 0, 0}));
  // A LET whose operand holds a letter variable with index 26 (on the
  // variable chain at offset 16 + 8 + 1 + 1 = 26 for its link).
  p.Append(HandMade(30, {61, 6, 0, 0, 0, 1, 0, 0, 1, 5, 0, 0, 0, 26}, 26));
  // A chain head pointing past the line.
  p.Append(HandMade(40, {}, 200));
  std::vector<int32_t> damaged;
  auto onDamaged = [&](const ProgramLine& l) { damaged.push_back(l.SignedNumber()); };
  EXPECT_EQ(Joined(BuildXref(p, XrefMode::Statements, true, onDamaged)), "LET : 10,30|");
  EXPECT_EQ(damaged, (std::vector<int32_t>{20}));
  damaged.clear();
  EXPECT_EQ(Joined(BuildXref(p, XrefMode::Variables, true, onDamaged)), "A : 10|");
  EXPECT_EQ(damaged, (std::vector<int32_t>{30, 40}));
}

}  // namespace
}  // namespace torvic
