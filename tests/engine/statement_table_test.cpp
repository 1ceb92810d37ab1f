// The run column of the statement table: every record code the compiler can
// emit has one row, and that row says what executing it does (a handler,
// not supported by design and why, or not built yet and by which part), so
// a statement can neither lack its handler unnoticed nor be claimed twice.
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

TEST(StatementTable, EveryStatementCodeHasOneRowThatSaysWhatItDoes) {
  std::array<int, 256> runs{}, rows{};
  for (const StatementRun& r : StatementRuns()) ++runs[r.code];
  for (const StatementRow& r : StatementRows()) ++rows[r.code];
  for (int code = 0; code < 256; ++code) {
    const char* name = StatementListingName(code);
    const int expected = name || code == stmt::kLabel ? 1 : 0;
    EXPECT_EQ(runs[code], expected) << "record code " << code << " " << (name ? name : "");
    EXPECT_EQ(rows[code], expected) << "record code " << code << " " << (name ? name : "");
  }
  for (const StatementRun& r : StatementRuns()) {
    const StatementRow* row = StatementRowOf(r.code);
    ASSERT_NE(row, nullptr) << int{r.code};
    EXPECT_NE(r.handler, nullptr) << row->name;
    EXPECT_NE(std::string(row->grammar), "") << row->name;
    switch (r.status) {
      case RunStatus::Built: break;
      case RunStatus::NotSupportedByDesign:
        EXPECT_LE(static_cast<int>(r.reason), static_cast<int>(NotSupportedList::ConsoleWords))
            << row->name;
        break;
      case RunStatus::NotBuiltYet:
        ADD_FAILURE() << row->name << " waits for a part of the system that is built now";
        break;
    }
  }
}

// The compile routines may write another code than the keyword's token
// (END IF, GOTO TIMER, the line forms of COPY ...). Every keyword, alone and
// with typical operands, compiles into records whose codes all have listing
// names: the statement walk of $XREF reports any code without one.
TEST(StatementTable, EveryCodeTheCompilerWritesHasAListingName) {
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

TEST(StatementTable, TheHandlerTableAnswersAsTheRowsSay) {
  const auto& table = HandlerTable();
  Session s;
  size_t offset = 0;
  for (const StatementRun& r : StatementRuns()) {
    EXPECT_EQ(table[r.code], r.handler) << int{r.code};
    if (r.status != RunStatus::Built) {
      EXPECT_EQ(table[r.code](s.in, nullptr, offset), kErrNotSupported) << int{r.code};
    }
  }
  for (int code : {0, 137, 211, 249, 250, 251, 255})
    EXPECT_EQ(table[code](s.in, nullptr, offset), kErrInternalError) << code;
}

}  // namespace
}  // namespace torvic
