// The pieces the file statements share: wildcard substitution, the size
// with thousands separators and the rows of the catalogue.
#include "volumes/file_commands.h"

#include <gtest/gtest.h>

namespace torvic {
namespace {

TEST(FileCommands, WildcardSubstitution) {
  struct {
    const char* pattern;
    const char* source;
    const char* result;
  } cases[] = {
      {"*.BAK", "ONE.TXT", "ONE.BAK"},
      {"*.BAK", "three", "three.BAK"},
      {"*.*", "a.b.c", "a.b.c"},
      {"X*.TXT", "ONE.DAT", "XNE.TXT"},  // each plain character passes over one
      {"??.TXT", "ONE.DAT", "ON.TXT"},
      {"???????.*", "AB.C", "AB.C"},  // "?" past the end adds nothing
      {"NEW.*", "old.dat", "NEW.dat"},
      {"*.", "a.txt", "a"},
      {"COPY?*.T?T", "A.TXT", "COPY.TXT"},
      {"FIXED.NAM", "what.ever", "FIXED.NAM"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SubstituteWildcards(c.pattern, c.source), c.result) << c.pattern << " " << c.source;
}

TEST(FileCommands, SizesWithThousands) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"},
      {999, "999"},
      {1000, "1,000"},
      {123456, "123,456"},
      {1234567, "1,234,567"},
      {18446744073709551615u, "18,446,744,073,709,551,615"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(WithThousands(n), text);
}

TEST(FileCommands, CatalogRowsShowTwelveHourTimes) {
  platform::FileInfo f;
  f.name = "Quarterly report.txt";
  f.size = 1234567;
  f.lastWrite.year = 2007;
  f.lastWrite.month = 11;
  f.lastWrite.day = 4;
  struct {
    int hour, minute;
    const char* time;
  } cases[] = {
      {0, 5, " 0:05am"},  {11, 59, "11:59am"}, {12, 5, "12:05pm"},
      {13, 0, " 1:00pm"}, {23, 9, "11:09pm"},
  };
  for (const auto& c : cases) {
    f.lastWrite.hour = c.hour;
    f.lastWrite.minute = c.minute;
    EXPECT_EQ(CatalogRow(f), std::string("QUARTERL TXT      1,234,567 11/04/2007 ") + c.time +
                                 " Quarterly report.txt");
  }
}

}  // namespace
}  // namespace torvic
