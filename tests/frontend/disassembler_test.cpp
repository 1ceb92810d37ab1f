#include "frontend/disassembler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/code_buffer.h"
#include "frontend/compiled_line.h"
#include "frontend/compiler.h"

namespace torvic {
namespace {

std::vector<uint8_t> Compiled(std::string_view text) {
  CodeBuffer buffer;
  CompileLine(text, buffer);
  return std::vector<uint8_t>(buffer.Data(), buffer.Data() + buffer.Size());
}

TEST(Disassembler, RecordsByNameWithSourceAndOperands) {
  const std::vector<uint8_t> code = Compiled("BEEP: GOTO 10: PRINT \"A");
  EXPECT_EQ(DisassembleLine(7, "BEEP: GOTO 10: PRINT \"A", code),
            "7 BEEP: GOTO 10: PRINT \"A\n"
            "  header  jump 0021\n"
            "  0010  BEEP  @0+4  \"BEEP\"\n"
            "  0018  GOTO  @6+7  \"GOTO 10\"  operands 00 0a 00 00 00 0b 00 02 00 00\n"
            "  002a  PRINT  @15+8  \"PRINT \\\"A\"  operands 00 06 02 01 41 00 00 0c 00\n"
            "  003b  end\n");
}

// Malformed code ends the listing with a row that says so; nothing past
// the code's end is read (the sanitizer build would catch it).
TEST(Disassembler, MalformedCodeIsNamedNotRead) {
  const std::vector<uint8_t> good = Compiled("PRINT 1");
  struct Case {
    const char* what;
    std::vector<uint8_t> code;
    const char* lastRow;
  };
  std::vector<uint8_t> noEnd(good.begin(), good.end() - 1);
  std::vector<uint8_t> cutFrame(good.begin(), good.begin() + kLineHeaderSize + 4);
  std::vector<uint8_t> cutOperands(good.begin(), good.end() - 3);
  std::vector<uint8_t> trailing = good;
  trailing.push_back(7);
  std::vector<uint8_t> cutJump(good.begin(), good.begin() + kLineHeaderSize);
  cutJump.push_back(kRecordJump);
  const Case cases[] = {
      {"no header", std::vector<uint8_t>(good.begin(), good.begin() + 5),
       "  malformed: no line header\n"},
      {"no end record", noEnd, "  0026  malformed: no end record\n"},
      {"frame cut", cutFrame, "  0010  malformed: the code ends inside a record\n"},
      {"operands cut", cutOperands, "  0010  malformed: the code ends inside a record\n"},
      {"bytes after the end", trailing, "  malformed: 1 bytes after the end\n"},
      {"jump cut", cutJump, "  0010  malformed: the code ends inside a record\n"},
  };
  for (const Case& c : cases) {
    const std::string text = DisassembleLine(kNoLineNumber, "PRINT 1", c.code);
    ASSERT_GE(text.size(), std::string(c.lastRow).size()) << c.what;
    EXPECT_EQ(text.substr(text.size() - std::string(c.lastRow).size()), c.lastRow) << c.what << "\n"
                                                                                   << text;
  }
}

}  // namespace
}  // namespace torvic
