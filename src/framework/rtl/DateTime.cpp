// Calendar arithmetic on date-time values: encoding and decoding of dates and times, time
// stamps, and the clock. Day 1 is 0001-01-01 in the proleptic Gregorian calendar.
#include "framework/rtl/DateTime.h"

#include "framework/rtl/Exceptions.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace vmado {

namespace {

constexpr Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Days from 0001-01-01 (day 1) to the given valid date.
Integer DayNumber(Word year, Word month, Word day)
{
    const auto& days = kMonthDays[IsLeapYear(year) ? 1 : 0];
    Integer dayOfYear = day;
    for (int m = 0; m < month - 1; ++m)
        dayOfYear += days[m];
    const Integer y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400 + dayOfYear;
}

// The calendar date of a day number (1 = 0001-01-01). Returns false for day numbers below 1.
bool DecodeDayNumber(Integer dayNumber, Word& year, Word& month, Word& day)
{
    if (dayNumber <= 0) {
        year = month = day = 0;
        return false;
    }
    constexpr Integer D1 = 365;
    constexpr Integer D4 = D1 * 4 + 1;
    constexpr Integer D100 = D4 * 25 - 1;
    constexpr Integer D400 = D100 * 4 + 1;
    Integer t = dayNumber - 1;
    Integer y = 1;
    y += (t / D400) * 400;
    t %= D400;
    Integer i = t / D100;
    Integer d = t % D100;
    if (i == 4) { // the last day of a 400-year cycle
        i = 3;
        d += D100;
    }
    y += i * 100;
    y += (d / D4) * 4;
    d %= D4;
    i = d / D1;
    d %= D1;
    if (i == 4) { // the last day of a leap cycle
        i = 3;
        d += D1;
    }
    y += i;
    if (y > 65535)
        throw EConvertError("Day number " + std::to_string(dayNumber) +
                            " is beyond the years a date can hold");
    const auto& days = kMonthDays[IsLeapYear(static_cast<Word>(y)) ? 1 : 0];
    Word m = 0;
    while (d >= days[m]) {
        d -= days[m];
        ++m;
    }
    year = static_cast<Word>(y);
    month = static_cast<Word>(m + 1);
    day = static_cast<Word>(d + 1);
    return true;
}

} // namespace

bool IsLeapYear(Word year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

Word DaysInAMonth(Word year, Word month)
{
    if (month < 1 || month > 12)
        return 0;
    return kMonthDays[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    date = static_cast<TDateTime>(DayNumber(year, month, day) - DateDelta);
    return true;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time)
{
    if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000)
        return false;
    time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(Word year, Word month, Word day)
{
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("Invalid argument to date encode (year " + std::to_string(year) + ", month " +
                            std::to_string(month) + ", day " + std::to_string(day) + ")");
    return result;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec)
{
    TDateTime result;
    if (!TryEncodeTime(hour, min, sec, msec, result))
        throw EConvertError("Invalid argument to time encode (" + std::to_string(hour) + ":" +
                            std::to_string(min) + ":" + std::to_string(sec) + "." + std::to_string(msec) +
                            ")");
    return result;
}

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec)
{
    return ComposeDateTime(EncodeDate(year, month, day), EncodeTime(hour, min, sec, msec));
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day)
{
    DecodeDayNumber(DateTimeToTimeStamp(date).Date, year, month, day);
}

bool DecodeDateFully(TDateTime date, Word& year, Word& month, Word& day, Word& dayOfWeek)
{
    const TTimeStamp stamp = DateTimeToTimeStamp(date);
    if (!DecodeDayNumber(stamp.Date, year, month, day)) {
        dayOfWeek = 0;
        return false;
    }
    dayOfWeek = static_cast<Word>(stamp.Date % 7 + 1);
    return IsLeapYear(year);
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec)
{
    Integer ms = DateTimeToTimeStamp(time).Time;
    hour = static_cast<Word>(ms / 3600000);
    ms %= 3600000;
    min = static_cast<Word>(ms / 60000);
    ms %= 60000;
    sec = static_cast<Word>(ms / 1000);
    msec = static_cast<Word>(ms % 1000);
}

Word DayOfWeek(TDateTime date)
{
    const Integer d = DateTimeToTimeStamp(date).Date;
    return static_cast<Word>(((d % 7) + 7) % 7 + 1);
}

TDateTime DateOf(TDateTime value)
{
    return std::trunc(value);
}

TDateTime TimeOf(TDateTime value)
{
    return std::fabs(value - std::trunc(value));
}

TDateTime ComposeDateTime(TDateTime date, TDateTime time)
{
    return date >= 0 ? date + time : date - time;
}

TDateTime Now()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return EncodeDate(static_cast<Word>(local.tm_year + 1900), static_cast<Word>(local.tm_mon + 1),
                      static_cast<Word>(local.tm_mday)) +
           EncodeTime(static_cast<Word>(local.tm_hour), static_cast<Word>(local.tm_min),
                      static_cast<Word>(std::min(local.tm_sec, 59)), static_cast<Word>(ms < 0 ? 0 : ms));
}

TDateTime Date()
{
    return std::trunc(Now());
}

TDateTime Time()
{
    const TDateTime now = Now();
    return now - std::trunc(now);
}

TTimeStamp DateTimeToTimeStamp(TDateTime value)
{
    // Round the whole value to milliseconds first so that 23:59:59.9999 carries into the next day.
    const double total = std::round(value * MSecsPerDay);
    if (!std::isfinite(total) || std::fabs(total) > 9.0e15)
        throw EConvertError("Date-time value " + std::to_string(value) + " is out of range");
    const auto ms = static_cast<Int64>(total);
    TTimeStamp stamp;
    stamp.Date = static_cast<Integer>(DateDelta + ms / MSecsPerDay);
    stamp.Time = static_cast<Integer>((ms < 0 ? -ms : ms) % MSecsPerDay);
    return stamp;
}

namespace {

void ValidateTimeStamp(const TTimeStamp& stamp)
{
    if (stamp.Time < 0 || stamp.Time >= MSecsPerDay || stamp.Date <= 0)
        throw EConvertError("'" + std::to_string(stamp.Date) + "." + std::to_string(stamp.Time) +
                            "' is not a valid timestamp");
}

} // namespace

TDateTime TimeStampToDateTime(const TTimeStamp& stamp)
{
    ValidateTimeStamp(stamp);
    const double date = static_cast<double>(stamp.Date - DateDelta);
    const double time = static_cast<double>(stamp.Time) / MSecsPerDay;
    return date >= 0 ? date + time : date - time;
}

double TimeStampToMSecs(const TTimeStamp& stamp)
{
    ValidateTimeStamp(stamp);
    return static_cast<double>(stamp.Date) * MSecsPerDay + stamp.Time;
}

TTimeStamp MSecsToTimeStamp(double msecs)
{
    const double whole = std::trunc(msecs);
    if (!std::isfinite(msecs) || whole < MSecsPerDay || whole >= (2147483647.0 + 1) * MSecsPerDay)
        throw EConvertError("'" + std::to_string(msecs) + "' milliseconds is not a valid timestamp");
    const auto ms = static_cast<Int64>(whole);
    TTimeStamp stamp;
    stamp.Date = static_cast<Integer>(ms / MSecsPerDay);
    stamp.Time = static_cast<Integer>(ms % MSecsPerDay);
    return stamp;
}

} // namespace vmado
