// The date and time functions, compiled by the expression compiler and run
// through the evaluator with a clock the test sets; the calendar is checked
// against the C library's own over every day of nine centuries.
#include <gtest/gtest.h>

#include <ctime>

#include "expr/date_functions.h"
#include "function_cases.h"

namespace torvic::testing {
namespace {

constexpr int32_t kFce = kErrFunctionCallError;

TEST(DateFunctions, BuildingAndTakingApart) {
  Session s;
  const NumCase cases[] = {
      // The epoch and a few known offsets (1970 is 11,644,473,600 s on).
      {"MKTIME(1601, 1, 1)", 0, 0},
      {"MKTIME(1601, 1, 2)", 86400, 0},
      {"MKTIME(1970, 1, 1)", 11644473600.0, 0},
      {"MKTIME(2007, 11, 4, 13, 5, 9)", 12838655109.0, 0},
      // Cut, not rounded, after the range checks.
      {"MKTIME(2007, 11, 4, 13, 5, 9.9) - MKTIME(2007, 11, 4, 13, 5, 9)", 0, 0},
      {"MKTIME(2007.9, 12.9, 31.9, 23.9, 59.9, 59.9) - MKTIME(2007, 12, 31, 23, 59, 59)", 0, 0},
      {"MKTIME(2004, 2, 29) - MKTIME(2004, 2, 28)", 86400, 0},
      {"MKTIME(2007, 2, 30)", 0, kFce},
      {"MKTIME(2100, 2, 29)", 0, kFce},
      {"MKTIME(2007, 4, 31)", 0, kFce},
      {"MKTIME(1600, 1, 1)", 0, kFce},
      {"MKTIME(1600.9, 1, 1)", 0, kFce},
      {"MKTIME(2007, 0.5, 1)", 0, kFce},
      {"MKTIME(2007, 13, 1)", 0, kFce},
      {"MKTIME(2007, 1, 32)", 0, kFce},
      {"MKTIME(2007, 1, 1, 24)", 0, kFce},
      {"MKTIME(2007, 1, 1, -0.1)", 0, kFce},
      {"MKTIME(2007, 1, 1, 0, 60)", 0, kFce},
      {"MKTIME(2007, 1, 1, 0, 0, 60)", 0, kFce},
      {"MKTIME(30827, 12, 31, 23, 59, 59)", 922314988799.0, 0},
      {"MKTIME(30828, 1, 1)", 0, kFce},
      {"MKTIME(1E300, 1, 1)", 0, kFce},
      {"MKTIME(2007, 1, \"1\")", 0, kErrTypeMismatch},
      // The parts.
      {"WEEKDAY(MKTIME(2007, 11, 4))", 0, 0},
      {"WEEKDAY(MKTIME(1601, 1, 1))", 1, 0},
      {"YEAR(MKTIME(2007, 11, 4, 13, 5, 9))", 2007, 0},
      {"MONTH(MKTIME(2007, 11, 4, 13, 5, 9))", 11, 0},
      {"DAY(MKTIME(2007, 11, 4, 13, 5, 9))", 4, 0},
      {"HOUR(MKTIME(2007, 11, 4, 13, 5, 9))", 13, 0},
      {"MINUTE(MKTIME(2007, 11, 4, 13, 5, 9))", 5, 0},
      {"SECOND(MKTIME(2007, 11, 4, 13, 5, 9))", 9, 0},
      {"SECOND(MKTIME(2007, 11, 4, 13, 5, 9) + 0.5)", 10, 0},
      {"YEAR(-1)", 0, kFce},
      {"YEAR(-0.5)", 1601, 0},
      {"YEAR(922337203685)", 30828, 0},
      {"MONTH(922337203685)", 9, 0},
      {"YEAR(922337203686)", 0, kFce},
      {"HOUR(2^63)", 0, kFce},
      {"DAY(1E300)", 0, kFce},
      {"LEAPYEAR(1900)", 0, 0},
      {"LEAPYEAR(2000)", -1, 0},
      {"LEAPYEAR(2024)", -1, 0},
      {"LEAPYEAR(2023)", 0, 0},
      {"LEAPYEAR(10000)", -1, 0},
      {"LEAPYEAR(0.5)", 0, 0},
      {"LEAPYEAR(0)", 0, kFce},
      {"LEAPYEAR(10000.5)", 0, kFce},
      // adjust in whole seconds; the sum may be neither negative nor beyond
      // 64 bits.
      {"ADJUST(MKTIME(2007, 11, 4), 86400) - MKTIME(2007, 11, 5)", 0, 0},
      {"ADJUST(5, -5)", 0, 0},
      {"ADJUST(5, -5.5)", 0, 0},
      {"ADJUST(5, -6)", 0, kFce},
      {"ADJUST(-1, 1)", 0, kFce},
      {"ADJUST(0, 2^63)", 0, kFce},
      {"ADJUST(0, -2^63)", 0, kFce},
      {"ADJUST(2^62, 2^62)", 0, kFce},
      {"ADJUST(2^62, 2^61)", 6917529027641081856.0, 0},
  };
  RunNumericCases(s, cases, std::size(cases));
}

TEST(DateFunctions, DateTexts) {
  Session s;
  const NumCase numbers[] = {
      {"CVDATE(\"11/4/07\") - MKTIME(2007, 11, 4)", 0, 0},
      {"CVDATE(\"1-1-24\") - MKTIME(2024, 1, 1)", 0, 0},
      {"CVDATE(\"1-1-25\") - MKTIME(1925, 1, 1)", 0, 0},
      {"CVDATE(\"12/31/99\") - MKTIME(1999, 12, 31)", 0, 0},
      {"CVDATE(\"1-1-0\") - MKTIME(2000, 1, 1)", 0, 0},
      {"CVDATE(\"1-1-0024\") - MKTIME(2024, 1, 1)", 0, 0},
      {"CVDATE(\"1-1-0099\") - MKTIME(1999, 1, 1)", 0, 0},
      {"CVDATE(\"01-02-1601\")", 86400, 0},
      {"CVDATE(\"2-29-2000\") - MKTIME(2000, 2, 29)", 0, 0},
      {"CVDATE(\"2-29-2001\")", 0, kFce},
      {"CVDATE(\"\")", 0, kFce},
      {"ISDATE(\"11/4/07\")", -1, 0},
      {"ISDATE(\"1-4/2007\")", -1, 0},
      {"ISDATE(\"2-29-2001\")", 0, 0},
      {"ISDATE(\"4-31-2007\")", 0, 0},
      {"ISDATE(\"1-1-2007x\")", 0, 0},
      {"ISDATE(\" 1-1-2007\")", 0, 0},
      {"ISDATE(\"1-1-207\")", 0, 0},
      {"ISDATE(\"1-1-20071\")", 0, 0},
      {"ISDATE(\"001-1-07\")", 0, 0},
      {"ISDATE(\"1-123-07\")", 0, 0},
      {"ISDATE(\"13-1-07\")", 0, 0},
      {"ISDATE(\"0-1-07\")", 0, 0},
      {"ISDATE(\"1-0-07\")", 0, 0},
      {"ISDATE(\"1-32-07\")", 0, 0},
      {"ISDATE(\"1-1-1600\")", 0, 0},
      {"ISDATE(\"1.1.07\")", 0, 0},
      {"ISDATE(\"1--07\")", 0, 0},
      {"ISDATE(\"1-1-\")", 0, 0},
      {"ISDATE(\"1-1\")", 0, 0},
  };
  RunNumericCases(s, numbers, std::size(numbers));
  const StrCase texts[] = {
      {"DATE$(CVDATE(\"11/4/07\"))", "11-04-2007", 0},
      {"TIME$(MKTIME(2007, 11, 4, 13, 5, 9))", "13:05:09", 0},
      {"CTIME$(MKTIME(2007, 11, 4, 13, 5, 9))", "Sun Nov 04 13:05:09 2007", 0},
      {"CTIME$(0)", "Mon Jan 01 00:00:00 1601", 0},
      {"DATE$(922337203685)", "09-14-30828", 0},
      {"TIME$(922337203685)", "02:48:05", 0},
      {"DATE$(-1)", "", kFce},
      {"TIME$(922337203686)", "", kFce},
      {"CTIME$(-1)", "", kFce},
      {"DAYNAME$(0, 1)", "Sun", 0},
      {"DAYNAME$(3)", "Wednesday", 0},
      {"DAYNAME$(6.4, -1)", "Sat", 0},
      {"DAYNAME$(7)", "", kFce},
      {"DAYNAME$(-1)", "", kFce},
      {"MONTHNAME$(1)", "January", 0},
      {"MONTHNAME$(9, 1)", "Sep", 0},
      {"MONTHNAME$(13)", "", kFce},
      {"MONTHNAME$(0)", "", kFce},
  };
  RunStringCases(s, texts, std::size(texts));
}

TEST(DateFunctions, TheClock) {
  Session s;
  s.env.now = platform::LocalTime{2024, 5, 6, 1, 12, 30, 15, 0};  // a Monday
  const NumCase monday[] = {
      {"NOW - MKTIME(2024, 5, 6, 12, 30, 15)", 0, 0},
      {"DATE", 2024127, 0},
      {"TIME", 45015, 0},
      {"FRIDAY", 0, 0},
  };
  RunNumericCases(s, monday, std::size(monday));
  const StrCase texts[] = {
      {"DATE$", "05-06-2024", 0},
      {"TIME$", "12:30:15", 0},
  };
  RunStringCases(s, texts, std::size(texts));
  // Friday is told from the date, whatever day of the week the host says.
  s.env.now = platform::LocalTime{2024, 5, 10, 0, 23, 59, 59, 999};
  const NumCase friday[] = {
      {"FRIDAY", -1, 0},
      {"DATE", 2024131, 0},
      {"TIME", 86399, 0},
  };
  RunNumericCases(s, friday, std::size(friday));
}

// Every day from 1601 to 2500 as the C library's own calendar has it: the
// time value counts the days, and taking it apart gives the date, the
// weekday and the day of the year back.
TEST(DateFunctions, CalendarAgreesWithTheCLibrary) {
  int64_t epoch1970;
  ASSERT_TRUE(TimeValueOfCivil(1970, 1, 1, 0, 0, 0, epoch1970));
  std::tm tm{};
  tm.tm_year = 1601 - 1900;
  tm.tm_mon = 0;
  tm.tm_mday = 1;
  tm.tm_hour = 12;
  for (time_t t = timegm(&tm); tm.tm_year <= 2500 - 1900; t += 86400) {
    ASSERT_NE(gmtime_r(&t, &tm), nullptr);
    int64_t seconds;
    ASSERT_TRUE(TimeValueOfCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 12, 0, 0, seconds));
    ASSERT_EQ(seconds - epoch1970, static_cast<int64_t>(t));
    CivilTime c;
    ASSERT_TRUE(CivilOf(seconds, c));
    ASSERT_EQ(c.year, tm.tm_year + 1900);
    ASSERT_EQ(c.month, tm.tm_mon + 1);
    ASSERT_EQ(c.day, tm.tm_mday);
    ASSERT_EQ(c.weekday, tm.tm_wday);
    ASSERT_EQ(c.yearDay, tm.tm_yday + 1);
    ASSERT_EQ(c.hour, 12);
  }
}

}  // namespace
}  // namespace torvic::testing
