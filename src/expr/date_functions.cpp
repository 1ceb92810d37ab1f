#include "expr/date_functions.h"

#include <chrono>
#include <cstdio>

#include "base/errors.h"
#include "expr/evaluator.h"
#include "expr/numeric_rules.h"
#include "platform/host.h"

namespace torvic {

namespace {

namespace chr = std::chrono;

constexpr int64_t kSecondsPerDay = 86400;
constexpr chr::sys_days kEpoch{chr::year{1601} / chr::January / 1};

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

// The whole number a checked argument stands for: the caller has made sure
// that it lies in a range an int holds.
int Whole(double x) { return static_cast<int>(x); }

// The time value of the argument as a date, or the error.
int32_t CivilOfArgument(double t, CivilTime& out) {
  int64_t seconds;
  if (int32_t e = TimeValueOf(t, seconds)) return e;
  return CivilOf(seconds, out) ? kOk : kErrFunctionCallError;
}

CivilTime CivilOfLocal(const platform::LocalTime& t) {
  CivilTime c;
  CivilOf(TimeValueOfLocal(t), c);
  return c;
}

// dayname$ and monthname$: the whole name, or its first three letters when
// the second argument is not 0.
int32_t Name(const char* const* names, int first, int last, const CValue* args, CValue& result) {
  const double n = RoundHalfUp(args[0].number);
  if (!(n >= first && n <= last)) return kErrFunctionCallError;
  const std::string_view name = names[Whole(n) - first];
  result.SetString(args[1].number != 0 ? name.substr(0, 3) : name);
  return kOk;
}

}  // namespace

int32_t TimeValueOf(double t, int64_t& seconds) {
  const double r = RoundHalfUp(t);
  if (!(r >= 0 && r < 0x1p63)) return kErrFunctionCallError;
  seconds = static_cast<int64_t>(r);
  return kOk;
}

bool CivilOf(int64_t seconds, CivilTime& out) {
  if (seconds < 0 || seconds > kLastTimeValue) return false;
  const chr::sys_days date = kEpoch + chr::days{seconds / kSecondsPerDay};
  const chr::year_month_day ymd{date};
  const int64_t time = seconds % kSecondsPerDay;
  out.year = static_cast<int>(ymd.year());
  out.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  out.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  out.weekday = static_cast<int>(chr::weekday{date}.c_encoding());
  out.yearDay = static_cast<int>((date - chr::sys_days{ymd.year() / chr::January / 1}).count()) + 1;
  out.hour = static_cast<int>(time / 3600);
  out.minute = static_cast<int>(time / 60 % 60);
  out.second = static_cast<int>(time % 60);
  return true;
}

bool TimeValueOfCivil(int year, int month, int day, int hour, int minute, int second,
                      int64_t& seconds) {
  if (year < kFirstYear || year > kLastYear) return false;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  if (month < 1 || month > 12 || day < 1 || day > 31) return false;
  const chr::year_month_day ymd{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                chr::day{static_cast<unsigned>(day)}};
  if (!ymd.ok()) return false;
  seconds =
      (chr::sys_days{ymd} - kEpoch).count() * kSecondsPerDay + hour * 3600 + minute * 60 + second;
  return true;
}

int64_t TimeValueOfLocal(const platform::LocalTime& t) {
  // The host's clock gives a real date; a day past its month's end would
  // still count on into the next month, never fail.
  const chr::year_month_day ymd{chr::year{t.year}, chr::month{static_cast<unsigned>(t.month)},
                                chr::day{static_cast<unsigned>(t.day)}};
  const int64_t days = (chr::sys_days{ymd} - kEpoch).count();
  return days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
}

double SecondsSince1601(const platform::LocalTime& t) {
  return static_cast<double>(TimeValueOfLocal(t));
}

bool ParseDateText(std::string_view text, int& year, int& month, int& day) {
  size_t p = 0;
  // One run of digits of at most `most` (at least one); false for none.
  auto digits = [&](size_t most, int& value, size_t& length) {
    value = 0;
    length = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
      if (++length > most) return false;
      value = value * 10 + (text[p++] - '0');
    }
    return length > 0;
  };
  auto separator = [&] {
    if (p >= text.size() || (text[p] != '-' && text[p] != '/')) return false;
    ++p;
    return true;
  };
  size_t length;
  if (!digits(2, month, length) || !separator() || !digits(2, day, length) || !separator() ||
      !digits(4, year, length) || length == 3 || p != text.size())
    return false;
  if (year < 25) year += 2000;
  else if (year < 100) year += 1900;
  return true;
}

int32_t FnNow(CallContext& ctx, const CValue*, int, CValue& result) {
  result.SetNumber(static_cast<double>(TimeValueOfLocal(ctx.env.LocalNow())));
  return kOk;
}

int32_t FnDate(CallContext& ctx, const CValue*, int, CValue& result) {
  const CivilTime c = CivilOfLocal(ctx.env.LocalNow());
  result.SetNumber(c.year * 1000.0 + c.yearDay);
  return kOk;
}

int32_t FnTime(CallContext& ctx, const CValue*, int, CValue& result) {
  const CivilTime c = CivilOfLocal(ctx.env.LocalNow());
  result.SetNumber(c.hour * 3600.0 + c.minute * 60 + c.second);
  return kOk;
}

int32_t FnFriday(CallContext& ctx, const CValue*, int, CValue& result) {
  result.SetNumber(CivilOfLocal(ctx.env.LocalNow()).weekday == 5 ? -1 : 0);
  return kOk;
}

int32_t FnTimePart(CallContext& ctx, const CValue* args, int, CValue& result) {
  CivilTime c;
  if (int32_t e = CivilOfArgument(args[0].number, c)) return e;
  int part;
  switch (ctx.number) {
    case 143: part = c.year; break;     // year
    case 90: part = c.month; break;     // month
    case 30: part = c.day; break;       // day
    case 142: part = c.weekday; break;  // weekday
    case 59: part = c.hour; break;      // hour
    case 85: part = c.minute; break;    // minute
    case 115: part = c.second; break;   // second
    default: return kErrInternalError;
  }
  result.SetNumber(part);
  return kOk;
}

int32_t FnLeapYear(CallContext&, const CValue* args, int, CValue& result) {
  const double y = RoundHalfUp(args[0].number);
  if (!(y >= 1 && y <= 10000)) return kErrFunctionCallError;
  result.SetNumber(chr::year{Whole(y)}.is_leap() ? -1 : 0);
  return kOk;
}

int32_t FnMkTime(CallContext&, const CValue* args, int count, CValue& result) {
  if (count != 6) return kErrInternalError;
  // Checked as given, then cut: 9.9 seconds is second 9. The year's upper
  // bound is the calendar's; it also keeps the cut within an int.
  const double y = args[0].number, mo = args[1].number, d = args[2].number, h = args[3].number,
               mi = args[4].number, s = args[5].number;
  if (!(y >= kFirstYear && y < kLastYear + 1) || !(mo >= 1 && mo < 13) || !(d >= 1 && d < 32) ||
      !(h >= 0 && h < 24) || !(mi >= 0 && mi < 60) || !(s >= 0 && s < 60))
    return kErrFunctionCallError;
  int64_t seconds;
  if (!TimeValueOfCivil(Whole(y), Whole(mo), Whole(d), Whole(h), Whole(mi), Whole(s), seconds))
    return kErrFunctionCallError;
  result.SetNumber(static_cast<double>(seconds));
  return kOk;
}

int32_t FnAdjust(CallContext&, const CValue* args, int, CValue& result) {
  int64_t t;
  if (int32_t e = TimeValueOf(args[0].number, t)) return e;
  const double n = RoundHalfUp(args[1].number);
  if (!(n > -0x1p63 && n < 0x1p63)) return kErrFunctionCallError;
  int64_t sum;
  // A sum past the 64-bit range is refused as a negative one is.
  if (__builtin_add_overflow(t, static_cast<int64_t>(n), &sum) || sum < 0)
    return kErrFunctionCallError;
  result.SetNumber(static_cast<double>(sum));
  return kOk;
}

int32_t FnCvDate(CallContext&, const CValue* args, int, CValue& result) {
  int year, month, day;
  int64_t seconds;
  if (!ParseDateText(args[0].str.View(), year, month, day) ||
      !TimeValueOfCivil(year, month, day, 0, 0, 0, seconds))
    return kErrFunctionCallError;
  result.SetNumber(static_cast<double>(seconds));
  return kOk;
}

int32_t FnIsDate(CallContext&, const CValue* args, int, CValue& result) {
  int year, month, day;
  int64_t seconds;
  const bool valid = ParseDateText(args[0].str.View(), year, month, day) &&
                     TimeValueOfCivil(year, month, day, 0, 0, 0, seconds);
  result.SetNumber(valid ? -1 : 0);
  return kOk;
}

int32_t FnDateText(CallContext&, const CValue* args, int, CValue& result) {
  CivilTime c;
  if (int32_t e = CivilOfArgument(args[0].number, c)) return e;
  char text[24];
  const int n = std::snprintf(text, sizeof text, "%02i-%02i-%i", c.month, c.day, c.year);
  result.SetString(std::string_view(text, static_cast<size_t>(n)));
  return kOk;
}

int32_t FnTimeText(CallContext&, const CValue* args, int, CValue& result) {
  CivilTime c;
  if (int32_t e = CivilOfArgument(args[0].number, c)) return e;
  char text[24];
  const int n = std::snprintf(text, sizeof text, "%02i:%02i:%02i", c.hour, c.minute, c.second);
  result.SetString(std::string_view(text, static_cast<size_t>(n)));
  return kOk;
}

int32_t FnCTimeText(CallContext&, const CValue* args, int, CValue& result) {
  CivilTime c;
  if (int32_t e = CivilOfArgument(args[0].number, c)) return e;
  char text[48];
  const int n =
      std::snprintf(text, sizeof text, "%.3s %.3s %02i %02i:%02i:%02i %i", kDayNames[c.weekday],
                    kMonthNames[c.month - 1], c.day, c.hour, c.minute, c.second, c.year);
  result.SetString(std::string_view(text, static_cast<size_t>(n)));
  return kOk;
}

int32_t FnDayName(CallContext&, const CValue* args, int, CValue& result) {
  return Name(kDayNames, 0, 6, args, result);
}

int32_t FnMonthName(CallContext&, const CValue* args, int, CValue& result) {
  return Name(kMonthNames, 1, 12, args, result);
}

}  // namespace torvic
