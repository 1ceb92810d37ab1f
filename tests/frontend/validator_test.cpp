#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "frontend/compiled_view.h"

namespace torvic {
namespace {

using testing::CompiledView;

std::vector<uint8_t> Compile(std::string_view line) {
  CodeBuffer b;
  CompileLine(line, b);
  return std::vector<uint8_t>(b.Data(), b.Data() + b.Size());
}

bool Valid(const std::vector<uint8_t>& code, std::string* fault = nullptr) {
  return ValidateCompiledLine(code.data(), code.size(), fault);
}

// Damaged lines, as a stored program file could bring them, are refused:
// each case compiles a sound line, breaks one thing and expects a fault.
TEST(Validator, RefusesDamagedLines) {
  struct Case {
    const char* what;
    const char* line;
    std::function<void(std::vector<uint8_t>&)> damage;
  };
  const Case cases[] = {
      {"operand length past the line", "PRINT 1", [](auto& c) { WriteU16(&c[17], 200); }},
      {"missing end byte", "PRINT 1", [](auto& c) { c.pop_back(); }},
      {"end byte inside", "PRINT 1: PRINT 2", [](auto& c) { c[16 + 8 + ReadU16(&c[17])] = 0; }},
      {"unknown record code", "CLS", [](auto& c) { c[16] = 249; }},
      {"jump off a boundary", "IF X THEN 10 ELSE 20",
       [](auto& c) {
         for (size_t i = 16; i + 2 < c.size(); ++i)
           if (c[i] == 251) {
             WriteU16(&c[i + 1], static_cast<uint16_t>(i + 1));
             break;
           }
       }},
      {"IF false target off a boundary", "IF X THEN PRINT 1",
       [](auto& c) {
         const size_t thenStart = ReadU16(&c[24]);
         WriteU16(&c[thenStart - 2], static_cast<uint16_t>(thenStart + 1));
       }},
      {"IF THEN-start outside", "IF X THEN PRINT 1", [](auto& c) { WriteU16(&c[24], 2000); }},
      {"chain runs backward", "GOTO 10: GOTO 20",
       [](auto& c) {
         const size_t first = ReadU16(&c[0]);
         WriteU16(&c[first + 7], static_cast<uint16_t>(first));
       }},
      {"chain points past the line", "GOTO 10", [](auto& c) { WriteU16(&c[0], 4000); }},
      {"chain points at the wrong kind", "A = B", [](auto& c) { WriteU16(&c[8], 16); }},
      {"DATA chain outside DATA", "PRINT 1: DATA 2", [](auto& c) { WriteU16(&c[2], 26); }},
      {"label flag without label", "PRINT", [](auto& c) { c[kHeaderLabelFlag] = 1; }},
      {"label record not first", "*A", [](auto& c) { c[kHeaderLabelFlag] = 0; }},
      {"$COLOR flag without $COLOR", "PRINT", [](auto& c) { c[kHeaderColorFlag] = 1; }},
      {"frame byte 7", "CLS", [](auto& c) { c[23] = 1; }},
      {"250 record cut short", "FOO BAR", [](auto& c) { c.erase(c.begin() + 19, c.end() - 1); }},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> code = Compile(c.line);
    std::string fault;
    ASSERT_TRUE(Valid(code, &fault)) << c.what << ": " << fault;
    c.damage(code);
    EXPECT_FALSE(Valid(code)) << c.what;
  }
  EXPECT_FALSE(ValidateCompiledLine(nullptr, 0));
  const std::vector<uint8_t> tiny(10, 0);
  EXPECT_FALSE(Valid(tiny));
}

// Columns and lengths must lie inside the source text when it is known.
TEST(Validator, ChecksTextPositionsAgainstTheSource) {
  const std::vector<uint8_t> code = Compile("PRINT 1: FOO");
  EXPECT_TRUE(ValidateCompiledLine(code.data(), code.size(), nullptr, 12));
  EXPECT_FALSE(ValidateCompiledLine(code.data(), code.size(), nullptr, 10));
}

// Every line of a sample of awkward inputs compiles into a sound line.
TEST(Validator, AcceptsEverythingTheCompilerWrites) {
  const std::string awkward[] = {
      "",
      " ",
      "'",
      ":::",
      "IF",
      "IF X THEN ELSE",
      "ELSE ELSE ELSE",
      "END IF END IF",
      "IF 1 THEN IF 2 THEN IF 3 THEN IF 4 THEN 5 ELSE 6 ELSE 7 ELSE 8 ELSE 9",
      "\"",
      "\"\"\"",
      "DATA \"",
      "~\"",
      "*",
      "*:",
      "* A",
      "$",
      "?\x01\xff",
      std::string("PRINT \0 1", 9),
      "GOTO 99999999999",
      "ON X GOTO " + std::string(200, '1'),
      "LIST 1-2-3",
      "RENUM 70000",
      "X=" + std::string(250, '('),
      "PRINT " + std::string(240, '"'),
  };
  for (const std::string& line : awkward) {
    CompiledView v(line);
    std::string fault;
    EXPECT_TRUE(v.Valid(&fault)) << line << ": " << fault;
  }
}

}  // namespace
}  // namespace torvic
