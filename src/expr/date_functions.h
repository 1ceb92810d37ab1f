// The built-in functions of dates and times, and the time value they share.
//
// A time value is a BASIC number: whole seconds since 00:00:00 on 1 January
// 1601 in local time (no time zone is ever applied). The calendar is the
// proleptic Gregorian one of std::chrono's civil dates; this file does no
// day arithmetic of its own. The current time is the host clock's
// (platform::Clock::Now through EvalEnvironment::LocalNow), so tests set it.
#pragma once

#include <cstdint>
#include <string_view>

#include "expr/functions.h"

namespace torvic {

namespace platform {
struct LocalTime;
}

// The largest time value that has a calendar date: the last whole second
// whose count of 100-nanosecond ticks since 1601 still fits 63 bits
// (14 September 30828, 02:48:05). Larger values are "?Function call error"
// wherever a date is taken apart.
inline constexpr int64_t kLastTimeValue = 922337203685;
// The years a date can be built from (mktime, cvdate).
inline constexpr int kFirstYear = 1601, kLastYear = 30827;

// A time value taken apart.
struct CivilTime {
  int year = 1601, month = 1, day = 1;
  int weekday = 1;  // 0 = Sunday
  int yearDay = 1;  // 1 for 1 January
  int hour = 0, minute = 0, second = 0;
};

// A BASIC number as a time value: rounded half up, 0 to below 2^63, else
// "?Function call error".
int32_t TimeValueOf(double t, int64_t& seconds);
// The calendar date and time of a time value; false beyond kLastTimeValue
// (or below 0).
bool CivilOf(int64_t seconds, CivilTime& out);
// The time value of a calendar date and time; false for a date that does
// not exist (30 February), a year outside kFirstYear..kLastYear, or a time
// of day out of range.
bool TimeValueOfCivil(int year, int month, int day, int hour, int minute, int second,
                      int64_t& seconds);
// The host clock's local time as a time value (the current time of now,
// date$, time$ and the omitted arguments that stand for it).
int64_t TimeValueOfLocal(const platform::LocalTime& t);

// The date texts of cvdate and isdate: month, separator, day, separator,
// year and nothing else; month and day of one or two digits, each separator
// "-" or "/", the year of one, two or four digits. A year below 25 is 2000
// plus it, 25 to 99 is 1900 plus it (four digits from 0000 to 0099 too).
// False for any other text; the date itself is checked by the caller.
bool ParseDateText(std::string_view text, int& year, int& month, int& day);

// The current date and time: now, date (year * 1000 + day of the year),
// time (seconds since midnight), friday (-1 on a Friday).
int32_t FnNow(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnDate(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnTime(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnFriday(CallContext& ctx, const CValue* args, int count, CValue& result);

// The parts of a time value t: year, month, day, weekday, hour, minute,
// second (one worker, by function number).
int32_t FnTimePart(CallContext& ctx, const CValue* args, int count, CValue& result);
// leapyear(y): -1 for a Gregorian leap year y (1 to 10000), else 0.
int32_t FnLeapYear(CallContext& ctx, const CValue* args, int count, CValue& result);

// mktime(y, mo, d, h, mi, s): the six arguments cut to whole numbers after
// their range checks; adjust(t, n): t + n.
int32_t FnMkTime(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnAdjust(CallContext& ctx, const CValue* args, int count, CValue& result);
// cvdate(s): midnight of the date written in s; isdate(s): whether cvdate
// would succeed.
int32_t FnCvDate(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnIsDate(CallContext& ctx, const CValue* args, int count, CValue& result);

// Texts: date$(t) "MM-DD-YYYY", time$(t) "HH:MM:SS", ctime$(t)
// "Sun Nov 04 13:05:09 2007", dayname$(n, short), monthname$(n, short).
int32_t FnDateText(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnTimeText(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnCTimeText(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnDayName(CallContext& ctx, const CValue* args, int count, CValue& result);
int32_t FnMonthName(CallContext& ctx, const CValue* args, int count, CValue& result);

}  // namespace torvic
