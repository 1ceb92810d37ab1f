// Lines put together at random from statement fragments, so that most of
// them reach deep into the compile routines (the fuzz target does the same
// with raw bytes). Every line must validate, and its records must stand in
// text order without overlapping.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "frontend/compiled_view.h"

namespace torvic {
namespace {

using testing::CompiledView;
using testing::Rec;

constexpr const char* kFragments[] = {
    "PRINT ",   "IF ",
    " THEN ",   " ELSE ",
    "END IF",   ": ",
    "'",        "~",
    "GOTO ",    "GOSUB ",
    "ON ",      "ERROR ",
    "TIMER ",   "BREAK ",
    "RESUME ",  "NEXT ",
    "FOR ",     "=",
    " TO ",     " STEP ",
    "LET ",     "DATA ",
    "DIM ",     "DEF FN",
    "DEF USR",  "CONST ",
    "%",        "A",
    "B$",       "X(",
    ")",        "(",
    ",",        ";",
    "#",        "@",
    "\"",       "\"A:B\"",
    "1",        "100",
    "65535",    "70000",
    "*L",       "-",
    "+",        "*",
    "LIST ",    "DEL ",
    "RENUM ",   "RUN ",
    "CHAIN ",   "LOAD ",
    "SAVE ",    "MERGE ",
    "DUMP ",    ",R",
    ",A",       "OPEN ",
    " FOR ",    "INPUT ",
    " AS ",     " LEN ",
    "CLOSE ",   "FIELD ",
    "LINE ",    "EDIT ",
    "GET ",     "PUT ",
    "COLOR ",   "SCREEN ",
    "FRAME ",   "CLR ",
    "ASK ",     "SET ",
    "COPY ",    "MOVE ",
    "APPEND ",  "SWAP ",
    "KILL ",    "CATALOG ",
    ",S",       ",-W",
    "COL",      "SPC(",
    "TAB(",     "REV",
    "USING ",   "READ ",
    "RESTORE ", "RETURN ",
    "REM ",     "NORMAL",
    "INVERSE ", "OFF",
    "HGR",      "MID$(",
    "LEFT$(",   "OPTION BASE ",
    "ERASE ",   "REDIM PRESERVE ",
    "WRITE #",  "CMD ",
    "GOIF ",    "AUTO ",
    "FIND ",    "$XREF ",
    "$COLOR",   "XCOPY ",
    "SPLIT ",   "ATTRIB ",
    "  ",       "\xff",
};

TEST(StatementCompilerStress, RandomLinesOfFragmentsStaySound) {
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  constexpr size_t kFragmentCount = sizeof(kFragments) / sizeof(kFragments[0]);
  for (int n = 0; n < 20000; ++n) {
    std::string line;
    const size_t target = 1 + next() % 255;
    while (line.size() < target) line += kFragments[next() % kFragmentCount];
    if (next() % 8 == 0) line.insert(next() % (line.size() + 1), 1, '\0');
    line.resize(std::min<size_t>(line.size(), 255));
    CompiledView v(line);
    std::string fault;
    ASSERT_TRUE(v.Valid(&fault)) << line << ": " << fault;
    // Records in walk order cover the text left to right without overlap.
    size_t lastEnd = 0;
    for (const Rec& r : v.Records()) {
      if (r.code == 251) continue;
      ASSERT_GE(r.column, lastEnd) << line;
      // An IF or a stray ELSE nests its parts: they start inside its text.
      lastEnd = (r.code == 52 || r.code == 33) ? r.column + 1 : r.column + r.length;
    }
  }
}

}  // namespace
}  // namespace torvic
