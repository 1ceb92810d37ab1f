// The compile column of the statement table against the keyword table: a
// statement's keyword carries its record code as token, a record written by
// another statement's routine has no keyword, and every keyword token names
// a row (the statements that begin with a character count their rule as
// their keyword).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "frontend/keywords.h"
#include "frontend/statements.h"

namespace torvic {
namespace {

TEST(Statements, KeywordsAndRowsAgree) {
  std::set<int> keywordTokens;
  for (const KeywordEntry& k : KeywordTable()) {
    if (k.token < 1 || k.token > 276) continue;
    keywordTokens.insert(k.token);
    if (k.token == tok::kOff) {
      EXPECT_EQ(DefaultRecordCode(k.token), -1);
      continue;
    }
    const int code = DefaultRecordCode(k.token);
    EXPECT_NE(StatementRowOf(code), nullptr) << k.name << " compiles into no row's code";
    if (k.token < 256) { EXPECT_EQ(code, k.token) << k.name; }
  }
  // The statements that begin with a character, and LINES, found by rules
  // of their own.
  for (const char* start : {"~", "$print", "$xref", "$color", "lines", "?", "'", ".", "@"}) {
    size_t pos = 0;
    const int token = StatementKeywordAt(start, pos);
    EXPECT_NE(token, tok::kNone) << start;
    keywordTokens.insert(token);
  }
  for (const StatementRow& row : StatementRows()) {
    const bool hasKeyword = keywordTokens.count(row.code) > 0;
    if (row.compile == CompileKind::WrittenBy)
      EXPECT_FALSE(hasKeyword) << row.name << " is written by another routine but has a keyword";
    else EXPECT_TRUE(hasKeyword) << row.name << " has no keyword to compile it";
    EXPECT_EQ(row.pattern != nullptr, row.compile == CompileKind::Pattern) << row.name;
    EXPECT_EQ(StatementListingName(row.code), row.listing) << row.name;
    EXPECT_EQ(row.listing == nullptr, row.code == stmt::kLabel) << row.name;
  }
}

}  // namespace
}  // namespace torvic
