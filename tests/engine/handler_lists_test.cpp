// The lists the statement handler table is built from: every record code
// the compiler can emit stands in exactly one of them, so a statement can
// neither lack its handler unnoticed nor be claimed twice.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "base/errors.h"
#include "engine/handlers.h"
#include "frontend/keywords.h"
#include "frontend/program.h"
#include "frontend/xref.h"
#include "session.h"

namespace torvic {
namespace {

constexpr int kLabelCode = 248;

// How many of the three lists hold each code.
std::array<int, 256> ListCounts() {
  std::array<int, 256> counts{};
  for (const HandlerRow& r : HandlerRows()) ++counts[r.code];
  for (const NotSupportedRow& r : NotSupportedRows()) ++counts[r.code];
  for (const ComingRow& r : NotBuiltYetRows()) ++counts[r.code];
  return counts;
}

TEST(HandlerLists, EveryStatementCodeStandsInExactlyOneList) {
  const std::array<int, 256> counts = ListCounts();
  for (int code = 0; code < 256; ++code) {
    const char* name = StatementListingName(code);
    if (name || code == kLabelCode)
      EXPECT_EQ(counts[code], 1) << "record code " << code << " " << (name ? name : "label");
    else EXPECT_EQ(counts[code], 0) << "record code " << code << " names no statement";
  }
}

// The compile routines may write another code than the keyword's token
// (END IF, GOTO TIMER, the line forms of COPY ...). Every keyword, alone and
// with typical operands, compiles into records whose codes all have listing
// names: the statement walk of $XREF reports any code without one.
TEST(HandlerLists, EveryCodeTheCompilerWritesHasAListingName) {
  const char* shapes[] = {"",
                          " 1",
                          " 1, 2",
                          " #1, 1",
                          " A$",
                          " A",
                          " (1, 2)",
                          " 10 TO 20",
                          " 10, 20",
                          " ON",
                          " OFF",
                          " \"X\"",
                          " \"X\" TO \"Y\"",
                          " #1",
                          " = 1",
                          " 1, 2, 3, 4",
                          " IF",
                          " TIMER",
                          " USING \"#\"; 1",
                          " (A$, 1) = \"X\"",
                          " A$, B$",
                          " FN F(X) = X",
                          " USR = 1",
                          " PRINTER",
                          " BASE 1",
                          " BREAK GOTO 10",
                          " ERROR GOTO 10",
                          " EDIT A$",
                          " INPUT A$",
                          " , 1, 2",
                          " BACK 1",
                          " VOLUME A$"};
  ProgramList program;
  uint32_t number = 10;
  for (const KeywordEntry& k : KeywordTable()) {
    if (k.token < 1 || k.token > 276) continue;
    for (const char* shape : shapes) {
      EnterNumberedLine(program, std::to_string(number) + " " + k.name + shape);
      number += 10;
    }
  }
  int damaged = 0;
  BuildXref(program, XrefMode::Statements, true, [&](const ProgramLine& line) {
    ADD_FAILURE() << "a code without a listing name in: " << line.text;
    ++damaged;
  });
  EXPECT_EQ(damaged, 0);
  for (const KeywordEntry& k : KeywordTable()) {
    if (k.token < 1 || k.token > 276 || k.token == tok::kOff) continue;
    EXPECT_NE(StatementListingName(DefaultRecordCode(k.token)), nullptr) << k.name;
  }
}

TEST(HandlerLists, TheTableAnswersAsItsListsSay) {
  const auto& table = HandlerTable();
  Session s;
  size_t offset = 0;
  for (const HandlerRow& r : HandlerRows()) EXPECT_EQ(table[r.code], r.handler) << int{r.code};
  for (const NotSupportedRow& r : NotSupportedRows())
    EXPECT_EQ(table[r.code](s.in, nullptr, offset), kErrNotSupported) << int{r.code};
  for (const ComingRow& r : NotBuiltYetRows())
    EXPECT_EQ(table[r.code](s.in, nullptr, offset), kErrNotSupported) << int{r.code};
  for (int code : {0, 137, 211, 249, 250, 251, 255})
    EXPECT_EQ(table[code](s.in, nullptr, offset), kErrInternalError) << code;
}

}  // namespace
}  // namespace torvic
