#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "expr/function_table.h"
#include "frontend/keywords.h"

namespace torvic {
namespace {

struct KeywordCase {
  const char* text;
  int token;      // expected token, -1 for none
  size_t length;  // characters consumed
};

TEST(Keywords, LongestPrefixAndSpecialForms) {
  const KeywordCase cases[] = {
      {"PRINTER?", 135, 8},
      {"PRINTERS", 136, 8},
      {"PRINTER", 134, 7},
      {"PRINTX", 86, 5},
      {"print", 86, 5},
      {"GO  SUB 100", 47, 7},
      {"GO TO 10", 48, 5},
      {"goif", 46, 4},
      {"go if", 46, 5},
      {"GO 100", -1, 0},
      {"GOTO", 48, 4},
      {"MID $(A$,2)", 72, 5},
      {"MID$", 72, 4},
      {"MIDX", -1, 0},
      {"left  $", 166, 7},
      {"POKE$", 220, 5},
      {"POKE 1,2", 84, 4},
      {"LINES", 225, 5},
      {"lines:", 225, 5},
      {"LINESTEP", 199, 4},
      {"LINEStep 2", 199, 4},
      {"LINE INPUT", 199, 4},
      {"S.PROG", 105, 2},
      {"ME.", 71, 3},
      {"AT.", 5, 3},
      {"AT 1,2", 68, 2},
      {"ATTRIB", 5, 6},
      {"LETTER=5", 61, 3},
      {"TOTAL", 1018, 2},
      {"ASSET", 1000, 2},
      {"FORM", 42, 3},
      {"ANDX", 2000, 3},
      {"X1=5", -1, 0},
      {"DEF", 1005, 3},
      {"RESEQUENCE", 272, 10},
      {"RES", 272, 3},
      {"HOME", 15, 4},
      {"fn", 1100, 2},
      {"off", 249, 3},
      {"on", 78, 2},
      {"CATALOG", 41, 7},
      {"cr.", 155, 3},
      {"", -1, 0},
      {"123", -1, 0},
  };
  for (const KeywordCase& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(KeywordAt(c.text, pos), c.token) << c.text;
    EXPECT_EQ(pos, c.length) << c.text;
  }
}

TEST(Keywords, StatementStartByFirstCharacter) {
  struct Case {
    const char* line;
    size_t start;
    int token;
    size_t end;
  };
  const Case cases[] = {
      {"?A", 0, 86, 1},
      {"'remark", 0, 93, 1},
      {".100", 0, 32, 1},
      {"@5,10", 0, 68, 1},
      {"~ note", 0, 94, 1},
      {"$ xref", 0, 216, 6},
      {"$PRINT", 0, 215, 6},
      {"$COLOR", 0, 234, 6},
      {"$LIST", 0, -1, 0},
      {"  \"PROG\"", 0, 104, 2},
      {"PRINT:\"PROG\"", 6, -1, 6},
      {"X1=5", 0, 61, 0},
      {"  TER=5", 0, 61, 2},
      {"TO=5", 0, 1018, 2},
      {"123", 0, -1, 0},
      {"", 0, -1, 0},
      {"   ", 0, -1, 0},
      {"  PRINT 1", 0, 86, 7},
      {"_X=1", 0, 61, 0},
  };
  for (const Case& c : cases) {
    size_t pos = c.start;
    EXPECT_EQ(StatementKeywordAt(c.line, pos), c.token) << c.line;
    EXPECT_EQ(pos, c.end) << c.line;
  }
}

TEST(Keywords, WordAtNeedsALetterAndConsumesNothingOnFailure) {
  struct Case {
    const char* text;
    int token;
    size_t end;
  };
  const Case cases[] = {
      {"  TO 10", 1018, 4}, {" STEP 2", 1015, 5}, {"  10", -1, 0},
      {"  X", -1, 0},       {"", -1, 0},          {"  THEN", 1017, 6},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    EXPECT_EQ(WordAt(c.text, pos), c.token) << c.text;
    EXPECT_EQ(pos, c.end) << c.text;
  }
}

TEST(Keywords, IdentifiersAreUpperCasedAndCutTo31) {
  struct Case {
    const char* text;
    bool ok;
    const char* name;
    size_t end;
  };
  const std::string longName(40, 'a');
  const Case cases[] = {
      {"abc1_x=", true, "ABC1_X", 6},
      {"_a", true, "_A", 2},
      {"1a", false, "", 0},
      {"", false, "", 0},
  };
  for (const Case& c : cases) {
    size_t pos = 0;
    std::string name;
    EXPECT_EQ(ReadIdentifier(c.text, pos, name), c.ok) << c.text;
    if (c.ok) { EXPECT_EQ(name, c.name); }
    EXPECT_EQ(pos, c.end);
  }
  size_t pos = 0;
  std::string name;
  ASSERT_TRUE(ReadIdentifier(longName, pos, name));
  EXPECT_EQ(name, std::string(31, 'A'));
  EXPECT_EQ(pos, 40u);
}

TEST(Keywords, NamesBeginningWithKeywordsAreNotIdentifiers) {
  EXPECT_FALSE(IdentifierMayStartAt("TOTAL", 0));
  EXPECT_FALSE(IdentifierMayStartAt("ORDER", 0));
  EXPECT_FALSE(IdentifierMayStartAt("FORM", 0));
  EXPECT_TRUE(IdentifierMayStartAt("X1", 0));
  EXPECT_TRUE(IdentifierMayStartAt("ZEBRA", 0));
}

TEST(Keywords, ListingNamesAndRecordCodes) {
  struct Case {
    int code;
    const char* name;
  };
  const Case statements[] = {{1, "ABORT"},  {23, "DEF FN"}, {94, "~"},      {225, "LINES"},
                             {247, "WORK"}, {137, nullptr}, {248, nullptr}, {-1, nullptr}};
  for (const Case& c : statements) {
    const char* n = StatementListingName(c.code);
    if (c.name) EXPECT_STREQ(n, c.name);
    else EXPECT_EQ(n, nullptr);
  }
  const int remaps[][2] = {{15, 15},  {256, 105}, {272, 96}, {273, 34},
                           {276, 31}, {269, 56},  {249, -1}, {1018, -1}};
  for (const auto& r : remaps) EXPECT_EQ(DefaultRecordCode(r[0]), r[1]) << r[0];
}

// The functions' listing names come from the function table by number, so
// $XREF "FUNCS" names every function a line can call: one of the number's
// own names, upper case.
TEST(Keywords, EveryFunctionNumberHasOneOfItsNamesAsListingName) {
  for (const FunctionRow& row : FunctionTable()) {
    const char* listed = FunctionListingName(row.number);
    ASSERT_NE(listed, nullptr) << row.name;
    bool own = false;
    for (const FunctionRow& other : FunctionTable()) {
      std::string upper(other.name);
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      own = own || (other.number == row.number && upper == listed);
    }
    EXPECT_TRUE(own) << listed << " is not a name of function " << int{row.number};
  }
  struct Case {
    int number;
    const char* name;
  };
  // Where a number has several names, the listing shows the chosen one; the
  // numbers that once had a name of another number's row are here too.
  const Case cases[] = {{1, "ABS"},        {16, "CHR$"},    {235, "INSTRREV"}, {110, "ROW"},
                        {210, "POS"},      {224, "FRIDAY"}, {215, "USR"},      {197, "PSCRW"},
                        {203, "PRINTER$"}, {253, "UBOUND"}, {37, nullptr},     {0, nullptr},
                        {254, nullptr},    {-1, nullptr},   {256, nullptr}};
  for (const Case& c : cases) {
    const char* n = FunctionListingName(c.number);
    if (c.name) EXPECT_STREQ(n, c.name) << c.number;
    else EXPECT_EQ(n, nullptr) << c.number;
  }
}

}  // namespace
}  // namespace torvic
