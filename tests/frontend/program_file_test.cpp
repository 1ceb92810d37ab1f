#include "frontend/program_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "frontend/program.h"

namespace torvic {
namespace {

// "10 A|20 B" listing: number (or "-") and text.
std::string Listing(const ProgramList& p) {
  std::string s;
  for (const ProgramLine* l = p.First(); l; l = l->Next()) {
    if (!s.empty()) s += '|';
    s += l->IsNumbered() ? std::to_string(l->number) : "-";
    s += ' ' + l->text;
  }
  return s;
}

ProgramReadResult Read(std::string_view bytes, ProgramList& into, bool force = false) {
  ProgramSource source(bytes);
  return ReadProgram(source, into, force);
}

TEST(TextProgramFile, LinesEndingsAndLimits) {
  struct Case {
    std::string bytes;
    std::string listing;
    int32_t error;
    std::string detail;
  };
  const std::string long300(300, 'X');
  const std::vector<Case> cases = {
      {"20 B\r\n10 A\r\n", "10 A|20 B", 0, ""},
      {"10 A\n20 B", "10 A|20 B", 0, ""},                 // LF, no last ending
      {"10 A\r20 B\r", "10 A|20 B", 0, ""},               // lone CR
      {"10 PRINT 1;\\\n2\r\n", "10 PRINT 1;2", 0, ""},    // continuation (LF)
      {"10 PRINT 1;\\\r\n2\r\n", "10 PRINT 1;2", 0, ""},  // continuation (CR LF)
      {"10 A\\\r20 B\n", "10 A\\|20 B", 0, ""},           // not before a lone CR
      {"10\tA\n", "10        A", 0, ""},  // tab: eight blanks, one dropped after the number
      {"10 A\tB\n", "10 A        B", 0, ""},
      {std::string("10 A\0B\n", 7), "10 AB", 0, ""},        // NUL bytes dropped
      {"\n   \n10 A   \n\n", "10 A", 0, ""},                // blank lines passed over
      {"10 A\n10 B\n", "10 B", 0, ""},                      // the later line replaces
      {"10 A\n20 B\n10\n", "20 B", 0, ""},                  // a bare number deletes
      {"PRINT 1\n10 A\n", "- PRINT 1|10 A", 0, ""},         // unnumbered, kept in place
      {"10 A\n0 B\n20 C\n", "10 A", kErrSyntaxError, "0"},  // bad numbers stop the read
      {"10 A\n65536 B\n", "10 A", kErrSyntaxError, "65536"},
      {"10 " + long300 + "\n", "10 " + std::string(255, 'X'), 0, ""},
  };
  for (const Case& c : cases) {
    ProgramList p;
    const ProgramReadResult r = Read(c.bytes, p);
    EXPECT_FALSE(r.binary);
    EXPECT_EQ(r.error, c.error) << c.bytes;
    EXPECT_EQ(r.detail, c.detail) << c.bytes;
    EXPECT_EQ(Listing(p), c.listing) << c.bytes;
  }
}

TEST(BinaryProgramFile, HeaderAndCheckSums) {
  EXPECT_EQ(TextCheckSum(""), 0u);
  EXPECT_EQ(TextCheckSum("AB"), 66u);                             // 'B' * 1
  EXPECT_EQ(TextCheckSum(std::string("A\xFF", 2)), 0xFFFFFFFFu);  // signed bytes
  const uint8_t code[] = {9, 0xFF, 2};
  EXPECT_EQ(CodeCheckSum(code, 3), 255u + 4u);  // unsigned bytes

  ProgramList p;
  ASSERT_EQ(Read("10 PRINT \"A\"\n20 END\n", p).error, 0);
  std::string image;
  AppendBinaryProgram(p, image);
  ASSERT_GE(image.size(), kProgramHeaderSize);
  EXPECT_EQ(image.substr(0, 20),
            std::string("\x41\x07\x0A\x0ETORVTVC\0\x0A\x02\x05\x01\0\0\0\x10", 20));
  // The first record: number 10, flag 0, text length 9, the text.
  EXPECT_EQ(image.substr(40, 18), std::string("\x0A\0\0\0\0\x09\0\0\0PRINT \"A\"", 18));

  ProgramList again;
  const ProgramReadResult r = Read(image, again);
  EXPECT_TRUE(r.binary);
  EXPECT_FALSE(r.recompiled);
  EXPECT_FALSE(again.Modified());
  EXPECT_EQ(Listing(again), "10 PRINT \"A\"|20 END");
  std::string image2;
  AppendBinaryProgram(again, image2);
  EXPECT_EQ(image2, image);

  ProgramList forced;
  const ProgramReadResult f = Read(image, forced, /*force=*/true);
  EXPECT_TRUE(f.recompiled);
  EXPECT_TRUE(forced.Modified());
  EXPECT_EQ(Listing(forced), "10 PRINT \"A\"|20 END");
}

TEST(BinaryProgramFile, BadRecordsStopTheReadKeepingEarlierLines) {
  ProgramList p;
  ASSERT_EQ(Read("10 A=1\n20 B=2\n", p).error, 0);
  std::string image;
  AppendBinaryProgram(p, image);
  const size_t second = 40 + 9 + 3 + 4 + 4 + p.First()->CodeLength() + 4;
  ASSERT_EQ(image[second], 20);
  struct Case {
    const char* what;
    size_t at;
    char value;
    int32_t error;
  };
  const std::vector<Case> cases = {
      {"number 0", second, 0, kErrBadFile},
      {"flag 2", second + 4, 2, kErrBadFile},
      {"text length 0", second + 5, 0, kErrBadFile},
  };
  for (const Case& c : cases) {
    std::string b = image;
    b[c.at] = c.value;
    ProgramList q;
    EXPECT_EQ(Read(b, q).error, c.error) << c.what;
    EXPECT_EQ(Listing(q), "10 A=1") << c.what;
  }
  for (size_t cut = second + 1; cut < image.size(); cut += 3) {
    ProgramList q;
    EXPECT_EQ(Read(image.substr(0, cut), q).error, kErrUnexpectedEof) << cut;
    EXPECT_EQ(Listing(q), "10 A=1") << cut;
  }
  // Cut exactly between records: no error.
  ProgramList q;
  EXPECT_EQ(Read(image.substr(0, second), q).error, 0);
  // A header cut short is not a binary file: its bytes are read as text.
  ProgramList t;
  EXPECT_FALSE(Read(image.substr(0, 39), t).binary);
}

}  // namespace
}  // namespace torvic
