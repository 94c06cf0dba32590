// Date-time values (days since 1899-12-30, the fraction the time of day), their parts, time
// stamps, and their text forms in the locale settings. A negative value keeps its date in the
// integer part and its time of day in the fraction's absolute value: -1.25 is 1899-12-29 06:00.
#pragma once

#include "framework/rtl/Types.h"

#include <string_view>

namespace vmado {

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerDay = HoursPerDay * 60;
constexpr Integer SecsPerDay = MinsPerDay * 60;
constexpr Integer MSecsPerDay = SecsPerDay * 1000;
constexpr Integer DateDelta = 693594; // days from 0001-01-01 (day 1) to 1899-12-30

// Time: milliseconds since midnight; Date: days since 0001-01-01, that day being 1.
struct TTimeStamp {
    Integer Time = 0;
    Integer Date = 0;
};

// Encoding raises EConvertError "Invalid argument to date encode" / "Invalid argument to time
// encode" followed by the rejected parts. Years run from 1 to 9999.
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);
// Dates before 0001-01-01 decode as all zeros.
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
// dayOfWeek: 1 Sunday .. 7 Saturday. Returns whether the year is a leap year.
bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dayOfWeek);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
bool IsLeapYear(Word year);
Word DaysInAMonth(Word year, Word month);
Word DayOfWeek(TDateTime date); // 1 Sunday .. 7 Saturday

// The date part (truncated toward zero) and the time part (absolute fraction).
TDateTime DateOf(TDateTime value);
TDateTime TimeOf(TDateTime value);
// Joins a date and a time of day the way a negative date expects (date - time below zero).
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

TDateTime Now();  // local time, millisecond resolution
TDateTime Date(); // today at midnight
TDateTime Time(); // the time of day alone

// Time stamps round to the nearest millisecond. TimeStampToDateTime raises EConvertError
// "'<date>.<time>' is not a valid timestamp" for a negative time, a time of a whole day or more,
// or a date below 1.
TTimeStamp DateTimeToTimeStamp(TDateTime value);
TDateTime TimeStampToDateTime(const TTimeStamp& stamp);
double TimeStampToMSecs(const TTimeStamp& stamp);
TTimeStamp MSecsToTimeStamp(double msecs); // raises EConvertError for a negative or huge count

// The framework's format tokens: y yy yyyy, m mm mmm mmmm, d dd ddd dddd ddddd dddddd, h hh,
// n nn, s ss, z zzz, t tt, c, am/pm a/p ampm, "/" ":" as the locale separators, quoted
// literals. "m" right after an hour is minutes; "h" uses the 12-hour clock when an AM/PM token
// follows it. An empty format means "c".
AnsiString FormatDateTime(std::string_view format, TDateTime value);
AnsiString DateToStr(TDateTime value);     // ShortDateFormat
AnsiString TimeToStr(TDateTime value);     // LongTimeFormat
AnsiString DateTimeToStr(TDateTime value); // ShortDateFormat, and LongTimeFormat unless midnight

// Reading follows the locale: the order of day, month and year comes from ShortDateFormat,
// numbers are split by DateSeparator, a missing year is the current one, a two-digit year goes
// through TwoDigitYearCenturyWindow. Times are hour and minutes, optional seconds (and
// milliseconds after the decimal separator), split by TimeSeparator, with an optional AM/PM
// mark (the locale's or "AM"/"PM") before or after. StrToDateTime reads a date, a date and a
// time, or a time alone. Failures raise EConvertError "'x' is not a valid date" (time,
// date and time).
TDateTime StrToDate(std::string_view s);
TDateTime StrToTime(std::string_view s);
TDateTime StrToDateTime(std::string_view s);
bool TryStrToDate(std::string_view s, TDateTime& value);
bool TryStrToTime(std::string_view s, TDateTime& value);
bool TryStrToDateTime(std::string_view s, TDateTime& value);
TDateTime StrToDateDef(std::string_view s, TDateTime defaultValue);
TDateTime StrToDateTimeDef(std::string_view s, TDateTime defaultValue);

} // namespace vmado
